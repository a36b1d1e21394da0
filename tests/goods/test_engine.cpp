#include "goodstable.h"
#include "goodstestutil.h"
#include "testsupport.h"
#include "views.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

struct EngineTest : ::testing::Test {
    TempDataHome home;
    TTable tbLocal, tbLocalShow;

    void SetUp() override {
        ASSERT_TRUE(CreateGoodsTable(tbLocal));
        SetupGoodsTable(tbLocal, false);
        SetupGoodsTable(tbLocalShow, true);
        tbLocal.Open();
        tbLocalShow.Open();
    }
};

TEST_F(EngineTest, FieldsIndexesAndRequiredFlagsOfTheNewTable) {
    ASSERT_EQ(tbLocal.FieldCount(), 11);
    const char* names[] = {"ID", "NAZWA", "CENA", "WAGA", "ABSCENA", "KODKRESKOWY", "TYPKODU", "PRINTDATE", "NEW", "SELECT", "KROTKITERMIN"};
    const int sizes[] = {30, 50, 10, 50, 50, 50, 0, 0, 0, 0, 0};
    const bool required[] = {true, true, true, false, false, false, false, false, true, true, true};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(tbLocal.Fields(i).FieldName(), names[i]);
        EXPECT_EQ(tbLocal.Fields(i).Size(), sizes[i]) << names[i];
        EXPECT_EQ(tbLocal.Fields(i).Required(), required[i]) << names[i];
    }
    EXPECT_EQ(tbLocal.FieldByName("TYPKODU").DataType(), TFieldType::Integer);
    EXPECT_EQ(tbLocal.FieldByName("PRINTDATE").DataType(), TFieldType::DateTime);
    EXPECT_EQ(tbLocal.FieldByName("select").DataType(), TFieldType::Boolean);
    EXPECT_EQ(tbLocal.FieldByName("KROTKITERMIN").DataType(), TFieldType::Boolean);
    ASSERT_EQ(tbLocal.IndexDefs().size(), 2u);
    EXPECT_TRUE(tbLocal.IndexDefs()[0].Primary);
    EXPECT_EQ(tbLocal.IndexDefs()[0].Fields, QStringList{"ID"});
    EXPECT_EQ(tbLocal.IndexDefs()[1].Name, "IDNAZWA");
    EXPECT_TRUE(tbLocal.IndexDefs()[1].CaseInsensitive);
    EXPECT_FALSE(tbLocal.IndexDefs()[1].Unique);
    EXPECT_TRUE(tbLocalShow.IsEmpty());
    EXPECT_TRUE(tbLocalShow.Bof());
    EXPECT_TRUE(tbLocalShow.Eof());
}

TEST_F(EngineTest, KeysAreTextSoSevenAndZeroSevenDiffer) {
    AddGoods(tbLocal, {"7", "siedem"});
    AddGoods(tbLocal, {"07", "zero siedem"});
    EXPECT_EQ(tbLocal.RecordCount(), 2);
    ASSERT_TRUE(tbLocal.FindKey(7));
    EXPECT_EQ(tbLocal.FieldByName("NAZWA").AsString(), "siedem");
    ASSERT_TRUE(tbLocal.FindKey("07"));
    EXPECT_EQ(tbLocal.FieldByName("NAZWA").AsString(), "zero siedem");
    EXPECT_FALSE(tbLocal.FindKey(" 7"));
    // A key taken twice is refused and the table keeps one record.
    EXPECT_THROW(AddGoods(tbLocal, {"7", "duplikat"}), TEngineError);
    tbLocal.Cancel();
    tbLocal.Refresh();
    EXPECT_EQ(tbLocal.RecordCount(), 2);
}

