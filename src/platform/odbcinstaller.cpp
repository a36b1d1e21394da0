#include "odbcinstaller.h"

#include <QByteArray>
#include <QFileInfo>
#include <dlfcn.h>
#include <link.h>
#include <odbcinst.h>

#ifndef PRANDEL_ODBC_DRIVER_DIR
#define PRANDEL_ODBC_DRIVER_DIR "/usr/lib/x86_64-linux-gnu/odbc"
#endif

namespace OdbcInstaller {
namespace {

constexpr char kUserFile[] = "ODBC.INI";
constexpr char kDriverFile[] = "ODBCINST.INI";
constexpr int kBufferSize = 65536;

// Every call on the user's data sources runs in user mode and leaves the
// installer in its default mode afterwards, whatever it did.
class UserMode {
public:
    UserMode() { SQLSetConfigMode(ODBC_USER_DSN); }
    ~UserMode() { SQLSetConfigMode(ODBC_BOTH_DSN); }
    UserMode(const UserMode&) = delete;
    UserMode& operator=(const UserMode&) = delete;
};

// A list of names separated by NUL characters, as the installer returns them.
QStringList SplitNulList(const QByteArray& buffer, int length) {
    QStringList out;
    int start = 0;
    for (int i = 0; i < length; ++i) {
        if (buffer[i] != '\0') continue;
        if (i > start) out << QString::fromUtf8(buffer.constData() + start, i - start);
        start = i + 1;
    }
    if (length > start) out << QString::fromUtf8(buffer.constData() + start, length - start);
    return out;
}

QString ReadProfile(const char* section, const char* key, const char* file, bool listing, QStringList* list) {
    QByteArray buffer(kBufferSize, '\0');
    const int n = SQLGetPrivateProfileString(section, key, "", buffer.data(), kBufferSize, file);
    if (n <= 0) return {};
    if (listing) {
        if (list) *list = SplitNulList(buffer, n);
        return {};
    }
    return QString::fromUtf8(buffer.constData(), qstrnlen(buffer.constData(), n));
}

// The full path of the library when it loads, else an empty text.
QString TryLoad(const QByteArray& file) {
    void* handle = dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return {};
    QString path;
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && map->l_name[0] == '/')
        path = QFileInfo(QFile::decodeName(map->l_name)).absoluteFilePath();
    else if (file.startsWith('/'))
        path = QFile::decodeName(file);
    dlclose(handle);
    return path;
}

}  // namespace

bool InstalledDrivers(QStringList& names) {
    names.clear();
    QByteArray buffer(kBufferSize, '\0');
    WORD used = 0;
    if (!SQLGetInstalledDrivers(buffer.data(), kBufferSize - 1, &used)) return false;
    // The names end with an empty one; the count in `used` differs between
    // versions of the installer, so the list is walked instead.
    int pos = 0;
    while (pos < kBufferSize - 1 && buffer[pos] != '\0') {
        while (pos < kBufferSize - 1 && buffer[pos] != '\0') ++pos;
        ++pos;
    }
    names = SplitNulList(buffer, pos);
    return true;
}

QString DriverValue(const QString& driver, const QString& key, bool* found) {
    const QByteArray section = driver.toUtf8();
    if (found) {
        QStringList sections;
        ReadProfile(nullptr, nullptr, kDriverFile, true, &sections);
        *found = false;
        for (const QString& s : sections)
            if (s.compare(driver, Qt::CaseInsensitive) == 0) *found = true;
        if (!*found) return {};
    }
    return ReadProfile(section.constData(), key.toUtf8().constData(), kDriverFile, false, nullptr);
}

bool RemoveUserDsn(const QString& dsn) {
    UserMode mode;
    const QByteArray section = dsn.toUtf8();
    return SQLWritePrivateProfileString(section.constData(), nullptr, nullptr, kUserFile);
}

bool CreateEmptyUserDsn(const QString& dsn) {
    // The installer makes a section only together with a value: write a
    // placeholder and take it away again.
    UserMode mode;
    const QByteArray section = dsn.toUtf8();
    return SQLWritePrivateProfileString(section.constData(), "Driver", "", kUserFile) &&
           SQLWritePrivateProfileString(section.constData(), "Driver", nullptr, kUserFile);
}

bool WriteUserDsnValue(const QString& dsn, const QString& key, const QString& value) {
    UserMode mode;
    const QByteArray section = dsn.toUtf8();
    const QByteArray k = key.toUtf8();
    const QByteArray v = value.toUtf8();
    return SQLWritePrivateProfileString(section.constData(), k.constData(), v.constData(), kUserFile);
}

QString ReadUserDsnValue(const QString& dsn, const QString& key) {
    UserMode mode;
    return ReadProfile(dsn.toUtf8().constData(), key.toUtf8().constData(), kUserFile, false, nullptr);
}

QStringList UserDsnSections() {
    UserMode mode;
    QStringList out;
    ReadProfile(nullptr, nullptr, kUserFile, true, &out);
    return out;
}

QStringList UserDsnKeys(const QString& dsn) {
    UserMode mode;
    QStringList out;
    ReadProfile(dsn.toUtf8().constData(), nullptr, kUserFile, true, &out);
    return out;
}

QString DriverFolder() { return QStringLiteral(PRANDEL_ODBC_DRIVER_DIR); }

QString ResolveLibrary(const QString& path) {
    if (path.trimmed().isEmpty()) return {};
    const QString found = TryLoad(QFile::encodeName(path));
    if (!found.isEmpty() || path.contains(u'/')) return found;
    return TryLoad(QFile::encodeName(DriverFolder() + u'/' + path));
}

bool LibraryLoads(const QString& path) { return !ResolveLibrary(path).isEmpty(); }

}  // namespace OdbcInstaller
