// What every part of the program relies on of a goods store, the same on the
// local goods file and on a shop of a goods server: the goods the views
// list and their order, marks, print dates, deletions, records written
// through a table bound to the store, and the lowest price kept by the
// price history.
#include "goodsrecord.h"
#include "goodstestutil.h"
#include "storekinds.h"
#include "views.h"

#include <QDateTime>

namespace {

const QDateTime kStart(QDate(2026, 3, 1), QTime(12, 0));
const QDateTime kLastPrint(QDate(2026, 2, 20), QTime(9, 30));

class GoodsStoreBehaviour : public TStoreTest {
protected:
    void SetUp() override {
        TStoreTest::SetUp();
        if (HasFatalFailure()) return;
        Store = MakeStore();
        ASSERT_EQ(Store->Open(Show), QStringList());
    }

    // Goods taken in one by one through a table bound to the store, as the
    // record dialog takes them.
    void Take(std::initializer_list<TestGoods> goods) {
        TTable table;
        Store->Bind(table, TGoodsOrder::Key);
        table.Open();
        for (const TestGoods& g : goods) AddGoods(table, g);
    }
    // One field of the goods under a filter, as the store reads them.
    QStringList Read(const QString& filter, QString TGoodsRecord::*field = &TGoodsRecord::NAZWA) {
        QStringList out;
        for (const TGoodsRecord& r : Store->Records(filter)) out << r.*field;
        return out;
    }
    // Edits one field of a record through a bound table.
    void Edit(const QString& id, const char* field, const QVariant& value) {
        TTable table;
        Store->Bind(table, TGoodsOrder::Key);
        table.Open();
        ASSERT_TRUE(table.Locate(QStringLiteral("ID"), id)) << id.toStdString();
        table.Edit();
        TField f = table.FieldByName(QString::fromLatin1(field));
        if (value.typeId() == QMetaType::Bool)
            f.SetAsBoolean(value.toBool());
        else
            f.SetAsString(value.toString());
        table.Post();
    }

    // Polish names, in an order other than the name order; the price
    // history dated by the test's clock.
    void TakeShop() {
        Take({{QStringLiteral("1"), QStringLiteral("Żurek"), QStringLiteral("3,50"), true},
              {QStringLiteral("2"), QStringLiteral("zupa"), QStringLiteral("2,00"), false, true},
              {QStringLiteral("3"), QStringLiteral("Ćwikła"), QStringLiteral("4,00"), false, false, kLastPrint},
              {QStringLiteral("4"), QStringLiteral("Cebula"), QStringLiteral("1,00"), true, true, kLastPrint.addDays(-3)},
              {QStringLiteral("5"), QStringLiteral("Łosoś"), QStringLiteral("40,00")},
              {QStringLiteral("6"), QStringLiteral("lody"), QStringLiteral("9,00"), false, false, kLastPrint},
              {QStringLiteral("7"), QStringLiteral("chleb"), QStringLiteral("5,00")},
              {QStringLiteral("8"), QStringLiteral("Źródlana"), QStringLiteral("2,50"), true}});
    }

