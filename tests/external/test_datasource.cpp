#include "odbcenv.h"
#include "odbcinstaller.h"
#include "odbcmanager.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Real driver files of the machine, registered under the names the program
// looks for; the bare file names are resolved in the driver manager's folder.
const QByteArray kSqlite = "libsqlite3odbc.so";
const QByteArray kPostgres = "psqlodbcw.so";

class DataSource : public ::testing::Test {
protected:
    void SetUp() override {
        folder = home.path(QStringLiteral("SQLCFG/"));
        manager.SetDsnName(QStringLiteral("Prandel etykiet"));
        manager.SetDefinitionFolder(folder);
    }
    void define(const QByteArray& bytes) {
        WriteAll(folder + QStringLiteral("Def.cdb"), bytes);
        manager.SelectDefinition(QStringLiteral("Def"));
    }
    int create() {
        try {
            manager.CreateDataSource();
        } catch (const TODBCManagerException& e) {
            return e.Code;
        }
        return 0;
    }
    QString value(const QString& key) const { return OdbcInstaller::ReadUserDsnValue(manager.GetDsnName(), key); }
    QStringList keys() const { return OdbcInstaller::UserDsnKeys(manager.GetDsnName()); }

    TempDataHome home;
    TOdbcTestEnv odbc;
    QString folder;
    TODBCManager manager;
};

TEST_F(DataSource, DriversAreListedInFileOrder) {
    odbc.setDrivers("[ODBC]\nTrace=No\n[SQL Server Native Client 11.0]\nDriver=" + kSqlite +
                    "\n[SQL Server]\nDriver=" + kPostgres + "\n[Firebird/InterBase(r) driver]\nDriver=" + kSqlite + "\n");
    QStringList names;
    ASSERT_TRUE(OdbcInstaller::InstalledDrivers(names));
    EXPECT_EQ(names, QStringList({QStringLiteral("SQL Server Native Client 11.0"), QStringLiteral("SQL Server"),
                                  QStringLiteral("Firebird/InterBase(r) driver")}));
    QString path, name;
    ASSERT_TRUE(FindOdbcDriver(4, path, name));
    EXPECT_EQ(name, QStringLiteral("SQL Server Native Client 11.0"));
    EXPECT_EQ(path, QString::fromLatin1(kSqlite));
    ASSERT_TRUE(FindOdbcDriver(5, path, name));
    EXPECT_EQ(name, QStringLiteral("Firebird/InterBase(r) driver"));
    EXPECT_FALSE(FindOdbcDriver(2, path, name));
    EXPECT_FALSE(FindOdbcDriver(7, path, name));
}

TEST_F(DataSource, DriverNamesAreMatchedWithCase) {
    odbc.setDrivers("[firebird ODBC]\nDriver=" + kSqlite + "\n[sql server]\nDriver=" + kSqlite + "\n");
    QString path, name;
    EXPECT_FALSE(FindOdbcDriver(5, path, name));
    EXPECT_FALSE(FindOdbcDriver(4, path, name));
}

TEST_F(DataSource, SqlServerFallsBackToFreeTds) {
    odbc.setDrivers("[FreeTDS]\nDriver=" + kSqlite + "\n[ODBC Driver 18 for SQL Server]\nDriver=" + kPostgres + "\n");
    QString path, name;
    ASSERT_TRUE(FindOdbcDriver(4, path, name));
    EXPECT_EQ(name, QStringLiteral("ODBC Driver 18 for SQL Server")) << "the exact rule comes first";
    odbc.setDrivers("[FreeTDS]\nDriver=" + kSqlite + "\n");
    ASSERT_TRUE(FindOdbcDriver(4, path, name));
    EXPECT_EQ(name, QStringLiteral("FreeTDS"));
    EXPECT_FALSE(FindOdbcDriver(5, path, name));
}

TEST_F(DataSource, DriverFilesLoadByPathOrBareName) {
    EXPECT_TRUE(manager.DriverLoads(QString::fromLatin1(kSqlite)));
    EXPECT_TRUE(manager.DriverLoads(OdbcInstaller::DriverFolder() + QStringLiteral("/psqlodbcw.so")));
    EXPECT_FALSE(manager.DriverLoads(QString()));
    EXPECT_FALSE(manager.DriverLoads(QStringLiteral("/nie/ma/takiego.so")));
    const QString notALibrary = home.root() + QStringLiteral("/fake.so");
    WriteAll(notALibrary, "this is text, not a shared object");
    EXPECT_FALSE(manager.DriverLoads(notALibrary));
    EXPECT_EQ(OdbcInstaller::ResolveLibrary(QString::fromLatin1(kSqlite)),
              OdbcInstaller::DriverFolder() + QStringLiteral("/libsqlite3odbc.so"));
}

