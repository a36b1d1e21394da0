// What only a store shared by several workstations shows: each one's marks,
// two edits of one record, the update lock, and a server that is not there.
#include "goodsrecord.h"
#include "goodstestutil.h"
#include "pgtest.h"
#include "serverschema.h"
#include "shopupdatelock.h"
#include "storekinds.h"
#include "views.h"

#include <QTcpServer>

namespace {

class ServerGoodsStoreTest : public PgTest {
protected:
    void SetUp() override {
        PgTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        A = Opened(QStringLiteral("kasa1"));
        // Each workstation keeps its copy in its own data folder.
        OtherHome = std::make_unique<TempDataHome>();
        B = Opened(QStringLiteral("kasa2"));
    }
    std::unique_ptr<TGoodsStore> Opened(const QString& workstation) {
        auto store = MakeServerGoodsStore(ServerStoreSettings(Shop, workstation));
        TTable list;
        EXPECT_EQ(store->Open(list), QStringList());
        return store;
    }
    static QStringList Names(TGoodsStore& store, const QString& filter) {
        QStringList out;
        for (const TGoodsRecord& r : store.Records(filter)) out << r.NAZWA;
        return out;
    }
    // The server's history of one goods: amounts in the order they were
    // entered.
    QStringList ServerHistory(const QString& id) {
        const auto conn = Connected();
        const TPgResult r = conn->Exec(
            QStringLiteral("SELECT \"KWOTA\"::text FROM %1.historia_cen WHERE \"ID\" = ? ORDER BY \"CHWILA\", nr").arg(conn->Identifier(Shop)),
            {id});
        QStringList out;
        for (int i = 0; i < r.Rows(); ++i) out << r.Value(i, 0).toString();
        return out;
    }

