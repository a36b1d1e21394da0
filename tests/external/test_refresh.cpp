#include "goodssession.h"
#include "progressform.h"
#include "prompter.h"
#include "refreshcommand.h"
#include "settings.h"
#include "updatefixture.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The main window's pieces around a fixture, with a scripted user.
struct TRefreshHarness {
    TUpdateFixture F;
    TGoodsSession Goods;
    TTable& tbLocalShow = Goods.tbLocalShow;
    TSettings Settings;
    TProgressForm Form;
    int Switched = 0;
    int Stored = 0;
    TScriptedPrompter User;
    TRefreshPieces Pieces{F.Manager, F.dbOutside, Goods, Settings, Form};

    TRefreshHarness() {
        const TUnitSymbols symbols;
        Settings.CurrencySymbol = symbols.Currency;
        Settings.KgSymbol = symbols.Kg;
        Settings.LitreSymbol = symbols.Litre;
        Settings.SquareMetreSymbol = symbols.SquareMetre;
        tbLocalShow.Open();
        Pieces.StoreDatabaseFields = [this] { ++Stored; };
        Pieces.ShowChanged = [this] { ++Switched; };
        Prompter::install(&User);
    }
    ~TRefreshHarness() { Prompter::install(nullptr); }

    // The user confirms and the progress dialog really runs.
    void ConfirmAndRun(std::function<void()> whileShown = {}) {
        User.answer(true);
        User.answerDialog([whileShown](QObject& d) {
            if (whileShown) whileShown();
            return static_cast<QDialog&>(d).exec();
        });
    }
};

QList<QStringList> TwoGoods() {
    return {{"1", "Chleb", "6,49", "500 g", "111", "14"}, {"2", "Mleko", "4,29", "1 l", "222", "14"}};
}

TEST(ProgressForm, CaptionBarAndCancelButton) {
    TProgressForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Trwa aktualizacja bazy danych"));
    EXPECT_EQ(form.btnCancel->text(), QStringLiteral("&Anuluj"));
    EXPECT_TRUE(form.btnCancel->isDefault());
    EXPECT_EQ(form.prRefresh->maximum(), 100);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    // Shown without a run it closes by itself once the queued start comes.
    int runs = 0;
    form.OnRun = [&] { ++runs; };
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_EQ(runs, 1);
}

TEST(RefreshCommand, ConfirmedRunShowsTheCountAndSwitchesToChanged) {
    TRefreshHarness h;
    h.F.WriteGoods(TwoGoods());
    h.ConfirmAndRun();
    sbtnRefreshClick(h.Pieces);
    EXPECT_EQ(h.Stored, 1);
    EXPECT_EQ(h.User.messages(), QStringList({"Potwierdzasz aktualizację danych?", "Liczba zmienionych pozycji: 2"}));
    EXPECT_EQ(h.Switched, 1);
    EXPECT_EQ(h.Form.prRefresh->maximum(), 2);
    EXPECT_EQ(h.Form.prRefresh->value(), 2);
    EXPECT_EQ(h.tbLocalShow.RecordCount(), 2);

    // Nothing new: the other message and no switch.
    h.User.clear();
    h.ConfirmAndRun();
    sbtnRefreshClick(h.Pieces);
    EXPECT_EQ(h.User.messages(), QStringList({"Potwierdzasz aktualizację danych?", "Nie stwierdzono zmian od ostatniej aktualizacji."}));
    EXPECT_EQ(h.Switched, 1);
}

TEST(RefreshCommand, DeclinedConfirmationLeavesTheTableAlone) {
    TRefreshHarness h;
    h.F.WriteGoods(TwoGoods());
    h.ConfirmAndRun();
    sbtnRefreshClick(h.Pieces);
    h.F.WriteGoods({{"1", "Chleb", "7,49", "500 g", "111", "14"}});
    h.User.clear();
    h.User.answer(false);
    sbtnRefreshClick(h.Pieces);
    EXPECT_EQ(h.User.messages(), QStringList({"Potwierdzasz aktualizację danych?"}));
    const auto goods = h.F.Goods();
    EXPECT_EQ(goods.at(QStringLiteral("1\\111"))[1], QStringLiteral("6,49"));
    for (const auto& [id, row] : goods) EXPECT_EQ(row[6], QStringLiteral("True")) << id.toStdString();
}

