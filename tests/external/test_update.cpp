#include "updatefixture.h"

#include "codepage.h"
#include "datafolder.h"
#include "goodstestutil.h"
#include "storekinds.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString T = QStringLiteral("True");
const QString F = QStringLiteral("False");

// The update's rules hold whichever store keeps the goods.
class GoodsUpdateOn : public TStoreTest {
protected:
    // What makes the fixture's store: this test's kind.
    std::function<std::unique_ptr<TGoodsStore>()> Store() const {
        return [this] { return MakeStore(); };
    }
};

TEST(GoodsKey, IdentifierBackslashBarcodeCutTo255) {
    EXPECT_EQ(MakeGoodsKey(QStringLiteral("12"), QStringLiteral("345")), QStringLiteral("12\\345"));
    EXPECT_EQ(MakeGoodsKey(QStringLiteral("12"), QString()), QStringLiteral("12\\"));
    EXPECT_EQ(MakeGoodsKey(QString(250, u'a'), QStringLiteral("1234567890")).size(), 255);
    EXPECT_EQ(ReplaceLineBreaks(QStringLiteral("1\r\nkg\r")), QStringLiteral("1  kg "));
}

TEST_P(GoodsUpdateOn, FirstRunInsertsSecondFindsNoChange) {
    TUpdateFixture f(Store());
    f.WriteGoods({{"1", "Chleb żytni", "6,49", "500 g", "5901234000017", "14"},
                  {"2", "Mleko", "4,29", "1 l", "5901234000024", "14"},
                  {"3", "Jabłka", "4,99", "1 kg", "23400504", "13"}});
    const auto first = f.Run();
    ASSERT_TRUE(first.Ok);
    EXPECT_EQ(first.Changes, 3);
    EXPECT_EQ(first.Message, QStringLiteral("Liczba zmienionych pozycji: 3"));
    auto goods = f.Goods();
    ASSERT_EQ(goods.size(), 3u);
    EXPECT_EQ(goods[QStringLiteral("1\\5901234000017")],
              QStringList({"Chleb żytni", "6,49", "500 g", "12,98 zł/kg", "5901234000017", "14", T, F}));
    EXPECT_EQ(goods[QStringLiteral("3\\23400504")][5], QStringLiteral("13"));

    const auto second = f.Run();
    ASSERT_TRUE(second.Ok);
    EXPECT_EQ(second.Changes, 0);
    EXPECT_EQ(second.Message, QStringLiteral("Nie stwierdzono zmian od ostatniej aktualizacji."));
    for (const auto& [id, row] : f.Goods()) EXPECT_EQ(row[6], F) << id.toStdString();
}

TEST_P(GoodsUpdateOn, ChangedRowsRewrittenAndMarkedOthersUnmarkedNothingDeleted) {
    TUpdateFixture f(Store());
    f.WriteGoods({{"1", "Chleb", "6,49", "500 g", "111", "14"}, {"2", "Mleko", "4,29", "1 l", "222", "14"},
                  {"3", "Masło", "7,99", "200 g", "333", "14"}});
    ASSERT_TRUE(f.Run().Ok);
    // A user mark and a print date must survive a rewrite of other fields only
    // as the rules say: SELECT is cleared on rewritten rows, PRINTDATE never touched.
    f.tbLocal.Open();
    ASSERT_TRUE(f.tbLocal.FindKey(QStringLiteral("1\\111")));
    f.tbLocal.Edit();
    f.tbLocal.FieldByName("SELECT").SetAsBoolean(true);
    f.tbLocal.FieldByName("PRINTDATE").SetAsDateTime(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    f.tbLocal.Post();
    f.tbLocal.Close();

    // Item 2 gone from the external system; item 3 renamed, its price the same.
    f.WriteGoods({{"1", "Chleb", "6,99", "500 g", "111", "14"}, {"3", "Masło extra", "7,99", "200 g", "333", "14"}});
    const auto out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, 2);
    auto goods = f.Goods();
    ASSERT_EQ(goods.size(), 3u);
    EXPECT_EQ(goods[QStringLiteral("1\\111")], QStringList({"Chleb", "6,99", "500 g", "13,98 zł/kg", "111", "14", T, F}));
    EXPECT_EQ(goods[QStringLiteral("3\\333")], QStringList({"Masło extra", "7,99", "200 g", "39,95 zł/kg", "333", "14", T, F}));
    EXPECT_EQ(goods[QStringLiteral("2\\222")][6], F);
    f.tbLocal.Open();
    ASSERT_TRUE(f.tbLocal.FindKey(QStringLiteral("1\\111")));
    EXPECT_EQ(f.tbLocal.FieldByName("PRINTDATE").AsDateTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
}

TEST_P(GoodsUpdateOn, EdgeCasesOfTheColumnRules) {
    TUpdateFixture f(Store());
    const QString longName = QString(55, u'N') + QStringLiteral("KONIEC");  // 61 characters
    const QString longBarcode = QString(60, u'7');
    f.WriteGoods({
        {"1", "", "1,00", "", "101", "14"},                       // no name: skipped
        {"2", "Bez ceny", "", "", "102", "14"},                   // no price: skipped
        {"3", longName, "2,00", "", "103", "14"},                 // name cut to 50
        {"4", "Kod długi", "3,00", "", longBarcode, "14"},        // longer than the barcode field
        {"5", "Waga", "4,00", "1\r\nkg", "105", "14"},            // CR LF become blanks
        {"6", "Typ", "5,00", "", "106", "300"},                   // low 8 bits: 44
        {"7", "  Odstępy  ", "  6,00 ", "  250 g ", "  107  ", "14"},
    });
    auto out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, 5);
    auto goods = f.Goods();
    EXPECT_EQ(goods.count(QStringLiteral("1\\101")), 0u);
    EXPECT_EQ(goods.count(QStringLiteral("2\\102")), 0u);
    EXPECT_EQ(goods[QStringLiteral("3\\103")][0], longName.left(50));
    EXPECT_EQ(goods[QStringLiteral("5\\105")][1], QStringLiteral("4,00"));
    EXPECT_EQ(goods[QStringLiteral("5\\105")][2], QStringLiteral("1  kg"));
    EXPECT_EQ(goods[QStringLiteral("6\\106")][5], QStringLiteral("44"));
    EXPECT_EQ(goods[QStringLiteral("7\\107")], QStringList({"Odstępy", "6,00", "250 g", "24,00 zł/kg", "107", "14", T, F}));
    // The key of row 4 is cut to the ID field's 30 characters.
    const QString key4 = (QStringLiteral("4\\") + longBarcode).left(30);
    ASSERT_EQ(goods.count(key4), 1u);
    EXPECT_EQ(goods[key4][4], longBarcode.left(50));

    // Again: only the long barcode differs from what the table can hold.
    out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, 1);
    EXPECT_EQ(f.Goods()[key4][6], T);
    EXPECT_EQ(f.Goods()[QStringLiteral("3\\103")][6], F);

    // Stored texts with blanks at their ends (typed so in the record dialog)
    // read trimmed: the export's texts are the same, nothing is rewritten.
    f.tbLocal.Open();
    ASSERT_TRUE(f.tbLocal.FindKey(QStringLiteral("7\\107")));
    f.tbLocal.Edit();
    f.tbLocal.FieldByName("NAZWA").SetAsString(QStringLiteral(" Odstępy "));
    f.tbLocal.FieldByName("CENA").SetAsString(QStringLiteral("6,00 "));
    f.tbLocal.Post();
    f.tbLocal.Close();
    out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, 1);
    EXPECT_EQ(f.Goods()[QStringLiteral("7\\107")][0], QStringLiteral(" Odstępy "));
    EXPECT_EQ(f.Goods()[QStringLiteral("7\\107")][6], F);
}