TEST_F(DataSource, WritesDriverLocationAndOdbcValuesInOrder) {
    odbc.setDrivers("[SQLite3 Firebird]\nDriver=" + kSqlite + "\n");
    define("[DATABASE]\nTYPE=5\nDbname=/data/sklep.fdb\nDSN=Fb\n[ODBC]\nDescription=a=b\nTimeout=1000\nNoline\n");
    ASSERT_EQ(create(), 0);
    EXPECT_EQ(manager.GetDsnName(), QStringLiteral("Prandel etykiet-Fb"));
    EXPECT_EQ(keys(), QStringList({QStringLiteral("Driver"), QStringLiteral("Dbname"), QStringLiteral("Description"),
                                   QStringLiteral("Timeout")}));
    EXPECT_EQ(value(QStringLiteral("Driver")), OdbcInstaller::DriverFolder() + QStringLiteral("/libsqlite3odbc.so"));
    EXPECT_EQ(value(QStringLiteral("Dbname")), QStringLiteral("/data/sklep.fdb"));
    EXPECT_EQ(value(QStringLiteral("Description")), QStringLiteral("a=b"));
    EXPECT_TRUE(OdbcInstaller::UserDsnSections().contains(QStringLiteral("Prandel etykiet-Fb")));
    EXPECT_EQ(OdbcInstaller::ReadUserDsnValue(QStringLiteral("ODBC Data Sources"), QStringLiteral("Prandel etykiet-Fb")),
              QStringLiteral("SQLite3 Firebird"));
}

TEST_F(DataSource, OdbcKeysReplaceEarlierValues) {
    // A Driver value chooses another registered driver, by its name in any case.
    odbc.setDrivers("[SQL Server]\nDriver=" + kPostgres + "\n[SQLite3]\nDriver=" + kSqlite + "\n");
    define("[DATABASE]\nTYPE=4\nServer=127.0.0.1\nDatabase=sklep\nDSN=MS\n[ODBC]\ndriver= sqlite3 \nSERVER=localhost\n");
    ASSERT_EQ(create(), 0);
    EXPECT_EQ(keys(), QStringList({QStringLiteral("Driver"), QStringLiteral("Server"), QStringLiteral("Database")}));
    EXPECT_EQ(value(QStringLiteral("Driver")), OdbcInstaller::DriverFolder() + QStringLiteral("/libsqlite3odbc.so"));
    EXPECT_EQ(value(QStringLiteral("Server")), QStringLiteral("localhost"));
    EXPECT_EQ(value(QStringLiteral("Database")), QStringLiteral("sklep"));
    EXPECT_EQ(OdbcInstaller::ReadUserDsnValue(QStringLiteral("ODBC Data Sources"), QStringLiteral("Prandel etykiet-MS")),
              QStringLiteral("SQLite3"));
}

// A file named as the driver would have the driver manager load any library
// at all: a definition names only a registered driver, and one that names
// anything else is refused, naming it, before anything changes.
TEST_F(DataSource, ADefinitionChoosesOnlyARegisteredDriver) {
    odbc.setDrivers("[SQL Server]\nDriver=" + kPostgres + "\n");
    const QByteArray before = "[Prandel etykiet-MS]\nDriver=old.so\nServer=dawny\n";
    const QByteArray library = (OdbcInstaller::DriverFolder() + QStringLiteral("/libsqlite3odbc.so")).toUtf8();
    for (const QByteArray& driver : {library, QByteArray("/tmp/zly.so"), QByteArray("libsqlite3odbc.so"), QByteArray("SQLite3")}) {
        SCOPED_TRACE(driver.toStdString());
        odbc.setUserDsnFile(before);
        define("[DATABASE]\nTYPE=4\nServer=127.0.0.1\nDatabase=sklep\nDSN=MS\n[ODBC]\nDriver=" + driver + "\n");
        try {
            manager.CreateDataSource();
            ADD_FAILURE() << "accepted";
        } catch (const TODBCManagerException& e) {
            EXPECT_EQ(e.Code, TODBCManager::UnregisteredDriver);
            EXPECT_EQ(e.Driver, QString::fromUtf8(driver));
        }
        EXPECT_EQ(odbc.userDsnFile(), before);
    }
}

