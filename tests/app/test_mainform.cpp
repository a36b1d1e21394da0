#include "datafolder.h"
#include "configurationpage.h"
#include "designio.h"
#include "layout.h"
#include "dbconfigform.h"
#include "progressform.h"
#include "goodspage.h"
#include "goodsstorebox.h"
#include "goodstable.h"
#include "goodstestutil.h"
#include "pgserver.h"
#include "plcolorbox.h"
#include "inifile.h"
#include "loginforms.h"
#include "mainform.h"
#include "printers.h"
#include "prompter.h"
#include "qttranslations.h"
#include "runprogressdialog.h"
#include "settings.h"
#include "splashform.h"
#include "testsupport.h"
#include "views.h"

#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QTextBrowser>
#include <QApplication>
#include <QDialogButtonBox>
#include <QTranslator>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

struct MainFormTest : ::testing::Test {
    TempDataHome home;
    TScriptedPrompter prompter;
    MainFormTest() {
        Prompter::install(&prompter);
        EnsureDataFolder();
    }
    ~MainFormTest() override { Prompter::install(nullptr); }

    // Queues the answer of the login dialog.
    void TypeLogin(const QString& name, const QString& password, bool ok = true) {
        prompter.answerDialog([=](QObject& d) {
            auto& form = dynamic_cast<TLogForm&>(d);
            form.edUserName->setText(name);
            form.edPasswd->setText(password);
            return ok ? QDialog::Accepted : QDialog::Rejected;
        });
    }
    void TypePassword(const QString& name, const QString& password, const QString& confirm, bool* okEnabled) {
        prompter.answerDialog([=](QObject& d) {
            auto& form = dynamic_cast<TChPasswdForm&>(d);
            form.Edit1->setText(name);
            form.Edit2->setText(password);
            form.Edit3->setText(confirm);
            *okEnabled = form.btnOk->isEnabled();
            return *okEnabled ? QDialog::Accepted : QDialog::Rejected;
        });
    }
    static bool Shown(QToolButton* b) { return !b->isHidden(); }
};

TEST_F(MainFormTest, CaptionsAndStartPage) {
    TMainForm form;
    EXPECT_EQ(form.CurrentPage(), 0);
    EXPECT_TRUE(form.sbtnPrint->isChecked());
    EXPECT_EQ(form.sbtnPrint->text(), "Wydruki");
    EXPECT_EQ(form.sbtnProject->text(), QString::fromUtf8("Wygląd etykiety"));
    EXPECT_EQ(form.sbtnChangePasswd->text(), QString::fromUtf8("Zmień hasło"));
    EXPECT_FALSE(Shown(form.sbtnProject));
    EXPECT_FALSE(Shown(form.sbtnConfiguration));
    EXPECT_FALSE(form.Wygldetykiety1->isVisible());
    EXPECT_EQ(form.cbPrinterName->itemText(form.cbPrinterName->count() - 1), "PDF");
    EXPECT_EQ(form.cbPrinterOrientation->count(), 2);
    EXPECT_EQ(form.CurrentHelpContext(), 6);
}

TEST_F(MainFormTest, MenuButtonIconsNeedNoScalingAtSingleOrDoubleDensity) {
    TMainForm form;
    for (QToolButton* b : {form.sbtnPrint, form.sbtnRefresh, form.sbtnLogin, form.sbtnProject, form.sbtnConfiguration,
                           form.sbtnChangePasswd}) {
        SCOPED_TRACE(b->objectName().toStdString());
        const QList<QSize> sizes = b->icon().availableSizes();
        EXPECT_TRUE(sizes.contains(b->iconSize()));
        EXPECT_TRUE(sizes.contains(b->iconSize() * 2));
    }
}

TEST_F(MainFormTest, StartupErrorBoxHeadings) {
    {
        TMainForm form;
        form.LoadingStep();  // no settings.ini
        form.DeferredInit();
        EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::Error),
                  QStringList{QString::fromUtf8("Wystapił błąd podczas inicjalizacji programu:\n"
                                                "-błąd podczas odczytu pliku konfiguracji programu.")});
    }
    prompter.clear();
    TMainForm form;
    form.StartupErrors = {"pierwszy.", "drugi."};
    form.DeferredInit();
    EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::Error),
              QStringList{QString::fromUtf8("Wystąpiły błędy podczas inizjalizacji programu:\n-pierwszy.\n-drugi.")});
    prompter.clear();
    form.StartupErrors.clear();
    form.DeferredInit();
    EXPECT_TRUE(prompter.messages().empty());
    // Without a definition in the settings the configuration dialog is offered.
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].kind, TScriptedPrompter::Kind::Dialog);
}

