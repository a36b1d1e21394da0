#include "codepage.h"
#include "goodstable.h"
#include "goodstestutil.h"
#include "pricehistory.h"
#include "clirunner.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

TEST(GoodsCli, UnitPriceUsesTheSymbolsOfTheSettings) {
    TempDataHome home;
    auto r = RunCli(home.dataFolder(), {"unit-price", "4,99", "500 g"});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, "9,98 zł/kg\n");
    r = RunCli(home.dataFolder(), {"unit-price", "5", "2 szt"});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, "\n");
    WriteAll(home.path("settings.ini"), ToWin1250("[Symbol]\r\nZL=PLN\r\nL=l\r\n"));
    r = RunCli(home.dataFolder(), {"unit-price", "3.50", "0,5 L"});
    EXPECT_EQ(r.Out, "7,00 PLN/l\n");
    r = RunCli(home.dataFolder(), {"unit-price", "3.50"});
    EXPECT_NE(r.Code, 0);
    EXPECT_FALSE(r.Err.isEmpty());
}

TEST(GoodsCli, ListPrintsAViewInNameOrder) {
    TempDataHome home;
    const QDateTime last(QDate(2026, 7, 8), QTime(9, 10, 11, 250));
    {
        // The bread was 4,60 for 40 days before it went down to 4,50.
        TScopedPriceClock clock(QDateTime(QDate(2020, 1, 1), QTime(12, 0), Qt::UTC));
        TTable t;
        ASSERT_TRUE(CreateGoodsTable(t));
        t.Open();
        AddGoods(t, {"2", "żurek", "3,99", true, false, last, "500 ml", 14});
        AddGoods(t, {"1", "Ananas", "6", false, true, {}, "", 0});
        AddGoods(t, {"07", "chleb", "4.60", true, false, {}, "1 kg", 3});
        clock.AddDays(40);
        ASSERT_TRUE(t.Locate("ID", "07"));
        t.Edit();
        t.FieldByName("CENA").SetAsString("4,50");
        t.FieldByName("KROTKITERMIN").SetAsBoolean(true);
        t.Post();
    }
    WriteAll(home.path("settings.ini"), "[LAST PRINT]\r\nDATE=2026-07-08 09:10:11\r\n");
    // Later columns come last, so that older scripts read their columns where
    // they were: the lowest price, then whether the goods are perishable.
    const QString header =
        "ID\tNAZWA\tCENA\tWAGA\tABSCENA\tKODKRESKOWY\tTYPKODU\tPRINTDATE\tNEW\tSELECT\tNAJNIZSZA\tKROTKITERMIN\n";
    auto r = RunCli(home.dataFolder(), {"goods", "list"});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, header + "1\tAnanas\t6\t\t\t\t0\t\t0\t1\t\t0\n" + "07\tchleb\t4,50\t1 kg\t\t\t3\t\t1\t0\t4,60\t1\n" +
                         "2\tżurek\t3,99\t500 ml\t\t\t14\t2026-07-08 09:10:11\t1\t0\t\t0\n");
    r = RunCli(home.dataFolder(), {"goods", "list", "--view", "3"});
    EXPECT_EQ(r.Out, header + "1\tAnanas\t6\t\t\t\t0\t\t0\t1\t\t0\n" + "07\tchleb\t4,50\t1 kg\t\t\t3\t\t1\t0\t4,60\t1\n");
    r = RunCli(home.dataFolder(), {"goods", "list", "--view", "4"});
    EXPECT_EQ(r.Out, header + "2\tżurek\t3,99\t500 ml\t\t\t14\t2026-07-08 09:10:11\t1\t0\t\t0\n");
    r = RunCli(home.dataFolder(), {"goods", "list", "--view", "5"});
    EXPECT_EQ(r.Out, header + "07\tchleb\t4,50\t1 kg\t\t\t3\t\t1\t0\t4,60\t1\n");
    r = RunCli(home.dataFolder(), {"goods", "list", "--view", "x"});
    EXPECT_NE(r.Code, 0);
    r = RunCli(home.dataFolder(), {"goods", "sort"});
    EXPECT_NE(r.Code, 0);
}

