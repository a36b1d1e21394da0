// CSV files exported by sales programs and spreadsheets, read as tables.
#include "csvtable.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kSniff = 64 * 1024;         // bytes that decide the text and show binary files
constexpr std::size_t kMaxRecord = 1024 * 1024;   // a longer line is refused, never read whole
constexpr std::size_t kCopyPiece = 1024 * 1024;   // bytes copied aside at once

enum class TSplit { Record, NeedMore, Unterminated, Binary };

struct TSplitOut {
    TSplit Kind = TSplit::Record;
    std::size_t Consumed = 0;   // the record's bytes with its line end
    std::int64_t Lines = 0;     // line breaks consumed
    std::int64_t QuoteLine = -1;  // lines before the quote still open, or -1
};

// Splits the record at the start of p[0, n) into fields. `final`: no byte of
// the file follows p[n - 1]. NeedMore when the record may go on past n.
TSplitOut SplitRecord(const char* p, std::size_t n, bool final, char sep, std::vector<TCsvSpan>& spans) {
    spans.clear();
    std::size_t i = 0;
    std::int64_t lines = 0;
    const auto needMore = [](std::int64_t quoteLine) { return TSplitOut{TSplit::NeedMore, 0, 0, quoteLine}; };
    for (;;) {
        TCsvSpan field{i, i, false};
        if (i < n && p[i] == '"') {
            field.Quoted = true;
            const std::int64_t quoteLine = lines;
            std::size_t j = i + 1;
            for (;;) {
                if (j >= n) return final ? TSplitOut{TSplit::Unterminated, 0, 0, quoteLine} : needMore(quoteLine);
                const char c = p[j];
                // A quote or CR at the end of the bytes is settled by the
                // NeedMore that the rest of the field then meets.
                if (c == '"') {
                    if (j + 1 < n && p[j + 1] == '"') {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                if (c == '\0') return {TSplit::Binary};
                if (c == '\r') {
                    if (j + 1 >= n || p[j + 1] != '\n') ++lines;
                } else if (c == '\n') {
                    ++lines;
                }
                ++j;
            }
            i = j;
        }
        // The field, or what follows its closing quote, up to the separator.
        while (i < n) {
            const char c = p[i];
            if (c == sep || c == '\n' || c == '\r') break;
            if (c == '\0') return {TSplit::Binary};
            ++i;
        }
        field.End = i;
        spans.push_back(field);
        if (i >= n) return final ? TSplitOut{TSplit::Record, i, lines} : needMore(-1);
        if (p[i] == sep) {
            ++i;
            continue;
        }
        if (p[i] == '\r') {
            if (i + 1 >= n && !final) return needMore(-1);
            ++i;
            if (i < n && p[i] == '\n') ++i;
        } else {
            ++i;
        }
        return {TSplit::Record, i, lines + 1};
    }
}

// The separator of the first line that is not blank: the candidate it holds
// most often outside quotes, ties going to the earlier candidate.
char DetectSeparator(const char* p, std::size_t n) {
    static constexpr char kCandidates[] = {';', ',', '\t', '|'};
    int counts[4] = {};
    bool inQuote = false;
    bool content = false;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        if (c == '"') {
            inQuote = !inQuote;
        } else if (!inQuote && (c == '\n' || c == '\r')) {
            if (content) break;
            continue;
        } else if (!inQuote) {
            for (int k = 0; k < 4; ++k)
                if (c == kCandidates[k]) ++counts[k];
        }
        if (c != ' ' && c != '\r' && c != '\n') content = true;
    }
    int best = 0;
    for (int k = 1; k < 4; ++k)
        if (counts[k] > counts[best]) best = k;
    return kCandidates[best];
}

// A first line "sep=X" (as spreadsheets write it): X, and the line's length
// with its line end; 0 when the file does not start so.
char NamedSeparator(const char* p, std::size_t n, std::size_t& lineLength) {
    if (n < 5 || QByteArray::fromRawData(p, 4).compare("sep=", Qt::CaseInsensitive) != 0) return 0;
    const char sep = p[4];
    std::size_t i = 5;
    if (sep == '"' || sep == '\r' || sep == '\n' || sep == '\0') return 0;
    if (i < n && p[i] == '\r') ++i;
    if (i < n && p[i] == '\n') ++i;
    if (i == 5 && i < n) return 0;  // more on the line: a header that happens to start so
    lineLength = i;
    return sep;
}

bool IsBlank(const QString& s) {
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.isSpace() || c.unicode() == 0x1A; });
}