TEST_F(DataSource, SecondRunLeavesExactlyItsOwnValues) {
    odbc.setDrivers("[Microsoft Visual FoxPro Driver]\nDriver=" + kSqlite + "\n");
    odbc.setUserDsnFile("[Inne zrodlo]\nDriver=x.so\nDatabase=/a\n\n");
    define("[DATABASE]\nTYPE=2\nSourceDB=/one\nDSN=Fox\n[ODBC]\nExclusive=No\nOld=1\n");
    ASSERT_EQ(create(), 0);
    define("[DATABASE]\nTYPE=2\nSourceDB=/two\nDSN=Fox\n[ODBC]\nExclusive=Yes\n");
    ASSERT_EQ(create(), 0);
    EXPECT_EQ(keys(), QStringList({QStringLiteral("Driver"), QStringLiteral("SourceDB"), QStringLiteral("Exclusive")}));
    EXPECT_EQ(value(QStringLiteral("SourceDB")), QStringLiteral("/two"));
    EXPECT_EQ(value(QStringLiteral("Exclusive")), QStringLiteral("Yes"));
    EXPECT_EQ(OdbcInstaller::ReadUserDsnValue(QStringLiteral("Inne zrodlo"), QStringLiteral("Database")),
              QStringLiteral("/a"));
    EXPECT_EQ(OdbcInstaller::UserDsnSections().count(QStringLiteral("Prandel etykiet-Fox")), 1);
}

TEST_F(DataSource, MissingDriverLeavesAnEmptyDataSource) {
    odbc.setDrivers("[Firebird]\nDescription=no driver file\n");
    odbc.setUserDsnFile("[Prandel etykiet-Fb]\nDriver=old.so\nDbname=/old\n");
    define("[DATABASE]\nTYPE=5\nDbname=/new\nDSN=Fb\n");
    EXPECT_EQ(create(), 3);
    EXPECT_TRUE(OdbcInstaller::UserDsnSections().contains(QStringLiteral("Prandel etykiet-Fb")));
    EXPECT_TRUE(keys().isEmpty());
    EXPECT_FALSE(OdbcInstaller::UserDsnSections().contains(QStringLiteral("ODBC Data Sources")));

    odbc.setDrivers("[Firebird]\nDriver=/nie/ma/libfb.so\n");
    EXPECT_EQ(create(), 3);
    odbc.setDrivers("");
    EXPECT_EQ(create(), 3);
    EXPECT_TRUE(keys().isEmpty());
}

TEST_F(DataSource, UnreadableDriverListFindsNoDriver) {
    QFile::remove(odbc.driverListPath());
    QDir().mkpath(odbc.driverListPath() + QStringLiteral("/sub"));
    QStringList names;
    EXPECT_FALSE(OdbcInstaller::InstalledDrivers(names) && !names.isEmpty());
    QString path, name;
    EXPECT_FALSE(FindOdbcDriver(5, path, name));
    define("[DATABASE]\nTYPE=5\nDbname=/x\nDSN=Fb\n");
    EXPECT_EQ(create(), 3);
    QDir(odbc.driverListPath()).removeRecursively();
}

TEST_F(DataSource, LineBreaksAreRefusedBeforeAnythingChanges) {
    odbc.setDrivers("[Firebird]\nDriver=" + kSqlite + "\n");
    const QByteArray before = "[Prandel etykiet-Fb]\nDriver=old.so\nDbname=/old\n";
    odbc.setUserDsnFile(before);
    define("[DATABASE]\nTYPE=5\nDSN=Fb\n");
    manager.SetDbname(QStringLiteral("/a.fdb\n[Inne]\nDriver=/tmp/evil.so"));
    EXPECT_EQ(create(), 2);
    EXPECT_EQ(odbc.userDsnFile(), before);
}

TEST_F(DataSource, ReadOnlyUserFileIsCode2AndUnchanged) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
    odbc.setDrivers("[Firebird]\nDriver=" + kSqlite + "\n");
    const QByteArray before = "[Prandel etykiet-Fb]\nDriver=old.so\n";
    odbc.setUserDsnFile(before);
    QFile(odbc.userDsnPath()).setPermissions(QFile::ReadOwner);
    define("[DATABASE]\nTYPE=5\nDbname=/x\nDSN=Fb\n");
    EXPECT_EQ(create(), 2);
    EXPECT_EQ(odbc.userDsnFile(), before);
}

TEST_F(DataSource, UnwritableUserFileIsCode2) {
    // A folder in place of the user DSN file cannot be written by anyone.
    odbc.setDrivers("[Firebird]\nDriver=" + kSqlite + "\n");
    QDir().mkpath(odbc.userDsnPath() + QStringLiteral("/sub"));
    define("[DATABASE]\nTYPE=5\nDbname=/x\nDSN=Fb\n");
    EXPECT_EQ(create(), 2);
    QDir(odbc.userDsnPath()).removeRecursively();
}

}  // namespace
