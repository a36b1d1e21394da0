#include "externaldb.h"
#include "goodsupdate.h"
#include "odbcenv.h"
#include "odbcmanager.h"
#include "pgserver.h"
#include "sqlservers.h"
#include "ssrpresponder.h"
#include "testsupport.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

// Opens the data source the manager wrote, as the update does, runs the
// definition's queries and gives the goods query's rows.
QList<QStringList> RunDefinition(TODBCManager& manager, QString* countText) {
    QList<QStringList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("external-test"));
        db.setDatabaseName(manager.GetDataLocation());
        if (!db.open()) {
            ADD_FAILURE() << db.lastError().text().toStdString();
        } else {
            QSqlQuery count(db);
            EXPECT_TRUE(count.exec(manager.GetQuery2())) << count.lastError().text().toStdString();
            if (count.next() && countText) *countText = count.value(0).toString();
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(manager.GetQuery1())) << q.lastError().text().toStdString();
            while (q.next()) {
                QStringList row;
                for (int i = 0; i < q.record().count(); ++i) row << q.value(i).toString();
                rows << row;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("external-test"));
    return rows;
}

TEST(ExternalOdbc, DataSourceOfADefinitionOpensWithTheRealSqliteDriver) {
    TempDataHome home;
    TOdbcTestEnv odbc;
    // The SQLite driver stands registered as the driver of the Firebird type.
    odbc.setDrivers("[ODBC]\nTrace=No\n[Firebird SQLite3]\nDescription=SQLite3\nDriver=libsqlite3odbc.so\n");
    const QString dbFile = home.root() + QStringLiteral("/sklep.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(dbFile);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE towary (id TEXT, nazwa TEXT, cena TEXT)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO towary VALUES ('1', 'Chleb', '3,50'), ('2', 'Masło', '7,99')")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));

    const QString folder = home.path(QStringLiteral("SQLCFG/"));
    // Dbname is the Firebird location; the SQLite driver reads the file from Database.
    WriteAll(folder + QStringLiteral("Sqlite.cdb"),
             "[DATABASE]\r\nTYPE=5\r\nDSN=Test\r\nDbname=" + dbFile.toUtf8() +
                 "\r\n[ODBC]\r\nDatabase=" + dbFile.toUtf8() +
                 "\r\nDescription=Sklep=test\r\n[SQL]\r\nQUERY1=SELECT id, nazwa, cena FROM towary ORDER BY id\r\n"
                 "QUERY2=SELECT COUNT(*) FROM towary\r\n");
    TODBCManager manager;
    manager.SetDsnName(QStringLiteral("Prandel etykiet"));
    manager.SetDefinitionFolder(folder);
    manager.SelectDefinition(QStringLiteral("Sqlite"));
    manager.CreateDataSource();
    ASSERT_EQ(manager.GetDataLocation(), QStringLiteral("Prandel etykiet-Test"));

    QString count;
    const auto rows = RunDefinition(manager, &count);
    EXPECT_EQ(count, QStringLiteral("2"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], QStringList({QStringLiteral("1"), QStringLiteral("Chleb"), QStringLiteral("3,50")}));
    EXPECT_EQ(rows[1], QStringList({QStringLiteral("2"), QStringLiteral("Masło"), QStringLiteral("7,99")}));

    // Made again after the definition moved: the connection follows.
    const QString moved = home.root() + QStringLiteral("/inny.db");
    ASSERT_TRUE(QFile::copy(dbFile, moved));
    ASSERT_TRUE(QFile::remove(dbFile));
    WriteAll(folder + QStringLiteral("Sqlite.cdb"),
             "[DATABASE]\r\nTYPE=5\r\nDSN=Test\r\n[ODBC]\r\nDatabase=" + moved.toUtf8() +
                 "\r\n[SQL]\r\nQUERY1=SELECT nazwa FROM towary WHERE id = '2'\r\nQUERY2=SELECT 1\r\n");
    manager.SelectDefinition(QStringLiteral("Sqlite"));
    manager.CreateDataSource();
    const auto again = RunDefinition(manager, nullptr);
    ASSERT_EQ(again.size(), 1);
    EXPECT_EQ(again[0], QStringList({QStringLiteral("Masło")}));
}

