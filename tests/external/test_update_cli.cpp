#include "codepage.h"
#include "clirunner.h"
#include "ssrpresponder.h"
#include "testsupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

TEST(UpdateCli, DemonstrationShopThenItsNextWeek) {
    TempDataHome home;
    // Out of the box: the shipped definition and its shipped tables.
    auto r = RunCli(home.dataFolder(), {"update", "--definition", "Sklep demonstracyjny"});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, "Liczba zmienionych pozycji: 60\n");
    r = RunCli(home.dataFolder(), {"goods", "list", "--view", "1"});
    EXPECT_EQ(r.Out.count(u'\n'), 61);
    // The backslash of the key is written doubled, as the list escapes it.
    EXPECT_TRUE(r.Out.contains(QStringLiteral("1004\\\\5901234000048\tMleko świeże 3,2%\t4,29\t1 l\t4,29 zł/litr\t5901234000048\t14\t\t1\t0\t\t0\n")))
        << r.Out.toStdString();
    r = RunCli(home.dataFolder(), {"update", "--definition", "Sklep demonstracyjny"});
    EXPECT_EQ(r.Out, "Nie stwierdzono zmian od ostatniej aktualizacji.\n");
    // As an earlier version left the goods file: the next update gives it its
    // price history before it writes.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("legacy"));
        db.setDatabaseName(home.path("DB/towary.db"));
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("DROP TABLE HISTORIA_CEN")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("legacy"));

    // The same shop a week later, selected by the settings: six new prices, two new goods.
    WriteAll(home.path("SQLCFG/Tydzien pozniej.cdb"),
             "[DATABASE]\r\nTYPE=3\r\nDataPath=" + (SourceDataDir() + "/DEMO2").toUtf8() +
                 "\r\n[SQL]\r\nQUERY1=SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU FROM TOWARY\r\nQUERY2=SELECT COUNT(*) FROM TOWARY\r\n");
    WriteAll(home.path("settings.ini"), ToWin1250("[DATABASE]\r\nTYPE=Tydzien pozniej\r\n"));
    r = RunCli(home.dataFolder(), {"update"});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, "Liczba zmienionych pozycji: 8\n");
    r = RunCli(home.dataFolder(), {"goods", "list", "--view", "1"});
    EXPECT_EQ(r.Out.count(u'\n'), 9);
    EXPECT_TRUE(r.Out.contains(QStringLiteral("\tPączek z różą\t2,99\t90 g\t33,22 zł/kg\t")));
    // A reduced price shows the one before it, within the 30 days; a rise shows none.
    EXPECT_TRUE(r.Out.contains(QRegularExpression(QStringLiteral("\tKawa mielona\t18,49\t[^\n]*\t19,99\t0\n")))) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains(QRegularExpression(QStringLiteral("\tKiełbasa śląska\t26,90\t[^\n]*\t0\t\t0\n")))) << r.Out.toStdString();
}