TEST_P(GoodsUpdateOn, BarcodeTypeAloneIsNoChange) {
    TUpdateFixture f(Store());
    f.WriteGoods({{"1", "Chleb", "6,49", "500 g", "111", "14"}});
    ASSERT_TRUE(f.Run().Ok);
    f.WriteGoods({{"1", "Chleb", "6,49", "500 g", "111", "13"}});
    const auto out = f.Run();
    EXPECT_EQ(out.Changes, 0);
    EXPECT_EQ(f.Goods()[QStringLiteral("1\\111")][5], QStringLiteral("14"));
}

// The optional seventh column marks perishable goods. A changed mark is a
// change; a query without the column leaves the goods' own mark (one set in
// the record dialog) and gives new goods none.
TEST_P(GoodsUpdateOn, TheSeventhColumnMarksPerishableGoods) {
    TUpdateFixture f(Store());
    struct Case {
        const char* Text;   // the text column
        const char* Logical;  // the logical column, T, F or blank
        bool Perishable;
    };
    const Case cases[] = {
        {"1", "T", true},   {"0", "F", false},   {"T", "t", true},  {"f", "f", false}, {"tak", "Y", true},
        {"NIE", "N", false}, {" Tak", "T", true}, {"", " ", false},  {"x", "?", false}, {"2", "F", false},
    };
    std::vector<TDbfTestField> fields = TUpdateFixture::GoodsFields();
    fields.push_back({"KROTKI", 'C', 6, 0});
    fields.push_back({"KROTKIL", 'L', 1, 0});
    const auto write = [&](const char* price, const QString& firstText) {
        TDbfTestFile dbf;
        dbf.Fields = fields;
        int id = 0;
        for (const Case& c : cases) {
            ++id;
            const QString text = id == 1 ? firstText : QString::fromUtf8(c.Text);
            dbf.Records << DbfRow(fields, {QString::number(id), QStringLiteral("Towar %1").arg(id), QString::fromLatin1(price),
                                           "", QString::number(100 + id), "14", text, QString::fromLatin1(c.Logical)});
        }
        WriteAll(f.Folder + QStringLiteral("/TOWARY.DBF"), dbf.Bytes());
    };
    // The marks in the order of the cases.
    const auto flags = [&] {
        QStringList out;
        f.tbLocal.Open();
        for (int id = 1; id <= static_cast<int>(std::size(cases)); ++id)
            out << (f.tbLocal.FindKey(MakeGoodsKey(QString::number(id), QString::number(100 + id)))
                        ? f.tbLocal.FieldByName("KROTKITERMIN").AsString()
                        : QStringLiteral("-"));
        f.tbLocal.Close();
        return out;
    };
    QStringList want;
    for (const Case& c : cases) want << (c.Perishable ? T : F);
    for (const char* column : {"KROTKI", "KROTKIL"}) {
        SCOPED_TRACE(column);
        f.Store->DeleteWhere(QString(), {});
        f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU, %1 FROM TOWARY ORDER BY ID").arg(QLatin1String(column)));
        write("1,00", QStringLiteral("1"));
        ASSERT_TRUE(f.Run().Ok);
        EXPECT_EQ(flags(), want);
    }
    // Only the mark of goods 1 changes: one change.
    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU, KROTKI FROM TOWARY ORDER BY ID"));
    write("1,00", QStringLiteral("nie"));
    auto out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, 1);
    want[0] = F;
    EXPECT_EQ(flags(), want);
    EXPECT_EQ(f.Goods()[QStringLiteral("1\\101")][6], T);
    // Without the column: goods marked by hand (goods 1) or by an earlier
    // update keep their marks through a new price, and new goods get none.
    f.tbLocal.Open();
    ASSERT_TRUE(f.tbLocal.FindKey(QStringLiteral("1\\101")));
    f.tbLocal.Edit();
    f.tbLocal.FieldByName("KROTKITERMIN").SetAsBoolean(true);
    f.tbLocal.Post();
    f.tbLocal.Close();
    f.Store->DeleteWhere(QStringLiteral("KROTKITERMIN = FALSE"), {});
    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU FROM TOWARY ORDER BY ID"));
    write("0,99", QStringLiteral("nie"));
    out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, static_cast<int>(std::size(cases)));
    want[0] = T;  // the others as before: the perishable ones kept, the rest new
    EXPECT_EQ(flags(), want);
}

