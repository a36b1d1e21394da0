// A workstation's copy of a shop's goods on the server, against a real server:
// whatever other workstations commit reaches it at the next catch-up, exactly.
#include "goodstable.h"
#include "goodstestutil.h"
#include "pgtest.h"
#include "pricehistory.h"
#include "servermirror.h"
#include "serverschema.h"
#include "testsupport.h"
#include "unitprice.h"

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>

namespace {

const QString kWorkstation = QStringLiteral("kasa1");

QString FreshShop() {
    static std::atomic<int> counter{0};
    return QStringLiteral("kopia %1").arg(++counter);
}

QString Row(const QStringList& values) { return values.join(u'|'); }

class ServerMirrorTest : public PgTest {
protected:
    void SetUp() override {
        PgTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        Other = Connected();
        Own = Connected();
        PrepareShopSchema(*Other, Shop);
        Schema = Other->Identifier(Shop);
        Other->Exec(QStringLiteral("SET prandel.program = on"));
        Mirror = std::make_unique<TServerMirror>(*Own, Params(), Shop, kWorkstation);
    }

    // Statements of another workstation, %1 the shop's schema.
    void OnServer(const QString& sql) { Other->Exec(QString(sql).replace(QLatin1String("%1"), Schema)); }

    // The server's committed goods with this workstation's marks, and its
    // history, row by row in the order of the row numbers.
    QStringList ServerGoods() {
        const auto reader = Connected();
        return Rows(reader->Exec(QStringLiteral(
            "SELECT t.nr::text, t.\"ID\", t.\"NAZWA\", t.\"CENA\", t.\"WAGA\", t.\"ABSCENA\", t.\"KODKRESKOWY\", t.\"TYPKODU\"::text,"
            " t.\"NEW\"::int::text, t.\"KROTKITERMIN\"::int::text, coalesce(m.\"SELECT\", false)::int::text,"
            " to_char(m.\"PRINTDATE\", 'YYYY-MM-DD HH24:MI:SS.MS')"
            " FROM %1.towary t LEFT JOIN %1.stanowiska_towary m ON m.\"ID\" = t.\"ID\" AND m.stanowisko = '%2' ORDER BY t.nr")
                                         .arg(Schema, kWorkstation)));
    }
    QStringList ServerHistory() {
        const auto reader = Connected();
        return Rows(reader->Exec(
            QStringLiteral("SELECT nr::text, \"ID\", \"KWOTA\"::text, \"CHWILA\"::text FROM %1.historia_cen ORDER BY nr").arg(Schema)));
    }
    // The same of the copy, as its file holds them.
    QStringList MirrorGoods() {
        return MirrorRows(QStringLiteral("SELECT rowid, ID, NAZWA, CENA, WAGA, ABSCENA, KODKRESKOWY, TYPKODU, NEW, KROTKITERMIN,"
                                         " \"SELECT\", PRINTDATE FROM towary ORDER BY rowid"));
    }
    QStringList MirrorHistory() { return MirrorRows(QStringLiteral("SELECT rowid, ID, KWOTA, CHWILA FROM HISTORIA_CEN ORDER BY rowid")); }
    QStringList MirrorRows(const QString& sql) {
        TTable table;
        Mirror->Setup(table, false);
        table.Open();
        QSqlQuery q(QSqlDatabase::database(table.ConnectionName()));
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        QStringList rows;
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i) values << (q.isNull(i) ? QStringLiteral("-") : q.value(i).toString());
            rows << Row(values);
        }
        return rows;
    }
    static QStringList Rows(const TPgResult& r) {
        QStringList rows;
        for (int i = 0; i < r.Rows(); ++i) {
            QStringList values;
            for (int c = 0; c < r.Columns(); ++c) values << (r.Value(i, c).isNull() ? QStringLiteral("-") : r.Value(i, c).toString());
            rows << Row(values);
        }
        return rows;
    }
    void ExpectSameAsServer(const std::string& what) {
        EXPECT_EQ(MirrorGoods(), ServerGoods()) << what;
        EXPECT_EQ(MirrorHistory(), ServerHistory()) << what;
    }

    TempDataHome Home;
    QString Shop = FreshShop();
    QString Schema;
    std::unique_ptr<TPgConnection> Other, Own;
    std::unique_ptr<TServerMirror> Mirror;
};