TEST_F(EngineTest, TextsAreCutToTheFieldSizeOnWriteAndOnSearch) {
    const QString longId = QString(35, u'9');
    const QString longName = QString(45, u'a') + "bcdefghijklmn";
    AddGoods(tbLocal, {longId, longName, "12345678901234"});
    ASSERT_TRUE(tbLocal.FindKey(longId));
    EXPECT_EQ(tbLocal.FieldByName("ID").AsString(), QString(30, u'9'));
    EXPECT_EQ(tbLocal.FieldByName("NAZWA").AsString(), longName.left(50));
    EXPECT_EQ(tbLocal.FieldByName("CENA").AsString(), "1234567890");
    tbLocalShow.Refresh();
    EXPECT_TRUE(tbLocalShow.Locate("NAZWA", longName, {false, false}));
    EXPECT_TRUE(tbLocalShow.Locate("NAZWA", longName.toUpper(), {true, true}));
    EXPECT_TRUE(tbLocal.Locate("CENA", "1234567890999", {}));
}

TEST_F(EngineTest, RequiredFieldLeftEmptyRefusesThePost) {
    tbLocal.Insert();
    tbLocal.FieldByName("ID").SetAsString("1");
    tbLocal.FieldByName("NAZWA").SetAsString("bez ceny");
    tbLocal.FieldByName("CENA").SetAsString("");  // an empty text is no value
    tbLocal.FieldByName("NEW").SetAsBoolean(true);
    tbLocal.FieldByName("SELECT").SetAsBoolean(false);
    try {
        tbLocal.Post();
        FAIL() << "post accepted";
    } catch (const TEngineError& e) {
        EXPECT_EQ(e.Message(), "Pole 'CENA' musi mieć wartość.");
    }
    EXPECT_EQ(tbLocal.DataSetState(), TDataSetState::Insert);
    tbLocal.FieldByName("CENA").SetAsString("2");
    tbLocal.Post();
    EXPECT_EQ(tbLocal.RecordCount(), 1);
    // Writing outside the edit state is an error, not a silent change.
    EXPECT_THROW(tbLocal.FieldByName("NAZWA").SetAsString("x"), TEngineError);
}

TEST_F(EngineTest, NameOrderIgnoresCaseAlsoForPolishLetters) {
    const QStringList names{"zebra", "Żaba", "Ćma", "cebula", "ćwiek", "Ala", "ąb", "Łódź", "lody", "źrebię", "BANAN", "ala"};
    for (int i = 0; i < names.size(); ++i) AddGoods(tbLocal, {QString::number(i), names[i]});
    tbLocalShow.Refresh();
    EXPECT_EQ(Column(tbLocalShow, "NAZWA"),
              (QStringList{"Ala", "ala", "ąb", "BANAN", "cebula", "Ćma", "ćwiek", "lody", "Łódź", "zebra", "źrebię", "Żaba"}));
    EXPECT_EQ(Column(tbLocal, "ID"), (QStringList{"0", "1", "10", "11", "2", "3", "4", "5", "6", "7", "8", "9"}));
    // A filtered list is sorted apart from the index; both orders agree.
    tbLocalShow.SetFilter("NEW = FALSE");
    tbLocalShow.SetFiltered(true);
    EXPECT_EQ(Column(tbLocalShow, "NAZWA"),
              (QStringList{"Ala", "ala", "ąb", "BANAN", "cebula", "Ćma", "ćwiek", "lody", "Łódź", "zebra", "źrebię", "Żaba"}));
    EXPECT_TRUE(tbLocalShow.FindKey("ŁÓDŹ"));
    EXPECT_EQ(tbLocalShow.FieldByName("ID").AsString(), "7");
    tbLocalShow.SetFiltered(false);
    // Posting a changed name moves the record to its new place at once.
    ASSERT_TRUE(tbLocalShow.Locate("NAZWA", "zebra", {}));
    tbLocalShow.Edit();
    tbLocalShow.FieldByName("NAZWA").SetAsString("Aa");
    tbLocalShow.Post();
    EXPECT_EQ(tbLocalShow.RecNo(), 0);
    EXPECT_EQ(Column(tbLocalShow, "NAZWA").first(), "Aa");
}

