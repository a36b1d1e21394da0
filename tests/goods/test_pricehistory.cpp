// The price history and the lowest price of the 30 days before a reduction.
#include "goodstable.h"
#include "goodstestutil.h"
#include "pricehistory.h"
#include "testsupport.h"
#include "views.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

const QDateTime kDay0(QDate(2025, 3, 1), QTime(8, 0), Qt::UTC);

struct PriceHistoryTest : ::testing::Test {
    TempDataHome home;
    TScopedPriceClock clock{kDay0};
    TTable tbLocal;

    void SetUp() override {
        ASSERT_TRUE(CreateGoodsTable(tbLocal));
        SetupGoodsTable(tbLocal, false);
        tbLocal.Open();
    }

    QSqlQuery Sql(const QString& text) {
        QSqlQuery q(QSqlDatabase::database(tbLocal.ConnectionName()));
        EXPECT_TRUE(q.exec(text)) << text.toStdString();
        return q;
    }
    int Entries(const QString& id) {
        QSqlQuery q = Sql(QStringLiteral("SELECT count(*) FROM HISTORIA_CEN WHERE ID = '%1'").arg(id));
        return q.next() ? q.value(0).toInt() : -1;
    }
    // Writes a price as the record dialog does: edit, set, post.
    void SetPrice(const QString& id, const QString& price) {
        ASSERT_TRUE(tbLocal.FindKey(id));
        tbLocal.Edit();
        tbLocal.FieldByName("CENA").SetAsString(price);
        tbLocal.Post();
    }
    QString Lowest(const QString& id) {
        EXPECT_TRUE(tbLocal.FindKey(id));
        const auto amount = LowestPrice(tbLocal);
        return amount ? AmountText(*amount) : QStringLiteral("-");
    }
    // The reduction a label announces: "percent difference", "-" for none.
    QString Discount(const QString& id) {
        EXPECT_TRUE(tbLocal.FindKey(id));
        const auto r = ReductionOf(ReadGoodsRecord(tbLocal));
        return r ? QStringLiteral("%1 %2").arg(r->Percent).arg(ReductionAmountText(r->Difference)) : QStringLiteral("-");
    }
    void SetPerishable(const QString& id) {
        ASSERT_TRUE(tbLocal.FindKey(id));
        tbLocal.Edit();
        tbLocal.FieldByName("KROTKITERMIN").SetAsBoolean(true);
        tbLocal.Post();
    }
};

