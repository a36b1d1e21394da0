#include "clirunner.h"
#include "datafolder.h"
#include "goodstable.h"
#include "goodstestutil.h"
#include "pgtest.h"
#include "serverschema.h"
#include "settings.h"
#include "shopupdatelock.h"
#include "testsupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpServer>
#include <functional>

namespace {

using GoodsStoreCopyTest = PgTest;

// A local shop: a price cut (two history entries), goods whose price is no
// amount, marks, a print date, and the history of goods since deleted.
void MakeLocalShop() {
    TScopedPriceClock clock(QDateTime(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC));
    TTable t;
    ASSERT_TRUE(CreateGoodsTable(t));
    t.Open();
    AddGoods(t, {"1", "Ananas", "6", false, true, {}, "", 0});
    AddGoods(t, {"07", "Chleb \"wiejski\"\tżytni", "4,60", true, false, {}, "1 kg", 3});
    AddGoods(t, {"2", "żurek", "3,99", false, false, QDateTime(QDate(2026, 2, 27), QTime(9, 10, 11, 250)), "500 ml", std::nullopt});
    AddGoods(t, {"3", "Sól", "promocja", true, true, QDateTime(QDate(2026, 2, 28), QTime(7, 0)), "1 kg"});
    AddGoods(t, {"9", "Wycofany", "1,00"});
    clock.AddDays(10);
    ASSERT_TRUE(t.Locate("ID", "07"));
    t.Edit();
    t.FieldByName("CENA").SetAsString("4,50");
    t.FieldByName("KROTKITERMIN").SetAsBoolean(true);
    t.Post();
    ASSERT_TRUE(t.Locate("ID", "9"));
    t.Delete();
}

// Rows of a query as tab-joined texts (null: "-").
QStringList Lines(const std::function<bool(QStringList&)>& next) {
    QStringList lines, row;
    while (next(row)) {
        lines << row.join(u'\t');
        row.clear();
    }
    return lines;
}

QStringList LocalRows(const QString& sql) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy-test"));
    db.setDatabaseName(GoodsDatabaseFolder() + QStringLiteral("/towary.db"));
    QStringList lines;
    {
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        lines = Lines([&](QStringList& row) {
            if (!q.next()) return false;
            for (int i = 0; i < q.record().count(); ++i) row << (q.isNull(i) ? QStringLiteral("-") : q.value(i).toString());
            return true;
        });
        db.close();
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("copy-test"));
    return lines;
}

QStringList ServerRows(TPgConnection& conn, const QString& sql) {
    const TPgResult r = conn.Exec(sql);
    int n = 0;
    return Lines([&](QStringList& row) {
        if (n >= r.Rows()) return false;
        for (int i = 0; i < r.Columns(); ++i) {
            const QVariant v = r.Value(n, i);
            row << (v.isNull() ? QStringLiteral("-") : v.typeId() == QMetaType::Bool ? QString::number(v.toBool()) : v.toString());
        }
        ++n;
        return true;
    });
}

// What the shop holds on the server: goods, history, marks.
QStringList Shop(TPgConnection& conn, const QString& schema) {
    return ServerRows(conn, QStringLiteral("SELECT \"ID\", \"NAZWA\", \"CENA\", \"WAGA\", \"ABSCENA\", \"KODKRESKOWY\", \"TYPKODU\","
                                           " \"NEW\", \"KROTKITERMIN\", kwota FROM %1.towary ORDER BY \"ID\"")
                                .arg(schema)) +
           ServerRows(conn, QStringLiteral("SELECT \"ID\", \"KWOTA\", \"CHWILA\" FROM %1.historia_cen ORDER BY nr").arg(schema)) +
           ServerRows(conn, QStringLiteral("SELECT stanowisko, \"ID\", \"SELECT\", to_char(\"PRINTDATE\", 'YYYY-MM-DD HH24:MI:SS.MS')"
                                           " FROM %1.stanowiska_towary ORDER BY \"ID\"")
                                .arg(schema));
}