TEST_F(MainFormTest, LoginWithoutAdministratorAndPageSwitch) {
    TMainForm form;
    WriteAll(home.path("settings.ini"), "");
    form.LoadingStep();
    TypeLogin("someone", "");
    form.sbtnLoginClick();
    TypeLogin("", "secret");
    form.sbtnLoginClick();
    EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::Error).size(), 2);
    EXPECT_FALSE(form.AdminLoggedIn);

    TypeLogin("", "");
    form.sbtnLoginClick();
    EXPECT_TRUE(form.AdminLoggedIn);
    EXPECT_TRUE(Shown(form.sbtnProject) && Shown(form.sbtnConfiguration) && Shown(form.sbtnChangePasswd));
    EXPECT_TRUE(form.Konfiguracja2->isVisible());
    EXPECT_EQ(form.sbtnLogin->text(), "Wyloguj");
    EXPECT_EQ(form.Zaloguj1->text(), "Wyloguj");

    form.sbtnConfiguration->click();
    EXPECT_EQ(form.CurrentPage(), 2);
    EXPECT_EQ(form.CurrentHelpContext(), 13);
    EXPECT_TRUE(form.sbtnConfiguration->isChecked());
    EXPECT_FALSE(form.sbtnPrint->isChecked());
    form.Wygldetykiety1->trigger();
    EXPECT_EQ(form.CurrentPage(), 1);
    EXPECT_TRUE(form.sbtnProject->isChecked());

    form.sbtnLoginClick();  // logout returns to the goods list
    EXPECT_FALSE(form.AdminLoggedIn);
    EXPECT_EQ(form.CurrentPage(), 0);
    EXPECT_TRUE(form.sbtnPrint->isChecked());
    EXPECT_FALSE(Shown(form.sbtnProject));
    EXPECT_EQ(form.Zaloguj1->text(), "Zaloguj");
}

TEST_F(MainFormTest, PasswordChangeTrimsAndLoginComparesExactly) {
    TMainForm form;
    TypeLogin("", "");
    form.sbtnLoginClick();
    bool okEnabled = true;
    TypePassword(" szef ", "abc", "abd", &okEnabled);
    form.sbtnChangePasswdClick();
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(form.Settings.AdminName.isEmpty());
    TypePassword(" szef ", " tajne ", " tajne ", &okEnabled);
    form.sbtnChangePasswdClick();
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(form.Settings.AdminName, "szef");
    EXPECT_EQ(form.Settings.AdminPassword, PasswordHash("szeftajne"));
    form.sbtnLoginClick();  // out

    TypeLogin("szef ", "tajne");
    form.sbtnLoginClick();
    EXPECT_FALSE(form.AdminLoggedIn);
    TypeLogin("szef", "tajne ");
    form.sbtnLoginClick();
    EXPECT_FALSE(form.AdminLoggedIn);
    TypeLogin("szef", "tajne", false);  // cancelled
    form.sbtnLoginClick();
    EXPECT_FALSE(form.AdminLoggedIn);
    EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::Error),
              (QStringList{QString::fromUtf8("Błąd podczas logowania."), QString::fromUtf8("Błąd podczas logowania.")}));
    TypeLogin("szef", "tajne");
    form.sbtnLoginClick();
    EXPECT_TRUE(form.AdminLoggedIn);

    // An empty password stores the hash of the name alone, which an empty password then matches.
    TypePassword("szef", "", "", &okEnabled);
    form.sbtnChangePasswdClick();
    EXPECT_EQ(form.Settings.AdminPassword, PasswordHash("szef"));
    form.sbtnLoginClick();
    TypeLogin("szef", "");
    form.sbtnLoginClick();
    EXPECT_TRUE(form.AdminLoggedIn);

    // A lower-case hash typed into the file never matches.
    form.sbtnLoginClick();
    form.Settings.AdminPassword = PasswordHash("szef").toLower();
    TypeLogin("szef", "");
    form.sbtnLoginClick();
    EXPECT_FALSE(form.AdminLoggedIn);
}