// Every goods is one line of the same columns whatever its texts hold: what
// would end a field or a line is escaped, and a backslash doubled so that the
// escapes read back. A lowest price shows its grosze as the price does.
TEST(GoodsCli, ListKeepsOneLinePerGoodsAndPricesWithGrosze) {
    TempDataHome home;
    const QString nul(QChar(0));
    struct Case {
        QString Name, Weight;
        const char* Listed;  // NAZWA and WAGA as listed
    };
    const Case cases[] = {
        {"a\tb", "1\t2", "a\\tb\t1\\t2"},
        {"a\r\nb", "\n", "a\\r\\nb\t\\n"},
        {"a" + nul + "b", "c:\\d\\t", "a\\0b\tc:\\\\d\\\\t"},
        {"ser żółty", "100 g", "ser żółty\t100 g"},
    };
    {
        TScopedPriceClock clock(QDateTime(QDate(2020, 1, 1), QTime(12, 0), Qt::UTC));
        TTable t;
        ASSERT_TRUE(CreateGoodsTable(t));
        t.Open();
        int id = 0;
        for (const Case& c : cases) AddGoods(t, {QString::number(++id), c.Name, "10", false, false, {}, c.Weight, 0});
        clock.AddDays(40);
        ASSERT_TRUE(t.Locate("ID", "4"));
        t.Edit();
        t.FieldByName("CENA").SetAsString("8");
        t.Post();
    }
    const auto r = RunCli(home.dataFolder(), {"goods", "list"});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    const QStringList lines = r.Out.split(u'\n');
    ASSERT_EQ(lines.size(), 6);  // the header, the goods and the empty rest after the last line end
    QStringList listed;
    for (const QString& line : lines.mid(1, 4)) {
        EXPECT_EQ(line.count(u'\t'), 11) << line.toStdString();
        listed << line.section(u'\t', 1, 1) + u'\t' + line.section(u'\t', 3, 3);
    }
    QStringList want;
    for (const Case& c : cases) want << QString::fromUtf8(c.Listed);
    listed.sort();
    want.sort();
    EXPECT_EQ(listed, want);
    // The cheese, last by name, is the reduced one.
    EXPECT_EQ(lines[4].section(u'\t', 10, 10), "10,00");
}

// Another process writing the goods file (the nightly update, a batch at a
// time) holds its write lock for longer than a moment: marking, printing and
// an update of the same data folder wait for it and then do their whole work,
// instead of failing with "database is locked" or printing without stamping.
TEST(GoodsCli, CommandsWaitForAnotherProcessWritingTheGoods) {
    TempDataHome home;
    const QString data = home.dataFolder();
    const QString pdf = home.root() + QStringLiteral("/etykiety.pdf");
    ASSERT_EQ(RunCli(data, {"update", "--definition", "Sklep demonstracyjny"}).Code, 0);
    const auto listed = [&](const char* view) { return RunCli(data, {"goods", "list", "--view", view}).Out.count(u'\n') - 1; };
    struct Case {
        QStringList Args;
        QString Out;
        const char* View;  // a view that lists all 60 goods afterwards
    };
    const Case cases[] = {
        {{"goods", "select", "--check-type", "0"}, QString(), "2"},
        {{"print", "--pdf", pdf}, QString(), "4"},
        {{"update", "--definition", "Sklep demonstracyjny"}, QStringLiteral("Nie stwierdzono zmian od ostatniej aktualizacji.\n"), "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args.join(u' ').toStdString());
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        holder.setDatabaseName(home.path("DB/towary.db"));
        ASSERT_TRUE(holder.open());
        {
            QSqlQuery q(holder);
            ASSERT_TRUE(q.exec(QStringLiteral("BEGIN IMMEDIATE"))) << q.lastError().text().toStdString();
            ASSERT_TRUE(q.exec(QStringLiteral("UPDATE towary SET NEW = NEW")));
        }
        // Longer than the companion ever waited before.
        QTimer::singleShot(2500, [&] { EXPECT_TRUE(holder.commit()); });
        const TCliResult r = RunCli(data, c.Args);
        EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
        EXPECT_EQ(r.Out, c.Out);
        holder.close();
        holder = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        EXPECT_EQ(listed(c.View), 60);
    }
    EXPECT_GT(QFileInfo(pdf).size(), 0);
}

TEST(GoodsCli, ListCreatesAMissingTableAndReportsAForeignOne) {
    TempDataHome home;
    auto r = RunCli(home.dataFolder(), {"goods", "list", "--view", "1"});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out.count('\n'), 1);
    EXPECT_TRUE(QFileInfo(home.path("DB/towary.db")).isFile());
    WriteAll(home.path("DB/towary.db"), "obcy plik");
    r = RunCli(home.dataFolder(), {"goods", "list"});
    EXPECT_NE(r.Code, 0);
    EXPECT_TRUE(r.Err.endsWith("błąd podczas odczytu bazy danych towarów.\n")) << r.Err.toStdString();
    EXPECT_EQ(ReadAll(home.path("DB/towary.db")), "obcy plik");
}