TEST(GoodsUpdate, FourColumnQueryGivesEmptyBarcodeAndEan13) {
    TUpdateFixture f;
    f.WriteGoods({{"7", "Chleb", "6,49", "500 g", "111", "13"}});
    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA FROM TOWARY"));
    ASSERT_TRUE(f.Run().Ok);
    const auto goods = f.Goods();
    ASSERT_EQ(goods.size(), 1u);
    EXPECT_EQ(goods.begin()->first, QStringLiteral("7\\"));
    EXPECT_EQ(goods.begin()->second[4], QString());
    EXPECT_EQ(goods.begin()->second[5], QStringLiteral("14"));
}

TEST(GoodsUpdate, TextInTheTypeColumnReadsAsEan13AndQueryOfThreeColumnsFails) {
    TUpdateFixture f;
    TDbfTestFile file;
    file.Fields = {{"ID", 'C', 5, 0}, {"NAZWA", 'C', 20, 0}, {"CENA", 'C', 8, 0}, {"WAGA", 'C', 8, 0}, {"KOD", 'C', 13, 0}, {"TYP", 'C', 6, 0}};
    file.Records << DbfRow(file.Fields, {"A1", "Ser", "7,49", "150 g", "999", "EAN"})
                 << DbfRow(file.Fields, {"A2", "Masło", "8,99", "200 g", "998", " 13 "});
    WriteAll(f.Folder + QStringLiteral("/towary.dbf"), file.Bytes());
    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD, TYP FROM TOWARY"));
    ASSERT_TRUE(f.Run().Ok);
    auto goods = f.Goods();
    EXPECT_EQ(goods[QStringLiteral("A1\\999")][5], QStringLiteral("14"));
    EXPECT_EQ(goods[QStringLiteral("A2\\998")][5], QStringLiteral("13"));

    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA FROM TOWARY"));
    const auto out = f.Run();
    EXPECT_FALSE(out.Ok);
    EXPECT_EQ(out.Message, QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych."));
    EXPECT_EQ(f.Goods().size(), 2u);
}

TEST_P(GoodsUpdateOn, KeysMatchOnTheirFirstThirtyCharacters) {
    TUpdateFixture f(Store());
    const QString id = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW");  // 23 + "\" + barcode
    f.WriteGoods({{"1", "Pierwszy", "1,00", "", "x", "14"}});
    TDbfTestFile file;
    file.Fields = {{"ID", 'C', 30, 0}, {"NAZWA", 'C', 20, 0}, {"CENA", 'C', 8, 0}, {"WAGA", 'C', 8, 0}, {"KOD", 'C', 20, 0}};
    file.Records << DbfRow(file.Fields, {id, "Ser", "7,49", "", "5901234000017"});
    WriteAll(f.Folder + QStringLiteral("/dlugie.dbf"), file.Bytes());
    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD FROM DLUGIE"), QStringLiteral("SELECT COUNT(*) FROM dlugie"));
    ASSERT_EQ(f.Run().Changes, 1);
    // The same first 30 characters with another tail: the same goods row.
    file.Records.clear();
    file.Records << DbfRow(file.Fields, {id, "Ser", "7,49", "", "5901234000099"});
    WriteAll(f.Folder + QStringLiteral("/dlugie.dbf"), file.Bytes());
    const auto out = f.Run();
    EXPECT_EQ(out.Changes, 1);  // the barcode read back differs
    const auto goods = f.Goods();
    ASSERT_EQ(goods.size(), 1u);
    EXPECT_EQ(goods.begin()->first, (id + QStringLiteral("\\5901234000017")).left(30));
    EXPECT_EQ(goods.begin()->second[4], QStringLiteral("5901234000099"));
}

TEST_P(GoodsUpdateOn, CancelStopsAfterTheRowInHand) {
    TUpdateFixture f(Store());
    QList<QStringList> rows;
    for (int i = 1; i <= 1000; ++i)
        rows << QStringList({QString::number(i), QStringLiteral("Towar %1").arg(i), QStringLiteral("1,00"), QString(), QString::number(i), "14"});
    f.WriteGoods(rows);
    // Every row marked NEW before; the run clears them first.
    ASSERT_EQ(f.Run().Changes, 1000);
    for (auto& r : rows) r[2] = QStringLiteral("2,00");
    f.WriteGoods(rows);
    TCancelFlag cancel;
    // The user presses Cancel while row 101 is in hand: it is not merged.
    const auto out = f.Run([&] { if (f.Steps == 100) cancel.Request(); }, cancel);
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, 100);
    EXPECT_EQ(out.Message, QStringLiteral("Liczba zmienionych pozycji: 100"));
    int marked = 0, newPrice = 0;
    for (const auto& [id, row] : f.Goods()) {
        marked += row[6] == T;
        newPrice += row[1] == QStringLiteral("2,00");
        EXPECT_EQ(row[6] == T, row[1] == QStringLiteral("2,00")) << id.toStdString();
    }
    EXPECT_EQ(marked, 100);
    EXPECT_EQ(newPrice, 100);
}