    TScopedPriceClock Clock{kStart};
    std::unique_ptr<TGoodsStore> Store;
    TTable Show;
};

// Each view lists its goods in the program's Polish name order (case
// ignored, ć after c, ł after l, ź and ż after z).
TEST_P(GoodsStoreBehaviour, ViewsListTheirGoodsInPolishOrder) {
    TakeShop();
    Clock.AddDays(1);
    Edit(QStringLiteral("7"), "CENA", QStringLiteral("4,00"));
    Edit(QStringLiteral("5"), "CENA", QStringLiteral("45,00"));
    const struct {
        TViewCode View;
        QStringList Names;
    } cases[] = {
        {TViewCode::All, {"Cebula", "chleb", "Ćwikła", "lody", "Łosoś", "zupa", "Źródlana", "Żurek"}},
        {TViewCode::Changed, {"Cebula", "Źródlana", "Żurek"}},
        {TViewCode::Marked, {"Cebula", "zupa"}},
        {TViewCode::NeverPrinted, {"chleb", "Łosoś", "zupa", "Źródlana", "Żurek"}},
        {TViewCode::LastPrinted, {"Ćwikła", "lody"}},
        {TViewCode::Reduced, {"chleb"}},
    };
    for (const auto& c : cases) {
        const QString filter = ViewFilter(c.View, kLastPrint);
        EXPECT_EQ(Read(filter), c.Names) << "view " << int(c.View);
        EXPECT_EQ(Store->CountWhere(filter), c.Names.size()) << "view " << int(c.View);
    }
    EXPECT_EQ(Read(ViewFilter(TViewCode::Reduced, {}), &TGoodsRecord::NAJNIZSZA), QStringList{"5"});
    // The list opened by the store shows the same, in the same order.
    Show.Close();
    Show.SetFiltered(false);
    ASSERT_EQ(Store->Open(Show), QStringList());
    EXPECT_EQ(Column(Show, QStringLiteral("NAZWA")), Read(QString()));
}

// Marking by type marks the view's goods that pass the check and unmarks
// the view's others; clearing unmarks all.
TEST_P(GoodsStoreBehaviour, MarkingPasses) {
    TakeShop();
    const QString marked = ViewFilter(TViewCode::Marked, {});
    EXPECT_EQ(Store->SelectByType(ViewFilter(TViewCode::Changed, {}), ViewFilter(TViewCode::NeverPrinted, {}), {}), 2);
    EXPECT_EQ(Read(marked), (QStringList{"zupa", "Źródlana", "Żurek"}));
    EXPECT_EQ(Store->SelectByType(ViewFilter(TViewCode::All, {}), ViewFilter(TViewCode::LastPrinted, kLastPrint), {}), 2);
    EXPECT_EQ(Read(marked), (QStringList{"Ćwikła", "lody"}));
    EXPECT_EQ(Store->CountWhere(marked), 2);
    Store->ClearMarks({});
    EXPECT_EQ(Store->CountWhere(marked), 0);
}

// A print's stamps: with allOrNone every one or, when goods are gone, none
// and the message; without it those still there.
TEST_P(GoodsStoreBehaviour, StampsPrintDates) {
    TakeShop();
    const QDateTime moment(QDate(2026, 3, 2), QTime(8, 15, 30, 250));
    const QString printed = ViewFilter(TViewCode::LastPrinted, moment);
    const struct {
        QStringList Ids;
        bool AllOrNone;
        const char* Error;  // nullptr: none
        int Stamped;
        QStringList Printed;
    } cases[] = {
        {{"5", "nie ma", "2"}, true, "Liczba wydrukowanych towarów, których już nie ma: 1.", 0, {}},
        {{"5", "2", "5"}, true, nullptr, 3, {"Łosoś", "zupa"}},
        {{"7", "nie ma"}, false, nullptr, 1, {"chleb", "Łosoś", "zupa"}},
    };
    for (const auto& c : cases) {
        int stamped = -1;
        int steps = 0;
        try {
            stamped = Store->StampPrintDates(c.Ids, moment, c.AllOrNone, [&] { ++steps; });
            EXPECT_EQ(c.Error, nullptr) << c.Ids.join(u',').toStdString();
        } catch (const TEngineError& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.Error ? c.Error : "")) << c.Ids.join(u',').toStdString();
            stamped = 0;
        }
        EXPECT_EQ(stamped, c.Stamped) << c.Ids.join(u',').toStdString();
        if (!c.Error) {
            EXPECT_EQ(steps, c.Ids.size());
        }
        EXPECT_EQ(Read(printed), c.Printed) << c.Ids.join(u',').toStdString();
    }
}

TEST_P(GoodsStoreBehaviour, DeletesWhatTheFilterChooses) {
    TakeShop();
    const QStringList rest{"chleb", "Ćwikła", "lody", "Łosoś", "Źródlana", "Żurek"};
    EXPECT_EQ(Store->DeleteWhere(ViewFilter(TViewCode::Marked, {})), 2);
    EXPECT_EQ(Read(QString()), rest);
    Store->ClearNewFlags({});
    EXPECT_EQ(Store->CountWhere(ViewFilter(TViewCode::Changed, {})), 0);
    EXPECT_EQ(Store->DeleteWhere(ViewFilter(TViewCode::Changed, {})), 0);
    EXPECT_EQ(Read(QString()), rest);
}

