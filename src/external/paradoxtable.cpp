// Paradox tables (.db, versions 3 to 7) with their memo files (.mb).
#include "externaltable.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstring>
#include <vector>

namespace {

constexpr int kMaxMemo = 1 << 20;
constexpr std::int64_t kJulianDayOfYearOne = 1721425;  // day 1 is 1 January of year 1

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool AllZero(const std::uint8_t* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i]) return false;
    return true;
}

// Integers are stored big-endian with the sign bit flipped, so that they sort
// as bytes.
std::int64_t FlippedInt(const std::uint8_t* p, int n) {
    if (n < 1 || n > 8) return 0;
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    v ^= 1ULL << (n * 8 - 1);
    if (n < 8 && (v & (1ULL << (n * 8 - 1)))) v |= ~0ULL << (n * 8);  // sign extension
    return static_cast<std::int64_t>(v);
}

// Doubles likewise: positive ones with the sign bit flipped, negative ones
// with every bit flipped.
double FlippedDouble(const std::uint8_t* p) {
    std::uint8_t b[8];
    std::memcpy(b, p, 8);
    if (b[0] & 0x80) b[0] &= 0x7F;
    else
        for (auto& x : b) x = static_cast<std::uint8_t>(~x);
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | b[i];
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

QDate DateOfDay(std::int64_t day) {
    if (day <= 0 || day > 3652059) return {};  // up to 31 December 9999
    return QDate::fromJulianDay(day + kJulianDayOfYearOne);
}

class TParadoxTable final : public TExtTable {
public:
    using TExtTable::FieldList;
    using TExtTable::Page;

    TFileBytes Table;
    TFileBytes Memo;
    std::size_t HeaderSize = 0;
    std::size_t RecordSize = 0;
    std::size_t BlockSize = 0;
    std::int64_t Declared = 0;
    std::vector<std::uint16_t> Blocks;  // the data blocks in their chain order
    bool ChainCut = false;  // the chain goes on past the file's end

    std::int64_t RecordCount() const override { return Declared; }

    // The records in a data block, by its header.
    int RecordsIn(const std::uint8_t* b) const {
        const auto add = static_cast<std::int16_t>(Le16(b + 4));
        if (add < 0) return 0;
        const std::size_t n = static_cast<std::size_t>(add) / RecordSize + 1;
        // Never past the block's end.
        return static_cast<int>(std::min(n, (BlockSize - 6) / RecordSize));
    }

    bool NextAt(TExtPosition& at, std::vector<QVariant>& row) const override {
        while (at.Major >= 0 && static_cast<std::uint64_t>(at.Major) < Blocks.size()) {
            const std::uint16_t block = Blocks[static_cast<std::size_t>(at.Major)];
            const std::uint64_t start = HeaderSize + (block - 1) * std::uint64_t(BlockSize);
            // The last block may end early: its records wholly within the file
            // are read, a record that runs past the file's end is damage.
            const auto have = static_cast<std::size_t>(std::min<std::uint64_t>(BlockSize, Table.Size() - start));
            if (have < 6) {
                at.Damaged = true;
                ++at.Major;
                continue;
            }
            // One read per block.
            const std::uint8_t* b = Table.View(at.Window, start, have, BlockSize);
            if (!b) {
                // The block was there at opening: the file was shortened since.
                at.Cut = true;
                return false;
            }
            if (at.Minor < 0 || at.Minor >= RecordsIn(b)) {
                ++at.Major;
                at.Minor = 0;
                continue;
            }
            const std::size_t offset = 6 + static_cast<std::size_t>(at.Minor) * RecordSize;
            if (offset + RecordSize > have) {
                at.Damaged = true;
                ++at.Major;
                at.Minor = 0;
                continue;
            }
            const std::uint8_t* rec = b + offset;
            ++at.Minor;
            row.assign(FieldList.size(), QVariant());
            for (std::size_t i = 0; i < FieldList.size(); ++i) row[i] = Value(FieldList[i], rec + FieldList[i].Offset);
            return true;
        }
        // A chain that leads to a block past the file's end lost its records.
        if (ChainCut) at.Damaged = true;
        return false;
    }

    QVariant Value(const TExtField& f, const std::uint8_t* p) const {
        const int n = f.Length;
        switch (static_cast<std::uint8_t>(f.Code)) {
        case 0x01: {  // alpha
            int len = 0;
            while (len < n && p[len]) ++len;
            while (len > 0 && p[len - 1] == ' ') --len;
            if (len == 0) return {};
            return DecodeTableText(reinterpret_cast<const char*>(p), len, Page);
        }
        case 0x02: {  // date
            if (AllZero(p, 4)) return {};
            const QDate d = DateOfDay(FlippedInt(p, 4));
            return d.isValid() ? QVariant(d) : QVariant();
        }
        case 0x03:  // short
        case 0x04:  // long
        case 0x16:  // autoincrement
            if (AllZero(p, n)) return {};
            return static_cast<qint64>(FlippedInt(p, n));
        case 0x05:  // money
        case 0x06:  // number
            if (AllZero(p, 8)) return {};
            return FlippedDouble(p);
        case 0x09:  // logical
            if (p[0] == 0) return {};
            return (p[0] & 0x7F) != 0;
        case 0x14: {  // time: milliseconds since midnight
            if (AllZero(p, 4)) return {};
            const std::int64_t ms = FlippedInt(p, 4);
            if (ms < 0 || ms >= 86400000) return {};
            return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
        }
        case 0x15: {  // timestamp: milliseconds since the start of year 1, less a day
            if (AllZero(p, 8)) return {};
            const double ms = FlippedDouble(p);
            if (!(ms > 0) || ms > 4e14) return {};
            const auto whole = static_cast<std::int64_t>(ms);
            const QDate d = DateOfDay(whole / 86400000);
            if (!d.isValid()) return {};
            return QDateTime(d, QTime::fromMSecsSinceStartOfDay(static_cast<int>(whole % 86400000)));
        }
        case 0x17:  // BCD
            return Bcd(p, f.Decimals);
        case 0x0C:  // memo
        case 0x0E:  // formatted memo
        case 0x0D:  // binary
        case 0x0F:  // OLE
        case 0x10:  // graphic
            return Blob(f, p);
        case 0x18:  // bytes
            if (AllZero(p, n)) return {};
            return QByteArray(reinterpret_cast<const char*>(p), n);
        default:
            return {};
        }
    }

    // 32 decimal digits in the nibbles after the sign byte, the last
    // `decimals` of them after the point; a negative number has its nibbles
    // complemented. Paradox fills the digits past a value's precision with
    // noise of its own conversion, not always decimal digits: in the fraction
    // such a nibble ends the value, and a number with a fraction keeps the 15
    // significant digits that it surely holds.
    static QVariant Bcd(const std::uint8_t* p, int decimals) {
        if (AllZero(p, 17)) return {};
        const bool negative = !(p[0] & 0x80);
        const int mask = negative ? 0x0F : 0;
        decimals = std::clamp(decimals, 0, 32);
        QByteArray text;
        if (negative) text += '-';
        bool leading = true;
        for (int i = 2; i < 34; ++i) {
            const bool fraction = i >= 34 - decimals;
            if (i == 34 - decimals) {
                if (leading) text += '0';
                leading = false;
                text += '.';
            }
            int nibble = (i % 2 == 0 ? p[i / 2] >> 4 : p[i / 2]) & 0x0F;
            nibble ^= mask;
            if (nibble > 9) {
                if (fraction) break;
                return {};
            }
            if (leading && nibble == 0) continue;
            leading = false;
            text += static_cast<char>('0' + nibble);
        }
        if (leading) text += '0';
        bool ok = false;
        if (decimals == 0) {
            const qint64 whole = text.toLongLong(&ok);
            if (ok) return whole;
        }
        const double d = text.toDouble(&ok);
        if (!ok) return {};
        return decimals == 0 ? d : QByteArray::number(d, 'g', 15).toDouble();
    }

    // A memo or binary value: the record holds its first bytes, then the
    // place and length of the whole value in the memo file.
    QVariant Blob(const TExtField& f, const std::uint8_t* p) const {
        const int leader = f.Length - 10;
        if (leader < 0) return {};
        const std::uint32_t offset = Le32(p + leader);
        const std::uint32_t length = std::min<std::uint32_t>(Le32(p + leader + 4), kMaxMemo);
        const bool text = f.Code == 0x0C || f.Code == 0x0E;
        const bool formatted = f.Code == 0x0E;
        if (length == 0) return {};
        if (length <= static_cast<std::uint32_t>(leader))
            return Result(QByteArray(reinterpret_cast<const char*>(p), static_cast<qsizetype>(length)), text, formatted);
        if (Memo.Empty()) return {};
        const std::uint64_t size = Memo.Size();
        const std::uint64_t blockAt = offset & 0xFFFFFF00u;
        const unsigned index = offset & 0xFFu;
        if (blockAt == 0 || blockAt >= size) return {};
        const QByteArray kind = Memo.ReadExact(blockAt, 1);
        if (kind.isNull()) return {};
        if (index == 0xFF) {
            // A block of its own: 9 bytes of header before the data.
            if (size - blockAt < 9 || kind[0] != 2) return {};
            const std::uint64_t len = std::min<std::uint64_t>(length, size - blockAt - 9);
            return Result(Memo.ReadExact(blockAt + 9, len), text, formatted);
        }
        // A shared block: a table of 5-byte entries after 12 bytes of header.
        const std::uint64_t entry = blockAt + 12 + index * 5ull;
        if (kind[0] != 3 || entry + 5 > size) return {};
        const QByteArray slot = Memo.ReadExact(entry, 1);
        if (slot.isNull()) return {};
        const auto sixteens = static_cast<std::uint8_t>(slot[0]);
        const std::uint64_t dataAt = blockAt + sixteens * 16ull;
        if (sixteens == 0 || dataAt >= size) return {};
        const std::uint64_t len = std::min<std::uint64_t>(length, size - dataAt);
        return Result(Memo.ReadExact(dataAt, len), text, formatted);
    }

    // A formatted memo holds its plain text between a head of 44 bytes (a
    // small kind number, then the text's length, both little-endian) and the
    // formatting that follows it. A value without that head (text written by
    // other programs, such as RTF) is taken whole.
    static QByteArray FormattedMemoText(const QByteArray& bytes) {
        constexpr qsizetype kHead = 44;
        if (bytes.size() < kHead) return bytes;
        const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        const std::uint32_t kind = Le32(p);
        const std::uint32_t length = Le32(p + 4);
        if (kind > 0xFF || length > static_cast<std::uint64_t>(bytes.size() - kHead)) return bytes;
        return bytes.mid(kHead, length);
    }

    QVariant Result(const QByteArray& value, bool text, bool formatted = false) const {
        const QByteArray bytes = formatted ? FormattedMemoText(value) : value;
        if (bytes.isEmpty()) return {};
        if (text) {
            auto len = static_cast<int>(bytes.size());
            while (len > 0 && bytes[len - 1] == 0) --len;
            if (len == 0) return {};
            return DecodeTableText(bytes.constData(), len, Page);
        }
        return bytes;
    }
};

// The size a field of fixed size must have; 0 for fields of any size.
int FixedSize(std::uint8_t code) {
    switch (code) {
    case 0x09: return 1;
    case 0x03: return 2;
    case 0x02: case 0x04: case 0x14: case 0x16: return 4;
    case 0x05: case 0x06: case 0x15: return 8;
    case 0x17: return 17;
    default: return 0;
    }
}

TExtKind KindOf(std::uint8_t code, int decimals) {
    switch (code) {
    case 0x02: return TExtKind::Date;
    case 0x03: case 0x04: case 0x16: return TExtKind::Integer;
    case 0x05: case 0x06: return TExtKind::Real;
    case 0x09: return TExtKind::Boolean;
    case 0x14: return TExtKind::Time;
    case 0x15: return TExtKind::DateTime;
    case 0x17: return decimals > 0 ? TExtKind::Real : TExtKind::Integer;
    case 0x0D: case 0x0F: case 0x10: case 0x18: return TExtKind::Blob;
    default: return TExtKind::Text;
    }
}

}  // namespace