TEST_F(EngineTest, NavigationBeginningAndEnd) {
    tbLocal.Next();
    EXPECT_TRUE(tbLocal.Eof());
    for (int i = 1; i <= 3; ++i) AddGoods(tbLocal, {QString::number(i), "n" + QString::number(i)});
    tbLocal.First();
    EXPECT_TRUE(tbLocal.Bof());
    EXPECT_FALSE(tbLocal.Eof());
    tbLocal.Next();
    tbLocal.Next();
    EXPECT_FALSE(tbLocal.Eof());
    EXPECT_EQ(tbLocal.FieldByName("ID").AsString(), "3");
    tbLocal.Next();
    EXPECT_TRUE(tbLocal.Eof());
    EXPECT_EQ(tbLocal.FieldByName("ID").AsString(), "3");
    tbLocal.Prior();
    EXPECT_FALSE(tbLocal.Eof());
    EXPECT_EQ(tbLocal.FieldByName("ID").AsString(), "2");
    tbLocal.Last();
    EXPECT_TRUE(tbLocal.Eof());
    tbLocal.First();
    tbLocal.Prior();
    EXPECT_TRUE(tbLocal.Bof());
    EXPECT_EQ(tbLocal.FieldByName("ID").AsString(), "1");
}

TEST_F(EngineTest, TwoCursorsSeeEachOthersPostsAfterRefresh) {
    EXPECT_TRUE(tbLocalShow.IsEmpty());
    AddGoods(tbLocal, {"1", "mleko"});
    EXPECT_TRUE(tbLocalShow.IsEmpty());  // until it is refreshed
    tbLocalShow.Refresh();
    ASSERT_EQ(tbLocalShow.RecordCount(), 1);
    ASSERT_TRUE(tbLocal.FindKey("1"));
    EXPECT_EQ(tbLocal.FieldByName("CENA").AsString(), "1,00");
    tbLocalShow.Edit();
    tbLocalShow.FieldByName("CENA").SetAsString("3,49");
    tbLocalShow.Post();
    EXPECT_EQ(tbLocal.FieldByName("CENA").AsString(), "1,00");  // its copy is older
    tbLocal.Refresh();
    EXPECT_EQ(tbLocal.FieldByName("CENA").AsString(), "3,49");
    // A change of one field by one cursor does not undo another field's change by
    // the other.
    tbLocal.Edit();
    tbLocal.FieldByName("SELECT").SetAsBoolean(true);
    tbLocal.Post();
    tbLocalShow.Edit();
    tbLocalShow.FieldByName("WAGA").SetAsString("1 l");
    tbLocalShow.Post();
    tbLocalShow.Refresh();
    EXPECT_TRUE(tbLocalShow.FieldByName("SELECT").AsBoolean());
    EXPECT_EQ(tbLocalShow.FieldByName("WAGA").AsString(), "1 l");
    // Deletion through one cursor; the other drops it on refresh.
    tbLocal.Delete();
    EXPECT_TRUE(tbLocal.IsEmpty());
    EXPECT_EQ(tbLocalShow.RecordCount(), 1);
    tbLocalShow.Refresh();
    EXPECT_TRUE(tbLocalShow.IsEmpty());
}

TEST_F(EngineTest, PostedRecordOutsideTheFilterLeavesTheList) {
    tbLocalShow.SetFilter("NEW = TRUE");
    tbLocalShow.SetFiltered(true);
    AddGoods(tbLocalShow, {"1", "nowy", "1", true});
    AddGoods(tbLocalShow, {"2", "stary", "1", false});
    EXPECT_EQ(Column(tbLocalShow, "NAZWA"), QStringList{"nowy"});
    ASSERT_TRUE(tbLocalShow.Locate("NAZWA", "nowy", {}));
    tbLocalShow.Edit();
    tbLocalShow.FieldByName("NEW").SetAsBoolean(false);
    tbLocalShow.Post();
    EXPECT_TRUE(tbLocalShow.IsEmpty());
    tbLocal.Refresh();
    EXPECT_EQ(tbLocal.RecordCount(), 2);
}

