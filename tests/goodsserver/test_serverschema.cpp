#include "pgtest.h"
#include "serverschema.h"

#include <atomic>
#include <thread>

namespace {

using ServerSchemaTest = PgTest;

QString FreshShop() {
    static std::atomic<int> counter{0};
    return QStringLiteral("Sklep Nr %1").arg(++counter);
}

// Workstations starting together make the shop's schema once; a later one
// finds it with its goods; a program older than the schema refuses it.
TEST_F(ServerSchemaTest, MadeOnceFoundLaterNewerRefused) {
    const QString shop = FreshShop();
    std::atomic<int> made{0};
    std::vector<std::string> failures(3);
    std::vector<std::thread> starts;
    for (int i = 0; i < 3; ++i)
        starts.emplace_back([&, i] {
            try {
                TPgConnection conn;
                conn.Connect(Params());
                if (PrepareShopSchema(conn, shop) == kServerSchemaVersion) ++made;
            } catch (const std::exception& e) {
                failures[i] = e.what();
            }
        });
    for (std::thread& t : starts) t.join();
    for (const std::string& f : failures) EXPECT_EQ(f, "");
    EXPECT_EQ(made, 3);

    const auto first = Connected();
    const QString schema = first->Identifier(shop);
    first->Exec(QStringLiteral("SET prandel.program = on"));
    first->Exec(QStringLiteral("INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota) VALUES ('1', 'Chleb', '4,99', 499)").arg(schema));
    const auto second = Connected();
    EXPECT_EQ(PrepareShopSchema(*second, shop), kServerSchemaVersion);
    EXPECT_EQ(second->Scalar(QStringLiteral("SELECT count(*) FROM %1.towary").arg(schema)), qint64(1));
    EXPECT_EQ(second->Scalar(QStringLiteral("SELECT count(*) FROM %1.wersja").arg(schema)), qint64(1));

    first->Exec(QStringLiteral("UPDATE %1.wersja SET schemat = schemat + 1").arg(schema));
    try {
        PrepareShopSchema(*second, shop);
        ADD_FAILURE() << "a newer schema was opened";
    } catch (const TServerError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Baza towarów na serwerze ma nowszą wersję (2) niż program (1)."));
    }
    EXPECT_EQ(ShopSchemaVersion(*second, shop), kServerSchemaVersion + 1);
}

TEST_F(ServerSchemaTest, NamesThatAreNoShopAreRefused) {
    const auto conn = Connected();
    for (const QString& name : {QString(), QStringLiteral("pg_sklep"), QString(64, u'x'), QString(32, u'ż')}) {
        EXPECT_THROW(PrepareShopSchema(*conn, name), TServerError) << name.toStdString();
        EXPECT_EQ(conn->Depth(), 0);
    }
}

// The server keeps the history by the local file's rules: an entry for new
// goods and for a changed amount, none for the same amount written
// otherwise, never dated before the last one, none when copying; goods taken
// in again continue their history; a price written by anything but the
// program has no amount.
TEST_F(ServerSchemaTest, HistoryFollowsTheGoods) {
    const QString shop = FreshShop();
    const auto conn = Connected();
    PrepareShopSchema(*conn, shop);
    const QString s = conn->Identifier(shop);
    const struct {
        const char* Sql;
        const char* Entries;  // "KWOTA@CHWILA" of ID 1, oldest first
    } steps[] = {
        {"SET prandel.program = on; SET prandel.teraz = 1000;"
         "INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota) VALUES ('1', 'Chleb', '4.99', 499), ('2', 'Mleko', '3', 300)",
         "499@1000"},
        {"SET prandel.teraz = 2000; UPDATE %1.towary SET \"CENA\" = '4,99', kwota = 499 WHERE \"ID\" = '1'", "499@1000"},
        {"UPDATE %1.towary SET \"NAZWA\" = 'Chleb razowy'", "499@1000"},
        {"SET prandel.teraz = 500; UPDATE %1.towary SET \"CENA\" = '3,99', kwota = 399 WHERE \"ID\" = '1'", "499@1000 399@1000"},
        {"SET prandel.teraz = 3000; DELETE FROM %1.towary WHERE \"ID\" = '1'", "499@1000 399@1000"},
        {"INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota) VALUES ('1', 'Chleb', '3.99', 399)", "499@1000 399@1000"},
        {"SET prandel.kopia = on; UPDATE %1.towary SET \"CENA\" = '5', kwota = 500 WHERE \"ID\" = '1'; SET prandel.kopia = off",
         "499@1000 399@1000"},
        {"SET prandel.teraz = 4000; SET prandel.program = off; UPDATE %1.towary SET \"CENA\" = '6', kwota = 600 WHERE \"ID\" = '1'",
         "499@1000 399@1000 @4000"},
    };
    for (const auto& step : steps) {
        conn->Exec(QString::fromUtf8(step.Sql).arg(s));
        QStringList entries;
        const TPgResult rows = conn->Exec(
            QStringLiteral("SELECT coalesce(\"KWOTA\"::text, '') || '@' || \"CHWILA\" FROM %1.historia_cen WHERE \"ID\" = ? ORDER BY nr").arg(s),
            {QStringLiteral("1")});
        for (int i = 0; i < rows.Rows(); ++i) entries << rows.Value(i, 0).toString();
        EXPECT_EQ(entries.join(u' '), QString::fromUtf8(step.Entries)) << step.Sql;
    }
    EXPECT_EQ(conn->Scalar(QStringLiteral("SELECT count(*) FROM %1.usuniete").arg(s)), qint64(1));
}

}  // namespace
