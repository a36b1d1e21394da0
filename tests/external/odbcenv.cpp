#include "odbcenv.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>

namespace {
QString ConfigFolder() {
    static QTemporaryDir dir;
    return dir.path();
}
}  // namespace

TOdbcTestEnv::TOdbcTestEnv() : OldSys(qgetenv("ODBCSYSINI")), OldIni(qgetenv("ODBCINI")) {
    qputenv("ODBCSYSINI", ConfigFolder().toUtf8());
    qputenv("ODBCINI", userDsnPath().toUtf8());
    QFile::remove(userDsnPath());
    QFile::remove(driverListPath());
    QFile::remove(ConfigFolder() + QStringLiteral("/odbc.ini"));
    setDrivers("");
}

TOdbcTestEnv::~TOdbcTestEnv() {
    QFile(userDsnPath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(userDsnPath());
    QFile::remove(driverListPath());
    qputenv("ODBCSYSINI", OldSys);
    qputenv("ODBCINI", OldIni);
}

void TOdbcTestEnv::setDrivers(const QByteArray& odbcinstIni) { WriteAll(driverListPath(), odbcinstIni); }
QString TOdbcTestEnv::driverListPath() const { return ConfigFolder() + QStringLiteral("/odbcinst.ini"); }
QString TOdbcTestEnv::userDsnPath() const { return ConfigFolder() + QStringLiteral("/user-odbc.ini"); }
QByteArray TOdbcTestEnv::userDsnFile() const { return ReadAll(userDsnPath()); }
void TOdbcTestEnv::setUserDsnFile(const QByteArray& bytes) { WriteAll(userDsnPath(), bytes); }
