// dBase III/IV and FoxPro tables (.dbf) with their memo files (.dbt, .fpt).
#include "externaltable.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstring>

namespace {

constexpr int kMaxMemo = 1 << 20;  // longer memo values are cut
constexpr std::size_t kReadAhead = 64 * 1024;  // bytes of records read at once

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint32_t Be32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

// Blanks (and zero bytes) at both ends are not part of a value.
void Trim(const char*& s, int& n) {
    while (n > 0 && (s[0] == ' ' || s[0] == '\0')) ++s, --n;
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
}

enum class TMemoStyle { None, DBase3, DBase4, Fox };

class TDbfTable final : public TExtTable {
public:
    using TExtTable::FieldList;
    using TExtTable::Page;
    TFileBytes Table;
    TFileBytes Memo;
    TMemoStyle Style = TMemoStyle::None;
    std::uint64_t MemoBlockSize = 512;
    bool VisualFox = false;
    std::size_t HeaderSize = 0;
    std::size_t RecordSize = 0;
    std::int64_t Records = 0;

    std::int64_t RecordCount() const override { return Records; }
    bool NextAt(TExtPosition& at, std::vector<QVariant>& row) const override {
        if (!MoveAt(at)) return false;
        row.assign(FieldList.size(), QVariant());
        for (std::size_t i = 0; i < FieldList.size(); ++i) row[i] = Value(FieldList[i], at.Record + FieldList[i].Offset);
        return true;
    }
    bool MoveAt(TExtPosition& at) const override {
        std::int64_t& Pos = at.Major;
        at.Record = nullptr;
        while (Pos >= 0 && Pos < Records) {
            const auto left = static_cast<std::uint64_t>(Records - Pos);
            const std::size_t ahead = std::min<std::uint64_t>(left, std::max<std::size_t>(1, kReadAhead / RecordSize)) * RecordSize;
            const std::uint8_t* rec =
                Table.View(at.Window, HeaderSize + static_cast<std::uint64_t>(Pos) * RecordSize, RecordSize, ahead);
            if (!rec) {
                // The records the file held at opening are no longer there.
                at.Cut = true;
                return false;
            }
            ++Pos;
            if (rec[0] == '*') continue;  // deleted
            at.Record = rec;
            return true;
        }
        return false;
    }
    QVariant ValueAt(const TExtPosition& at, int field) const override {
        const TExtField& f = FieldList[static_cast<std::size_t>(field)];
        return Value(f, at.Record + f.Offset);
    }
    bool TextAt(const TExtPosition& at, int field, QByteArray& utf8) const override {
        const TExtField& f = FieldList[static_cast<std::size_t>(field)];
        if (f.Code != 'C') return false;
        const char* s = reinterpret_cast<const char*>(at.Record + f.Offset);
        int n = f.Length;
        while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
        TableTextUtf8(s, n, Page, utf8);
        return true;
    }

    QVariant Value(const TExtField& f, const std::uint8_t* p) const {
        const char* s = reinterpret_cast<const char*>(p);
        int n = f.Length;
        switch (f.Code) {
        case 'C': {
            while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
            if (n == 0) return {};
            return DecodeTableText(s, n, Page);
        }
        case 'N':
        case 'F': {
            Trim(s, n);
            if (n == 0 || s[0] == '*') return {};
            const QByteArray text(s, n);
            bool ok = false;
            if (f.Decimals == 0 && !text.contains('.')) {
                const qint64 v = text.toLongLong(&ok);
                if (ok) return v;
            }
            const double d = text.toDouble(&ok);
            return ok ? QVariant(d) : QVariant();
        }
        case 'D': {
            Trim(s, n);
            if (n != 8) return {};
            const QDate d = QDate::fromString(QString::fromLatin1(s, 8), QStringLiteral("yyyyMMdd"));
            return d.isValid() ? QVariant(d) : QVariant();
        }
        case 'L':
            switch (s[0]) {
            case 'T': case 't': case 'Y': case 'y': return true;
            case 'F': case 'f': case 'N': case 'n': return false;
            default: return {};
            }
        case 'I':
            return n == 4 ? QVariant(static_cast<qint64>(static_cast<std::int32_t>(Le32(p)))) : QVariant();
        case 'Y': {
            if (n != 8) return {};
            std::int64_t v;
            std::memcpy(&v, p, 8);
            return static_cast<double>(v) / 10000.0;
        }
        case 'O':
        case 'B':
            if (f.Code == 'O' || VisualFox) {
                if (n != 8) return {};
                double d;
                std::memcpy(&d, p, 8);
                return d;
            }
            return MemoValue(f, p);
        case 'T': {
            if (n != 8) return {};
            const auto day = static_cast<std::int32_t>(Le32(p));
            const auto ms = static_cast<std::int32_t>(Le32(p + 4));
            if (day <= 0) return {};
            const QDate d = QDate::fromJulianDay(day);
            if (!d.isValid() || ms < 0 || ms >= 86400000) return {};
            return QDateTime(d, QTime::fromMSecsSinceStartOfDay(ms));
        }
        case 'M':
        case 'G':
        case 'P':
        case 'W':
            return MemoValue(f, p);
        default: {
            Trim(s, n);
            return n ? QVariant(DecodeTableText(s, n, Page)) : QVariant();
        }
        }
    }