TEST(GoodsUpdate, BadInputGivesTheMessageAndKeepsTheTable) {
    TUpdateFixture f;
    f.WriteGoods({{"1", "Chleb", "6,49", "500 g", "111", "14"}});
    ASSERT_TRUE(f.Run().Ok);

    // A query naming a missing table.
    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA FROM CENNIK"), QStringLiteral("SELECT COUNT(*) FROM CENNIK"));
    auto out = f.Run();
    EXPECT_FALSE(out.Ok);
    EXPECT_EQ(out.Message, QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych."));

    // A misspelt double-quoted column: the run fails naming it, the goods
    // never get its name as their price or weight.
    f.Define(QStringLiteral("SELECT ID, NAZWA, \"CENA_BRUTTO\", \"ILOŚĆ\" FROM TOWARY"));
    out = f.Run();
    EXPECT_FALSE(out.Ok);
    EXPECT_EQ(out.Message, QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych."));
    EXPECT_TRUE(out.Reason.contains(QLatin1String("CENA_BRUTTO"))) << out.Reason.toStdString();
    EXPECT_EQ(f.Goods()[QStringLiteral("1\\111")][1], QStringLiteral("6,49"));
    // Nor does the goods file's own connection take such a name for a text.
    f.tbLocal.Open();
    EXPECT_FALSE(QSqlQuery(QSqlDatabase::database(f.tbLocal.ConnectionName())).exec(QStringLiteral("SELECT \"CENA_BRUTTO\" FROM towary")));
    f.tbLocal.Close();

    // A truncated table: only whole records are read.
    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA FROM TOWARY"));
    QList<QStringList> rows;
    for (int i = 1; i <= 10; ++i) rows << QStringList({QString::number(i), "Towar", "1,00", "", "", "14"});
    f.WriteGoods(rows);
    QByteArray bytes = ReadAll(f.Folder + QStringLiteral("/TOWARY.DBF"));
    WriteAll(f.Folder + QStringLiteral("/TOWARY.DBF"), bytes.left(bytes.size() - 150));
    out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_GE(out.Changes, 7);
    EXPECT_LE(out.Changes, 9);

    // A damaged header: the update fails, the goods stay.
    const auto before = f.Goods();
    bytes[10] = 0, bytes[11] = 0;  // record length 0
    WriteAll(f.Folder + QStringLiteral("/TOWARY.DBF"), bytes);
    out = f.Run();
    EXPECT_FALSE(out.Ok);
    EXPECT_EQ(f.Goods().size(), before.size());

    // A folder that is gone: no connection.
    f.Folder += QStringLiteral("-brak");
    f.Define(QStringLiteral("SELECT * FROM TOWARY"));
    EXPECT_THROW(ConnectOutside(f.dbOutside, f.Manager), TExternalError);
}

// A definition's queries only read: one that attaches another shop's goods
// file and rewrites its prices, or copies the database anywhere, fails the
// run and changes nothing.
TEST(GoodsUpdate, ADefinitionsQueriesCannotWriteAnywhere) {
    TUpdateFixture f;
    f.WriteGoods({{"1", "Chleb", "6,49", "500 g", "111", "14"}});
    ASSERT_TRUE(f.Run().Ok);
    TUpdateFixture other;  // another shop, with its own goods file
    other.WriteGoods({{"7", "Masło", "8,99", "200 g", "777", "14"}});
    ASSERT_TRUE(other.Run().Ok);
    const QString otherFile = other.Home.path(QStringLiteral("DB/towary.db"));
    const QString copy = f.Home.root() + QStringLiteral("/kopia.db");
    struct Case {
        QString Query1, Query2;
    };
    const Case cases[] = {
        {QStringLiteral("UPDATE inny.towary SET CENA = '0,01'"), QStringLiteral("ATTACH '%1' AS inny").arg(otherFile)},
        {QStringLiteral("SELECT ID, NAZWA, CENA, WAGA FROM TOWARY"), QStringLiteral("VACUUM INTO '%1'").arg(copy)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Query2.toStdString());
        f.Define(c.Query1, c.Query2);
        const auto out = f.Run();
        EXPECT_FALSE(out.Ok);
        EXPECT_EQ(out.Message, QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych."));
    }
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_EQ(other.Goods()[QStringLiteral("7\\777")][1], QStringLiteral("8,99"));
    EXPECT_EQ(f.Goods()[QStringLiteral("1\\111")][1], QStringLiteral("6,49"));
}

TEST(GoodsUpdate, ConversionOfTheDefinitionAppliesToNameAndWeightOnly) {
    TUpdateFixture f;
    // Mazovia bytes of "ą" (0x86) and "ł" (0x92), as an old sales program stores them.
    TDbfTestFile file;
    file.Language = 0x00;
    file.Fields = TUpdateFixture::GoodsFields();
    file.Records << QList<QByteArray>({"1", "Mas\x92o", "8,99", "2 \x86", "5", "14"});
    WriteAll(f.Folder + QStringLiteral("/TOWARY.DBF"), file.Bytes());
    WriteAll(f.Home.path(QStringLiteral("SQLCFG/Buchalter II.cdb")),
             "[DATABASE]\r\nTYPE=3\r\nDataPath=" + f.Folder.toUtf8() +
                 "\r\n[SQL]\r\nQUERY1=SELECT ID, NAZWA, CENA, WAGA, KOD FROM TOWARY\r\nQUERY2=SELECT COUNT(*) FROM TOWARY\r\n");
    f.Manager.SelectDefinition(QStringLiteral("Buchalter II"));
    ASSERT_TRUE(f.Run().Ok);
    const auto goods = f.Goods();
    ASSERT_EQ(goods.size(), 1u);
    EXPECT_EQ(goods.begin()->second[0], QStringLiteral("Masło"));
    EXPECT_EQ(goods.begin()->second[2], QStringLiteral("2 ą"));
}

TEST(GoodsUpdate, ShippedDemonstrationShopUpdatesOutOfTheBox) {
    TUpdateFixture f;
    // The relative folder DEMO of the shipped definition lies among the program's files.
    SetProgramFolderOverride(SourceDataDir());
    f.Manager.SetDefinitionFolder(SourceDataDir() + QStringLiteral("/SQLCFG/"));
    f.Manager.SelectDefinition(QStringLiteral("Sklep demonstracyjny"));
    ConnectOutside(f.dbOutside, f.Manager);
    SetProgramFolderOverride(QString());
    TUpdateRun run;
    run.dbOutside = &f.dbOutside;
    run.Manager = &f.Manager;
    run.Store = f.Store.get();
    const auto out = RunGoodsUpdate(run);
    ASSERT_TRUE(out.Ok);
    EXPECT_GE(out.Changes, 40);
    int ean13 = 0;
    for (const auto& [id, row] : f.Goods()) {
        EXPECT_FALSE(row[0].isEmpty());
        EXPECT_FALSE(row[1].isEmpty());
        if (row[5] == QStringLiteral("14")) {
            ++ean13;
            ASSERT_EQ(row[4].size(), 13) << id.toStdString();
            int sum = 0;
            for (int i = 0; i < 12; ++i) sum += (row[4][i].digitValue()) * (i % 2 ? 3 : 1);
            EXPECT_EQ((10 - sum % 10) % 10, row[4][12].digitValue()) << id.toStdString();
        }
    }
    EXPECT_GE(ean13, 30);
    EXPECT_TRUE(f.Goods().count(QStringLiteral("1007\\5901234000079")) == 1);
    EXPECT_EQ(f.Goods()[QStringLiteral("1007\\5901234000079")][0], QStringLiteral("Śmietana 18%"));
}

}  // namespace

namespace {

TEST_P(GoodsUpdateOn, ARowThatCannotBeWrittenStaysAsItWasAndTheRunGoesOn) {
    TUpdateFixture f(Store());
    f.WriteGoods({{"1", "Chleb", "6,49", "500 g", "111", "14"}, {"2", "Mleko", "4,29", "1 l", "222", "14"}});
    ASSERT_TRUE(f.Run().Ok);
    // The name of row 1 is gone in the external system: the goods table needs one.
    f.WriteGoods({{"1", "", "6,99", "500 g", "111", "14"}, {"2", "Mleko", "4,49", "1 l", "222", "14"}});
    const auto out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, 1);
    // The refused row is counted, in the message too, and its cause kept.
    EXPECT_EQ(out.Rejected, 1);
    EXPECT_EQ(out.Message, QStringLiteral("Liczba zmienionych pozycji: 1\nLiczba pozycji, których nie udało się zapisać: 1"));
    EXPECT_TRUE(out.Reason.contains(QStringLiteral("NAZWA"))) << out.Reason.toStdString();
    auto goods = f.Goods();
    EXPECT_EQ(goods[QStringLiteral("1\\111")], QStringList({"Chleb", "6,49", "500 g", "12,98 zł/kg", "111", "14", "False", "False"}));
    EXPECT_EQ(goods[QStringLiteral("2\\222")][1], QStringLiteral("4,49"));
    EXPECT_EQ(goods[QStringLiteral("2\\222")][6], QStringLiteral("True"));
}

// The update keeps the price history in the statement that writes the row: a
// new price of another amount is a change of price, the same amount written
// otherwise is none, and the lowest price follows; goods deleted in between
// come back with their history.
TEST_P(GoodsUpdateOn, ThePriceHistoryFollowsTheUpdate) {
    const QDateTime day0(QDate(2025, 3, 1), QTime(8, 0), Qt::UTC);
    TScopedPriceClock clock(day0);
    TUpdateFixture f(Store());
    struct Step {
        int Day;
        const char* Price;
        int Changes;
        const char* Lowest;  // after the run; empty for none
        int Entries;
        bool DeletedBefore = false;  // the goods are deleted before the run
    };
    const Step steps[] = {
        {0, "6,49", 1, "", 1},
        {40, "5,99", 1, "6,49", 2},
        {41, "5.99", 1, "6,49", 2},  // rewritten, but the same amount
        {42, "7", 1, "", 3},
        {50, "6,5", 1, "5,99", 4},
        {51, "6,5", 1, "5,99", 4, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Day);
        clock.Now = day0.addDays(s.Day);
        if (s.DeletedBefore) {
            f.tbLocal.Open();
            ASSERT_TRUE(f.tbLocal.FindKey(QStringLiteral("1\\111")));
            ASSERT_TRUE(f.tbLocal.Delete());
            f.tbLocal.Close();
        }
        f.WriteGoods({{"1", "Chleb", QString::fromUtf8(s.Price), "500 g", "111", "14"}});
        const auto out = f.Run();
        ASSERT_TRUE(out.Ok);
        EXPECT_EQ(out.Changes, s.Changes);
        f.tbLocal.Open();
        ASSERT_TRUE(f.tbLocal.FindKey(QStringLiteral("1\\111")));
        EXPECT_EQ(LowestPriceText(f.tbLocal.FieldByName(kLowestPriceField).Value()), QString::fromUtf8(s.Lowest));
        QSqlQuery q(QSqlDatabase::database(f.tbLocal.ConnectionName()));
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM HISTORIA_CEN")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), s.Entries);
        f.tbLocal.Close();
    }
}

// An empty store takes its first goods in more than one batch: the goods,
// their NEW flags and first history entries are those of row-by-row merging,
// the file's indexes are there afterwards, and a cancelled load keeps what it
// merged. A good that comes twice is merged twice, as the rows came.
TEST(GoodsUpdate, FirstLoadOfAnEmptyStoreOverSeveralBatches) {
    constexpr int kRows = 105000;
    struct Case {
        const char* Name;
        int CancelAfter;  // rows merged before Cancel; 0: none
        int Twice;        // a row repeated, with another price, after the row of this index; -1: none
        int Changes, Goods, Entries;
    };
    const Case cases[] = {
        {"whole load", 0, -1, kRows, kRows, kRows},
        {"a good twice", 0, 100, kRows + 1, kRows, kRows + 1},
        {"cancelled", 60000, -1, 60000, 60000, 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TUpdateFixture f;
        QList<QStringList> rows;
        for (int i = 1; i <= kRows; ++i) {
            rows << QStringList({QString::number(i), QStringLiteral("Towar %1").arg(i), QStringLiteral("1,%1").arg(i % 100, 2, 10, QChar(u'0')),
                                 QStringLiteral("1 kg"), QString::number(1000000 + i), "14"});
            if (i - 1 == c.Twice) rows << QStringList({"1", "Towar 1", "9,99", "1 kg", "1000001", "14"});
        }
        // The repeated row lands in a later batch than the first one.
        if (c.Twice >= 0) rows.move(c.Twice + 1, 55000);
        f.WriteGoods(rows);
        TCancelFlag cancel;
        const auto out = f.Run([&] { if (c.CancelAfter > 0 && f.Steps == c.CancelAfter) cancel.Request(); }, cancel);
        ASSERT_TRUE(out.Ok);
        EXPECT_EQ(out.Changes, c.Changes);
        f.tbLocal.Open();
        {
            QSqlQuery q(QSqlDatabase::database(f.tbLocal.ConnectionName()));
            const auto number = [&](const QString& sql) { return q.exec(sql) && q.next() ? q.value(0).toInt() : -1; };
            EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM towary WHERE NEW = 1 AND \"SELECT\" = 0")), c.Goods);
            EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM towary")), c.Goods);
            EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM towary WHERE ABSCENA IS NULL")), 0);
            EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM HISTORIA_CEN")), c.Entries);
            EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL")), 2);
            q.finish();
        }
        if (c.Twice >= 0) {
            ASSERT_TRUE(f.tbLocal.FindKey(QStringLiteral("1\\1000001")));
            EXPECT_EQ(f.tbLocal.FieldByName(QStringLiteral("CENA")).AsString(), QStringLiteral("9,99"));
        }
        f.tbLocal.Close();
        // The next run takes in what a cancelled one left, and nothing else;
        // a good that comes twice at two prices changes twice again.
        const auto again = f.Run();
        ASSERT_TRUE(again.Ok);
        EXPECT_EQ(again.Changes, c.Twice >= 0 ? 2 : kRows - c.Goods);
    }
}

}  // namespace