// The reference price of a reduction and the discount announced against it.
TEST_F(PriceHistoryTest, LowestPriceOfTheThirtyDaysBeforeAReduction) {
    // Each step: the day (from the first price), the price written; "lowest" is
    // read after the last step, "-" for none; "entries" counts the history.
    // Perishable goods are measured from the price before their run of
    // reductions; "discount" is the percent and the difference a label
    // announces, when the case gives it.
    struct Step {
        int Day;
        const char* Price;
    };
    struct Case {
        const char* What;
        std::vector<Step> Steps;
        const char* Lowest;
        int Entries;
        bool Perishable = false;
        const char* Discount = nullptr;
    };
    const Case cases[] = {
        {"a reduction after 40 days of one price", {{0, "10"}, {40, "8"}}, "10", 2, false, "20 2,00"},
        {"two reductions in a row: the lowest before the second", {{0, "10"}, {40, "8"}, {45, "6"}}, "8", 3, false, "25 2,00"},
        {"a rise between two reductions", {{0, "10"}, {40, "8"}, {45, "9"}, {50, "7"}}, "8", 4, false, "12 1,00"},
        {"perishable: a rise ends the run", {{0, "10"}, {40, "8"}, {45, "9"}, {50, "7"}}, "9", 4, true, "22 2,00"},
        {"reduced three evenings in a row", {{0, "10"}, {40, "8"}, {41, "6"}, {42, "4"}}, "6", 4, false, "33 2,00"},
        {"perishable, reduced three evenings in a row: the price before the first", {{0, "10"}, {40, "8"}, {41, "6"}, {42, "4"}},
         "10", 4, true, "60 6,00"},
        {"perishable, a run of reductions over months", {{0, "12"}, {50, "10"}, {100, "8"}, {101, "6"}}, "12", 4, true, "50 6,00"},
        // Only the window is kept: 12 goes.
        {"the same, not perishable", {{0, "12"}, {50, "10"}, {100, "8"}, {101, "6"}}, "8", 3, false, "25 2,00"},
        {"perishable, the same price again after one that is no number", {{0, "10"}, {20, "promocja"}, {25, "10"}, {40, "7"}},
         "10", 4, true, "30 3,00"},
        {"perishable: a rise is no reduction", {{0, "8"}, {40, "10"}}, "-", 2, true, "-"},
        {"on sale for 20 days: the lowest since the first price", {{0, "12"}, {10, "10"}, {20, "9"}}, "10", 3, false, "10 1,00"},
        {"33,33 % is 33", {{0, "3"}, {40, "2"}}, "3", 2, false, "33 1,00"},
        {"66,67 % is 66", {{0, "3"}, {40, "1"}}, "3", 2, false, "66 2,00"},
        {"the grosz below is dropped, never rounded up", {{0, "10"}, {40, "6,665"}}, "10", 2, false, "33 3,33"},
        {"a price above the lowest of the window is no reduction to announce", {{0, "10"}, {25, "7"}, {30, "12"}, {40, "11"}}, "7",
         4, false, "-"},
        {"a rise, then a reduction within 30 days", {{0, "10"}, {20, "12"}, {35, "9"}}, "10", 3},
        {"an earlier reduction in the window counts", {{0, "10"}, {25, "7"}, {30, "12"}, {40, "11"}}, "7", 4},
        {"a price that ended before the window does not, and goes", {{0, "5"}, {10, "10"}, {45, "8"}}, "10", 2},
        {"the price in effect when the window opens does", {{0, "5"}, {15, "10"}, {45, "8"}}, "10", 2},
        {"goods on sale for 10 days: since they appeared", {{0, "20"}, {10, "15"}}, "20", 2},
        {"the same price written again adds nothing", {{0, "10"}, {5, "10,00"}, {6, "10.0"}}, "-", 1},
        {"comma and dot compare as amounts, not texts", {{0, "9.99"}, {40, "10,5"}}, "-", 2},
        {"a reduction from 10,5 to 9.99", {{0, "9.99"}, {40, "10,5"}, {41, "9,99"}}, "9,99", 3},
        {"a rise is no reduction", {{0, "8"}, {40, "10"}}, "-", 2},
        {"one price only", {{0, "8"}}, "-", 1},
        // A price that is no number is no price: the one before it stays in effect.
        {"a price before the reduction that is no number", {{0, "10"}, {20, "abc"}, {40, "8"}}, "10", 3},
        {"a price in the window that is no number", {{0, "10"}, {20, "abc"}, {25, "9"}, {40, "8"}}, "9", 4},
        {"a price that is no number when the window opens", {{0, "10"}, {5, "promocja"}, {45, "8"}}, "10", 3},
        {"the reduced price again after one that is no number", {{0, "10"}, {40, "8"}, {50, "promocja"}, {55, "8"}}, "10", 4},
        {"a current price that is no number: blank", {{0, "10"}, {40, "abc"}}, "-", 2},
        {"four decimals", {{0, "2,0051"}, {40, "2"}}, "2,0051", 2, false, "0 0,00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        // Deleted goods keep their history: each case starts without one.
        tbLocal.DeleteWhere(QString());
        Sql("DELETE FROM HISTORIA_CEN");
        clock.Now = kDay0;
        AddGoods(tbLocal, {"1", "towar", c.Steps.front().Price});
        if (c.Perishable) SetPerishable("1");
        for (size_t i = 1; i < c.Steps.size(); ++i) {
            clock.Now = kDay0.addDays(c.Steps[i].Day);
            SetPrice("1", QString::fromUtf8(c.Steps[i].Price));
        }
        EXPECT_EQ(Lowest("1"), c.Lowest);
        EXPECT_EQ(Entries("1"), c.Entries);
        if (c.Discount) EXPECT_EQ(Discount("1"), c.Discount);
    }
}

TEST_F(PriceHistoryTest, TheClockGoingBackNeverDatesAnEntryBeforeTheLast) {
    AddGoods(tbLocal, {"1", "towar", "10"});
    clock.AddDays(20);
    SetPrice("1", "8");
    EXPECT_EQ(Lowest("1"), "10");
    // The clock goes back 15 days: the new price is dated at the last entry,
    // and until the clock is there again the history lies in its future.
    clock.AddDays(-15);
    SetPrice("1", "6");
    QSqlQuery q = Sql("SELECT max(CHWILA) - min(CHWILA) FROM HISTORIA_CEN WHERE ID = '1' AND KWOTA <= 80000");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toLongLong(), 0);
    EXPECT_EQ(Lowest("1"), "-");
    clock.AddDays(16);
    EXPECT_EQ(Lowest("1"), "8");
    // An entry dated after now, whoever wrote it: blank.
    Sql(QStringLiteral("UPDATE HISTORIA_CEN SET CHWILA = %1 WHERE KWOTA = 60000")
            .arg(clock.Now.addYears(1).toMSecsSinceEpoch()));
    EXPECT_EQ(Lowest("1"), "-");
}