// The copy lives in the data folder under the hash of the server and shop.
TEST_F(ServerMirrorTest, FileIsNamedByServerAndShop) {
    const QByteArray hash =
        QCryptographicHash::hash((Params().Place() + u'/' + Shop).toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    EXPECT_EQ(Mirror->FilePath(), Home.path(QStringLiteral("DB/serwer/%1/towary.db").arg(QString::fromLatin1(hash))));
    EXPECT_NE(TServerMirror::FolderOf(Params(), Shop), TServerMirror::FolderOf(Params(), Shop + u'x'));
    EXPECT_NE(TServerMirror::FolderOf(Params(), Shop), TServerMirror::FolderOf(Params(QStringLiteral("inna")), Shop));
}

// Each step, written on the server by another workstation, reaches the copy
// at the next catch-up: rows the step wrote, and only those, unless the copy
// must be read anew. Marks and print dates are this workstation's only.
TEST_F(ServerMirrorTest, ChangesReachTheCopy) {
    const struct {
        const char* What;
        const char* Sql;
        bool Whole;
        qint64 Goods, Deleted;
        const char* OnCopy = nullptr;  // written into the copy before the catch-up
    } steps[] = {
        {"first load",
         "INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota, \"WAGA\", \"ABSCENA\", \"KODKRESKOWY\", \"TYPKODU\", \"NEW\","
         " \"KROTKITERMIN\") VALUES ('1', 'Chleb', '4,99', 499, '0,5 kg', '9,98 zł/kg', '5901234123457', 13, true, false),"
         " ('2', 'Żółć ąę \"x\" \\ tab\there', '3', 300, NULL, NULL, NULL, NULL, false, true),"
         " ('3', 'Mleko', 'promocja', NULL, '', '', '', 8, false, false)",
         true, 3, 0},
        {"nothing new", "SELECT 1", false, 0, 0},
        {"changed, taken in, deleted",
         "UPDATE %1.towary SET \"CENA\" = '4,49', kwota = 449, \"NEW\" = false WHERE \"ID\" = '1';"
         "INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota) VALUES ('4', 'Masło', '7', 700);"
         "DELETE FROM %1.towary WHERE \"ID\" = '3'",
         false, 2, 1},
        {"this workstation's marks arrive, another's do not",
         "INSERT INTO %1.stanowiska_towary (stanowisko, \"ID\", \"SELECT\", \"PRINTDATE\") VALUES"
         " ('kasa1', '1', true, '2026-03-01 10:20:30.045'), ('kasa2', '2', true, '2026-03-02 11:00:00'),"
         " ('kasa1', '4', false, '2026-03-03 12:00:00')",
         false, 0, 0},
        {"marks changed", "UPDATE %1.stanowiska_towary SET \"SELECT\" = NOT \"SELECT\", \"PRINTDATE\" = NULL WHERE \"ID\" = '1'", false, 0, 0},
        {"IDs swapped in one transaction",
         "BEGIN; UPDATE %1.towary SET \"ID\" = 'x' WHERE \"ID\" = '1'; UPDATE %1.towary SET \"ID\" = '1' WHERE \"ID\" = '2';"
         " UPDATE %1.towary SET \"ID\" = '2' WHERE \"ID\" = 'x'; COMMIT",
         false, 2, 0},
        {"deleted and taken in again under a new number",
         "DELETE FROM %1.towary WHERE \"ID\" = '4'; INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota) VALUES ('4', 'Masło', '6', 600)",
         false, 1, 1},
        {"another epoch: read anew", "UPDATE %1.wersja SET epoka = gen_random_uuid()", true, 3, 0,
         "INSERT INTO towary (rowid, ID, NAZWA, CENA, NEW, \"SELECT\") VALUES (999, 'obcy', 'Obcy', '1', 0, 0);"
         "INSERT INTO HISTORIA_CEN (rowid, ID, KWOTA, CHWILA) VALUES (999, 'obcy', 100, 1)"},
        {"deletions pruned since the last catch-up: read anew", "UPDATE %1.wersja SET usuniete_od = (pg_current_xact_id()::text::bigint + 1)::text::xid8", true, 3, 0},
        {"history entries taken away: read anew", "DELETE FROM %1.historia_cen WHERE \"ID\" = '3'", true, 3, 0},
        {"emptied at once: read anew", "TRUNCATE %1.towary CASCADE", true, 0, 0},
    };
    for (const auto& step : steps) {
        OnServer(QString::fromUtf8(step.Sql));
        if (step.OnCopy) {
            TTable table;
            Mirror->Setup(table, false);
            table.Open();
            QSqlQuery q(QSqlDatabase::database(table.ConnectionName()));
            for (const QString& sql : QString::fromUtf8(step.OnCopy).split(u';')) ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
        }
        const TServerMirror::TCatchUp done = Mirror->CatchUp();
        EXPECT_EQ(done.Whole, step.Whole) << step.What;
        EXPECT_EQ(done.Goods, step.Goods) << step.What;
        EXPECT_EQ(done.Deleted, step.Deleted) << step.What;
        ExpectSameAsServer(step.What);
    }
}

// A transaction that began before a catch-up and commits after it, whatever
// it wrote, reaches the copy at a later catch-up, though transactions that
// began after it were read in between.
TEST_F(ServerMirrorTest, ATransactionCommittedAfterACatchUpIsNotSkipped) {
    const struct {
        const char* What;
        const char* Sql;
    } cases[] = {
        {"taken in", "INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota) VALUES ('późny', 'Późny', '2', 200)"},
        {"changed", "UPDATE %1.towary SET \"CENA\" = '9', kwota = 900 WHERE \"ID\" = 'a'"},
        {"deleted", "DELETE FROM %1.towary WHERE \"ID\" = 'a'"},
        {"marked", "INSERT INTO %1.stanowiska_towary AS m (stanowisko, \"ID\", \"SELECT\") VALUES ('kasa1', 'a', true)"
                   " ON CONFLICT (stanowisko, \"ID\") DO UPDATE SET \"SELECT\" = NOT m.\"SELECT\""},
    };
    OnServer(QStringLiteral("INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota) VALUES ('a', 'A', '1', 100)"));
    Mirror->CatchUp();
    int n = 0;
    for (const auto& c : cases) {
        const auto late = Connected();
        late->Exec(QStringLiteral("SET prandel.program = on"));
        late->Begin();
        late->Exec(QString::fromUtf8(c.Sql).replace(QLatin1String("%1"), Schema));
        Mirror->CatchUp();
        ExpectSameAsServer(std::string(c.What) + ", still open");
        OnServer(QStringLiteral("INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota) VALUES ('b") + QString::number(++n) +
                 QStringLiteral("', 'B', '1', 100)"));
        Mirror->CatchUp();
        ExpectSameAsServer(std::string(c.What) + ", a later one committed");
        late->Commit();
        if (std::string(c.What) == "deleted")
            OnServer(QStringLiteral("INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota) VALUES ('a', 'A', '1', 100)"));
        const TServerMirror::TCatchUp done = Mirror->CatchUp();
        EXPECT_FALSE(done.Whole) << c.What;
        ExpectSameAsServer(std::string(c.What) + ", committed");
    }
}

// The copy's history gives every goods the lowest price the local goods file
// gives for the same prices written at the same moments, by the same SQL,
// though the server keeps entries the file lets go.
TEST_F(ServerMirrorTest, LowestPriceAsInTheLocalFile) {
    const QDateTime day0(QDate(2025, 3, 1), QTime(8, 0), Qt::UTC);
    struct Step {
        int Day;
        const char* Price;
    };
    const struct {
        std::vector<Step> Steps;
        bool Perishable;
        const char* Lowest;
    } cases[] = {
        {{{0, "10"}, {40, "8"}, {45, "9"}, {50, "7"}}, false, "8"},
        {{{0, "10"}, {40, "8"}, {45, "9"}, {50, "7"}}, true, "9"},
        {{{0, "12"}, {50, "10"}, {100, "8"}, {101, "6"}}, true, "12"},
        {{{0, "12"}, {50, "10"}, {100, "8"}, {101, "6"}}, false, "8"},
        {{{0, "10"}, {20, "promocja"}, {25, "10"}, {40, "7"}}, true, "10"},
        {{{0, "5"}, {10, "10"}, {45, "8"}}, false, "10"},
        {{{0, "5"}, {15, "10"}, {45, "8"}}, false, "10"},
        {{{0, "10"}, {5, "10,00"}, {6, "10.0"}}, false, "-"},
        {{{0, "9.99"}, {40, "10,5"}, {41, "9,99"}}, false, "9,99"},
        {{{0, "10"}, {40, "8"}, {50, "promocja"}, {55, "8"}}, false, "10"},
        {{{0, "10"}, {40, "abc"}}, false, "-"},
        {{{0, "12"}, {10, "10"}, {20, "9"}}, false, "10"},
    };
    TScopedPriceClock clock(day0);
    TTable local;
    ASSERT_TRUE(CreateGoodsTable(local));
    SetupGoodsTable(local, false);
    local.Open();
    const auto amount = [](const char* price) {
        const auto a = ParseAmount(QString::fromUtf8(price));
        return a ? QVariant(qint64(*a)) : QVariant();
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QString id = QString::number(i);
        const auto& c = cases[i];
        for (const Step& step : c.Steps) {
            clock.Now = day0.addDays(step.Day);
            Other->Exec(QStringLiteral("SET prandel.teraz = %1").arg(clock.Now.toMSecsSinceEpoch()));
            if (&step == &c.Steps.front()) {
                AddGoods(local, {id, QStringLiteral("towar"), QString::fromUtf8(step.Price)});
                Other->Exec(QStringLiteral("INSERT INTO %1.towary (\"ID\", \"NAZWA\", \"CENA\", kwota, \"KROTKITERMIN\") VALUES (?, 'towar', ?, ?, ?)")
                                .arg(Schema),
                            {id, QString::fromUtf8(step.Price), amount(step.Price), c.Perishable});
                if (!c.Perishable) continue;
                ASSERT_TRUE(local.FindKey(id));
                local.Edit();
                local.FieldByName("KROTKITERMIN").SetAsBoolean(true);
                local.Post();
                continue;
            }
            ASSERT_TRUE(local.FindKey(id));
            local.Edit();
            local.FieldByName("CENA").SetAsString(QString::fromUtf8(step.Price));
            local.Post();
            Other->Exec(QStringLiteral("UPDATE %1.towary SET \"CENA\" = ?, kwota = ? WHERE \"ID\" = ?").arg(Schema),
                        {QString::fromUtf8(step.Price), amount(step.Price), id});
        }
    }
    Mirror->CatchUp();
    clock.Now = day0.addDays(200);
    TTable copy;
    Mirror->Setup(copy, false);
    copy.Open();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QString id = QString::number(i);
        ASSERT_TRUE(local.FindKey(id));
        ASSERT_TRUE(copy.FindKey(id));
        const auto text = [](TTable& t) {
            const auto a = LowestPrice(t);
            return a ? AmountText(*a) : QStringLiteral("-");
        };
        EXPECT_EQ(text(local), QString::fromUtf8(cases[i].Lowest)) << i;
        EXPECT_EQ(text(copy), text(local)) << i;
    }
}

}  // namespace