TEST_F(MainFormTest, CloseWritesTheSettingsTwiceTheSecondTimeWithThePageValues) {
    WriteAll(home.path("settings.ini"), "[PRICE]\r\nSMALLGR=1\r\n");
    {
        TMainForm form;
        form.LoadingStep();
        form.DeferredInit();
        form.cbAskLabelCounter->setChecked(true);
        form.cbPrinterOrientation->setCurrentIndex(1);
        form.close();
    }
    const TIniFile ini(home.path("settings.ini"));
    EXPECT_EQ(ini.ReadString("PRINTER", "ASKLABELCOUNT", ""), "1");
    EXPECT_EQ(ini.ReadString("PRINTER", "ORIENTATION", ""), "Pozioma");
    EXPECT_EQ(ini.ReadString("PRICE", "SMALLGR", ""), "1");
    EXPECT_EQ(ini.ReadString("LABEL", "FILENAME", ""), "30x20.etk");
    EXPECT_TRUE(prompter.messages().empty()) << prompter.messages().join('|').toStdString();
}

TEST_F(MainFormTest, FailedWritesOnCloseAreReportedAndTheCloseGoesOn) {
    TMainForm form;
    // A folder where settings.ini should be: both writes fail.
    QDir().mkpath(home.path("settings.ini"));
    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::Error),
              (QStringList{QString::fromUtf8("Wystąpił błąd podczas zapisu konfiguracji programu."),
                           QString::fromUtf8("Wystąpił błąd podczas zapisu pliku konfiguracji programu.")}));
}

TEST_F(MainFormTest, SplashStaysThreeSecondsThenClosesAfterLoading) {
    TMainForm form;
    {
        TSplashScreenForm splash(&form);
        splash.FormActivate();  // loading is quick
        EXPECT_TRUE(splash.LoadFinished);
        EXPECT_FALSE(splash.TimeElapsed);
        EXPECT_TRUE(splash.Timer1.isActive());
        EXPECT_EQ(splash.Timer1.interval(), 3000);
        EXPECT_EQ(splash.result(), 0);
        // Escape before its time leaves it up.
        splash.show();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&splash, &escape);
        EXPECT_TRUE(splash.isVisible());
        splash.Timer1Timer();  // three seconds are over
        EXPECT_EQ(splash.result(), QDialog::Accepted);
        EXPECT_FALSE(form.OnLoadFinished);
    }
    {
        // Loading outlasts the three seconds: close 100 ms after it ends.
        TSplashScreenForm splash(&form);
        splash.Timer1Timer();
        EXPECT_TRUE(splash.TimeElapsed);
        EXPECT_FALSE(splash.Timer1.isActive());
        EXPECT_NE(splash.result(), QDialog::Accepted);
        splash.LoadFinishedHandler(&form);
        EXPECT_TRUE(splash.Timer1.isActive());
        EXPECT_EQ(splash.Timer1.interval(), 100);
        splash.Timer1Timer();
        EXPECT_EQ(splash.result(), QDialog::Accepted);
    }
}

TEST_F(MainFormTest, FirstStartPreparesTheDataFolder) {
    TMainForm form;
    TSplashScreenForm splash(&form);
    splash.FormActivate();
    EXPECT_EQ(TIniFile(home.path("settings.ini")).ReadString("OTHER", "FIRSTRUN", ""), "0");
    EXPECT_TRUE(QFileInfo(home.path("SQLCFG")).isDir());
    EXPECT_TRUE(QFileInfo(home.path("LABELS")).isDir());
    EXPECT_EQ(splash.Label1->text(), QString::fromUtf8("Trwa ładowanie definicji baz danych..."));
    EXPECT_EQ(form.StartupErrors.size(), 0) << form.StartupErrors.join('|').toStdString();
}

// F1 opens the help page of the window it is pressed in: the window's own
// page, else the page shown in the main window.
TEST_F(MainFormTest, F1OpensThePageOfEveryWindow) {
    TMainForm form;
    TLogForm login(&form);
    TChPasswdForm password(&form);
    TProgressForm progress(&form);
    TDBConfigForm database(*form.ODBCManager, nullptr, &form);
    QDialog record(&form);  // a dialog without a page of its own
    struct Case {
        QWidget* window;
        const char* page;
    };
    const Case cases[] = {
        {&form, "6.html"},     {&login, "8.html"},    {&password, "14.html"},
        {&progress, "7.html"}, {&database, "4.html"}, {&record, "6.html"},
    };
    for (const Case& c : cases) {
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QCoreApplication::sendEvent(c.window, &f1);
        QTextBrowser* help = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("HelpWindow")) help = qobject_cast<QTextBrowser*>(w);
        ASSERT_NE(help, nullptr) << c.page;
        EXPECT_EQ(help->source().fileName(), QLatin1String(c.page)) << c.window->objectName().toStdString();
        EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join('|').toStdString();
    }
}