// Goods deleted and taken in again by a later update continue their history:
// a reduced good keeps its lowest price.
TEST_F(PriceHistoryTest, DeletedGoodsKeepTheirHistoryForWhenTheyComeBack) {
    AddGoods(tbLocal, {"1", "a", "10"});
    AddGoods(tbLocal, {"2", "b", "10"});
    AddGoods(tbLocal, {"3", "c", "10", false, true});
    clock.AddDays(40);
    for (const char* id : {"1", "2", "3"}) SetPrice(id, "9");
    ASSERT_TRUE(tbLocal.FindKey("1"));
    ASSERT_TRUE(tbLocal.Delete());
    EXPECT_EQ(tbLocal.DeleteWhere("SELECT = TRUE"), 1);
    for (const char* id : {"1", "2", "3"}) EXPECT_EQ(Entries(id), 2) << id;
    clock.AddDays(1);
    AddGoods(tbLocal, {"1", "a", "9"});
    AddGoods(tbLocal, {"3", "c", "8"});
    EXPECT_EQ(Entries("1"), 2);  // the same price: nothing new
    EXPECT_EQ(Entries("3"), 3);
    EXPECT_EQ(Lowest("1"), "10");
    EXPECT_EQ(Lowest("3"), "9");
    EXPECT_EQ(tbLocal.CountWhere(ViewFilter(TViewCode::Reduced, {})), 3);
}

// A history keeps what a lowest price can still read: the entries of the
// window of the latest reduction and the one in effect when it opens. Older
// ones go when the goods get a new entry; a deleted good's stay as they are.
TEST_F(PriceHistoryTest, EntriesNoLowestPriceReadsAreDropped) {
    // A price rising by one every 10 days from 10 to 20, then 5 on day 110.
    AddGoods(tbLocal, {"1", "a", "10"});
    AddGoods(tbLocal, {"2", "b", "10"});
    for (int day = 10; day <= 100; day += 10) {
        clock.Now = kDay0.addDays(day);
        SetPrice("1", QString::number(10 + day / 10));
        SetPrice("2", QString::number(10 + day / 10));
    }
    ASSERT_TRUE(tbLocal.FindKey("2"));
    ASSERT_TRUE(tbLocal.Delete());
    const int kept = Entries("2");
    clock.Now = kDay0.addDays(110);
    SetPrice("1", "5");
    // The window opens on day 80: 18 was in effect then, 19 and 20 followed.
    QSqlQuery q = Sql("SELECT group_concat(KWOTA / 10000, ' ') FROM (SELECT KWOTA FROM HISTORIA_CEN WHERE ID = '1'"
                      " ORDER BY CHWILA, rowid)");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "18 19 20 5");
    EXPECT_EQ(Lowest("1"), "18");
    EXPECT_EQ(Entries("2"), kept);
    EXPECT_LE(kept, 4);  // trimmed as it grew
    // An entry that is no number before the window's price stays out of it and goes.
    AddGoods(tbLocal, {"3", "c", "promocja"});
    clock.AddDays(1);
    SetPrice("3", "10");
    clock.AddDays(40);
    SetPrice("3", "12");
    clock.AddDays(9);
    SetPrice("3", "11");
    EXPECT_EQ(Lowest("3"), "10");
    EXPECT_EQ(Entries("3"), 3);
}