std::unique_ptr<TExtTable> ReadParadoxTable(TFileBytes table, TFileBytes memo, QString& error) {
    const std::uint64_t size = table.Size();
    // The header is at most 64 KiB (its size is a 16-bit number).
    const QByteArray head = table.Read(0, 0x10000);
    const auto* d = reinterpret_cast<const std::uint8_t*>(head.constData());
    const auto have = static_cast<std::size_t>(head.size());
    auto fail = [&](const QString& text) {
        error = text;
        return std::unique_ptr<TExtTable>();
    };
    if (have < 0x58) return fail(QStringLiteral("Plik tabeli Paradox jest za krótki."));
    auto t = std::make_unique<TParadoxTable>();
    t->RecordSize = Le16(d + 0x00);
    t->HeaderSize = Le16(d + 0x02);
    const std::uint8_t fileType = d[0x04];
    const std::uint8_t blockKb = d[0x05];
    t->Declared = Le32(d + 0x06);
    const std::uint16_t firstBlock = Le16(d + 0x0E);
    const std::uint16_t fieldCount = Le16(d + 0x21);
    const std::uint8_t version = d[0x39];
    if (fileType != 0 && fileType != 2) return fail(QStringLiteral("Plik nie jest tabelą Paradox."));
    if (version < 3 || version > 12) return fail(QStringLiteral("Nieznana wersja tabeli Paradox."));
    // Version 4 and later mark the first key word with FF00FF00 and keep the
    // real one further on.
    const std::uint32_t key1 = Le32(d + 0x25);
    const bool keyLater = key1 == 0xFF00FF00u;
    if ((key1 != 0 && !keyLater) || (keyLater && (have < 0x60 || Le32(d + 0x5C) != 0)))
        return fail(QStringLiteral("Tabela Paradox jest zaszyfrowana."));
    if (blockKb < 1 || blockKb > 32) return fail(QStringLiteral("Nagłówek tabeli Paradox jest uszkodzony."));
    t->BlockSize = blockKb * 1024u;
    if (t->HeaderSize < 0x58 || t->HeaderSize > have || t->RecordSize == 0 || t->RecordSize > t->BlockSize - 6 ||
        fieldCount == 0)
        return fail(QStringLiteral("Nagłówek tabeli Paradox jest uszkodzony."));
    // Version 4 and later carry an extended header with the code page.
    const bool extended = version >= 5;
    const std::size_t infoAt = extended ? 0x78 : 0x58;
    if (extended && t->HeaderSize >= 0x6C && Le16(d + 0x6A) == 852) t->Page = TExtCodePage::Cp852;
    const std::size_t namesAt = infoAt + fieldCount * 2u + 4 + fieldCount * 4u + (version >= 12 ? 261 : 79);
    if (infoAt + fieldCount * 2u > t->HeaderSize) return fail(QStringLiteral("Opis pól tabeli Paradox jest uszkodzony."));

    std::size_t nameAt = namesAt;
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        TExtField f;
        f.Code = static_cast<char>(d[infoAt + i * 2]);
        const int declaredSize = d[infoAt + i * 2 + 1];
        f.Length = declaredSize;
        if (static_cast<std::uint8_t>(f.Code) == 0x17) {
            // The size of a BCD field is its number of decimals.
            f.Decimals = declaredSize;
            f.Length = 17;
        }
        f.Kind = KindOf(static_cast<std::uint8_t>(f.Code), f.Decimals);
        f.Offset = offset;
        offset += f.Length;
        const int fixed = FixedSize(static_cast<std::uint8_t>(f.Code));
        const bool blob = f.Code >= 0x0C && f.Code <= 0x10;
        if (f.Length == 0 || (fixed && f.Length != fixed) || (blob && f.Length < 10) ||
            static_cast<std::size_t>(offset) > t->RecordSize)
            return fail(QStringLiteral("Opis pól tabeli Paradox nie zgadza się z długością rekordu."));
        // Names follow one after another, each ending with a zero byte.
        QString name;
        if (nameAt < t->HeaderSize) {
            std::size_t end = nameAt;
            while (end < t->HeaderSize && d[end]) ++end;
            name = DecodeTableText(reinterpret_cast<const char*>(d + nameAt), static_cast<int>(end - nameAt), t->Page).trimmed();
            nameAt = end + 1;
        }
        f.Name = name.isEmpty() ? QStringLiteral("FIELD%1").arg(i + 1) : name;
        t->FieldList.push_back(f);
    }
    // The data blocks in chain order, each started within the file (the last
    // may end early); a chain that loops ends, one that leads past the file's
    // end is damage.
    const std::uint64_t started = (size - t->HeaderSize + t->BlockSize - 1) / t->BlockSize;
    std::vector<bool> seen(static_cast<std::size_t>(std::min<std::uint64_t>(started, 0xFFFF)) + 1, false);
    std::uint16_t b = firstBlock;
    while (b != 0 && b <= started && !seen[b]) {
        seen[b] = true;
        t->Blocks.push_back(b);
        std::uint8_t next[2];
        if (table.ReadAt(t->HeaderSize + (b - 1) * std::uint64_t(t->BlockSize), next, 2) != 2) break;
        b = Le16(next);
    }
    t->ChainCut = b > started && t->Declared > 0;
    t->Table = std::move(table);
    t->Memo = std::move(memo);
    return t;
}