// Qt's own texts speak Polish beside the program's: the standard buttons of
// the file and colour dialogs, for one.
TEST(QtTranslations, StandardButtonsArePolish) {
    const QLocale before;
    ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance()));
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Anuluj"));
    EXPECT_EQ(box.button(QDialogButtonBox::Save)->text(), QStringLiteral("Zachowaj"));
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QLocale::setDefault(before);
}

TEST_F(MainFormTest, AboutBoxNamesTheVersion) {
    TMainForm form;
    form.Oprogramie1->trigger();
    ASSERT_EQ(prompter.messages(TScriptedPrompter::Kind::Info).size(), 1);
    EXPECT_TRUE(prompter.messages(TScriptedPrompter::Kind::Info)[0].startsWith("Prandel etykiet - wersja 2.0.0.0"));
}

}  // namespace

namespace {

struct LayoutInShellTest : MainFormTest {
    // Logs in (no administrator set) and loads the shipped default layout.
    void Start(TMainForm& form) {
        TSplashScreenForm splash(&form);
        splash.FormActivate();
        TypeLogin("", "");
        form.sbtnLoginClick();
    }
};

TEST_F(LayoutInShellTest, StartUpLoadsTheDefaultLayoutIntoTheDesigner) {
    TMainForm form;
    Start(form);
    EXPECT_TRUE(form.StartupErrors.isEmpty()) << form.StartupErrors.join('|').toStdString();
    EXPECT_EQ(form.Settings.LabelFileName, home.path("LABELS/30x20.etk"));
    EXPECT_GE(DesignObjects(form.plProjDesign).size(), 4);
    EXPECT_FALSE(form.LayoutModified);
}

TEST_F(LayoutInShellTest, UnreadableLayoutIsAStartUpError) {
    EnsureDataFolder();
    QDir().mkpath(home.path("LABELS/folder.etk"));
    WriteAll(home.path("settings.ini"), "[LABEL]\r\nFILENAME=folder.etk\r\n[OTHER]\r\nFIRSTRUN=0\r\n");
    TMainForm form;
    form.LoadingStep();
    EXPECT_EQ(form.StartupErrors,
              QStringList{QString::fromUtf8("błąd podczas odczytu pliku wyglądu etykiety: \"%1\".")
                              .arg(home.path("LABELS/folder.etk"))});
}

TEST_F(LayoutInShellTest, LeavingTheDesignerAsksAndNoReloadsTheFile) {
    TMainForm form;
    Start(form);
    const QByteArray before = ReadAll(form.Settings.LabelFileName);
    form.sbtnProject->click();
    const int objects = DesignObjects(form.plProjDesign).size();
    delete DesignObjects(form.plProjDesign).last();
    form.LayoutModified = true;

    prompter.answer(false);
    form.sbtnPrint->click();
    EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::YesNo),
              QStringList{QString::fromUtf8("Zmodyfikowano wygląd etykiety.\nZapisać zmiany w pliku: \"30x20.etk\"?")});
    EXPECT_EQ(DesignObjects(form.plProjDesign).size(), objects);  // the file's layout is back
    EXPECT_TRUE(form.LayoutModified);                              // as the reload leaves it
    EXPECT_EQ(ReadAll(form.Settings.LabelFileName), before);

    // Page 0 to page 2 asks too; Yes writes the file.
    delete DesignObjects(form.plProjDesign).last();
    prompter.answer(true);
    form.sbtnConfiguration->click();
    EXPECT_FALSE(form.LayoutModified);
    EXPECT_NE(ReadAll(form.Settings.LabelFileName), before);
}