TEST_F(EngineTest, FieldAccessByNameAndPosition) {
    const QDateTime stamp(QDate(2026, 3, 4), QTime(5, 6, 7, 890));
    tbLocal.Insert();
    tbLocal.FieldByName("ID").SetAsInteger(12);
    tbLocal.Fields(1).SetAsString("chleb");
    tbLocal.Fields(2).SetAsString("4,50");
    tbLocal.FieldByName("NEW").SetAsBoolean(true);
    tbLocal.FieldByName("SELECT").SetAsString("False");
    tbLocal.FieldByName("PRINTDATE").SetAsDateTime(stamp);
    tbLocal.Post();
    ASSERT_TRUE(tbLocal.FindKey("12"));
    EXPECT_EQ(tbLocal.FieldByName("ID").AsInteger(), 12);
    EXPECT_TRUE(tbLocal.FieldByName("TYPKODU").IsNull());
    EXPECT_EQ(tbLocal.FieldByName("TYPKODU").AsInteger(), 0);  // an empty integer reads 0
    EXPECT_EQ(tbLocal.FieldByName("TYPKODU").AsString(), "");
    EXPECT_EQ(tbLocal.FieldByName("NEW").AsString(), "True");
    EXPECT_FALSE(tbLocal.FieldByName("SELECT").AsBoolean());
    EXPECT_EQ(tbLocal.FieldByName("PRINTDATE").AsDateTime(), stamp);  // milliseconds kept
    EXPECT_EQ(tbLocal.FieldByName("PRINTDATE").AsString(), "2026-03-04 05:06:07");
    EXPECT_THROW(tbLocal.FieldByName("NAZWA").AsInteger(), TEngineError);
    EXPECT_THROW(tbLocal.FieldByName("NIEMA"), TEngineError);
    EXPECT_FALSE(tbLocal.FieldByName("KROTKITERMIN").AsBoolean());  // a new record starts with the default
    EXPECT_THROW(tbLocal.Fields(11), TEngineError);
    tbLocal.Edit();
    EXPECT_THROW(tbLocal.FieldByName("TYPKODU").SetAsString("abc"), TEngineError);
    tbLocal.Cancel();
}

TEST_F(EngineTest, EventsAndSilentAbort) {
    int inserts = 0, edits = 0;
    tbLocalShow.AfterInsert = [&](TTable&) { ++inserts; };
    tbLocalShow.AfterEdit = [&](TTable&) { ++edits; };
    tbLocalShow.BeforeDelete = [](TTable&) { Abort(); };
    tbLocalShow.Edit();  // on an empty table an edit is an insert
    EXPECT_EQ(tbLocalShow.DataSetState(), TDataSetState::Insert);
    EXPECT_EQ(inserts, 1);
    EXPECT_EQ(edits, 0);
    tbLocalShow.FieldByName("ID").SetAsString("1");
    tbLocalShow.FieldByName("NAZWA").SetAsString("ser");
    tbLocalShow.FieldByName("CENA").SetAsString("9");
    tbLocalShow.FieldByName("NEW").SetAsBoolean(true);
    tbLocalShow.FieldByName("SELECT").SetAsBoolean(false);
    tbLocalShow.Post();
    tbLocalShow.Edit();
    EXPECT_EQ(edits, 1);
    tbLocalShow.Cancel();
    EXPECT_FALSE(tbLocalShow.Delete());
    EXPECT_EQ(tbLocalShow.RecordCount(), 1);
    tbLocalShow.BeforeDelete = nullptr;
    EXPECT_TRUE(tbLocalShow.Delete());
    EXPECT_TRUE(tbLocalShow.IsEmpty());
    EXPECT_THROW(tbLocalShow.Delete(), TEngineError);
}