// A store transaction spans the passes run within it, nested ones joining
// it: committed, they stay; dropped, nothing of them stays.
TEST_P(GoodsStoreBehaviour, PassesWithinATransaction) {
    TakeShop();
    const QString changed = ViewFilter(TViewCode::Changed, {});
    {
        const auto outer = Store->Transaction();
        Store->ClearNewFlags({});
        const auto inner = Store->Transaction();
        Store->ClearMarks({});
        inner->Commit();
    }
    EXPECT_EQ(Store->CountWhere(changed), 3);
    EXPECT_EQ(Store->CountWhere(ViewFilter(TViewCode::Marked, {})), 2);
    {
        const auto outer = Store->Transaction();
        Store->ClearNewFlags({});
        {
            const auto inner = Store->Transaction();
            Store->ClearMarks({});
            inner->Commit();
        }
        outer->Commit();
    }
    EXPECT_EQ(Store->CountWhere(changed), 0);
    EXPECT_EQ(Store->CountWhere(ViewFilter(TViewCode::Marked, {})), 0);
}

// Records taken in, edited and deleted through a bound table, and the next
// free key for goods entered by hand.
TEST_P(GoodsStoreBehaviour, RecordsWrittenThroughABoundTable) {
    Take({{QStringLiteral("0"), QStringLiteral("Ser"), QStringLiteral("12,00")},
          {QStringLiteral("1"), QStringLiteral("Masło"), QStringLiteral("7,00"), false, true},
          {QStringLiteral("3"), QStringLiteral("Jaja"), QStringLiteral("9,00")}});
    EXPECT_EQ(Store->NextFreeId(), 2);
    Edit(QStringLiteral("0"), "NAZWA", QStringLiteral("Ser żółty"));
    Edit(QStringLiteral("1"), "SELECT", false);
    EXPECT_EQ(Read(QString()), (QStringList{"Jaja", "Masło", "Ser żółty"}));
    EXPECT_EQ(Store->CountWhere(ViewFilter(TViewCode::Marked, {})), 0);
    {
        TTable table;
        Store->Bind(table, TGoodsOrder::Name);
        table.Open();
        ASSERT_TRUE(table.Locate(QStringLiteral("ID"), QStringLiteral("3")));
        table.Delete();
        EXPECT_EQ(Column(table, QStringLiteral("NAZWA")), (QStringList{"Masło", "Ser żółty"}));
    }
    EXPECT_EQ(Read(QString(), &TGoodsRecord::ID), (QStringList{"1", "0"}));
    EXPECT_EQ(Store->NextFreeId(), 2);
    Take({{QStringLiteral("2"), QStringLiteral("Bułka"), QStringLiteral("0,80")}});
    EXPECT_EQ(Store->NextFreeId(), 3);
}

// The lowest price of a reduction is the lowest of the 30 days before it,
// the earlier prices kept by the history whoever edits them; a rise ends it.
TEST_P(GoodsStoreBehaviour, LowestPriceAfterPriceEdits) {
    Take({{QStringLiteral("1"), QStringLiteral("Kawa"), QStringLiteral("10,00")}});
    const struct {
        int Days;
        const char* Price;
        const char* Lowest;
    } steps[] = {{5, "12,00", ""}, {5, "8,00", "10"}, {2, "7,50", "8"}, {1, "9,00", ""}, {40, "6,00", "9"}};
    for (const auto& s : steps) {
        Clock.AddDays(s.Days);
        Edit(QStringLiteral("1"), "CENA", QString::fromUtf8(s.Price));
        EXPECT_EQ(Read(QString(), &TGoodsRecord::NAJNIZSZA), QStringList{QString::fromUtf8(s.Lowest)}) << s.Price;
    }
}

INSTANTIATE_TEST_SUITE_P(BothStores, GoodsStoreBehaviour, ::testing::Values(TStoreKind::Local, TStoreKind::Server), StoreKindName);

}  // namespace