TEST(UpdateCli, FailuresGiveTheMessageAndAnExitCode) {
    TempDataHome home;
    auto r = RunCli(home.dataFolder(), {"update"});
    EXPECT_NE(r.Code, 0);
    EXPECT_FALSE(r.Err.isEmpty());
    r = RunCli(home.dataFolder(), {"update", "--definition", "Nie ma takiej"});
    EXPECT_NE(r.Code, 0);

    WriteAll(home.path("SQLCFG/Zla.cdb"), "[DATABASE]\r\nTYPE=3\r\nDataPath=" + home.root().toUtf8() +
                                             "\r\n[SQL]\r\nQUERY1=SELECT * FROM CENNIK\r\nQUERY2=SELECT 1\r\n");
    // The program's message last; the cause, as the engine said it, above it.
    const auto lastLine = [](const QString& err) { return err.trimmed().split(u'\n').last(); };
    r = RunCli(home.dataFolder(), {"update", "--definition", "Zla"});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(lastLine(r.Err), QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych."));
    EXPECT_TRUE(r.Err.contains(QStringLiteral("CENNIK"), Qt::CaseInsensitive)) << r.Err.toStdString();

    WriteAll(home.path("SQLCFG/Brak.cdb"), "[DATABASE]\r\nTYPE=1\r\nDataPath=" + home.root().toUtf8() +
                                              "/nie-ma\r\n[SQL]\r\nQUERY1=SELECT * FROM T\r\nQUERY2=SELECT 1\r\n");
    r = RunCli(home.dataFolder(), {"update", "--definition", "Brak"});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(lastLine(r.Err), QStringLiteral("Błąd podczas łączenia z zewnętrzną bazą danych."));
    EXPECT_TRUE(r.Err.contains(QStringLiteral("nie-ma"))) << r.Err.toStdString();
}

// A folder of CSV exports through the companion, as a shop's nightly script
// runs it: the count, or the update's message with what is wrong with the
// file on its second line, and then nothing changed.
TEST(UpdateCli, AFolderOfCsvExports) {
    TempDataHome home;
    const QString folder = home.root() + QStringLiteral("/eksport");
    WriteAll(folder + QStringLiteral("/towary.csv"),
             ToWin1250(QStringLiteral("Indeks;Nazwa;Cena brutto;Ilość\r\n1;Mleko świeże;3,49;1 l\r\n2;\"Ser \"\"Gouda\"\"\";1 234,50;1 kg\r\n")));
    WriteAll(home.path("SQLCFG/Eksport.cdb"),
             "[DATABASE]\r\nTYPE=6\r\nDataPath=" + folder.toUtf8() +
                 "\r\n[SQL]\r\nQUERY1=SELECT Indeks, Nazwa, CAST(\"cena brutto\" AS REAL), ILOSC FROM towary\r\n"
                 "QUERY2=SELECT COUNT(*) FROM towary\r\n");
    auto r = RunCli(home.dataFolder(), {"update", "--definition", "Eksport"});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, "Liczba zmienionych pozycji: 2\n");
    r = RunCli(home.dataFolder(), {"goods", "list"});
    EXPECT_TRUE(r.Out.contains(QStringLiteral("\tSer \"Gouda\"\t1234,5\t1 kg\t"))) << r.Out.toStdString();

    WriteAll(folder + QStringLiteral("/towary.csv"), "Indeks;Nazwa;Cena brutto;Ilosc\r\n1;Mleko;3,99;1 l\r\n2;\"Ser;1,00;1 kg\r\n");
    r = RunCli(home.dataFolder(), {"update", "--definition", "Eksport"});
    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(r.Err.endsWith(QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych.\nNiezamknięty cudzysłów w wierszu 3 pliku %1.\n")
                                   .arg(QDir::toNativeSeparators(folder + QStringLiteral("/towary.csv")))))
        << r.Err.toStdString();
    r = RunCli(home.dataFolder(), {"goods", "list", "--view", "1"});
    EXPECT_EQ(r.Out.count(u'\n'), 3);
    EXPECT_TRUE(r.Out.contains(QStringLiteral("\tMleko świeże\t3,49\t"))) << r.Out.toStdString();
}

// The scan without a window: one instance a line, in order of arrival;
// nothing found is no failure.
TEST(SqlServersCli, PrintsWhatAnswersInOrderOfArrival) {
    TempDataHome home;
    TSsrpResponder later(SsrpAnswer(SsrpRecord("BIURO", "MSSQLSERVER")), 200);
    TSsrpResponder first(SsrpAnswer(SsrpRecord("KASA", "SKLEP") + SsrpRecord("KASA", "SQLEXPRESS")));
    TSsrpResponder silent{QByteArray()};
    struct Case {
        QStringList Targets;
        QStringList Args;
        int Code;
        QString Out;
    };
    const Case cases[] = {
        {{later.Target(), first.Target()}, {"--wait", "800"}, 0, "KASA\\SKLEP\nKASA\\SQLEXPRESS\nBIURO\n"},
        {{silent.Target()}, {"--wait", "200"}, 0, ""},
        {{silent.Target()}, {"--wait", "-5"}, 2, ""},
    };
    for (const Case& c : cases) {
        const TSsrpTargetsScope targets(c.Targets);
        const auto r = RunCli(home.dataFolder(), QStringList{"sql-servers"} + c.Args);
        EXPECT_EQ(r.Code, c.Code) << r.Err.toStdString();
        EXPECT_EQ(r.Out, c.Out);
    }
}

}  // namespace