    // A memo value from the memo file; empty when there is none or the block
    // is not within the file.
    QVariant MemoValue(const TExtField& f, const std::uint8_t* p) const {
        if (Memo.Empty() || Style == TMemoStyle::None) return {};
        std::uint64_t block = 0;
        if (f.Length == 4) {
            block = Le32(p);
        } else {
            const char* s = reinterpret_cast<const char*>(p);
            int n = f.Length;
            Trim(s, n);
            if (n == 0 || n > 10) return {};
            bool ok = false;
            block = QByteArray(s, n).toULongLong(&ok);
            if (!ok) return {};
        }
        if (block == 0) return {};
        const std::uint64_t size = Memo.Size();
        const bool text = f.Code == 'M';
        if (Style == TMemoStyle::Fox) {
            const std::uint64_t at = block * MemoBlockSize;
            if (at > size || size - at < 8) return {};
            const QByteArray head = Memo.ReadExact(at, 8);
            if (head.isNull()) return {};
            std::uint64_t len = Be32(reinterpret_cast<const std::uint8_t*>(head.constData()) + 4);
            len = std::min<std::uint64_t>({len, size - at - 8, kMaxMemo});
            return MemoResult(Memo.ReadExact(at + 8, len), text);
        }
        const std::uint64_t at = block * MemoBlockSize;
        if (at >= size) return {};
        if (Style == TMemoStyle::DBase4 && size - at >= 8) {
            const QByteArray head = Memo.ReadExact(at, 8);
            const auto* h = reinterpret_cast<const std::uint8_t*>(head.constData());
            if (!head.isNull() && h[0] == 0xFF && h[1] == 0xFF) {
                std::uint64_t len = Le32(h + 4);
                len = len >= 8 ? len - 8 : 0;
                len = std::min<std::uint64_t>({len, size - at - 8, kMaxMemo});
                return MemoResult(Memo.ReadExact(at + 8, len), text);
            }
        }
        // dBase III: the text runs to the end-of-file mark, read piece by piece.
        const std::uint64_t limit = std::min<std::uint64_t>(size - at, kMaxMemo);
        QByteArray value;
        while (static_cast<std::uint64_t>(value.size()) < limit) {
            const QByteArray piece = Memo.Read(at + value.size(), std::min<std::uint64_t>(4096, limit - value.size()));
            if (piece.isEmpty()) break;
            const qsizetype end = piece.indexOf('\x1A');
            value += end < 0 ? piece : piece.left(end);
            if (end >= 0) break;
        }
        return MemoResult(value, text);
    }

    QVariant MemoResult(const QByteArray& bytes, bool text) const {
        if (bytes.isEmpty()) return {};
        if (text) return DecodeTableText(bytes.constData(), static_cast<int>(bytes.size()), Page);
        return bytes;
    }
};

TExtKind KindOf(char code, int decimals, bool visualFox) {
    switch (code) {
    case 'N': case 'F': return decimals > 0 ? TExtKind::Real : TExtKind::Integer;
    case 'D': return TExtKind::Date;
    case 'L': return TExtKind::Boolean;
    case 'I': return TExtKind::Integer;
    case 'Y': case 'O': return TExtKind::Real;
    case 'B': return visualFox ? TExtKind::Real : TExtKind::Blob;
    case 'T': return TExtKind::DateTime;
    case 'G': case 'P': case 'W': return TExtKind::Blob;
    default: return TExtKind::Text;
    }
}

}  // namespace