TEST_F(EngineTest, SearchTextWithQuotesPercentAndUnderscoreIsTakenLiterally) {
    const QStringList names{"50 rabat", "50% rabat", "50_rabat", "500 gram", "O'Neil", "o'neil kawa", "Łódź", "lody"};
    for (int i = 0; i < names.size(); ++i) AddGoods(tbLocal, {QString::number(i), names[i]});
    tbLocalShow.Refresh();
    const TLocateOptions prefix{true, true};
    auto found = [&](const QString& text) -> QString {
        return tbLocalShow.Locate("NAZWA", text, prefix) ? tbLocalShow.FieldByName("NAZWA").AsString() : QString("-");
    };
    EXPECT_EQ(found("50%"), "50% rabat");
    EXPECT_EQ(found("50_"), "50_rabat");
    EXPECT_EQ(found("o'n"), "O'Neil");
    EXPECT_EQ(found("O'NEIL K"), "o'neil kawa");
    EXPECT_EQ(found("łó"), "Łódź");
    EXPECT_EQ(found("LO"), "lody");
    EXPECT_EQ(found("500"), "500 gram");
    // No match leaves the list where it was.
    ASSERT_TRUE(tbLocalShow.Locate("NAZWA", "lody", {}));
    EXPECT_FALSE(tbLocalShow.Locate("NAZWA", "%", prefix));
    EXPECT_FALSE(tbLocalShow.Locate("NAZWA", "'; DROP TABLE towary; --", prefix));
    EXPECT_EQ(tbLocalShow.FieldByName("NAZWA").AsString(), "lody");
    // The same search in ID order goes through SQL and finds the same records.
    EXPECT_TRUE(tbLocal.Locate("NAZWA", "50_", prefix));
    EXPECT_EQ(tbLocal.FieldByName("NAZWA").AsString(), "50_rabat");
    EXPECT_TRUE(tbLocal.Locate("NAZWA", "ŁÓDŹ", {true, false}));
    EXPECT_FALSE(tbLocal.Locate("NAZWA", "ŁÓDŹ", {false, false}));
    EXPECT_EQ(tbLocal.RecordCount(), names.size());
}

TEST_F(EngineTest, ViewFiltersAndCombinedFilters) {
    const QDateTime last(QDate(2026, 5, 6), QTime(10, 20, 30, 400));
    AddGoods(tbLocal, {"1", "a", "1", true, false, {}});
    AddGoods(tbLocal, {"2", "b", "1", true, true, last});
    AddGoods(tbLocal, {"3", "c", "1", false, true, last.addSecs(-2)});
    AddGoods(tbLocal, {"4", "d", "1", false, false, {}});
    AddGoods(tbLocal, {"5", "e", "1", false, false, last.addMSecs(500)});  // same second window
    AddGoods(tbLocal, {"6", "f", "1", true, false, last.addSecs(2)});
    EXPECT_EQ(ViewFilter(TViewCode::Changed, last), "NEW = TRUE");
    EXPECT_EQ(ViewFilter(TViewCode::Marked, last), "SELECT = TRUE");
    EXPECT_EQ(ViewFilter(TViewCode::NeverPrinted, last), "PRINTDATE = NULL");
    EXPECT_EQ(ViewFilter(TViewCode::LastPrinted, last), "PRINTDATE >= '2026-05-06 10:20:30' AND PRINTDATE <= '2026-05-06 10:20:31'");
    EXPECT_EQ(ViewFilter(TViewCode::All, last), "");
    EXPECT_EQ(ViewFilter(TViewCode::Reduced, last), "NAJNIZSZA <> NULL");
    EXPECT_EQ(ViewFilter(static_cast<TViewCode>(6), last), "");
    EXPECT_EQ(CombineFilters("A", "B"), "(A) AND (B)");
    EXPECT_EQ(CombineFilters("", "B"), "B");
    EXPECT_EQ(CombineFilters("A", ""), "A");
    EXPECT_EQ(CombineFilters("", ""), "");

    auto ids = [&](const QString& filter) {
        tbLocalShow.SetFilter(filter);
        tbLocalShow.SetFiltered(true);
        QStringList out = Column(tbLocalShow, "ID");
        EXPECT_EQ(tbLocalShow.RecordCount(), out.size());
        EXPECT_EQ(tbLocal.CountWhere(filter), out.size());
        return out.join(',');
    };
    EXPECT_EQ(ids(ViewFilter(TViewCode::All, last)), "1,2,3,4,5,6");
    EXPECT_EQ(ids(ViewFilter(TViewCode::Changed, last)), "1,2,6");
    EXPECT_EQ(ids(ViewFilter(TViewCode::Marked, last)), "2,3");
    EXPECT_EQ(ids(ViewFilter(TViewCode::NeverPrinted, last)), "1,4");
    EXPECT_EQ(ids(ViewFilter(TViewCode::LastPrinted, last)), "2,5");
    EXPECT_EQ(ids(CombineFilters(ViewFilter(TViewCode::Changed, last), ViewFilter(TViewCode::NeverPrinted, last))), "1");
    EXPECT_EQ(ids(CombineFilters(ViewFilter(TViewCode::Changed, last), ViewFilter(TViewCode::LastPrinted, last))), "2");
    EXPECT_EQ(ids(CombineFilters(ViewFilter(TViewCode::LastPrinted, last), ViewFilter(TViewCode::Marked, last))), "2");
    // A moment at midnight is written without its time and still filters.
    EXPECT_EQ(ids(ViewFilter(TViewCode::LastPrinted, QDateTime(QDate(2026, 5, 6), QTime(0, 0)))), "");
    tbLocalShow.SetFiltered(false);
    EXPECT_EQ(tbLocalShow.RecordCount(), 6);
}

