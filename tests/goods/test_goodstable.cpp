#include "datetimetext.h"
#include "goodstable.h"
#include "goodstestutil.h"
#include "testsupport.h"
#include "views.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString TablePath(const TempDataHome& home) { return home.path("DB/towary.db"); }

TEST(GoodsTableCreation, MissingDbFolderIsCreatedWithAnEmptyTable) {
    TempDataHome home;
    ASSERT_FALSE(QDir(home.path("DB")).exists());
    TTable tbLocal, tbLocalShow;
    EXPECT_TRUE(OpenGoodsList(tbLocal, tbLocalShow).isEmpty());
    EXPECT_TRUE(QFileInfo(TablePath(home)).isFile());
    ASSERT_TRUE(tbLocalShow.Active());
    EXPECT_EQ(tbLocalShow.IndexName(), "IDNAZWA");
    EXPECT_TRUE(tbLocalShow.IsEmpty());
    // A second creation leaves the table alone.
    AddGoods(tbLocalShow, {"1", "a"});
    EXPECT_TRUE(CreateGoodsTable(tbLocal));
    tbLocalShow.Refresh();
    EXPECT_EQ(tbLocalShow.RecordCount(), 1);
}

TEST(GoodsTableCreation, ForeignFileIsLeftByteForByteWithOneStartupError) {
    TempDataHome home;
    for (const QByteArray& content : {QByteArray("To nie jest tabela towarów.\r\n", 30), QByteArray(),
                                      QByteArray("SQLite format 3\0garbage garbage garbage", 40)}) {
        WriteAll(TablePath(home), content);
        TTable tbLocal, tbLocalShow;
        EXPECT_TRUE(CreateGoodsTable(tbLocal));  // an existing file counts as the table
        EXPECT_EQ(OpenGoodsList(tbLocal, tbLocalShow), QStringList{"błąd podczas odczytu bazy danych towarów."});
        EXPECT_FALSE(tbLocalShow.Active());
        EXPECT_EQ(ReadAll(TablePath(home)), content);
        EXPECT_FALSE(QFile::exists(TablePath(home) + "-journal"));
    }
}

TEST(GoodsTableCreation, SqliteFileWithoutGoodsIsOpenedUnchangedOrRefused) {
    TempDataHome home;
    QDir().mkpath(home.path("DB"));
    {
        TTable other;
        other.SetDatabaseName(home.path("DB"));
        other.SetTableName("inne.db");
        other.FieldDefs() = {{"X", TFieldType::String, 5, true}};
        other.CreateTable();
    }
    ASSERT_TRUE(QFile::rename(home.path("DB/inne.db"), TablePath(home)));
    const QByteArray before = ReadAll(TablePath(home));
    TTable tbLocal, tbLocalShow;
    EXPECT_EQ(OpenGoodsList(tbLocal, tbLocalShow), QStringList{"błąd podczas odczytu bazy danych towarów."});
    EXPECT_EQ(ReadAll(TablePath(home)), before);
}

// A shop's goods file of the version before the perishable flag: the start
// gives it the column, 0 on every goods, and every row keeps its values;
// new goods start with 0 too, and the second start changes nothing.
TEST(GoodsTableCreation, AFileOfAnEarlierVersionGainsTheNewColumnKeepingEveryRow) {
    TempDataHome home;
    QDir().mkpath(home.path("DB"));
    const auto rows = [](TTable& t, int columns) {
        QStringList out;
        for (t.First(); !t.Eof(); t.Next()) {
            QStringList row;
            for (int i = 0; i < columns; ++i) row << t.Fields(i).AsString();
            out << row.join('|');
        }
        return out;
    };
    QStringList before;
    {
        TTable old;
        old.SetDatabaseName(home.path("DB"));
        old.SetTableName("towary.db");
        old.FieldDefs() = GoodsFieldDefs();
        old.FieldDefs().pop_back();
        old.IndexDefs() = {{QString(), {"ID"}, true, false, true}, {"IDNAZWA", {"NAZWA"}, false, true, false}};
        old.CreateTable();
        old.Open();
        ASSERT_EQ(old.FieldCount(), 10);
        AddGoods(old, {"1", "chleb", "4,60", true, false, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), "1 kg", 3});
        AddGoods(old, {"2", "mleko", "3,19", false, true, {}, "1 l", std::nullopt});
        before = rows(old, 10);
    }
    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(start);
        TTable tbLocal, tbLocalShow;
        ASSERT_TRUE(OpenGoodsList(tbLocal, tbLocalShow).isEmpty());
        ASSERT_EQ(tbLocalShow.FieldCount(), 11);
        EXPECT_EQ(tbLocalShow.Fields(10).FieldName(), "KROTKITERMIN");
        EXPECT_TRUE(tbLocalShow.Fields(10).Required());
        EXPECT_EQ(rows(tbLocalShow, 10), before);
        EXPECT_EQ(Column(tbLocalShow, "KROTKITERMIN"),
                  (start == 0 ? QStringList{"False", "False"} : QStringList{"True", "False", "False"}));
        if (start == 0) {
            AddGoods(tbLocalShow, {"3", "sałata", "2,99"});
            ASSERT_TRUE(tbLocalShow.Locate("ID", "1"));
            tbLocalShow.Edit();
            tbLocalShow.FieldByName("KROTKITERMIN").SetAsBoolean(true);
            tbLocalShow.Post();
            before << rows(tbLocalShow, 10).last();
        }
    }
}