TEST(ExternalOdbc, SqlServerDefinitionReachesARealServerThroughItsDataSource) {
    TPgServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
    TempDataHome home;
    TOdbcTestEnv odbc;
    // The PostgreSQL driver stands registered under a name the SQL Server
    // lookup accepts, after one that must lose on order.
    odbc.setDrivers("[SQL Server Native Client 11.0]\nDriver=psqlodbcw.so\n[SQL Server]\nDriver=/nie/ma.so\n");

    const QString folder = home.path(QStringLiteral("SQLCFG/"));
    // psqlODBC reads the host from Servername; Server stays what the page edits.
    WriteAll(folder + QStringLiteral("Serwer.cdb"),
             "[DATABASE]\r\nTYPE=4\r\nServer=127.0.0.1\r\nDatabase=sklep\r\nDSN=Serwer\r\n[ODBC]\r\n"
             "Servername=127.0.0.1\r\nPort=" + QByteArray::number(server.port()) +
                 "\r\nUsername=prandel\r\n[SQL]\r\n"
                 "QUERY1=SELECT id, nazwa, cena, waga, kod, typ FROM towary ORDER BY id\r\n"
                 "QUERY2=SELECT COUNT(*) FROM towary\r\n");
    TODBCManager manager;
    manager.SetDefinitionFolder(folder);
    manager.SelectDefinition(QStringLiteral("Serwer"));
    manager.CreateDataSource();

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("fixture"));
        db.setDatabaseName(manager.GetDataLocation());
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE towary (id text, nazwa text, cena text, waga text, kod text, typ int)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO towary VALUES ('A1', 'Żółty ser', '24,90', '1 kg', '5901234123457', 14),"
                                          " ('A2', 'Woda', '1,99', '1,5 l', '96385074', 11)")))
            << q.lastError().text().toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));

    QString count;
    const auto rows = RunDefinition(manager, &count);
    EXPECT_EQ(count, QStringLiteral("2"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], QStringList({QStringLiteral("A1"), QStringLiteral("Żółty ser"), QStringLiteral("24,90"),
                                    QStringLiteral("1 kg"), QStringLiteral("5901234123457"), QStringLiteral("14")}));
    EXPECT_EQ(rows[1][5], QStringLiteral("11"));
}

