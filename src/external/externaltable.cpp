#include "externaltable.h"

#include "codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <iconv.h>
#include <mutex>

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

bool TFileBytes::Load(const QString& path, QString& error) {
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Nie można otworzyć pliku %1.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    const qint64 size = file->size();
    Holder.reset();
    Owned.clear();
    Begin = nullptr;
    Length = 0;
    if (size == 0) return true;
    // Mapped, so a large table is paged in as it is read rather than copied.
    if (uchar* p = file->map(0, size)) {
        Begin = p;
        Length = static_cast<std::size_t>(size);
        Holder = file;
        return true;
    }
    Owned = file->readAll();
    if (Owned.size() != size) {
        error = QStringLiteral("Nie można odczytać pliku %1.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    Begin = reinterpret_cast<const std::uint8_t*>(Owned.constData());
    Length = static_cast<std::size_t>(Owned.size());
    return true;
}

void TFileBytes::Assign(QByteArray bytes) {
    Holder.reset();
    Owned = std::move(bytes);
    Begin = reinterpret_cast<const std::uint8_t*>(Owned.constData());
    Length = static_cast<std::size_t>(Owned.size());
}

std::unique_ptr<TExtTable> OpenExtTable(const QString& path, QString& error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
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