// The companion's copy takes a local shop to the server whole: the goods as
// they are with the amounts of their prices, the history entries with their
// moments in their order, this workstation's marks and print dates; a shop
// that has goods or history already, an update running, or a server that
// does not answer get their message, exit code 1 and nothing copied.
TEST_F(GoodsStoreCopyTest, CopiesALocalShopWholeOrNothing) {
    TempDataHome home;
    EnsureDataFolder();
    MakeLocalShop();
    const auto admin = Connected();
    int deadPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        deadPort = probe.serverPort();
    }
    const QStringList localGoods = LocalRows(
        QStringLiteral("SELECT \"ID\", \"NAZWA\", \"CENA\", ifnull(\"WAGA\", '-'), ifnull(\"ABSCENA\", '-'), ifnull(\"KODKRESKOWY\", '-'),"
                       " \"TYPKODU\", \"NEW\", \"KROTKITERMIN\" FROM towary ORDER BY \"ID\""));
    const QStringList localHistory = LocalRows(QStringLiteral("SELECT \"ID\", \"KWOTA\", \"CHWILA\" FROM HISTORIA_CEN ORDER BY rowid"));
    ASSERT_EQ(localGoods.size(), 4);
    ASSERT_EQ(localHistory.size(), 6);  // "9" keeps its entry
    const QStringList amounts = {"45000", "60000", "39900", "-"};  // 07, 1, 2, 3 in ID order
    QStringList expected;
    for (qsizetype i = 0; i < localGoods.size(); ++i) expected << localGoods[i] + u'\t' + amounts[i];
    expected << localHistory
             << QStringLiteral("kasa 1\t1\t1\t-") << QStringLiteral("kasa 1\t2\t0\t2026-02-27 09:10:11.250")
             << QStringLiteral("kasa 1\t3\t1\t2026-02-28 07:00:00.000");

    struct Step {
        const char* Shop;
        int Port;
        std::function<void(const QString& shop)> Before;
        int Code;
        QString Out, Err;
        QStringList After;  // the shop's rows on the server afterwards
    };
    std::unique_ptr<TPgConnection> holder;
    const QString oneEntry = QStringLiteral("5\t100\t1");
    const Step steps[] = {
        {"Sklep Kopia", SharedPgServer().port(), {}, 0, "Skopiowano towarów: 4, wpisów historii cen: 6.\n", {}, expected},
        {"Sklep Kopia", SharedPgServer().port(), {}, 1, {}, "Sklep Sklep Kopia na serwerze ma już towary: nic nie skopiowano.\n",
         expected},
        // History without goods is a shop in use as well.
        {"Tylko historia", SharedPgServer().port(),
         [&](const QString& shop) {
             PrepareShopSchema(*admin, shop);
             admin->Exec(QStringLiteral("INSERT INTO \"Tylko historia\".historia_cen (\"ID\", \"KWOTA\", \"CHWILA\") VALUES ('5', 100, 1)"));
         },
         1, {}, "Sklep Tylko historia na serwerze ma już towary: nic nie skopiowano.\n", {oneEntry}},
        // Another workstation's update holds the shop.
        {"Aktualizowany", SharedPgServer().port(),
         [&](const QString& shop) {
             holder = Connected();
             PrepareShopSchema(*holder, shop);
             holder->Begin();
             ASSERT_TRUE(TryLockShopUpdateInTransaction(*holder, shop));
         },
         1, {}, "Aktualizacja trwa na innym stanowisku.\n", {}},
        {"Bez serwera", deadPort, {}, 1, {},
         QStringLiteral("Nie można połączyć się z serwerem towarów 127.0.0.1:%1/sklep: serwer nie odpowiada.\n").arg(deadPort), {}},
    };
    for (const Step& step : steps) {
        const QString shop = QString::fromUtf8(step.Shop);
        TSettings settings;
        settings.LoadFromFile(home.path("settings.ini"));
        settings.GoodsStore = {TGoodsStoreKind::Local, QStringLiteral("127.0.0.1"), step.Port, QStringLiteral("sklep"),
                               QStringLiteral("prandel"), {}, shop, QStringLiteral("kasa 1")};
        ASSERT_TRUE(settings.SaveToFile(home.path("settings.ini")));
        if (step.Before) step.Before(shop);
        const TCliResult r = RunCli(home.dataFolder(), {"goods-store", "copy", "--to-server"});
        EXPECT_EQ(r.Code, step.Code) << step.Shop << ": " << r.Err.toStdString();
        EXPECT_EQ(r.Out.toStdString(), step.Out.toStdString()) << step.Shop;
        EXPECT_TRUE(r.Err.endsWith(step.Err)) << step.Shop << ": " << r.Err.toStdString();
        const QStringList after = ShopSchemaVersion(*admin, shop) ? Shop(*admin, admin->Identifier(shop)) : QStringList();
        EXPECT_EQ(after.join(u'\n').toStdString(), step.After.join(u'\n').toStdString()) << step.Shop;
        if (holder) holder->Rollback();
    }
    // The goods file is as it was.
    EXPECT_EQ(LocalRows(QStringLiteral("SELECT \"ID\", \"NAZWA\", \"CENA\", ifnull(\"WAGA\", '-'), ifnull(\"ABSCENA\", '-'),"
                                       " ifnull(\"KODKRESKOWY\", '-'), \"TYPKODU\", \"NEW\", \"KROTKITERMIN\" FROM towary ORDER BY \"ID\""))
                  + LocalRows(QStringLiteral("SELECT \"ID\", \"KWOTA\", \"CHWILA\" FROM HISTORIA_CEN ORDER BY rowid")),
              localGoods + localHistory);
}

}  // namespace