    TempDataHome Home;
    std::unique_ptr<TempDataHome> OtherHome;
    QString Shop = FreshShopName();
    std::unique_ptr<TGoodsStore> A, B;
};

// Each workstation marks and stamps its own goods: another's marks and
// print dates are not its.
TEST_F(ServerGoodsStoreTest, EachWorkstationsMarksAreItsOwn) {
    {
        TTable table;
        A->Bind(table, TGoodsOrder::Key);
        table.Open();
        AddGoods(table, {QStringLiteral("1"), QStringLiteral("Chleb"), QStringLiteral("4,99"), false, true});
        AddGoods(table, {QStringLiteral("2"), QStringLiteral("Mleko")});
        AddGoods(table, {QStringLiteral("3"), QStringLiteral("Ser")});
    }
    const QString marked = ViewFilter(TViewCode::Marked, {});
    EXPECT_EQ(Names(*B, QString()), (QStringList{"Chleb", "Mleko", "Ser"}));
    EXPECT_EQ(B->CountWhere(marked), 0);
    EXPECT_EQ(B->SelectByType(ViewFilter(TViewCode::All, {}), QStringLiteral("NAZWA = 'Ser'"), {}), 1);
    EXPECT_EQ(Names(*A, marked), QStringList{"Chleb"});
    EXPECT_EQ(Names(*B, marked), QStringList{"Ser"});
    const QDateTime moment(QDate(2026, 3, 2), QTime(8, 0));
    EXPECT_EQ(A->StampPrintDates({QStringLiteral("2")}, moment, true), 1);
    EXPECT_EQ(Names(*A, ViewFilter(TViewCode::NeverPrinted, {})), (QStringList{"Chleb", "Ser"}));
    EXPECT_EQ(Names(*B, ViewFilter(TViewCode::NeverPrinted, {})), (QStringList{"Chleb", "Mleko", "Ser"}));
    A->ClearMarks({});
    EXPECT_EQ(Names(*B, marked), QStringList{"Ser"});
    EXPECT_EQ(B->Report().Marked, 1);
    EXPECT_EQ(A->Report().Marked, 0);
    const TGoodsStoreReport report = A->Report();
    EXPECT_EQ(report.Kind, TGoodsStoreKind::Server);
    EXPECT_EQ(report.Goods, 3);
    EXPECT_EQ(report.History, 3);
    EXPECT_EQ(report.SchemaVersion, kServerSchemaVersion);
    EXPECT_EQ(report.Location, QStringLiteral("127.0.0.1:%1/sklep, sklep %2").arg(SharedPgServer().port()).arg(Shop));
}

// Two workstations edit one record from the lists they read before: each
// save writes only what it changed, the later wins on a column both changed,
// and the history keeps every price. A record another deleted is refused.
TEST_F(ServerGoodsStoreTest, LaterSaveWinsAndTheHistoryKeepsBoth) {
    {
        TTable table;
        A->Bind(table, TGoodsOrder::Key);
        table.Open();
        AddGoods(table, {QStringLiteral("1"), QStringLiteral("Chleb"), QStringLiteral("10,00")});
        AddGoods(table, {QStringLiteral("2"), QStringLiteral("Mleko")});
    }
    B->CatchUp();
    TTable onA, onB;
    A->Bind(onA, TGoodsOrder::Key);
    B->Bind(onB, TGoodsOrder::Key);
    onA.Open();
    onB.Open();
    ASSERT_TRUE(onA.Locate(QStringLiteral("ID"), QStringLiteral("1")));
    ASSERT_TRUE(onB.Locate(QStringLiteral("ID"), QStringLiteral("1")));
    onA.Edit();
    onB.Edit();
    onA.FieldByName(QStringLiteral("CENA")).SetAsString(QStringLiteral("9,00"));
    onA.Post();
    onB.FieldByName(QStringLiteral("NAZWA")).SetAsString(QStringLiteral("Chleb razowy"));
    onB.FieldByName(QStringLiteral("CENA")).SetAsString(QStringLiteral("8,00"));
    onB.Post();
    onA.Edit();
    onA.FieldByName(QStringLiteral("WAGA")).SetAsString(QStringLiteral("0,5 kg"));
    onA.Post();
    for (TGoodsStore* store : {A.get(), B.get()}) {
        const std::vector<TGoodsRecord> goods = store->Records(QStringLiteral("ID = '1'"));
        ASSERT_EQ(goods.size(), 1u);
        EXPECT_EQ(goods[0].NAZWA, QStringLiteral("Chleb razowy"));
        EXPECT_EQ(goods[0].CENA, QStringLiteral("8,00"));
        EXPECT_EQ(goods[0].WAGA, QStringLiteral("0,5 kg"));
    }
    EXPECT_EQ(ServerHistory(QStringLiteral("1")), (QStringList{"100000", "90000", "80000"}));

    ASSERT_TRUE(onA.Locate(QStringLiteral("ID"), QStringLiteral("2")));
    ASSERT_TRUE(onB.Locate(QStringLiteral("ID"), QStringLiteral("2")));
    onB.Delete();
    onA.Edit();
    onA.FieldByName(QStringLiteral("CENA")).SetAsString(QStringLiteral("3,00"));
    try {
        onA.Post();
        ADD_FAILURE() << "an edit of deleted goods was taken";
    } catch (const TEngineError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Rekord został usunięty."));
    }
    onA.Cancel();
    EXPECT_EQ(Names(*A, QString()), QStringList{"Chleb razowy"});
}

// The goods update on one workstation: new and changed goods get NEW and
// lose their marks on every workstation, unchanged goods keep them, the
// server's history follows the prices, and a row the server refuses (a name
// longer than its column, narrowed by the shop's administrator) is counted
// with the server's word on it while the rest of the batch lands.
TEST_F(ServerGoodsStoreTest, UpdateUnmarksChangedGoodsOnEveryWorkstation) {
    struct Row {
        const char* Id;
        const char* Name;
        const char* Price;
    };
    struct Step {
        const char* What;
        std::vector<Row> Rows;
        bool NarrowNames;  // the server's NAZWA cut to 20 characters first
        int Changed, Rejected;
        QStringList New;     // goods with NEW afterwards
        QStringList Marked;  // goods still marked on both workstations
        int History;         // the server's entries
    };
    const Step steps[] = {
        {"first update", {{"1", "Chleb", "4,99"}, {"2", "Mleko", "3,49"}, {"3", "Ser", "12,00"}}, false, 3, 0,
         {"Chleb", "Mleko", "Ser"}, {}, 3},
        {"unchanged", {{"1", "Chleb", "4,99"}, {"2", "Mleko", "3,49"}, {"3", "Ser", "12,00"}}, false, 0, 0, {}, {"Chleb", "Mleko", "Ser"}, 3},
        {"new prices", {{"1", "Chleb", "5,29"}, {"2", "Mleko", "3,49"}, {"3", "Ser", "11,50"}}, false, 2, 0, {"Chleb", "Ser"}, {"Mleko"}, 5},
        {"a name too long for the server",
         {{"1", "Chleb", "5,29"}, {"2", "Mleko świeże pełnotłuste", "3,59"} /* 24 characters */, {"3", "Ser", "11,50"}, {"4", "Masło", "7,99"}},
         true, 1, 1, {"Masło"}, {"Chleb", "Mleko", "Ser"}, 6},
    };
    const QString all = ViewFilter(TViewCode::All, {});
    const QString marked = ViewFilter(TViewCode::Marked, {});
    for (const Step& step : steps) {
        SCOPED_TRACE(step.What);
        if (step.NarrowNames) {
            const auto admin = Connected();
            admin->Exec(QStringLiteral("ALTER TABLE %1.towary ALTER COLUMN \"NAZWA\" TYPE varchar(20)").arg(admin->Identifier(Shop)));
        }
        A->ClearNewFlags({});
        A->SelectByType(all, QString(), {});
        B->SelectByType(all, QString(), {});
        auto merge = A->BeginMerge(TUnitSymbols{});
        for (const Row& row : step.Rows) {
            TGoodsRecord r;
            r.ID = QString::fromUtf8(row.Id);
            r.NAZWA = QString::fromUtf8(row.Name);
            r.CENA = QString::fromUtf8(row.Price);
            r.WAGA = QStringLiteral("1 kg");
            merge->Add(r);
        }
        merge->Commit();
        EXPECT_EQ(merge->Counts().Changed, step.Changed);
        EXPECT_EQ(merge->Counts().Rejected, step.Rejected);
        if (step.Rejected > 0) EXPECT_TRUE(merge->LastError().contains(QStringLiteral("(20)"))) << merge->LastError().toStdString();
        merge.reset();
        // The updating workstation's copy has caught up already.
        EXPECT_EQ(Names(*A, ViewFilter(TViewCode::Changed, {})), step.New);
        EXPECT_EQ(Names(*A, marked), step.Marked);
        EXPECT_EQ(Names(*B, marked), step.Marked);
        EXPECT_EQ(A->Report().History, step.History);
    }
    EXPECT_EQ(ServerHistory(QStringLiteral("1")), (QStringList{"49900", "52900"}));
    const std::vector<TGoodsRecord> milk = B->Records(QStringLiteral("ID = '2'"));
    ASSERT_EQ(milk.size(), 1u);
    EXPECT_EQ(milk[0].CENA, QStringLiteral("3,49"));
    EXPECT_EQ(milk[0].ABSCENA, QStringLiteral("3,49 zł/kg"));
}

// One goods update per shop: a second workstation's lock waits until the
// first one's goes.
TEST_F(ServerGoodsStoreTest, UpdateLockIsOnePerShop) {
    auto first = A->TryLockUpdate();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(B->TryLockUpdate(), nullptr);
    int asked = 0;
    EXPECT_EQ(B->LockUpdate([&] { ++asked; return false; }, {}), nullptr);
    EXPECT_EQ(asked, 1);
    {
        // A copy of local goods into the shop takes the same lock.
        const auto copy = Connected();
        copy->Begin();
        EXPECT_FALSE(TryLockShopUpdateInTransaction(*copy, Shop));
        copy->Rollback();
    }
    const auto other = MakeServerGoodsStore(ServerStoreSettings(FreshShopName(), QStringLiteral("kasa2")));
    EXPECT_NE(other->TryLockUpdate(), nullptr) << "another shop's update";
    first.reset();
    EXPECT_NE(B->TryLockUpdate(), nullptr);
}

// Without the server no goods are opened: the message, and the list closed.
TEST_F(ServerGoodsStoreTest, ServerDownAtStartOpensNoGoods) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    TGoodsStoreSettings settings = ServerStoreSettings(Shop);
    settings.Port = probe.serverPort();
    probe.close();
    const auto store = MakeServerGoodsStore(settings);
    TTable list;
    const QStringList errors = store->Open(list);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Nie można połączyć się z serwerem towarów 127.0.0.1:%1/sklep").arg(settings.Port)))
        << errors[0].toStdString();
    EXPECT_FALSE(list.Active());
    EXPECT_THROW(store->Report(), TEngineError);
}

}  // namespace