TEST_F(LayoutInShellTest, AFailedSaveIsReportedAndKeepsTheFlag) {
    TMainForm form;
    Start(form);
    form.Settings.LabelFileName = home.path("no/such/folder/x.etk");
    form.LayoutModified = true;
    prompter.answer(true);
    form.sbtnPrint->click();
    EXPECT_TRUE(form.LayoutModified);
    EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::Error),
              QStringList{QString::fromUtf8("Wystąpił błąd podczas zapisu pliku: \"%1\".")
                              .arg(home.path("no/such/folder/x.etk"))});
}

// A sheet format fills the sheet's fields and, once confirmed, writes its
// label size into the layout in use, which the designer shows; the fields,
// the question and the printer's offset reach settings.ini on close; the
// calibration page prints on the chosen printer.
TEST_F(LayoutInShellTest, SheetFormatOffsetAndCalibrationPageOfTheConfigurationPage) {
    TMainForm form;
    Start(form);
    TConfigurationPage& page = *form.ConfigPage;
    const QByteArray before = ReadAll(form.Settings.LabelFileName);
    const int designWidth = form.plProjDesign->width();
    EXPECT_EQ(page.cbSheetFormat->currentText(), QStringLiteral("Własny"));

    // Declined: the fields change, the file does not.
    prompter.answer(false);
    page.cbSheetFormatChange(0);
    EXPECT_EQ(page.cbSheetFormat->currentIndex(), 1);
    EXPECT_DOUBLE_EQ(page.edSheetTop->value(), 15.1);
    EXPECT_EQ(ReadAll(form.Settings.LabelFileName), before);

    prompter.answer(true);
    page.cbSheetFormatChange(2);
    EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::YesNo).last(),
              QStringLiteral("Zmienić rozmiar etykiety w pliku wyglądu \"30x20.etk\" na 70 × 37 mm?"));
    EXPECT_EQ(page.cbSheetFormat->currentIndex(), 3);
    EXPECT_EQ(page.edSheetColumns->value(), 3);
    EXPECT_EQ(page.edSheetRows->value(), 8);
    TLabelLayout layout;
    ASSERT_TRUE(LoadLayoutFile(form.Settings.LabelFileName, DesignerLayoutDefaults(), layout));
    EXPECT_EQ(QSize(layout.Width.Value(), layout.Height.Value()), QSize(70, 37));
    EXPECT_GE(layout.Objects.size(), 4u);
    EXPECT_GT(form.plProjDesign->width(), 2 * designWidth);
    EXPECT_TRUE(prompter.messages(TScriptedPrompter::Kind::Error).isEmpty());
    // A field edited by hand no longer matches a format.
    page.edSheetTop->setValue(0.6);
    EXPECT_EQ(page.cbSheetFormat->currentIndex(), 0);

    page.cbAskStartCell->setChecked(true);
    page.cbPrinterName->setCurrentText(QStringLiteral("PDF"));
    ASSERT_EQ(page.cbPrinterName->currentText(), QStringLiteral("PDF"));
    page.edOffsetX->setValue(-4.5);
    page.edOffsetY->setValue(2.5);
    const QString pdf = home.path("kalibracja.pdf");
    prompter.answerPath(pdf);
    page.btnCalibration->click();
    EXPECT_TRUE(QFileInfo(pdf).size() > 0);
    EXPECT_TRUE(prompter.messages(TScriptedPrompter::Kind::Error).isEmpty())
        << prompter.messages().join('|').toStdString();

    // The printer's paper: a roll with its darkness, which greys out what a
    // roll does not use.
    EXPECT_EQ(page.cbPaperKind->accessibleName(), QStringLiteral("Papier drukarki"));
    EXPECT_EQ(page.edDarkness->accessibleName(), QStringLiteral("Zaczernienie etykiet z rolki"));
    EXPECT_FALSE(page.edDarkness->isEnabled());
    page.cbPaperKind->setCurrentText(QStringLiteral("Rolka etykiet"));
    page.edDarkness->setValue(12);
    for (QWidget* w : {static_cast<QWidget*>(page.cbSheetFormat), static_cast<QWidget*>(page.edSheetColumns),
                       static_cast<QWidget*>(page.cbAskStartCell), static_cast<QWidget*>(page.cbPrinterOrientation)})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();

    form.close();
    const TIniFile ini(home.path("settings.ini"));
    const char* const written[][3] = {{"SHEET", "TOP", "6"},          {"SHEET", "COLUMNS", "3"},
                                      {"SHEET", "ASKSTARTCELL", "1"}, {"CALIBRATION PDF", "X", "-45"},
                                      {"CALIBRATION PDF", "Y", "25"}, {"PRINTER PDF", "ROLL", "1"},
                                      {"PRINTER PDF", "DARKNESS", "12"}};
    for (const auto& w : written) EXPECT_EQ(ini.ReadString(w[0], w[1], ""), w[2]) << w[0] << " " << w[1];
}

