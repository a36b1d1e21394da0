#include "datafolder.h"

#include "filewrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#ifndef PRANDEL_BUILD_DATA_DIR
#define PRANDEL_BUILD_DATA_DIR ""
#endif
#ifndef PRANDEL_INSTALL_DATA_DIR
#define PRANDEL_INSTALL_DATA_DIR ""
#endif

namespace {

std::optional<QString> gDataFolder;
QString gDataOverride;
QString gProgramOverride;

QString WithSlash(QString path) {
    if (!path.endsWith(u'/')) path += u'/';
    return path;
}

}  // namespace

QString GetDataFolder() {
    if (gDataFolder) return *gDataFolder;
    if (!gDataOverride.isEmpty()) {
        gDataFolder = WithSlash(gDataOverride);
        return *gDataFolder;
    }
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // The XDG base directory rules ask to ignore a relative value.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        const QString home = qEnvironmentVariable("HOME");
        base = home.isEmpty() ? QString() : home + QStringLiteral("/.local/share");
    }
    // Without any per-user folder the empty path stands for it, so the data
    // folder ends up at the root of the file system.
    gDataFolder = WithSlash(base + QStringLiteral("/Prandel etykiet"));
    return *gDataFolder;
}

bool UsesUserDataFolder() { return true; }

bool EnsureDataFolder() {
    if (!UsesUserDataFolder()) return true;
    const QString folder = GetDataFolder();
    if (QFileInfo(folder).isDir()) return true;
    return QDir().mkpath(folder);
}

QString DataPath(const QString& name) { return GetDataFolder() + name; }

QString GetProgramFolder() {
    if (!gProgramOverride.isEmpty()) return WithSlash(gProgramOverride);
    const QString env = qEnvironmentVariable("PRANDEL_PROGRAM_DIR");
    if (!env.isEmpty()) return WithSlash(env);
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        candidates << exeDir + QStringLiteral("/../share/prandel-etykiet");
        // Programs and tests in the build tree find the build's copy.
        for (QDir d(exeDir); ; ) {
            const QString share = d.filePath(QStringLiteral("share/prandel-etykiet"));
            if (QFileInfo(share + QStringLiteral("/LABELS")).isDir()) {
                candidates << share;
                break;
            }
            if (!d.cdUp()) break;
        }
    }
    candidates << QStringLiteral(PRANDEL_BUILD_DATA_DIR) << QStringLiteral(PRANDEL_INSTALL_DATA_DIR);
    for (const QString& c : candidates)
        if (!c.isEmpty() && QFileInfo(c + QStringLiteral("/LABELS")).isDir())
            return WithSlash(QDir::cleanPath(c));
    return WithSlash(QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath());
}

void PrepareFirstRun() {
    if (!UsesUserDataFolder()) return;
    for (const char* name : {"SQLCFG", "LABELS"}) {
        const QString target = DataPath(QLatin1String(name));
        if (!QDir().mkpath(target)) continue;
        const QDir source(GetProgramFolder() + QLatin1String(name));
        const auto files = source.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo& f : files) {
            // Copied without overwriting: whatever has the name already, a
            // link too, is the user's and stays. The copy gets the user's
            // permissions, not the read-only ones of an installed file.
            QFile source(f.absoluteFilePath());
            if (source.open(QIODevice::ReadOnly)) CreateNewFile(target + u'/' + f.fileName(), source.readAll());
        }
    }
}

void SetDataFolderOverride(const QString& folder) {
    gDataOverride = folder;
    gDataFolder.reset();
}

void SetProgramFolderOverride(const QString& folder) { gProgramOverride = folder; }

