#include "testsupport.h"

#include "datafolder.h"
#include "firstrun.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

TempDataHome::TempDataHome() : OldXdg(qgetenv("XDG_DATA_HOME")), HadXdg(qEnvironmentVariableIsSet("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", Dir.path().toUtf8());
    SetDataFolderOverride(QString());
    ResetFirstRunCache();
}

TempDataHome::~TempDataHome() {
    if (HadXdg)
        qputenv("XDG_DATA_HOME", OldXdg);
    else
        qunsetenv("XDG_DATA_HOME");
    SetDataFolderOverride(QString());
    ResetFirstRunCache();
}

QString TempDataHome::dataFolder() const { return Dir.path() + QStringLiteral("/Prandel etykiet/"); }

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QString SourceDataDir() { return QStringLiteral(PRANDEL_SOURCE_DIR "/data"); }