// The store's check: one "KEY<tab>VALUE" line each of its kind, place and
// counts; a store that cannot be opened is the message and exit code 1, the
// file left alone; a wrong subcommand or option is a usage error.
TEST(GoodsCli, StoreCheckSaysWhatTheStoreHolds) {
    TempDataHome home;
    const QString file = home.path("DB/towary.db");
    const auto lines = [&](int goods, int history, int marked) {
        return QStringLiteral("RODZAJ\tplik\nMIEJSCE\t%1\nTOWARY\t%2\nHISTORIA_CEN\t%3\nZAZNACZONE\t%4\nWERSJA\t0\n")
            .arg(QFileInfo(file).absoluteFilePath())
            .arg(goods)
            .arg(history)
            .arg(marked);
    };
    const auto addGoods = [&] {
        TTable t;
        SetupGoodsTable(t, false);
        t.Open();
        AddGoods(t, {"1", "a", "1,00", true, true});
        AddGoods(t, {"2", "b", "2,00", false, true});
        AddGoods(t, {"3", "c", "3,00"});
        ASSERT_TRUE(t.FindKey("3"));
        t.Edit();
        t.FieldByName("CENA").SetAsString("2,50");
        t.Post();
    };
    struct Step {
        std::function<void()> before;
        QStringList args;
        int code;
        QString out;
        QString errEnd;
    };
    const Step steps[] = {
        {{}, {"goods-store", "check"}, 0, lines(0, 0, 0), {}},  // made on a brand-new data folder
        {addGoods, {"goods-store", "check"}, 0, lines(3, 4, 2), {}},
        {{}, {"goods-store"}, 2, {}, "użycie: goods-store check | goods-store copy --to-server\n"},
        {{}, {"goods-store", "kopiuj"}, 2, {}, "Nieznane polecenie goods-store: kopiuj\n"},
        {{}, {"goods-store", "copy"}, 2, {}, "użycie: goods-store copy --to-server\n"},
        {{}, {"goods-store", "copy", "--to-file"}, 2, {}, "Nieznana opcja goods-store copy: --to-file\n"},
        {{}, {"goods-store", "check", "--view"}, 2, {}, "Nieznana opcja goods-store check: --view\n"},
        {[&] { WriteAll(file, "obcy plik"); }, {"goods-store", "check"}, 1, {},
         "błąd podczas odczytu bazy danych towarów.\n"},
    };
    for (const Step& step : steps) {
        if (step.before) step.before();
        const TCliResult r = RunCli(home.dataFolder(), step.args);
        const std::string what = step.args.join(' ').toStdString();
        EXPECT_EQ(r.Code, step.code) << what << ": " << r.Err.toStdString();
        EXPECT_EQ(r.Out, step.out) << what;
        if (!step.errEnd.isEmpty()) EXPECT_TRUE(r.Err.endsWith(step.errEnd)) << what << ": " << r.Err.toStdString();
    }
    EXPECT_EQ(ReadAll(file), "obcy plik");
}

}  // namespace

TEST(GoodsCli, SelectMarksTheViewByCheckType) {
    TempDataHome home;
    const QDateTime last(QDate(2026, 7, 8), QTime(9, 10, 11));
    {
        TTable t;
        ASSERT_TRUE(CreateGoodsTable(t));
        t.Open();
        AddGoods(t, {"1", "a", "1", true, false, {}});
        AddGoods(t, {"2", "b", "1", true, true, last});
        AddGoods(t, {"3", "c", "1", false, true, {}});
        AddGoods(t, {"4", "d", "1", false, false, last});
    }
    WriteAll(home.path("settings.ini"), "[LAST PRINT]\r\nDATE=2026-07-08 09:10:11\r\n");
    const auto marked = [&] {
        const auto r = RunCli(home.dataFolder(), {"goods", "list", "--view", "2"});
        QStringList ids;
        for (const QString& line : r.Out.split('\n', Qt::SkipEmptyParts).mid(1)) ids << line.section('\t', 0, 0);
        return ids;
    };
    // Changed goods never printed; the unchanged mark of 3 stays, being outside the view.
    auto r = RunCli(home.dataFolder(), {"goods", "select", "--check-type", "3", "--view", "1"});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(marked(), (QStringList{"1", "3"}));
    r = RunCli(home.dataFolder(), {"goods", "select", "--check-type", "4"});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(marked(), (QStringList{"2", "4"}));
    r = RunCli(home.dataFolder(), {"goods", "select", "--check-type", "2"});
    EXPECT_EQ(r.Code, 2);
    EXPECT_FALSE(r.Err.isEmpty());
    r = RunCli(home.dataFolder(), {"goods", "select", "--check-type", "0", "--view", "x"});
    EXPECT_EQ(r.Code, 2);
    EXPECT_EQ(marked(), (QStringList{"2", "4"}));
    // Goods with a reduction: only 3 has one.
    {
        TTable t;
        SetupGoodsTable(t, false);
        t.Open();
        ASSERT_TRUE(t.FindKey("3"));
        t.Edit();
        t.FieldByName("CENA").SetAsString("0,5");
        t.Post();
    }
    r = RunCli(home.dataFolder(), {"goods", "select", "--check-type", "5"});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(marked(), (QStringList{"3"}));
}