TEST(GoodsTableCreation, CreationErrorsAreSwallowedIntoTheResult) {
    TempDataHome home;
    // "DB" is a file, so neither the folder nor the table can be made.
    WriteAll(home.path("DB"), "plik");
    TTable tbLocal, tbLocalShow;
    EXPECT_FALSE(CreateGoodsTable(tbLocal));
    EXPECT_EQ(OpenGoodsList(tbLocal, tbLocalShow),
              (QStringList{"błąd podczas odczytu bazy danych towarów.", "błąd podczas tworzenia bazy danych towarów."}));
    EXPECT_EQ(ReadAll(home.path("DB")), "plik");
}

struct GoodsOps : ::testing::Test {
    TempDataHome home;
    TTable tbLocal, tbLocalShow;
    void SetUp() override {
        ASSERT_TRUE(OpenGoodsList(tbLocal, tbLocalShow).isEmpty());
        SetupGoodsTable(tbLocal, false);
        tbLocal.Open();
    }
};

TEST_F(GoodsOps, NextFreeIdTakesTheSmallestFreeDecimalKey) {
    EXPECT_EQ(NextFreeId(tbLocal), 0);
    tbLocal.Open();
    for (int i = 0; i <= 5; ++i) AddGoods(tbLocal, {QString::number(i), "n"});
    ASSERT_TRUE(tbLocal.FindKey("3"));
    tbLocal.Delete();
    EXPECT_EQ(NextFreeId(tbLocal), 3);
    EXPECT_FALSE(tbLocal.Active());
    // Keys that are not the plain decimal text of a number take nothing; an
    // earlier name order and filter do not matter.
    tbLocal.Open();
    AddGoods(tbLocal, {"03", "zero trzy"});
    AddGoods(tbLocal, {"3a", "trzy a"});
    AddGoods(tbLocal, {"IMP\\590", "import"});
    tbLocal.SetIndexName("IDNAZWA");
    tbLocal.SetFilter("NEW = TRUE");
    tbLocal.SetFiltered(true);
    EXPECT_EQ(NextFreeId(tbLocal), 3);
    tbLocal.Open();
    AddGoods(tbLocal, {"3", "trzy"});
    EXPECT_EQ(NextFreeId(tbLocal), 6);
}