namespace {

// The goods of a small shop as its sales program holds them: ID, name, price,
// weight or content, barcode, barcode type.
QList<QStringList> ShopGoods() {
    return {{"1", "Chleb żytni", "6,49", "500 g", "5901234000017", "14"},
            {"2", "Mleko świeże 3,2%", "4,29", "1 l", "5901234000024", "14"},
            {"3", "Ser żółty, gouda", "12,5", "150 g", "5901234000031", "14"},
            {"4", "Sok \"Pomarańcza\"; 1 l", "1234,99", "1 l", "23400504", "13"},
            {"5", "Kiełbasa\nśląska", "26,9", "1 kg", "5901234000048", "14"},
            {"6", "Woda źródlana", "1,99", "1,5 l", "5901234000055", "14"},
            {"7", "Jabłka", "4,5", "1 kg", "", "14"},
            {"8", "Masło extra", "8,99", "200 g", "ABC-123", "6"}};
}

// The same goods exported as CSV files of three kinds of programs give the
// same goods table as the dBase table does, each read by a query that names
// the export's own columns.
TEST(GoodsUpdate, CsvExportsGiveTheSameGoodsTableAsDBase) {
    TUpdateFixture dbase;
    dbase.WriteGoods(ShopGoods());
    ASSERT_TRUE(dbase.Run().Ok);
    const auto expected = dbase.Goods();
    ASSERT_EQ(expected.size(), 8u);

    const auto quoted = [](QString v) { return u'"' + v.replace(u'"', QStringLiteral("\"\"")) + u'"'; };
    // A program writing semicolons in Windows-1250 with decimal commas and
    // thousands apart, a separator at each line's end and a blank line.
    QString semicolon = QStringLiteral("Indeks;Nazwa;Cena brutto;Zawartość;Kod kreskowy;Typ kodu;\r\n");
    // A spreadsheet writing UTF-8 with its mark, every value quoted, decimal points.
    QString comma = QStringLiteral("\"ID\",\"Nazwa produktu\",\"Cena\",\"Waga\",\"EAN\",\"Typ\"\n");
    // A warehouse program writing tabs in UTF-8, prices as they are shown.
    QString tab = QStringLiteral("kod\tnazwa\tcena\twaga\tean\ttyp\n");
    for (const QStringList& g : ShopGoods()) {
        QString price = g[2];
        if (price == QStringLiteral("1234,99")) price = QStringLiteral("1 234,99");
        semicolon += QStringList({g[0], g[1].contains(u';') || g[1].contains(u'\n') || g[1].contains(u'"') ? quoted(g[1]) : g[1], price,
                                  g[3], g[4], g[5]}).join(u';') + QStringLiteral(";\r\n");
        if (g[0] == QStringLiteral("4")) semicolon += QStringLiteral("\r\n");
        QStringList all;
        for (QString v : {g[0], g[1], QString(g[2]).replace(u',', u'.'), g[3], g[4], g[5]}) all << quoted(v);
        comma += all.join(u',') + u'\n';
        tab += QStringList({g[0], g[1].contains(u'\n') ? quoted(g[1]) : g[1], g[2], g[3], g[4], g[5]}).join(u'\t') + u'\n';
    }
    struct Export {
        const char* What;
        int Type;
        QString File;
        QByteArray Bytes;
        const char* Query;
    };
    const Export exports[] = {
        {"semicolon, Windows-1250, decimal comma", 6, "towary.csv", ToWin1250(semicolon),
         "SELECT Indeks, Nazwa, CAST(\"Cena brutto\" AS REAL), ZAWARTOSC, \"KOD KRESKOWY\", [Typ kodu] FROM towary"},
        {"comma, UTF-8 with its mark, quoted names with commas, quotes and line breaks", 6, "Produkty.CSV", "\xEF\xBB\xBF" + comma.toUtf8(),
         "SELECT id, \"nazwa produktu\", CAST(cena AS NUMERIC), waga, ean, typ FROM produkty ORDER BY CAST(id AS INTEGER)"},
        {"tab-separated UTF-8 beside the tables of a dBase folder", 3, "towary.csv", tab.toUtf8(),
         "SELECT KOD, NAZWA, CENA, WAGA, EAN, TYP FROM \"towary.csv\""},
    };
    for (const Export& e : exports) {
        SCOPED_TRACE(e.What);
        TUpdateFixture f;
        WriteAll(f.Folder + u'/' + e.File, e.Bytes);
        f.Define(QString::fromUtf8(e.Query), QStringLiteral("SELECT COUNT(*) FROM %1").arg(QFileInfo(e.File).completeBaseName()), e.Type);
        const auto out = f.Run();
        ASSERT_TRUE(out.Ok) << out.Message.toStdString() << " " << out.Reason.toStdString();
        EXPECT_EQ(out.Changes, 8);
        const auto goods = f.Goods();
        for (const auto& [id, row] : expected)
            EXPECT_EQ(goods.count(id) ? goods.at(id).join(u'|').toStdString() : std::string("(missing)"), row.join(u'|').toStdString())
                << id.toStdString();
        EXPECT_EQ(goods.size(), expected.size());
        EXPECT_EQ(f.Run().Changes, 0);
    }
}

// Calls `change` once, as soon as some program first reads the file at
// `path` (the update copying it aside), from a thread of its own.
class TChangeWhenRead {
public:
    TChangeWhenRead(const QString& path, std::function<void()> change) {
        if (!change) return;
        Fd = ::inotify_init1(IN_CLOEXEC);
        if (Fd < 0 || ::inotify_add_watch(Fd, QFile::encodeName(path).constData(), IN_ACCESS) < 0) {
            ADD_FAILURE() << "no inotify watch on " << path.toStdString();
            return;
        }
        Watcher = std::thread([this, change] {
            alignas(inotify_event) char buffer[4096];
            if (::read(Fd, buffer, sizeof buffer) > 0) {
                change();
                Changed = true;
            }
        });
    }
    ~TChangeWhenRead() {
        if (Fd >= 0) ::close(Fd);  // ends a read still waiting
        if (Watcher.joinable()) Watcher.join();
    }
    std::atomic<bool> Changed{false};

private:
    int Fd = -1;
    std::thread Watcher;
};

// A CSV export that turns out bad gives the update's message with what is
// wrong on the line below it, and the goods table stays exactly as it was,
// marks included, also when the fault lies at the file's end: the file is
// checked whole before any row is merged. A file that changes while it is
// read is such a fault; one that changes after it was read whole is not.
// A cancelled run keeps what it merged.
TEST(GoodsUpdate, BadCsvInputGivesTheMessageAndChangesNothing) {
    TUpdateFixture f;
    const QString path = f.Folder + QStringLiteral("/towary.csv");
    const QString shown = QDir::toNativeSeparators(path);
    const int n = 3000;
    const auto rows = [&](const char* price) {
        QByteArray b = "ID;NAZWA;CENA;WAGA\r\n";
        for (int i = 1; i <= n; ++i) b += QByteArray::number(i) + ";Towar " + QByteArray::number(i) + ';' + price + ";1 kg\r\n";
        return b;
    };
    const QString query = QStringLiteral("SELECT ID, NAZWA, CENA, WAGA FROM towary");
    // The count does not walk the file, so only the check reads it before the merge.
    const QString count = QStringLiteral("SELECT %1").arg(n);
    WriteAll(path, rows("1,99"));
    f.Define(query, count, 6);
    ASSERT_EQ(f.Run().Changes, n);
    const auto before = f.Goods();

    const QByteArray changed = rows("2,49");
    // Lines whose values beyond the header's are ignored, that make the file
    // long enough to be changed while it is copied aside.
    QByteArray changing = changed;
    for (int i = 0; i < 40; ++i) changing += "3001;Towar;2,49;1 kg;" + QByteArray(900 * 1024, 'x') + "\r\n";
    struct Case {
        const char* What;
        QByteArray Bytes;
        QString Detail;
        std::function<void()> OnFirstRead = {};  // done once the run starts reading the file
        QString Query = {};
        int Type = 6;
    };
    const Case cases[] = {
        {"a binary file named .csv", QByteArray("\x03\x7C\x0C\x01\x02\0\0\0\x61\0\x1F\0", 12) + QByteArray(400, '\0'),
         QStringLiteral("Plik %1 nie jest plikiem tekstowym CSV.").arg(shown)},
        {"binary bytes at the end", changed + QByteArray("x\0y;1\r\n", 7), QStringLiteral("Plik %1 nie jest plikiem tekstowym CSV.").arg(shown)},
        {"an unterminated quote", changed + "3001;\"Towar;1,00;1 kg\r\n3002;Towar;1,00;1 kg\r\n",
         QStringLiteral("Niezamknięty cudzysłów w wierszu 3002 pliku %1.").arg(shown)},
        {"a line of 10 MB", changed + "3001;" + QByteArray(10 << 20, 'x') + "\r\n",
         QStringLiteral("Wiersz 3002 pliku %1 jest dłuższy niż 1 MB.").arg(shown)},
        {"a file that shrinks while read", changing, QStringLiteral("Plik %1 zmienił się w trakcie odczytu.").arg(shown),
         [&] { QFile::resize(path, changing.size() - 2); }},
        {"a file that grows while read", changing, QStringLiteral("Plik %1 zmienił się w trakcie odczytu.").arg(shown),
         [&] {
             QFile file(path);
             if (file.open(QIODevice::Append)) file.write("\r\n");
         }},
        {"a column the file lacks", changed, QStringLiteral("W pliku %1 nie ma kolumny KOD.").arg(shown), {},
         QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD FROM towary")},
        {"a table with two files", changed,
         QStringLiteral("Tabela towary ma w katalogu %1 dwa pliki: TOWARY.DBF i towary.csv. Podaj w zapytaniu nazwę pliku z "
                        "rozszerzeniem (na przykład \"towary.csv\") albo usuń zbędny plik.")
             .arg(QDir::toNativeSeparators(f.Folder)),
         {}, {}, 3},
        {"a query of three columns", changed, QString(), {}, QStringLiteral("SELECT ID, NAZWA, CENA FROM towary")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        WriteAll(path, c.Bytes);
        if (c.Type == 3) f.WriteGoods({{"1", "Chleb", "9,99", "", "", "14"}});
        f.Define(c.Query.isEmpty() ? query : c.Query, count, c.Type);
        TChangeWhenRead change(path, c.OnFirstRead);
        const auto out = f.Run();
        if (c.OnFirstRead) {
            EXPECT_TRUE(change.Changed);
        }
        QFile::remove(f.Folder + QStringLiteral("/TOWARY.DBF"));
        EXPECT_FALSE(out.Ok);
        EXPECT_EQ(out.Message.toStdString(), (c.Detail.isEmpty() ? kUpdateError : kUpdateError + u'\n' + c.Detail).toStdString());
        EXPECT_EQ(f.Steps, 0);
        EXPECT_TRUE(f.Goods() == before);
    }

    // A file that cannot be opened: a named pipe in its place, or a file
    // the program may not read.
    QFile::remove(path);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    f.Define(query, count, 6);
    auto out = f.Run();
    EXPECT_EQ(out.Message.toStdString(), (kUpdateError + QStringLiteral("\nPlik %1 nie jest zwykłym plikiem.").arg(shown)).toStdString());
    EXPECT_TRUE(f.Goods() == before);
    QFile::remove(path);
    if (::geteuid() != 0) {  // the superuser reads every file
        WriteAll(path, changed);
        QFile(path).setPermissions({});
        out = f.Run();
        EXPECT_EQ(out.Message.toStdString(), (kUpdateError + QStringLiteral("\nNie można otworzyć pliku %1.").arg(shown)).toStdString());
        EXPECT_TRUE(f.Goods() == before);
        QFile::remove(path);
    }

    // Cancelled: the rows merged so far stay, as from any other database.
    WriteAll(path, changed);
    TCancelFlag cancel;
    out = f.Run([&] { if (f.Steps == 100) cancel.Request(); }, cancel);
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, 100);

    // Cut short by the sales program once it was read whole: the run merges
    // the file as it was read.
    WriteAll(path, rows("2,99"));
    out = f.Run([&] { if (f.Steps == 100) QFile::resize(path, 1000); });
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, n);
}

INSTANTIATE_TEST_SUITE_P(BothStores, GoodsUpdateOn, ::testing::Values(TStoreKind::Local, TStoreKind::Server), StoreKindName);

}  // namespace