TEST_F(PriceHistoryTest, TheReducedViewAndItsCheckType) {
    AddGoods(tbLocal, {"1", "a", "10"});
    AddGoods(tbLocal, {"2", "b", "10", true});
    AddGoods(tbLocal, {"3", "c", "10", true});
    clock.AddDays(40);
    SetPrice("2", "9");
    SetPrice("3", "11");
    EXPECT_EQ(tbLocal.CountWhere(ViewFilter(TViewCode::Reduced, {})), 1);
    TTable tbLocalShow;
    SetupGoodsTable(tbLocalShow, true);
    tbLocalShow.SetFilter(ViewFilter(TViewCode::Reduced, {}));
    tbLocalShow.SetFiltered(true);
    tbLocalShow.Open();
    EXPECT_EQ(Column(tbLocalShow, "ID"), QStringList{"2"});
    // The list reads the lowest price with the row.
    std::vector<QVariant> row;
    ASSERT_TRUE(tbLocalShow.RecordAt(0, row));
    EXPECT_EQ(LowestPriceText(row[tbLocalShow.FieldIndex(kLowestPriceField)]), "10,00");
    EXPECT_EQ(SelectByType(tbLocal, tbLocalShow, ViewFilter(TViewCode::Changed, {}), ViewFilter(TViewCode::Reduced, {}), {}), 1);
    tbLocal.Open();
    // The calculated field is read only.
    ASSERT_TRUE(tbLocal.FindKey("2"));
    tbLocal.Edit();
    EXPECT_THROW(tbLocal.FieldByName(kLowestPriceField).SetAsInteger(1), TEngineError);
    tbLocal.Cancel();
    EXPECT_THROW(tbLocal.UpdateWhere(QString(), {{kLowestPriceField, 1}}), TEngineError);
}

// A "towary.db" of an earlier version, without the history, and histories
// damaged in several ways: the start-up step keeps every goods row as it was.
TEST(PriceHistoryUpgrade, AGoodsFileGetsItsHistoryWithoutLosingARow) {
    struct Case {
        const char* What;
        const char* Damage;  // SQL run on the file before the start, or empty
        bool SetAside;       // a table of the history's name is kept under another
        bool Lowest;         // goods 2 shows its lowest price afterwards
    };
    const Case cases[] = {
        {"no history", "DROP TABLE HISTORIA_CEN", false, false},
        {"a table of that name with other columns",
         "DROP TABLE HISTORIA_CEN; CREATE TABLE HISTORIA_CEN (X TEXT); INSERT INTO HISTORIA_CEN VALUES ('stare')", true, false},
        {"an index of the history's name on it",
         "DROP TABLE HISTORIA_CEN; CREATE TABLE HISTORIA_CEN (X TEXT); CREATE INDEX HISTORIA_CEN_ID ON HISTORIA_CEN (X)", true,
         false},
        {"amounts and moments that are no integers",
         "UPDATE HISTORIA_CEN SET KWOTA = 'dziesięć' WHERE KWOTA = 100000; UPDATE HISTORIA_CEN SET CHWILA = 'wczoraj' WHERE ID = '3'",
         false, false},
        {"a sound history", "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TempDataHome home;
        TScopedPriceClock clock(kDay0);
        QStringList before;
        QString goodsSchema;
        {
            TTable t;
            ASSERT_TRUE(CreateGoodsTable(t));
            SetupGoodsTable(t, false);
            t.Open();
            AddGoods(t, {"1", "a", "4,99", true, false, kDay0, "500 g"});
            AddGoods(t, {"2", "b", "10"});
            AddGoods(t, {"3", "c", "cena?"});
            clock.AddDays(40);
            ASSERT_TRUE(t.FindKey("2"));
            t.Edit();
            t.FieldByName("CENA").SetAsString("9");
            t.Post();
            QSqlQuery q(QSqlDatabase::database(t.ConnectionName()));
            for (const QString& s : QString::fromUtf8(c.Damage).split(';', Qt::SkipEmptyParts))
                ASSERT_TRUE(q.exec(s)) << s.toStdString();
            ASSERT_TRUE(q.exec("SELECT * FROM towary ORDER BY rowid"));
            while (q.next()) {
                QStringList row;
                for (int i = 0; i < 10; ++i) row << q.value(i).toString();
                before << row.join('|');
            }
            ASSERT_TRUE(q.exec("SELECT sql FROM sqlite_master WHERE name = 'towary'") && q.next());
            goodsSchema = q.value(0).toString();
        }
        clock.AddDays(1);
        TTable tbLocal, tbLocalShow;
        ASSERT_TRUE(OpenGoodsList(tbLocal, tbLocalShow).isEmpty());
        QSqlQuery q(QSqlDatabase::database(tbLocalShow.ConnectionName()));
        ASSERT_TRUE(q.exec("SELECT * FROM towary ORDER BY rowid"));
        QStringList after;
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < 10; ++i) row << q.value(i).toString();
            after << row.join('|');
        }
        EXPECT_EQ(after, before);
        ASSERT_TRUE(q.exec("SELECT sql FROM sqlite_master WHERE name = 'towary'") && q.next());
        EXPECT_EQ(q.value(0).toString(), goodsSchema);
        ASSERT_TRUE(q.exec("SELECT count(*) FROM sqlite_master WHERE name = 'HISTORIA_CEN_USZKODZONA'") && q.next());
        EXPECT_EQ(q.value(0).toInt(), c.SetAside ? 1 : 0);
        // Whatever happened, nothing wrong is shown: goods 2 was reduced from 10.
        std::vector<QVariant> row;
        QStringList lowest;
        for (int i = 0; i < tbLocalShow.RecordCount(); ++i) {
            ASSERT_TRUE(tbLocalShow.RecordAt(i, row));
            lowest << LowestPriceText(row[tbLocalShow.FieldIndex(kLowestPriceField)]);
        }
        EXPECT_EQ(lowest, (QStringList{"", c.Lowest ? "10,00" : "", ""}));
        // A new history starts with every goods' price, dated at this start.
        if (c.Damage[0] && !QByteArray(c.Damage).startsWith("UPDATE")) {
            ASSERT_TRUE(q.exec("SELECT ID, KWOTA, CHWILA FROM HISTORIA_CEN ORDER BY rowid"));
            QStringList entries;
            while (q.next())
                entries << QStringLiteral("%1=%2@%3").arg(q.value(0).toString(), q.value(1).toString(),
                                                          QString::number(q.value(2).toLongLong() == clock.Now.toMSecsSinceEpoch()));
            EXPECT_EQ(entries, (QStringList{"1=49900@1", "2=90000@1", "3=@1"}));
            // From now on the history is kept.
            ASSERT_TRUE(tbLocalShow.Locate("ID", "1"));
            tbLocalShow.Edit();
            tbLocalShow.FieldByName("CENA").SetAsString("4,49");
            tbLocalShow.Post();
            ASSERT_TRUE(tbLocalShow.Locate("ID", "1"));
            EXPECT_EQ(LowestPriceText(tbLocalShow.FieldByName(kLowestPriceField).Value()), "4,99");
        }
    }
}