// A printer whose name says it prints labels gets a hint on the page, and
// stays a sheet printer until the user chooses the roll.
TEST_F(LayoutInShellTest, LabelPrinterIsSuggestedAsARollNeverSwitched) {
    SetPrintQueuesForTests(QStringList{QStringLiteral("Biuro"), QStringLiteral("Zebra_ZD220")});
    {
        TMainForm form;
        Start(form);
        TConfigurationPage& page = *form.ConfigPage;
        const struct {
            const char* printer;
            bool hint;
        } cases[] = {{"Zebra_ZD220", true}, {"Biuro", false}, {"PDF", false}, {"Zebra_ZD220", true}};
        for (const auto& c : cases) {
            page.cbPrinterName->setCurrentText(QString::fromUtf8(c.printer));
            EXPECT_EQ(!page.lbRollHint->isHidden(), c.hint) << c.printer;
            EXPECT_EQ(page.cbPaperKind->currentText(), QStringLiteral("Arkusz")) << c.printer;
        }
        page.cbPaperKind->setCurrentText(QStringLiteral("Rolka etykiet"));
        EXPECT_TRUE(page.lbRollHint->isHidden());
        page.cbPrinterName->setCurrentText(QStringLiteral("Biuro"));
        page.cbPrinterName->setCurrentText(QStringLiteral("Zebra_ZD220"));
        EXPECT_EQ(page.cbPaperKind->currentText(), QStringLiteral("Rolka etykiet"));
        form.close();
    }
    SetPrintQueuesForTests(std::nullopt);
    const TIniFile ini(home.path("settings.ini"));
    EXPECT_EQ(ini.ReadString("PRINTER Zebra_ZD220", "ROLL", ""), QStringLiteral("1"));
    EXPECT_FALSE(ini.SectionExists("PRINTER Biuro"));
}