TEST_F(EngineTest, OtherFilterTextsAreRefused) {
    AddGoods(tbLocal, {"1", "a"});
    for (const char* bad : {"1 = 1", "NEW = TRUE; DELETE FROM towary", "NAZWA LIKE 'a%'", "NIEMA = TRUE",
                            "NEW = TRUE OR", "(NEW = TRUE", "PRINTDATE >= 'wczoraj'", "NEW = 'x'", "NAZWA = 'a",
                            "SELECT = TRUE) OR (1=1", "NEW == TRUE", "typkodu = abc"}) {
        EXPECT_THROW(tbLocal.CountWhere(QString::fromLatin1(bad)), TEngineError) << bad;
        tbLocalShow.SetFiltered(false);
        tbLocalShow.SetFilter(QString::fromLatin1(bad));
        EXPECT_THROW(tbLocalShow.SetFiltered(true), TEngineError) << bad;
        EXPECT_FALSE(tbLocalShow.Filtered());
    }
    // Texts with quotes are values, never SQL.
    EXPECT_EQ(tbLocal.CountWhere("NAZWA = 'a'' OR ''1''=''1'"), 0);
    EXPECT_EQ(tbLocal.CountWhere("NAZWA = 'a' OR NOT (TYPKODU = 14)"), 1);
    EXPECT_EQ(tbLocal.CountWhere("typkodu <> NULL AND \"SELECT\" = FALSE"), 1);
    EXPECT_EQ(tbLocal.RecordCount(), 1);
}

TEST_F(EngineTest, FullDiskDuringPostLeavesTheTableAsItWas) {
    AddGoods(tbLocal, {"1", "a"});
    QByteArray before = ReadAll(tbLocal.FilePath());
    {
        QSqlDatabase db = QSqlDatabase::database(tbLocal.ConnectionName());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("PRAGMA page_count"));
        ASSERT_TRUE(q.next());
        const int pages = q.value(0).toInt();
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
    }
    int failures = 0;
    for (int i = 2; i < 200 && failures == 0; ++i) {
        before = ReadAll(tbLocal.FilePath());
        try {
            AddGoods(tbLocal, {QString::number(i), QString(50, QChar(u'a' + i % 26))});
        } catch (const TEngineError&) {
            ++failures;
            EXPECT_EQ(tbLocal.DataSetState(), TDataSetState::Insert);
            tbLocal.Cancel();
            // The failed post left the file byte for byte as the last good post did.
            EXPECT_EQ(ReadAll(tbLocal.FilePath()), before);
        }
    }
    ASSERT_EQ(failures, 1) << "the page limit never took effect";
    const int stored = tbLocal.RecordCount();
    tbLocal.Close();
    tbLocal.Open();
    EXPECT_EQ(tbLocal.RecordCount(), stored);  // exactly the posts that succeeded
    EXPECT_FALSE(before.isEmpty());
}