TEST(PriceHistoryUpgrade, AHistoryLostWhileRunningShowsNoLowestPrice) {
    TempDataHome home;
    TScopedPriceClock clock(kDay0);
    TTable tbLocal, tbLocalShow;
    ASSERT_TRUE(OpenGoodsList(tbLocal, tbLocalShow).isEmpty());
    AddGoods(tbLocalShow, {"1", "a", "10"});
    clock.AddDays(40);
    ASSERT_TRUE(tbLocalShow.Locate("ID", "1"));
    tbLocalShow.Edit();
    tbLocalShow.FieldByName("CENA").SetAsString("8");
    tbLocalShow.Post();
    QSqlQuery q(QSqlDatabase::database(tbLocalShow.ConnectionName()));
    ASSERT_TRUE(q.exec("DROP TABLE HISTORIA_CEN"));
    std::vector<QVariant> row;
    ASSERT_TRUE(tbLocalShow.RecordAt(0, row));
    EXPECT_EQ(row[tbLocalShow.FieldIndex("CENA")].toString(), "8");
    EXPECT_EQ(LowestPriceText(row[tbLocalShow.FieldIndex(kLowestPriceField)]), "");
    ASSERT_TRUE(tbLocalShow.Locate("ID", "1"));
    EXPECT_TRUE(tbLocalShow.FieldByName(kLowestPriceField).IsNull());
    // A goods write that cannot keep the history is refused as a whole.
    tbLocalShow.Edit();
    tbLocalShow.FieldByName("CENA").SetAsString("7");
    EXPECT_THROW(tbLocalShow.Post(), TEngineError);
    tbLocalShow.Cancel();
    ASSERT_TRUE(q.exec("SELECT CENA FROM towary") && q.next());
    EXPECT_EQ(q.value(0).toString(), "8");
}

}  // namespace