// The group of where the goods live shows [GOODSSTORE], checks the server
// and copies the local goods there with the values in its fields (each
// outcome said through the prompter, the copy after its question and under
// its progress window), says that a new kind waits for the next start, and
// goes into settings.ini on close, the password enciphered.
TEST_F(LayoutInShellTest, GoodsStoreGroupChecksCopiesAndKeepsTheServerSettings) {
    ASSERT_TRUE(TPgServer::ProgramsFound()) << "PostgreSQL server programs are not installed (package postgresql)";
    TPgServer& server = SharedPgServer();
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    const QString password = QStringLiteral("Haslo-Kasy-7");
    ASSERT_TRUE(server.AddPasswordLogin(QStringLiteral("kasa"), password)) << server.error().toStdString();
    ASSERT_TRUE(server.Sql(QStringLiteral("sklep"), QStringLiteral("GRANT CREATE ON DATABASE sklep TO kasa")));
    const QString port = QString::number(server.port());
    TMainForm form;
    Start(form);
    {
        TScopedPriceClock clock(QDateTime(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC));
        TTable t;
        SetupGoodsTable(t, false);
        t.Open();
        AddGoods(t, {"1", "Chleb", "4,50", true, true});
        AddGoods(t, {"2", "Masło", "7,99"});
    }
    TSettings settings = form.Settings;
    settings.GoodsStore = {TGoodsStoreKind::Local, QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("sklep"),
                           QStringLiteral("kasa"), password, QStringLiteral("Sklep GUI"), QStringLiteral("kasa 2")};
    ASSERT_TRUE(settings.SaveToFile(home.path("settings.ini")));
    form.LoadingStep();
    form.DeferredInit();
    TGoodsStoreBox& box = *form.ConfigPage->gbGoodsStore;
    EXPECT_EQ(box.Values(), settings.GoodsStore);
    EXPECT_EQ(box.edPassword->echoMode(), QLineEdit::Password);
    // Every control the user reaches (a spin box's own line edit is the spin box's).
    int controls = 0;
    for (QWidget* w : box.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->focusPolicy() == Qt::NoFocus) continue;
        ++controls;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    }
    EXPECT_EQ(controls, 11);
    prompter.clear();

    // The progress window's run; `cancelled`: Cancel pressed at once.
    const auto runProgress = [&](bool cancelled = false) {
        prompter.answerDialog([cancelled](QObject& o) {
            auto& progress = dynamic_cast<TRunProgressDialog&>(o);
            if (cancelled) progress.CancelClick();
            progress.show();
            for (int i = 0; i < 50 && progress.isVisible(); ++i) QCoreApplication::processEvents();
            return int(QDialog::Rejected);
        });
    };
    const QString question =
        QStringLiteral("Skopiować towary i historię cen z tego komputera do sklepu Sklep GUI na serwerze 127.0.0.1:%1/sklep?").arg(port);
    const struct {
        std::function<void()> Act;
        QStringList Messages;
    } steps[] = {
        {[&] { box.btnCheck->click(); }, {"Połączenie z serwerem towarów działa."}},
        {[&] {
             box.edPassword->setText(QStringLiteral("zle"));
             box.btnCheck->click();
             box.edPassword->setText(password);
         },
         {QStringLiteral("Nie można połączyć się z serwerem towarów 127.0.0.1:%1/sklep: serwer odrzucił logowanie użytkownika kasa.")
              .arg(port)}},
        {[&] {
             prompter.answer(false);
             box.btnCopy->click();
         },
         {question}},
        {[&] {
             prompter.answer(true);
             runProgress(true);
             box.btnCopy->click();
         },
         {question, "Przerwano kopiowanie towarów na serwer: nic nie skopiowano."}},
        {[&] {
             prompter.answer(true);
             runProgress();
             box.btnCopy->click();
         },
         {question, "Skopiowano towarów: 2, wpisów historii cen: 2."}},
        {[&] {
             prompter.answer(true);
             runProgress();
             box.btnCopy->click();
         },
         {question, "Sklep Sklep GUI na serwerze ma już towary: nic nie skopiowano."}},
        {[&] { box.rbServer->click(); }, {"Nowe miejsce towarów będzie używane od następnego uruchomienia programu."}},
        // Back to the kind in use, then on to the new one once more.
        {[&] { box.rbLocal->click(); }, {}},
        {[&] {
             box.rbServer->click();
             box.rbServer->click();
         },
         {"Nowe miejsce towarów będzie używane od następnego uruchomienia programu."}},
    };
    for (const auto& step : steps) {
        prompter.clear();
        step.Act();
        EXPECT_EQ(prompter.messages().join(u'|').toStdString(), step.Messages.join(u'|').toStdString());
    }
    EXPECT_EQ(prompter.calls().size(), 1u);

    box.edShop->setText(QStringLiteral(" Filia 2 "));
    form.close();
    const TIniFile ini(home.path("settings.ini"));
    const char* const written[][2] = {{"KIND", "1"},         {"HOST", "127.0.0.1"}, {"DATABASE", "sklep"},
                                      {"USER", "kasa"},      {"SHOP", "Filia 2"},   {"WORKSTATION", "kasa 2"}};
    for (const auto& w : written) EXPECT_EQ(ini.ReadString("GOODSSTORE", w[0], ""), w[1]) << w[0];
    EXPECT_EQ(ini.ReadString("GOODSSTORE", "PORT", ""), port);
    EXPECT_FALSE(ReadAll(home.path("settings.ini")).contains(password.toUtf8()));
    TSettings reread;
    ASSERT_TRUE(reread.LoadFromFile(home.path("settings.ini")));
    EXPECT_EQ(reread.GoodsStore.Password, password);
}

TEST_F(LayoutInShellTest, FrameColourComesFromTheColourBox) {
    WriteAll(home.path("settings.ini"), "[LABEL]\r\nFRAMECOLOR=255\r\n[DATABASE]\r\nTYPE=x\r\n");
    TMainForm form;
    form.LoadingStep();
    form.DeferredInit();
    EXPECT_EQ(form.cbColor->Selected(), 255);
    form.cbColor->SetSelected(0x00FF00);
    form.close();
    EXPECT_EQ(TIniFile(home.path("settings.ini")).ReadString("LABEL", "FRAMECOLOR", ""), QString::number(0x00FF00));
}

}  // namespace