// A login whose values hold the connection string's own characters logs in
// as typed, and nothing after a ";" becomes an attribute of the connection
// (a password "x;Database=inna" must not read another database).
TEST(ExternalOdbc, SqlLoginValuesReachTheDriverQuoted) {
    TPgServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    ASSERT_TRUE(server.Sql(QStringLiteral("sklep"), QStringLiteral("CREATE TABLE towary (nazwa text); INSERT INTO towary VALUES ('ze sklepu')")));
    ASSERT_TRUE(server.Sql(QStringLiteral("sklep"), QStringLiteral("CREATE DATABASE inna")));
    ASSERT_TRUE(server.Sql(QStringLiteral("inna"), QStringLiteral("CREATE TABLE towary (nazwa text); INSERT INTO towary VALUES ('z innej bazy')")));
    TempDataHome home;
    TOdbcTestEnv odbc;
    odbc.setDrivers("[SQL Server]\nDriver=psqlodbcw.so\n");
    const QString folder = home.path(QStringLiteral("SQLCFG/"));
    WriteAll(folder + QStringLiteral("Serwer.cdb"),
             "[DATABASE]\r\nTYPE=4\r\nServer=127.0.0.1\r\nDatabase=sklep\r\nDSN=Serwer\r\n[ODBC]\r\nServername=127.0.0.1\r\nPort=" +
                 QByteArray::number(server.port()) + "\r\n[SQL]\r\nQUERY1=SELECT nazwa FROM towary\r\nQUERY2=SELECT 1\r\n");
    TODBCManager manager;
    manager.SetDefinitionFolder(folder);
    manager.SelectDefinition(QStringLiteral("Serwer"));
    manager.CreateDataSource();
    manager.SqlLogin = true;

    struct Login {
        const char* User;
        const char* Password;
    };
    for (const Login l : {Login{"kasjer", "x;Database=inna"}, Login{"kierownik", "a}b;{c}=d"}, Login{"szef", " }} {+%41"}}) {
        const QString user = QString::fromUtf8(l.User), password = QString::fromUtf8(l.Password);
        SCOPED_TRACE(password.toStdString());
        ASSERT_TRUE(server.AddPasswordLogin(user, password)) << server.error().toStdString();
        manager.SqlUser = user;
        manager.SetSqlPassword(password);
        TExternalDatabase db;
        try {
            ConnectOutside(db, manager);
            QSqlQuery q = db.Open(manager.GetQuery1());
            ASSERT_TRUE(q.next());
            EXPECT_EQ(q.value(0).toString(), QStringLiteral("ze sklepu"));
        } catch (const TExternalError& e) {
            ADD_FAILURE() << e.Message().toStdString();
        }
        // The password still counts.
        manager.SetSqlPassword(password + u'x');
        EXPECT_THROW(ConnectOutside(db, manager), TExternalError);
    }
}

// The databases of a server the scan found, through the driver the data
// source lookup finds and the port the browser gave: "sa" without a password
// is refused, then the definition's login lists them in name order. Every
// failure gives an empty list.
TEST(ExternalOdbc, DatabasesOfAFoundServerWithTheDefinitionsLogin) {
    TPgServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    // PostgreSQL stands in for the server, a table for its catalogue.
    ASSERT_TRUE(server.Sql(QStringLiteral("sklep"), QStringLiteral("CREATE SCHEMA sys; CREATE TABLE sys.databases (name text); "
                                                                   "INSERT INTO sys.databases VALUES ('sklep'), ('master'), ('Archiwum')")));
    ASSERT_TRUE(server.AddPasswordLogin(QStringLiteral("kasjer"), QStringLiteral("taj;ne}")));
    ASSERT_TRUE(server.Sql(QStringLiteral("sklep"), QStringLiteral("GRANT USAGE ON SCHEMA sys TO kasjer; GRANT SELECT ON sys.databases TO kasjer")));
    TOdbcTestEnv odbc;
    odbc.setDrivers("[SQL Server]\nDriver=psqlodbcw.so\n");
    TSsrpResponder browser(SsrpAnswer(SsrpRecord("127.0.0.1", "SKLEP", QByteArray::number(server.port()))));
    const TSsrpTargetsScope targets({browser.Target()});
    TMSSQLServers finder;
    finder.SetScanTime(300);
    finder.StartScan();
    QStringList servers;
    finder.GetServers(servers);
    ASSERT_EQ(servers, QStringList{QStringLiteral("127.0.0.1\\SKLEP")});

    using TLogin = std::optional<std::pair<QString, QString>>;
    struct Case {
        const char* What;
        TLogin Login;
        QStringList Databases;
    };
    const Case cases[] = {
        {"only sa", std::nullopt, {}},
        {"the definition's login", std::make_pair(QStringLiteral("kasjer"), QStringLiteral("taj;ne}")), {"Archiwum", "master", "sklep"}},
        {"a wrong password", std::make_pair(QStringLiteral("kasjer"), QStringLiteral("taj")), {}},
    };
    for (const Case& c : cases) {
        QStringList databases{QStringLiteral("stara")};
        finder.ListDatabases(servers[0], databases, TDatabaseListOptions{{QStringLiteral("Database=sklep")}, c.Login});
        EXPECT_EQ(databases, c.Databases) << c.What;
    }
}

}  // namespace
