#include "odbcenv.h"
#include "pgserver.h"
#include "updatefixture.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

TUpdateOutcome UpdateThrough(TUpdateFixture& f, const QString& definition, std::function<void()> process = {}) {
    f.Manager.SelectDefinition(definition);
    f.Manager.CreateDataSource();
    return f.Run(std::move(process));
}

TEST(OdbcUpdate, SqliteDriverThroughItsDataSource) {
    TUpdateFixture f;
    TOdbcTestEnv odbc;
    odbc.setDrivers("[ODBC]\nTrace=No\n[Firebird SQLite3]\nDescription=SQLite3\nDriver=libsqlite3odbc.so\n");
    const QString dbFile = f.Home.root() + QStringLiteral("/sklep.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(dbFile);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE towary (id INTEGER, nazwa TEXT, cena REAL, waga TEXT, kod TEXT, typ INTEGER)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO towary VALUES (1, 'Masło ekstra', 8.99, '200 g', '5901234000031', 14),"
                                          " (2, 'Ocet', 2.5, '0,5 l', '', 270), (3, 'Mleko', 4.29, '1' || char(13, 10) || 'l', NULL, NULL)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
    WriteAll(f.Home.path(QStringLiteral("SQLCFG/Sqlite.cdb")),
             "[DATABASE]\r\nTYPE=5\r\nDSN=Test\r\nDbname=" + dbFile.toUtf8() + "\r\n[ODBC]\r\nDatabase=" + dbFile.toUtf8() +
                 "\r\n[SQL]\r\nQUERY1=SELECT id, nazwa, cena, waga, kod, typ FROM towary ORDER BY id\r\n"
                 "QUERY2=SELECT COUNT(*) FROM towary\r\n");
    const auto out = UpdateThrough(f, QStringLiteral("Sqlite"));
    ASSERT_TRUE(out.Ok) << out.Message.toStdString();
    EXPECT_EQ(out.Changes, 3);
    auto goods = f.Goods();
    EXPECT_EQ(goods[QStringLiteral("1\\5901234000031")],
              QStringList({"Masło ekstra", "8,99", "200 g", "44,95 zł/kg", "5901234000031", "14", "True", "False"}));
    EXPECT_EQ(goods[QStringLiteral("2\\")][1], QStringLiteral("2,5"));
    EXPECT_EQ(goods[QStringLiteral("2\\")][5], QStringLiteral("14"));  // 270: low 8 bits
    EXPECT_EQ(goods[QStringLiteral("3\\")][2], QStringLiteral("1  l"));
    EXPECT_EQ(UpdateThrough(f, QStringLiteral("Sqlite")).Changes, 0);
}

TEST(OdbcUpdate, PostgresqlServerLoginRefusedAndServerDyingMidRun) {
    TPgServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    TUpdateFixture f;
    TOdbcTestEnv odbc;
    odbc.setDrivers("[SQL Server]\nDriver=psqlodbcw.so\n");
    const QByteArray odbcSection = "[ODBC]\r\nServername=127.0.0.1\r\nPort=" + QByteArray::number(server.port()) +
                                   "\r\nUsername=prandel\r\nUseDeclareFetch=1\r\nFetch=50\r\n";
    WriteAll(f.Home.path(QStringLiteral("SQLCFG/Serwer.cdb")),
             "[DATABASE]\r\nTYPE=4\r\nServer=127.0.0.1\r\nDatabase=sklep\r\nDSN=Serwer\r\n" + odbcSection +
                 "[SQL]\r\nQUERY1=SELECT id, nazwa, cena, waga, kod, typ FROM towary ORDER BY id\r\n"
                 "QUERY2=SELECT COUNT(*) FROM towary\r\n");
    f.Manager.SelectDefinition(QStringLiteral("Serwer"));
    f.Manager.CreateDataSource();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("fixture"));
        db.setDatabaseName(f.Manager.GetDataLocation());
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE towary (id int, nazwa text, cena numeric(10,2), waga text, kod text, typ text)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO towary SELECT g, 'Towar ' || g, 1.50 + g, '1 kg', '', '13' FROM generate_series(1, 2000) g")))
            << q.lastError().text().toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));

    // A login the server refuses.
    f.Manager.SqlLogin = true;
    f.Manager.SqlUser = QStringLiteral("nieznany");
    EXPECT_THROW(ConnectOutside(f.dbOutside, f.Manager), TExternalError);
    f.Manager.SqlLogin = false;

    auto out = f.Run();
    ASSERT_TRUE(out.Ok) << out.Message.toStdString();
    EXPECT_EQ(out.Changes, 2000);
    EXPECT_EQ(f.Goods()[QStringLiteral("7\\")][1], QStringLiteral("8,5"));
    EXPECT_EQ(f.Goods()[QStringLiteral("7\\")][5], QStringLiteral("13"));

    // Prices change on the server; it dies after 300 rows.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("fixture"));
        db.setDatabaseName(f.Manager.GetDataLocation());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("UPDATE towary SET cena = cena + 1")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
    out = f.Run([&] {
        if (f.Steps == 300) server.Stop();
    });
    EXPECT_FALSE(out.Ok);
    EXPECT_EQ(out.Message, QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych."));
    const auto goods = f.Goods();
    EXPECT_EQ(goods.size(), 2000u);
    int changed = 0;
    for (const auto& [id, row] : goods) {
        // Rows merged before the failure stay merged, and each row is whole.
        const bool isNew = row[6] == QStringLiteral("True");
        changed += isNew;
        const double price = QString(row[1]).replace(u',', u'.').toDouble();
        EXPECT_EQ(isNew, price == 2.5 + id.left(id.indexOf(u'\\')).toInt()) << id.toStdString();
    }
    EXPECT_GE(changed, 300);
    EXPECT_LT(changed, 2000);
}

}  // namespace
