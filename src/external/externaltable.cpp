#include "externaltable.h"

#include "codepage.h"
#include "csvtable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The upper half of code page 852, taken from the system's converter once.
const std::array<char16_t, 128>& Cp852Table() {
    static std::array<char16_t, 128> table{};
    static std::once_flag once;
    std::call_once(once, [] {
        iconv_t cd = iconv_open("UTF-16LE", "CP852");
        for (int i = 0; i < 128; ++i) {
            table[i] = u'?';
            if (cd == reinterpret_cast<iconv_t>(-1)) continue;
            char in = static_cast<char>(0x80 + i);
            char out[4] = {};
            char* ip = &in;
            char* op = out;
            size_t il = 1, ol = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && ol == 2)
                table[i] = static_cast<char16_t>(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
        }
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    });
    return table;
}

// A file beside `path` with the same base name and one of the extensions, in
// any case.
QString Companion(const QString& path, const QStringList& extensions) {
    const QFileInfo info(path);
    const QDir dir = info.dir();
    const QString base = info.completeBaseName();
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& ext : extensions)
        for (const QString& e : entries)
            if (e.compare(base + u'.' + ext, Qt::CaseInsensitive) == 0) return dir.filePath(e);
    return {};
}

}  // namespace

QString DecodeTableText(const char* data, int size, TExtCodePage codePage) {
    if (size <= 0) return {};
    if (codePage == TExtCodePage::Cp852) {
        const auto& table = Cp852Table();
        QString s(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(data[i]);
            s[i] = b < 0x80 ? QChar(b) : QChar(table[b - 0x80]);
        }
        return s;
    }
    return FromWin1250(QByteArray::fromRawData(data, size));
}

namespace {

// Each byte of a code page as UTF-8, as DecodeTableText reads it.
struct TUtf8Bytes {
    std::array<std::array<char, 4>, 256> Bytes{};
    std::array<std::uint8_t, 256> Length{};
    explicit TUtf8Bytes(TExtCodePage page) {
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            const QByteArray u = DecodeTableText(&c, 1, page).toUtf8();
            Length[b] = static_cast<std::uint8_t>(std::min<qsizetype>(u.size(), 4));
            std::copy_n(u.constData(), Length[b], Bytes[b].begin());
        }
    }
};

}  // namespace

void TableTextUtf8(const char* data, int size, TExtCodePage codePage, QByteArray& utf8) {
    static const TUtf8Bytes win1250(TExtCodePage::Win1250), cp852(TExtCodePage::Cp852);
    const TUtf8Bytes& table = codePage == TExtCodePage::Cp852 ? cp852 : win1250;
    utf8.resize(qsizetype{size} * 3);
    char* out = utf8.data();
    for (int i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            continue;
        }
        for (int k = 0; k < table.Length[b]; ++k) *out++ = table.Bytes[b][static_cast<std::size_t>(k)];
    }
    utf8.resize(out - utf8.constData());
}

bool TFileBytes::Load(const QString& path, QString& error) {
    Handle.reset();
    Owned.clear();
    Length = 0;
    const QByteArray name = QFile::encodeName(path);
    // Only a regular file is opened, also behind a link: opening a FIFO
    // waits for a writer that never comes. The type is checked before
    // opening, and the open does not wait, for a name that changes meanwhile.
    struct stat st {};
    int fd = -1;
    if (::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode))
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) ::close(fd);
        error = QStringLiteral("Nie można otworzyć pliku %1.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // Read, never mapped: a mapped file that shrinks under us ends the
    // program with a bus error at the first page past its new end.
    Handle = std::shared_ptr<const int>(new int(fd), [](const int* p) {
        ::close(*p);
        delete p;
    });
    Length = static_cast<std::uint64_t>(st.st_size);
    return true;
}

void TFileBytes::Assign(QByteArray bytes) {
    Handle.reset();
    Owned = std::move(bytes);
    Length = static_cast<std::uint64_t>(Owned.size());
}

std::size_t TFileBytes::ReadAt(std::uint64_t offset, void* out, std::size_t length) const {
    if (!Handle) {
        if (offset >= static_cast<std::uint64_t>(Owned.size())) return 0;
        const std::size_t n = std::min<std::uint64_t>(length, static_cast<std::uint64_t>(Owned.size()) - offset);
        std::memcpy(out, Owned.constData() + offset, n);
        return n;
    }
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return 0;
    auto* p = static_cast<char*>(out);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(*Handle, p + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the end of the file, or it cannot be read any more
        done += static_cast<std::size_t>(n);
    }
    return done;
}

QByteArray TFileBytes::Read(std::uint64_t offset, std::size_t length) const {
    if (offset >= Length) return QByteArray();
    length = std::min<std::uint64_t>(length, Length - offset);
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    bytes.resize(static_cast<qsizetype>(ReadAt(offset, bytes.data(), length)));
    return bytes;
}

QByteArray TFileBytes::ReadExact(std::uint64_t offset, std::size_t length) const {
    QByteArray bytes = Read(offset, length);
    return static_cast<std::size_t>(bytes.size()) == length ? bytes : QByteArray();
}

const std::uint8_t* TFileBytes::View(TByteWindow& window, std::uint64_t offset, std::size_t length, std::size_t ahead) const {
    if (!Handle) {
        // Bytes in memory cannot change under us.
        if (offset > static_cast<std::uint64_t>(Owned.size()) || static_cast<std::uint64_t>(Owned.size()) - offset < length) return nullptr;
        return reinterpret_cast<const std::uint8_t*>(Owned.constData()) + offset;
    }
    const auto held = static_cast<std::uint64_t>(window.Bytes.size());
    if (offset < window.At || offset - window.At > held || held - (offset - window.At) < length) {
        window.At = offset;
        window.Bytes.resize(static_cast<qsizetype>(std::max(ahead, length)));
        window.Bytes.resize(static_cast<qsizetype>(ReadAt(offset, window.Bytes.data(), window.Bytes.size())));
        if (static_cast<std::size_t>(window.Bytes.size()) < length) return nullptr;
    }
    return reinterpret_cast<const std::uint8_t*>(window.Bytes.constData()) + (offset - window.At);
}

std::unique_ptr<TExtTable> OpenExtTable(const QString& path, QString& error) { return OpenExtTable(path, TCsvOptions(), error); }

std::unique_ptr<TExtTable> OpenExtTable(const QString& path, const TCsvOptions& csv, QString& error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    // A CSV file is read front to back, never whole: copied aside and checked
    // once, then walked by the query from the copy.
    if (suffix == QLatin1String("csv")) return TCsvTable::OpenCopy(path, csv, error);
    TFileBytes table;
    if (!table.Load(path, error)) return nullptr;
    TFileBytes memo;
    if (suffix == QLatin1String("db")) {
        const QString mb = Companion(path, {QStringLiteral("mb")});
        QString ignored;
        // A memo file that cannot be read leaves the memo values empty.
        if (!mb.isEmpty() && !memo.Load(mb, ignored)) memo = TFileBytes();
        return ReadParadoxTable(std::move(table), std::move(memo), error);
    }
    if (suffix == QLatin1String("dbf")) {
        const QString m = Companion(path, {QStringLiteral("fpt"), QStringLiteral("dbt")});
        QString ignored;
        if (!m.isEmpty() && !memo.Load(m, ignored)) memo = TFileBytes();
        return ReadDbfTable(std::move(table), std::move(memo), error);
    }
    error = QStringLiteral("Nieznany rodzaj tabeli: %1.").arg(QDir::toNativeSeparators(path));
    return nullptr;
}