std::unique_ptr<TExtTable> ReadDbfTable(TFileBytes table, TFileBytes memo, QString& error) {
    const std::uint64_t size = table.Size();
    // The header is at most 64 KiB (its size is a 16-bit number).
    const QByteArray head = table.Read(0, 0x10000);
    const auto* d = reinterpret_cast<const std::uint8_t*>(head.constData());
    const auto have = static_cast<std::size_t>(head.size());
    if (have < 32) {
        error = QStringLiteral("Plik tabeli dBase jest za krótki.");
        return nullptr;
    }
    auto t = std::make_unique<TDbfTable>();
    const std::uint8_t version = d[0];
    switch (version) {
    case 0x02: case 0x03: case 0x04: case 0x05: case 0x07: case 0x43: case 0x63: case 0x7B:
    case 0x83: case 0x8B: case 0x8E: case 0xCB: case 0xF5: case 0xFB: case 0x30: case 0x31: case 0x32:
        break;
    default:
        error = QStringLiteral("Plik nie jest tabelą dBase.");
        return nullptr;
    }
    t->VisualFox = version == 0x30 || version == 0x31 || version == 0x32;
    if (version == 0xF5 || version == 0xFB || t->VisualFox) t->Style = TMemoStyle::Fox;
    else if (version == 0x83) t->Style = TMemoStyle::DBase3;
    else if (version == 0x8B || version == 0x8E || version == 0x7B || version == 0xCB) t->Style = TMemoStyle::DBase4;

    const std::uint32_t declared = Le32(d + 4);
    t->HeaderSize = Le16(d + 8);
    t->RecordSize = Le16(d + 10);
    switch (d[29]) {
    case 0x64: case 0x87: case 0x6A: t->Page = TExtCodePage::Cp852; break;
    default: t->Page = TExtCodePage::Win1250; break;
    }
    if (t->HeaderSize < 33 || t->HeaderSize > have || t->RecordSize < 1) {
        error = QStringLiteral("Nagłówek tabeli dBase jest uszkodzony.");
        return nullptr;
    }
    // Field descriptors run up to the terminator or the end of the header.
    int offset = 1;
    for (std::size_t at = 32; at + 32 <= t->HeaderSize && d[at] != 0x0D; at += 32) {
        const std::uint8_t* fd = d + at;
        TExtField f;
        int nameLen = 0;
        while (nameLen < 11 && fd[nameLen] != 0) ++nameLen;
        // Names are in the table's code page, as its text is (ILOŚĆ).
        f.Name = DecodeTableText(reinterpret_cast<const char*>(fd), nameLen, t->Page).trimmed();
        f.Code = static_cast<char>(fd[11]);
        f.Length = fd[16];
        f.Decimals = fd[17];
        // FoxPro and Clipper keep long character fields' high length byte in
        // the decimals.
        if (f.Code == 'C' && f.Decimals > 0 && !t->VisualFox) f.Length += f.Decimals * 256, f.Decimals = 0;
        f.Kind = KindOf(f.Code, f.Decimals, t->VisualFox);
        f.Offset = offset;
        offset += f.Length;
        if (static_cast<std::size_t>(offset) > t->RecordSize) {
            error = QStringLiteral("Opis pól tabeli dBase nie zgadza się z długością rekordu.");
            return nullptr;
        }
        if (f.Code == '0') continue;  // the null flags of Visual FoxPro
        if (f.Name.isEmpty()) f.Name = QStringLiteral("FIELD%1").arg(t->Fields().size() + 1);
        t->FieldList.push_back(f);
    }
    if (t->FieldList.empty()) {
        error = QStringLiteral("Tabela dBase nie ma pól.");
        return nullptr;
    }
    // Only records wholly within the file are read.
    const std::uint64_t fit = (size - t->HeaderSize) / t->RecordSize;
    t->Records = static_cast<std::int64_t>(std::min<std::uint64_t>(declared, fit));
    t->Table = std::move(table);
    t->Memo = std::move(memo);
    // The memo file's block size, from its header.
    if (t->Style == TMemoStyle::Fox) {
        const QByteArray m = t->Memo.ReadExact(0, 8);
        if (m.isNull()) t->Style = TMemoStyle::None;
        else t->MemoBlockSize = std::max<std::uint64_t>(1, (static_cast<std::uint64_t>(static_cast<std::uint8_t>(m[6])) << 8) | static_cast<std::uint8_t>(m[7]));
    } else if (t->Style == TMemoStyle::DBase4) {
        const QByteArray m = t->Memo.ReadExact(0, 22);
        if (!m.isNull()) {
            const std::uint16_t b = Le16(reinterpret_cast<const std::uint8_t*>(m.constData()) + 20);
            if (b >= 64) t->MemoBlockSize = b;
        }
    }
    return t;
}