// Control bytes that text files do not hold (tab, line ends, form feed and
// the end-of-file mark of DOS programs excepted).
bool IsBinaryControl(unsigned char b) {
    return (b > 0 && b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1A && b != 0x1B) || b == 0x7F;
}

}  // namespace

struct TCsvTable::TSource {
    int Fd = -1;
    QByteArray Memory;
    std::uint64_t Size = 0;
    struct stat Stat {};
    ~TSource() {
        if (Fd >= 0) ::close(Fd);
    }
    std::size_t ReadAt(std::uint64_t offset, char* out, std::size_t length) const {
        if (Fd < 0) {
            if (offset >= static_cast<std::uint64_t>(Memory.size())) return 0;
            const std::size_t n = std::min<std::uint64_t>(length, static_cast<std::uint64_t>(Memory.size()) - offset);
            std::memcpy(out, Memory.constData() + offset, n);
            return n;
        }
        std::size_t done = 0;
        while (done < length) {
            const ssize_t n = ::pread(Fd, out + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }
};

TCsvTable::TCsvTable() = default;
TCsvTable::~TCsvTable() = default;

bool TCsvTable::OpenSource(const QString& path, QString& error) {
    Shown = QDir::toNativeSeparators(path);
    Source = std::make_unique<TSource>();
    TSource& s = *Source;
    const QByteArray name = QFile::encodeName(path);
    // The kind of file first, following links: opening a named pipe would
    // wait for a writer.
    struct stat named {};
    if (path.isEmpty() || ::stat(name.constData(), &named) != 0) {
        error = QStringLiteral("Nie można otworzyć pliku %1.").arg(Shown);
        return false;
    }
    if (!S_ISREG(named.st_mode)) {
        error = QStringLiteral("Plik %1 nie jest zwykłym plikiem.").arg(Shown);
        return false;
    }
    s.Fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (s.Fd < 0 || ::fstat(s.Fd, &s.Stat) != 0) {
        error = QStringLiteral("Nie można otworzyć pliku %1.").arg(Shown);
        return false;
    }
    if (!S_ISREG(s.Stat.st_mode) || s.Stat.st_dev != named.st_dev || s.Stat.st_ino != named.st_ino) {
        error = QStringLiteral("Plik %1 nie jest zwykłym plikiem.").arg(Shown);
        return false;
    }
    ::posix_fadvise(s.Fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    s.Size = static_cast<std::uint64_t>(s.Stat.st_size);
    return true;
}

std::unique_ptr<TCsvTable> TCsvTable::Open(const QString& path, const TCsvOptions& options, QString& error) {
    std::unique_ptr<TCsvTable> table(new TCsvTable);
    if (!table->OpenSource(path, error) || !table->Start(options, error)) return nullptr;
    return table;
}

std::unique_ptr<TCsvTable> TCsvTable::OpenCopy(const QString& path, const TCsvOptions& options, QString& error) {
    std::unique_ptr<TCsvTable> table(new TCsvTable);
    if (!table->OpenSource(path, error) || !table->CopyAside(error) || !table->Start(options, error)) return nullptr;
    // Every record once, so that a damaged file is known before any of its
    // rows is used; the bytes are only split, not decoded.
    TExtPosition at;
    const char* record = nullptr;
    std::size_t length = 0;
    while (table->Split(at, record, length)) {
    }
    if (at.Cut) {
        error = table->Failure;
        return nullptr;
    }
    return table;
}

bool TCsvTable::CopyAside(QString& error) {
    TSource& s = *Source;
    // Qt gives no temporary folder when TMPDIR names one that does not
    // exist: that one is then the folder that has no room for the copy.
    QString place = QDir::tempPath();
    if (place.isEmpty()) place = qEnvironmentVariable("TMPDIR");
    const QByteArray folder = QFile::encodeName(place);
    // Unnamed, so that nothing is left behind whatever happens; where the
    // file system cannot, a named file removed at once.
    int copy = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (copy < 0 && !folder.isEmpty()) {
        QByteArray pattern = folder + "/prandel-csv-XXXXXX";
        copy = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (copy >= 0) ::unlink(pattern.constData());
    }
    const auto cannotCopy = [&] {
        if (copy >= 0) ::close(copy);
        error = QStringLiteral("Nie można zapisać kopii pliku %1 w katalogu tymczasowym %2.")
                    .arg(Shown, QDir::toNativeSeparators(place));
        return false;
    };
    if (copy < 0) return cannotCopy();
    QByteArray piece(static_cast<qsizetype>(kCopyPiece), Qt::Uninitialized);
    std::uint64_t copied = 0;
    for (;;) {
        const std::size_t got = s.ReadAt(copied, piece.data(), kCopyPiece);
        if (got == 0) break;
        for (std::size_t done = 0; done < got;) {
            const ssize_t n = ::write(copy, piece.constData() + done, got - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return cannotCopy();
            done += static_cast<std::size_t>(n);
        }
        copied += got;
        if (copied > s.Size) break;  // it grows: no need to copy the rest
    }
    // The copy holds the file as it was at opening, or the file changed.
    const bool same = copied == s.Size && Unchanged();
    ::close(s.Fd);
    s.Fd = copy;
    if (!same) {
        error = QStringLiteral("Plik %1 zmienił się w trakcie odczytu.").arg(Shown);
        return false;
    }
    if (::fstat(copy, &s.Stat) != 0) return cannotCopy();
    ::posix_fadvise(copy, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

std::unique_ptr<TCsvTable> TCsvTable::FromBytes(QByteArray bytes, const QString& name, const TCsvOptions& options,
                                                QString& error) {
    std::unique_ptr<TCsvTable> table(new TCsvTable);
    table->Shown = name;
    table->Source = std::make_unique<TSource>();
    table->Source->Memory = std::move(bytes);
    table->Source->Size = static_cast<std::uint64_t>(table->Source->Memory.size());
    if (!table->Start(options, error)) return nullptr;
    return table;
}

bool TCsvTable::Start(const TCsvOptions& options, QString& error) {
    CodePage = options.CodePage;
    Piece = std::clamp<std::size_t>(options.Piece, 1, kMaxRecord);
    const std::uint64_t size = Source->Size;
    if (size == 0) {
        error = QStringLiteral("Plik %1 jest pusty.").arg(Shown);
        return false;
    }
    QByteArray sniff(static_cast<qsizetype>(std::min<std::uint64_t>(size, kSniff)), Qt::Uninitialized);
    if (Source->ReadAt(0, sniff.data(), static_cast<std::size_t>(sniff.size())) != static_cast<std::size_t>(sniff.size())) {
        error = QStringLiteral("Plik %1 zmienił się w trakcie odczytu.").arg(Shown);
        return false;
    }
    if (sniff.startsWith("\xFF\xFE") || sniff.startsWith("\xFE\xFF")) {
        error = QStringLiteral("Plik %1 jest zapisany w kodowaniu UTF-16; zapisz go w UTF-8 lub Windows-1250.").arg(Shown);
        return false;
    }
    std::size_t skip = 0;
    if (sniff.startsWith("\xEF\xBB\xBF")) {
        Rule = TCsvText::Utf8Bom;
        skip = 3;
    }
    const char* text = sniff.constData() + skip;
    const std::size_t length = static_cast<std::size_t>(sniff.size()) - skip;
    std::size_t controls = 0;
    bool zero = false;
    bool high = false;
    for (std::size_t i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        zero = zero || b == 0;
        if (IsBinaryControl(b)) ++controls;
        high = high || b >= 0x80;
    }
    if (zero || controls > length / 100) {
        error = QStringLiteral("Plik %1 nie jest plikiem tekstowym CSV.").arg(Shown);
        return false;
    }
    if (Rule != TCsvText::Utf8Bom && high && !IsValidUtf8(text, static_cast<qsizetype>(length), sniff.size() < static_cast<qsizetype>(size)))
        Rule = TCsvText::CodePage;

    std::size_t sepLine = 0;
    const char named = NamedSeparator(text, length, sepLine);
    const char wanted = options.Separator;
    const bool usable = wanted != 0 && wanted != '"' && wanted != '\r' && wanted != '\n';
    Sep = usable ? wanted : named ? named : DetectSeparator(text + sepLine, length - sepLine);

    // The header: the first line that is not blank.
    DataStart = skip + sepLine;
    HeaderLines = sepLine > 0 ? 1 : 0;
    TExtPosition at;
    std::vector<QString> header;
    if (!ReadRecord(at, header, 0)) {
        error = at.Cut ? Failure : QStringLiteral("Plik %1 jest pusty.").arg(Shown);
        return false;
    }
    while (!header.empty() && header.back().trimmed().isEmpty()) header.pop_back();
    for (qsizetype i = 0; i < static_cast<qsizetype>(header.size()); ++i) {
        const QString name = header[static_cast<std::size_t>(i)].trimmed();
        Names << name;
        Folded << FoldColumnName(name);
        TExtField f;
        f.Name = name.isEmpty() ? QStringLiteral("FIELD%1").arg(i + 1) : name;
        f.Kind = TExtKind::Text;
        f.Offset = static_cast<int>(i);
        FieldList.push_back(f);
    }
    DataStart = at.Major;
    HeaderLines = at.Minor;
    return true;
}

int TCsvTable::ColumnOf(const QString& name) const {
    return static_cast<int>(Folded.indexOf(FoldColumnName(name)));
}

std::int64_t TCsvTable::RecordCount() const {
    return static_cast<std::int64_t>(std::min<std::uint64_t>(Source->Size / 2 + 1, std::numeric_limits<std::int64_t>::max()));
}

bool TCsvTable::Fill(TByteWindow& window, std::uint64_t offset, std::size_t want) const {
    const std::size_t expected = static_cast<std::size_t>(std::min<std::uint64_t>(want, Source->Size - offset));
    window.At = offset;
    window.Bytes.resize(static_cast<qsizetype>(expected));
    const std::size_t got = Source->ReadAt(offset, window.Bytes.data(), expected);
    window.Bytes.resize(static_cast<qsizetype>(got));
    return got == expected;  // fewer: the file was shortened
}

bool TCsvTable::Fail(TExtPosition& at, const QString& message) const {
    Failure = message;
    at.Cut = true;
    return false;
}

bool TCsvTable::Unchanged() const {
    if (Source->Fd < 0) return true;
    struct stat now {};
    if (::fstat(Source->Fd, &now) != 0) return false;
    return static_cast<std::uint64_t>(now.st_size) == Source->Size && now.st_mtim.tv_sec == Source->Stat.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == Source->Stat.st_mtim.tv_nsec;
}

bool TCsvTable::Split(TExtPosition& at, const char*& record, std::size_t& length) const {
    if (at.Major == 0) {
        at.Major = static_cast<std::int64_t>(DataStart);
        at.Minor = HeaderLines;
    }
    const std::uint64_t offset = static_cast<std::uint64_t>(at.Major);
    TByteWindow& w = at.Window;
    if (offset >= Source->Size) {
        if (!Unchanged()) return Fail(at, QStringLiteral("Plik %1 zmienił się w trakcie odczytu.").arg(Shown));
        return false;
    }
    std::size_t want = Piece;
    for (;;) {
        const std::uint64_t held = static_cast<std::uint64_t>(w.Bytes.size());
        if (offset < w.At || offset - w.At >= held) {
            if (!Fill(w, offset, want)) return Fail(at, QStringLiteral("Plik %1 zmienił się w trakcie odczytu.").arg(Shown));
        }
        const std::size_t from = static_cast<std::size_t>(offset - w.At);
        const std::size_t avail = static_cast<std::size_t>(w.Bytes.size()) - from;
        const std::size_t n = std::min(avail, kMaxRecord + 1);
        const bool final = n == avail && w.At + static_cast<std::uint64_t>(w.Bytes.size()) >= Source->Size;
        const char* p = w.Bytes.constData() + from;
        const TSplitOut out = SplitRecord(p, n, final, Sep, Spans);
        const std::int64_t line = at.Minor + 1;
        switch (out.Kind) {
        case TSplit::Record:
            record = p;
            length = out.Consumed;
            at.Major += static_cast<std::int64_t>(out.Consumed);
            at.Minor += out.Lines;
            return true;
        case TSplit::Binary:
            return Fail(at, QStringLiteral("Plik %1 nie jest plikiem tekstowym CSV.").arg(Shown));
        case TSplit::Unterminated:
            return Fail(at, QStringLiteral("Niezamknięty cudzysłów w wierszu %2 pliku %1.").arg(Shown).arg(line + out.QuoteLine));
        case TSplit::NeedMore:
            if (n > kMaxRecord) {
                if (out.QuoteLine >= 0)
                    return Fail(at, QStringLiteral("Niezamknięty cudzysłów w wierszu %2 pliku %1.").arg(Shown).arg(line + out.QuoteLine));
                return Fail(at, QStringLiteral("Wiersz %2 pliku %1 jest dłuższy niż 1 MB.").arg(Shown).arg(line));
            }
            // The record goes on past the window: read again from its start,
            // more at once.
            want = std::min(std::max(avail * 2, Piece), kMaxRecord + Piece);
            w.Bytes.clear();
            break;
        }
    }
}

void TCsvTable::Decode(const char* record, std::size_t length, std::size_t columns, std::vector<QString>& row) const {
    enum { Ascii, Utf8, Page } how = Page;
    if (Rule == TCsvText::Utf8Bom) {
        how = Utf8;
    } else if (Rule == TCsvText::Detected) {
        const bool high = std::any_of(record, record + length, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        how = !high ? Ascii : IsValidUtf8(record, static_cast<qsizetype>(length)) ? Utf8 : Page;
    }
    const std::size_t count = columns == 0 ? Spans.size() : columns;
    row.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        if (k >= Spans.size()) {
            row[k].clear();
            continue;
        }
        const TCsvSpan& f = Spans[k];
        const char* p = record + f.Begin;
        qsizetype n = static_cast<qsizetype>(f.End - f.Begin);
        if (f.Quoted) {
            // Without its quotes, each doubled quote as one; whatever follows
            // the closing quote stays.
            Scratch.clear();
            qsizetype j = 1;
            for (; j < n; ++j) {
                if (p[j] != '"') {
                    Scratch += p[j];
                } else if (j + 1 < n && p[j + 1] == '"') {
                    Scratch += '"';
                    ++j;
                } else {
                    ++j;
                    break;
                }
            }
            Scratch.append(p + j, n - j);
            p = Scratch.constData();
            n = Scratch.size();
        }
        switch (how) {
        case Ascii: row[k] = QString::fromLatin1(p, n); break;
        case Utf8: row[k] = QString::fromUtf8(p, n); break;
        case Page: row[k] = DecodeCsvBytes(p, n, CodePage); break;
        }
    }
}

bool TCsvTable::ReadRecord(TExtPosition& at, std::vector<QString>& row, std::size_t columns) const {
    at.Cut = false;
    const char* record = nullptr;
    std::size_t length = 0;
    while (Split(at, record, length)) {
        Decode(record, length, columns, row);
        if (!std::all_of(row.begin(), row.end(), IsBlank)) return true;
    }
    return false;
}

bool TCsvTable::NextText(TExtPosition& at, std::vector<QString>& row) const {
    return ReadRecord(at, row, FieldList.size());
}

bool TCsvTable::NextAt(TExtPosition& at, std::vector<QVariant>& row) const {
    if (!ReadRecord(at, TextRow, FieldList.size())) return false;
    row.assign(TextRow.size(), QVariant());
    for (std::size_t k = 0; k < TextRow.size(); ++k)
        if (!TextRow[k].isEmpty()) row[k] = std::move(TextRow[k]);
    return true;
}