TEST(RefreshCommand, ConnectionAndDataSourceFailuresStopBeforeTheQuestion) {
    TRefreshHarness h;
    h.F.Folder += QStringLiteral("/brak");
    h.F.Define(QStringLiteral("SELECT * FROM TOWARY"));
    sbtnRefreshClick(h.Pieces);
    EXPECT_EQ(h.User.messages(), QStringList({"Błąd podczas łączenia z zewnętrzną bazą danych."}));

    // An ODBC type whose driver is not installed.
    TOdbcTestEnv odbc;
    odbc.setDrivers("[ODBC]\nTrace=No\n");
    h.F.Define(QStringLiteral("SELECT * FROM TOWARY"), QStringLiteral("SELECT 1"), 5);
    h.User.clear();
    sbtnRefreshClick(h.Pieces);
    EXPECT_EQ(h.User.messages(), QStringList({"Wystąpił błąd podczas tworzenia źródła danych ODBC.\n"
                                              "Brak zainstalowanego sterownika dla bazy danych typu: \"Firebird\""}));

    // A definition that names a library file as its driver.
    h.F.Define(QStringLiteral("SELECT * FROM TOWARY"), QStringLiteral("SELECT 1"), 5, "Driver=/tmp/zly.so\r\n");
    h.User.clear();
    sbtnRefreshClick(h.Pieces);
    EXPECT_EQ(h.User.messages(), QStringList({"Wystąpił błąd podczas tworzenia źródła danych ODBC.\n"
                                              "Sterownik \"/tmp/zly.so\" podany w definicji nie jest zarejestrowany w unixODBC "
                                              "(odbcinst). Definicja może wskazać tylko nazwę zarejestrowanego sterownika, "
                                              "nie ścieżkę do pliku."}));
}

// A CSV export that lacks a column the query names: the update's message,
// and below it the file and the column.
TEST(RefreshCommand, ACsvExportWithoutAColumnShowsWhatIsMissing) {
    TRefreshHarness h;
    WriteAll(h.F.Folder + QStringLiteral("/towary.csv"), "ID;NAZWA;CENA;WAGA\r\n1;Chleb;6,49;500 g\r\n");
    h.F.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD FROM towary"), QStringLiteral("SELECT COUNT(*) FROM towary"), 6);
    h.ConfirmAndRun();
    sbtnRefreshClick(h.Pieces);
    EXPECT_EQ(h.User.messages(), QStringList({"Potwierdzasz aktualizację danych?",
                                              QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych.\nW pliku %1 nie ma kolumny KOD.")
                                                  .arg(QDir::toNativeSeparators(h.F.Folder + QStringLiteral("/towary.csv")))}));
    EXPECT_EQ(h.tbLocalShow.RecordCount(), 0);
}

TEST(RefreshCommand, CancelButtonDuringARunStopsIt) {
    TRefreshHarness h;
    QList<QStringList> rows;
    for (int i = 1; i <= 1000; ++i)
        rows << QStringList({QString::number(i), QStringLiteral("Towar %1").arg(i), "1,00", "", QString::number(i), "14"});
    h.F.WriteGoods(rows);
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (h.Form.Running() && h.Form.prRefresh->value() >= 100) h.Form.btnCancel->click();
    });
    h.ConfirmAndRun([&] { presser.start(0); });
    sbtnRefreshClick(h.Pieces);
    presser.stop();
    ASSERT_EQ(h.User.messages().size(), 2);
    const QString report = h.User.messages()[1];
    ASSERT_TRUE(report.startsWith(QStringLiteral("Liczba zmienionych pozycji: "))) << report.toStdString();
    const int count = report.mid(28).toInt();
    EXPECT_GE(count, 100);
    EXPECT_LT(count, 1000);
    int marked = 0;
    for (const auto& [id, row] : h.F.Goods()) marked += row[6] == QStringLiteral("True");
    EXPECT_EQ(marked, count);
}

}  // namespace