TEST_F(GoodsOps, BulkMarkingMatchesTheRecordByRecordResult) {
    const QDateTime last(QDate(2026, 1, 2), QTime(3, 4, 5));
    // Every combination of NEW, SELECT and print state, several times over.
    int n = 0;
    for (int rep = 0; rep < 5; ++rep)
        for (int newFlag = 0; newFlag < 2; ++newFlag)
            for (int sel = 0; sel < 2; ++sel)
                for (int printed = 0; printed < 3; ++printed) {
                    const QDateTime stamp = printed == 0 ? QDateTime() : printed == 1 ? last : last.addDays(-1);
                    AddGoods(tbLocal, {QString::number(n), QString("g%1").arg(n), "1", newFlag == 1, sel == 1, stamp});
                    ++n;
                }
    // Expected marks, computed record by record as the list would do it.
    struct Rec {
        bool New, Select, NullDate, Last;
    };
    auto snapshot = [&] {
        std::vector<Rec> recs;
        tbLocal.SetFiltered(false);
        tbLocal.Refresh();
        for (tbLocal.First(); !tbLocal.Eof(); tbLocal.Next()) {
            const QDateTime d = tbLocal.FieldByName("PRINTDATE").AsDateTime();
            recs.push_back({tbLocal.FieldByName("NEW").AsBoolean(), tbLocal.FieldByName("SELECT").AsBoolean(), !d.isValid(),
                            d == last});
        }
        return recs;
    };
    const std::vector<Rec> before = snapshot();
    int progressCalls = 0;
    const int count = SelectByType(tbLocal, tbLocalShow, ViewFilter(TViewCode::Changed, last), ViewFilter(TViewCode::NeverPrinted, last), [&] { ++progressCalls; });
    EXPECT_GT(progressCalls, 0);
    tbLocal.Open();
    const std::vector<Rec> after = snapshot();
    ASSERT_EQ(after.size(), before.size());
    int expectedCount = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        // In view "Zmienione": marked exactly when never printed; outside: unchanged.
        const bool expected = before[i].New ? before[i].NullDate : before[i].Select;
        EXPECT_EQ(after[i].Select, expected) << i;
        EXPECT_EQ(after[i].New, before[i].New);
        if (before[i].New && before[i].NullDate) ++expectedCount;
    }
    EXPECT_EQ(count, expectedCount);
    EXPECT_EQ(count, 10);
    // The visible list was refreshed: its marks are the new ones.
    tbLocalShow.SetFilter("SELECT = TRUE");
    tbLocalShow.SetFiltered(true);
    EXPECT_EQ(tbLocalShow.RecordCount(), tbLocal.CountWhere("SELECT = TRUE"));

    ClearAllSelections(tbLocal, tbLocalShow, [] {});
    EXPECT_EQ(tbLocal.CountWhere("SELECT = TRUE"), 0);
    EXPECT_TRUE(tbLocalShow.IsEmpty());
    tbLocal.Refresh();
    EXPECT_EQ(tbLocal.RecordCount(), n);

    // View "Drukowane ostatnio" with type "wszystkie": the last print only.
    EXPECT_EQ(SelectByType(tbLocal, tbLocalShow, ViewFilter(TViewCode::LastPrinted, last), ViewFilter(TViewCode::All, last), [] {}), 20);
}

TEST_F(GoodsOps, FailedBulkPassLeavesTheMarksAsTheyWere) {
    AddGoods(tbLocal, {"1", "a", "1", true, true});
    AddGoods(tbLocal, {"2", "b", "1", false, false});
    EXPECT_THROW(SelectByType(tbLocal, tbLocalShow, "NEW = TRUE", "NIEMA = 1", [] {}), TEngineError);
    tbLocal.Open();
    EXPECT_EQ(tbLocal.CountWhere("SELECT = TRUE"), 1);
    EXPECT_THROW(tbLocal.UpdateWhere("", {{"NAZWA", QString()}}), TEngineError);  // required field
    EXPECT_EQ(tbLocal.CountWhere("NAZWA = 'a'"), 1);
}

TEST(DateTimeText, WritesAndReadsTheProgramsFormat) {
    EXPECT_EQ(DateTimeToText(QDateTime(QDate(2026, 12, 9), QTime(14, 5, 6, 789))), "2026-12-09 14:05:06");
    EXPECT_EQ(DateTimeToText(QDateTime(QDate(2026, 12, 9), QTime(0, 0))), "2026-12-09");
    EXPECT_EQ(DateTimeToText(QDateTime(QDate(2026, 12, 9), QTime(0, 0, 0, 1))), "2026-12-09 00:00:00");
    QDateTime m;
    ASSERT_TRUE(TextToDateTime(" 2026-12-09 14:05:06 ", m));
    EXPECT_EQ(m, QDateTime(QDate(2026, 12, 9), QTime(14, 5, 6)));
    ASSERT_TRUE(TextToDateTime("2026-12-09", m));
    EXPECT_EQ(m, QDateTime(QDate(2026, 12, 9), QTime(0, 0)));
    const QDateTime keep = m;
    for (const char* bad : {"", "2026-13-01", "2026-12-09 25:00:00", "09.12.2026", "2026-12-09 14:05", "jutro"}) {
        EXPECT_FALSE(TextToDateTime(QString::fromLatin1(bad), m)) << bad;
        EXPECT_EQ(m, keep);
    }
}

}  // namespace
