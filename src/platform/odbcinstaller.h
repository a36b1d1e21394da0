#pragma once
#include <QString>
#include <QStringList>

// The unixODBC installer: the installed drivers (odbcinst.ini) and the user's
// data sources (the user DSN file, $ODBCINI or ~/.odbc.ini). The driver
// manager reads both again on each connection, so what is written here is in
// effect for the next connection.
namespace OdbcInstaller {

// Names of the installed drivers in the order of odbcinst.ini; false when the
// driver list cannot be read.
bool InstalledDrivers(QStringList& names);

// A value of a driver's section in odbcinst.ini; `found` tells whether the
// driver has such a section at all.
QString DriverValue(const QString& driver, const QString& key, bool* found = nullptr);

// The user data source `dsn` with its values, removed (true also when there was none).
bool RemoveUserDsn(const QString& dsn);
// Makes an empty section for `dsn` in the user DSN file.
bool CreateEmptyUserDsn(const QString& dsn);
// Sets one value of a user data source, replacing a value of the same name.
bool WriteUserDsnValue(const QString& dsn, const QString& key, const QString& value);
// A value of a user data source; empty when missing.
QString ReadUserDsnValue(const QString& dsn, const QString& key);
// Section names of the user DSN file, in file order.
QStringList UserDsnSections();
// Key names of one section of the user DSN file, in file order.
QStringList UserDsnKeys(const QString& dsn);

// The folder in which the driver manager looks for a driver given by a bare
// file name.
QString DriverFolder();

// True when the driver file loads as a shared library; a bare file name is
// looked for as the driver manager does: the linker's search path first, then
// DriverFolder(). The library is unloaded at once.
bool LibraryLoads(const QString& path);
// The full path under which the driver file loads, or an empty text when it
// does not load. A data source must name its driver by full path: the driver
// manager takes any other text for the name of an installed driver.
QString ResolveLibrary(const QString& path);

}  // namespace OdbcInstaller
