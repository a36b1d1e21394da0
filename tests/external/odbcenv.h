#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// ODBC configuration of one test: the driver list (odbcinst.ini) and the
// user's data sources in temporary files. The driver manager remembers the
// folder of its driver list for the whole process, so the folder is made once
// per process and each test gets fresh files in it.
class TOdbcTestEnv {
public:
    TOdbcTestEnv();
    ~TOdbcTestEnv();
    // Replaces the driver list.
    void setDrivers(const QByteArray& odbcinstIni);
    QString driverListPath() const;
    QString userDsnPath() const;
    QByteArray userDsnFile() const;
    void setUserDsnFile(const QByteArray& bytes);

private:
    QByteArray OldSys;
    QByteArray OldIni;
};