namespace {

TEST_F(LayoutInShellTest, UpdateFromTheDemoShopFillsTheListAndShowsTheChangedGoods) {
    TMainForm form;
    Start(form);
    TIniFile(home.path("settings.ini")).WriteString("DATABASE", "TYPE", "Sklep demonstracyjny");
    form.LoadingStep();
    form.DeferredInit();
    ASSERT_TRUE(prompter.messages(TScriptedPrompter::Kind::Error).isEmpty())
        << prompter.messages().join('|').toStdString();
    prompter.clear();
    prompter.answer(true);  // "Potwierdzasz aktualizację danych?"
    prompter.answerDialog([](QObject& o) {
        auto& progress = dynamic_cast<QDialog&>(o);
        progress.show();
        for (int i = 0; i < 50 && progress.isVisible(); ++i) QCoreApplication::processEvents();
        return int(QDialog::Accepted);
    });
    form.sbtnRefresh->click();
    EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::Info),
              QStringList{QString::fromUtf8("Liczba zmienionych pozycji: 60")})
        << prompter.messages().join('|').toStdString();
    EXPECT_EQ(form.GoodsPage->cbShowType->currentIndex(), 1);
    EXPECT_EQ(form.GoodsPage->tbLocalShow.RecordCount(), 60);
}

TEST_F(LayoutInShellTest, DrukujPrintsTheMarkedGoodsAndTheLastPrintViewListsThem) {
    TMainForm form;
    Start(form);
    TIniFile(home.path("settings.ini")).WriteString("DATABASE", "TYPE", "Sklep demonstracyjny");
    form.LoadingStep();
    form.DeferredInit();
    prompter.answer(true);
    prompter.answerDialog([](QObject& o) { return dynamic_cast<QDialog&>(o).exec(); });
    form.sbtnRefresh->click();
    TTable& t = form.GoodsPage->tbLocal;
    t.Open();
    t.UpdateWhere("NEW = TRUE", {{"SELECT", true}});
    t.Close();
    form.Settings.PrinterName = "PDF";
    form.cbPrinterName->setCurrentIndex(form.cbPrinterName->findText("PDF"));
    prompter.clear();
    prompter.answerDialog([](QObject& o) { return dynamic_cast<QDialog&>(o).exec(); });
    prompter.answer(true);
    const QString pdf = home.root() + "/etykiety.pdf";
    prompter.answerPath(pdf);
    form.GoodsPage->sbtnDoPrint->click();
    EXPECT_EQ(prompter.messages(), QStringList{QString::fromUtf8("Liczba etykiet do druku: 60.\rPotwierdzasz operację drukowania?")});
    EXPECT_TRUE(QFileInfo(pdf).size() > 0);
    t.Open();
    EXPECT_EQ(t.CountWhere(ViewFilter(TViewCode::LastPrinted, form.Settings.LastPrintDate)), 60);
    t.Close();

    // A second job printed while "Drukowane ostatnio" is on screen: the view
    // follows at once to the goods of the new job. (The first job is moved a
    // minute back, so that the two never share a second.)
    form.Settings.LastPrintDate = form.Settings.LastPrintDate.addSecs(-60);
    t.Open();
    t.UpdateWhere(QString(), {{"PRINTDATE", form.Settings.LastPrintDate}});
    t.Close();
    form.GoodsPage->ShowView(3);
    EXPECT_EQ(form.GoodsPage->tbLocalShow.RecordCount(), 60);
    t.Open();
    t.First();
    for (int i = 0; i < 10; ++i, t.Next()) {
        t.Edit();
        t.FieldByName("SELECT").SetAsBoolean(true);
        t.Post();
    }
    t.Close();
    prompter.clear();
    prompter.answerDialog([](QObject& o) { return dynamic_cast<QDialog&>(o).exec(); });
    prompter.answer(true);
    prompter.answerPath(home.root() + "/drugie.pdf");
    form.GoodsPage->sbtnDoPrint->click();
    EXPECT_EQ(form.GoodsPage->tbLocalShow.RecordCount(), 10);

    // The preview of the current record draws the layout on the design page.
    prompter.clear();
    prompter.answerDialog([](QObject& o) { return int(dynamic_cast<QDialog&>(o).objectName() == "ShowLableForm"); });
    form.GoodsPage->sbtnShow->click();
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join('|').toStdString();
    EXPECT_EQ(prompter.calls().size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(home.path("$$$$le.etk")));
}

}  // namespace