// A sink as a store that keeps the goods elsewhere gives one: it refuses
// every change, or takes each and says what it took.
struct TSeenSink : TRecordSink {
    bool Refuse = false;
    QStringList Seen;
    qint64 Insert(const TTable&, const std::vector<QVariant>& values) override {
        if (Refuse) throw TEngineError(QStringLiteral("Serwer odmówił."));
        Seen << QStringLiteral("insert %1").arg(values.at(0).toString());
        return 1000;
    }
    void Update(const TTable& table, qint64 rowId, const std::vector<QVariant>& values,
                const std::vector<bool>& modified) override {
        if (Refuse) throw TEngineError(QStringLiteral("Serwer odmówił."));
        QStringList fields;
        for (size_t i = 0; i < modified.size(); ++i)
            if (modified[i]) fields << table.FieldDefs().at(i).Name + u'=' + values.at(i).toString();
        EXPECT_EQ(modified.size(), values.size());
        Seen << QStringLiteral("update %1 %2").arg(rowId).arg(fields.join(u','));
    }
    void Delete(const TTable&, qint64 rowId) override {
        if (Refuse) throw TEngineError(QStringLiteral("Serwer odmówił."));
        Seen << QStringLiteral("delete %1").arg(rowId);
    }
};

// A change the sink refuses leaves the file byte for byte and the list as
// they were; the set-based writes, which would bypass the sink, are refused.
TEST_F(EngineTest, RecordSinkTakesEachChangeFirst) {
    AddGoods(tbLocal, {"1", "mleko", "3,49"});
    AddGoods(tbLocal, {"2", "chleb", "4,50"});
    tbLocalShow.Refresh();
    auto sink = std::make_shared<TSeenSink>();
    sink->Refuse = true;
    tbLocalShow.SetRecordSink(sink);
    const std::pair<const char*, std::function<void()>> refused[] = {
        {"edit", [&] {
             ASSERT_TRUE(tbLocalShow.Locate("ID", "2"));
             tbLocalShow.Edit();
             tbLocalShow.FieldByName("CENA").SetAsString("9,99");
             tbLocalShow.Post();
         }},
        {"insert", [&] { AddGoods(tbLocalShow, {"3", "ser"}); }},
        {"delete", [&] { tbLocalShow.Delete(); }},
        {"update where", [&] { tbLocalShow.UpdateWhere({}, {{"CENA", "1"}}); }},
        {"mark where", [&] { tbLocalShow.MarkWhere({}, {}, "SELECT"); }},
        {"delete where", [&] { tbLocalShow.DeleteWhere({}); }},
    };
    const QByteArray before = ReadAll(tbLocal.FilePath());
    for (const auto& [name, change] : refused) {
        EXPECT_THROW(change(), TEngineError) << name;
        tbLocalShow.Cancel();
        EXPECT_EQ(ReadAll(tbLocal.FilePath()), before) << name;
        EXPECT_EQ(Column(tbLocalShow, "NAZWA"), QStringList({"chleb", "mleko"})) << name;
        EXPECT_EQ(Column(tbLocalShow, "CENA"), QStringList({"4,50", "3,49"})) << name;
    }
    EXPECT_EQ(tbLocal.UpdateWhere({}, {{"WAGA", "1 kg"}}), 2) << "a table without a sink writes as ever";

    // Taken: an insert under the sink's row id, an edit of the changed fields only.
    sink->Refuse = false;
    AddGoods(tbLocalShow, {"3", "ser"});
    ASSERT_TRUE(tbLocalShow.Locate("ID", "3"));
    tbLocalShow.Edit();
    tbLocalShow.FieldByName("CENA").SetAsString("7,00");
    tbLocalShow.FieldByName("SELECT").SetAsBoolean(true);
    tbLocalShow.Post();
    {
        QSqlQuery q(QSqlDatabase::database(tbLocal.ConnectionName()));
        ASSERT_TRUE(q.exec("SELECT rowid, CENA FROM towary WHERE ID = '3'"));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toLongLong(), 1000);
        EXPECT_EQ(q.value(1).toString(), "7,00");
    }
    EXPECT_TRUE(tbLocalShow.Delete());
    EXPECT_EQ(sink->Seen, QStringList({"insert 3", "update 1000 CENA=7,00,SELECT=true", "delete 1000"}));
    EXPECT_EQ(Column(tbLocalShow, "NAZWA"), QStringList({"chleb", "mleko"}));
}

}  // namespace
