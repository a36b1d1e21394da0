#include "dbconfigform.h"
#include "externaldbbox.h"
#include "externalstartup.h"
#include "odbcenv.h"
#include "odbcmanager.h"
#include "prompter.h"
#include "sqlservers.h"
#include "ssrpresponder.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QByteArray kParadox = "[DATABASE]\r\nTYPE=1\r\nDataPath=/nie/ma/takiego\r\n";
const QByteArray kFoxEmpty = "[DATABASE]\r\nTYPE=2\r\nSourceDB=\r\nDSN=Fox\r\n";
const QByteArray kSqlNoLogin =
    "[DATABASE]\r\nTYPE=4\r\nServer=KASA\\SQLEXPRESS\r\nDatabase=Sklep\r\n[LOGIN PARAMS]\r\nSQLLOGIN=0\r\n"
    "SQLUSER=kasjer\r\nSQLPASS=";
const QByteArray kFirebird = "[DATABASE]\r\nTYPE=5\r\nDbname=/srv/sklep.fdb\r\n";

class ExternalUi : public ::testing::Test {
protected:
    void SetUp() override {
        Prompter::install(&prompter);
        folder = home.path(QStringLiteral("SQLCFG/"));
        QDir().mkpath(folder);
        PrepareODBCManager(manager);
        write(QStringLiteral("Paradox"), kParadox);
        write(QStringLiteral("FoxPro"), kFoxEmpty);
        write(QStringLiteral("SQL"), kSqlNoLogin + EncipherForTest("sekret") + "\r\n");
        write(QStringLiteral("Firebird"), kFirebird);
    }
    void TearDown() override { Prompter::install(nullptr); }
    static QByteArray EncipherForTest(const char* password) {
        TODBCManager m;
        m.SetSqlPassword(QString::fromLatin1(password));
        return m.GetStoredSqlPassword().toLatin1();
    }
    void write(const QString& name, const QByteArray& bytes) { WriteAll(folder + name + QStringLiteral(".cdb"), bytes); }
    static void choose(QComboBox* list, const QString& name) {
        const int i = list->findText(name);
        ASSERT_GE(i, 0) << name.toStdString();
        list->setCurrentIndex(i);
    }

    TempDataHome home;
    TScriptedPrompter prompter;
    QString folder;
    TODBCManager manager;
};

int Bottom(const QWidget* w) { return w->geometry().bottom() + 1; }

TEST_F(ExternalUi, PageArrangesFirebirdAndShrinks) {
    TExternalDbBox box(manager);
    EXPECT_EQ(box.objectName(), QStringLiteral("GroupBox6"));
    EXPECT_EQ(box.title(), QStringLiteral(" Zewnętrzna baza danych "));
    box.Fill();
    EXPECT_EQ(box.cbDBType->currentIndex(), -1);
    EXPECT_EQ(box.cbDBType->count(), 4);

    choose(box.cbDBType, QStringLiteral("SQL"));
    const int tall = box.height();
    EXPECT_EQ(tall, Bottom(box.EDUser) + box.EDUser->x());
    choose(box.cbDBType, QStringLiteral("Firebird"));
    EXPECT_EQ(box.Label4->text(), QStringLiteral("Plik bazy danych"));
    EXPECT_EQ(box.edDBPath->text(), QStringLiteral("/srv/sklep.fdb"));
    EXPECT_FALSE(box.edDBPath->isHidden());
    EXPECT_FALSE(box.SpeedButton1->isHidden());
    for (QWidget* w : {static_cast<QWidget*>(box.cbMSSQLServer), static_cast<QWidget*>(box.cbMSSQLDatabase),
                       static_cast<QWidget*>(box.Label8), static_cast<QWidget*>(box.cbSQLLogin),
                       static_cast<QWidget*>(box.Label9), static_cast<QWidget*>(box.EDUser),
                       static_cast<QWidget*>(box.Label10), static_cast<QWidget*>(box.EDPasswd)})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_EQ(box.height(), Bottom(box.edDBPath) + box.edDBPath->x());
    EXPECT_LT(box.height(), tall);
    EXPECT_EQ(box.DefinitionName(), QStringLiteral("Firebird"));
}

TEST_F(ExternalUi, PageShowsSqlServerLoginDisabledButFilled) {
    TExternalDbBox box(manager);
    box.Fill();
    choose(box.cbDBType, QStringLiteral("SQL"));
    EXPECT_EQ(box.Label4->text(), QStringLiteral("Serwer"));
    EXPECT_TRUE(box.edDBPath->isHidden());
    EXPECT_TRUE(box.SpeedButton1->isHidden());
    EXPECT_FALSE(box.cbMSSQLServer->isHidden());
    EXPECT_EQ(box.cbMSSQLServer->currentText(), QStringLiteral("KASA\\SQLEXPRESS"));
    EXPECT_EQ(box.cbMSSQLDatabase->currentText(), QStringLiteral("Sklep"));
    EXPECT_FALSE(box.cbSQLLogin->isChecked());
    EXPECT_EQ(box.cbSQLLogin->text(), QStringLiteral("Zaloguj podając użytkownika i hasło"));
    EXPECT_EQ(box.EDUser->text(), QStringLiteral("kasjer"));
    EXPECT_EQ(box.EDPasswd->text(), QStringLiteral("sekret"));
    EXPECT_EQ(box.EDPasswd->echoMode(), QLineEdit::Password);
    for (QWidget* w : {static_cast<QWidget*>(box.Label9), static_cast<QWidget*>(box.EDUser),
                       static_cast<QWidget*>(box.Label10), static_cast<QWidget*>(box.EDPasswd)}) {
        EXPECT_FALSE(w->isEnabled());
        EXPECT_FALSE(w->isHidden());
    }
    box.cbSQLLogin->click();
    EXPECT_TRUE(box.EDUser->isEnabled());
    EXPECT_TRUE(box.EDPasswd->isEnabled());
}

TEST_F(ExternalUi, PageStoresTrimmedNamesAndEnciphersThePassword) {
    TExternalDbBox box(manager);
    box.Fill();
    choose(box.cbDBType, QStringLiteral("SQL"));
    box.cbMSSQLServer->setEditText(QStringLiteral("  serwer  "));
    box.cbMSSQLDatabase->setEditText(QStringLiteral(" baza "));
    box.cbSQLLogin->click();
    box.EDUser->setText(QStringLiteral(" sa "));
    box.EDPasswd->setText(QStringLiteral(" hasło "));
    box.StoreDatabaseFields();
    EXPECT_EQ(manager.GetServer(), QStringLiteral("serwer"));
    EXPECT_EQ(manager.GetDatabase(), QStringLiteral("baza"));
    EXPECT_TRUE(manager.SqlLogin);
    EXPECT_EQ(manager.SqlUser, QStringLiteral("sa"));
    EXPECT_EQ(manager.GetSqlPassword(), QStringLiteral(" hasło "));

    choose(box.cbDBType, QStringLiteral("Paradox"));
    box.edDBPath->setText(QStringLiteral("  /dane  "));
    box.StoreDatabaseFields();
    EXPECT_EQ(manager.GetDataPath(), QStringLiteral("/dane"));
    EXPECT_TRUE(prompter.calls().empty());
}

TEST_F(ExternalUi, PageKeepsItsControlsWhenADefinitionCannotBeLoaded) {
    TExternalDbBox box(manager);
    box.Fill();
    choose(box.cbDBType, QStringLiteral("Firebird"));
    const int height = box.height();
    QFile::remove(folder + QStringLiteral("SQL.cdb"));
    choose(box.cbDBType, QStringLiteral("SQL"));
    EXPECT_EQ(box.Label4->text(), QStringLiteral("Plik bazy danych"));
    EXPECT_EQ(box.edDBPath->text(), QStringLiteral("/srv/sklep.fdb"));
    EXPECT_TRUE(box.cbMSSQLServer->isHidden());
    EXPECT_EQ(box.height(), height);
    EXPECT_TRUE(prompter.calls().empty());
}

TEST_F(ExternalUi, FillSelectsTheManagersDefinition) {
    manager.SelectDefinition(QStringLiteral("SQL"));
    TExternalDbBox box(manager);
    box.Fill();
    EXPECT_EQ(box.cbDBType->currentText(), QStringLiteral("SQL"));
    EXPECT_FALSE(box.cbMSSQLServer->isHidden());
    EXPECT_EQ(box.height(), Bottom(box.EDUser) + box.EDUser->x());
}

TEST_F(ExternalUi, BrowsingPicksAFolderOrAFirebirdFile) {
    TExternalDbBox box(manager);
    box.Fill();
    box.SpeedButton1Click();
    EXPECT_TRUE(prompter.calls().empty()) << "nothing while no definition is selected";

    choose(box.cbDBType, QStringLiteral("Paradox"));
    box.SpeedButton1Click();  // cancelled
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].kind, TScriptedPrompter::Kind::Folder);
    EXPECT_EQ(prompter.calls()[0].text, QStringLiteral("Wybierz katalog plików zewnętrznej bazy danych..."));
    EXPECT_EQ(prompter.calls()[0].detail, QString()) << "a missing folder starts at the picker's default";
    EXPECT_EQ(box.edDBPath->text(), QStringLiteral("/nie/ma/takiego"));

    box.edDBPath->setText(home.root());
    prompter.answerPath(folder);
    box.SpeedButton1Click();
    EXPECT_EQ(prompter.calls()[1].detail, home.root());
    EXPECT_EQ(box.edDBPath->text(), folder);

    choose(box.cbDBType, QStringLiteral("Firebird"));
    prompter.answerPath(home.root() + QStringLiteral("/nowa.fdb"));
    box.SpeedButton1Click();
    ASSERT_EQ(prompter.calls().size(), 3u);
    EXPECT_EQ(prompter.calls()[2].kind, TScriptedPrompter::Kind::OpenFile);
    EXPECT_EQ(prompter.calls()[2].text, QStringLiteral("Wybierz plik bazy danych..."));
    EXPECT_EQ(prompter.calls()[2].detail, QStringLiteral("/srv/sklep.fdb"));
    EXPECT_EQ(box.edDBPath->text(), home.root() + QStringLiteral("/nowa.fdb"));

    // A folder of CSV files is edited as a folder, with the folder picker.
    write(QStringLiteral("Eksport CSV"), "[DATABASE]\r\nTYPE=6\r\nDataPath=/eksport\r\n");
    box.Fill();
    choose(box.cbDBType, QStringLiteral("Eksport CSV"));
    EXPECT_EQ(box.Label4->text(), QStringLiteral("Katalog plików CSV"));
    EXPECT_EQ(box.edDBPath->text(), QStringLiteral("/eksport"));
    EXPECT_TRUE(box.cbMSSQLServer->isHidden());
    prompter.answerPath(folder);
    box.SpeedButton1Click();
    ASSERT_EQ(prompter.calls().size(), 4u);
    EXPECT_EQ(prompter.calls()[3].kind, TScriptedPrompter::Kind::Folder);
    box.StoreDatabaseFields();
    EXPECT_EQ(manager.GetDataPath(), QDir::toNativeSeparators(folder));
}

TEST_F(ExternalUi, DialogEnablesOkOnlyForNonBlankLocations) {
    TDBConfigForm form(manager, nullptr);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Konfiguracja zewnętrznej bazy danych"));
    EXPECT_EQ(form.btnOk->text(), QStringLiteral("&Ok"));
    EXPECT_EQ(form.btnCancel->text(), QStringLiteral("&Anuluj"));
    EXPECT_TRUE(form.btnOk->isDefault());
    form.FillDefinitions();
    form.edPathChange();
    form.show();
    EXPECT_FALSE(form.btnOk->isEnabled());

    choose(form.cbDBType, QStringLiteral("FoxPro"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("Katalog plików bazy danych"));
    EXPECT_FALSE(form.btnOk->isEnabled());
    form.edPath->setText(QStringLiteral("   "));
    EXPECT_FALSE(form.btnOk->isEnabled());
    form.edPath->setText(QStringLiteral(" /fox "));
    EXPECT_TRUE(form.btnOk->isEnabled());

    choose(form.cbDBType, QStringLiteral("SQL"));
    EXPECT_TRUE(form.btnOk->isEnabled());
    form.cbMSSQLDatabase->setEditText(QStringLiteral("  "));
    EXPECT_FALSE(form.btnOk->isEnabled());
    form.cbMSSQLDatabase->setEditText(QStringLiteral("x"));
    form.cbMSSQLServer->setEditText(QString());
    EXPECT_FALSE(form.btnOk->isEnabled());
    form.cbMSSQLServer->setEditText(QStringLiteral("s"));
    EXPECT_TRUE(form.btnOk->isEnabled());
}

TEST_F(ExternalUi, DialogHeightFollowsTheSqlServerRows) {
    manager.SelectDefinition(QStringLiteral("SQL"));
    TDBConfigForm form(manager, nullptr);
    form.FillDefinitions();
    form.show();
    const int full = form.height();
    const int bevelGap = full - form.Bevel1->y();
    const int buttonGap = full - form.btnOk->y();
    const int loginTop = form.cbSQLLogin->y();
    const int bevelTop = form.Bevel1->y();
    EXPECT_FALSE(form.cbSQLLogin->isHidden());

    choose(form.cbDBType, QStringLiteral("Paradox"));
    EXPECT_EQ(form.height(), full - (bevelTop - loginTop));
    EXPECT_EQ(form.Bevel1->y(), loginTop);
    EXPECT_EQ(form.height() - form.btnOk->y(), buttonGap);
    EXPECT_EQ(form.height() - form.Bevel1->y(), bevelGap);
    EXPECT_GT(form.Bevel1->y(), Bottom(form.edPath));

    choose(form.cbDBType, QStringLiteral("SQL"));
    EXPECT_EQ(form.height(), full);
    EXPECT_EQ(form.Bevel1->y(), bevelTop);
    EXPECT_GT(form.Bevel1->y(), Bottom(form.EDUser));
}

TEST_F(ExternalUi, ConfirmedDialogSavesNamesAsTyped) {
    prompter.answerDialog([&](QObject& o) {
        auto& form = dynamic_cast<TDBConfigForm&>(o);
        form.show();
        choose(form.cbDBType, QStringLiteral("SQL"));
        form.cbMSSQLServer->setEditText(QStringLiteral(" serwer "));
        form.cbMSSQLDatabase->setEditText(QStringLiteral(" baza"));
        form.EDUser->setText(QStringLiteral(" jan "));
        EXPECT_TRUE(form.btnOk->isEnabled());
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(ShowDBConfigDialog(manager, nullptr));
    EXPECT_EQ(manager.GetServer(), QStringLiteral(" serwer "));
    const QByteArray file = ReadAll(folder + QStringLiteral("SQL.cdb"));
    EXPECT_TRUE(file.contains("Server= serwer \r\n")) << file.constData();
    EXPECT_TRUE(file.contains("Database= baza\r\n"));
    EXPECT_TRUE(file.contains("SQLUSER=jan\r\n"));
    EXPECT_EQ(manager.GetDefinitionName(), QStringLiteral("SQL"));
}

TEST_F(ExternalUi, CancelledDialogReturnsToThePreviousDefinition) {
    prompter.answerDialog([&](QObject& o) {
        auto& form = dynamic_cast<TDBConfigForm&>(o);
        form.show();
        choose(form.cbDBType, QStringLiteral("Firebird"));
        form.edPath->setText(QStringLiteral("/inny.fdb"));
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(ShowDBConfigDialog(manager, nullptr));
    EXPECT_EQ(manager.GetDefinitionName(), QString());
    EXPECT_EQ(ReadAll(folder + QStringLiteral("Firebird.cdb")), kFirebird);
    // The page then shows no definition, and closing writes none.
    {
        TExternalDbBox box(manager);
        box.Fill();
        box.StoreDatabaseFields();
        EXPECT_TRUE(SaveExternalDatabaseOnClose(manager));
        EXPECT_EQ(ReadAll(folder + QStringLiteral("Firebird.cdb")), kFirebird);
    }

    manager.SelectDefinition(QStringLiteral("Paradox"));
    prompter.answerDialog([&](QObject& o) {
        choose(dynamic_cast<TDBConfigForm&>(o).cbDBType, QStringLiteral("SQL"));
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(ShowDBConfigDialog(manager, nullptr));
    EXPECT_EQ(manager.GetDefinitionName(), QStringLiteral("Paradox"));
    EXPECT_EQ(manager.GetDbType(), 1);
}

TEST_F(ExternalUi, DialogOffersNothingToConfirmForAnUnreadableDefinition) {
    manager.SelectDefinition(QStringLiteral("Paradox"));
    const QByteArray paradox = ReadAll(folder + QStringLiteral("Paradox.cdb"));
    prompter.answerDialog([&](QObject& o) {
        auto& form = dynamic_cast<TDBConfigForm&>(o);
        form.show();
        QFile::remove(folder + QStringLiteral("Firebird.cdb"));
        choose(form.cbDBType, QStringLiteral("Firebird"));
        EXPECT_FALSE(form.btnOk->isEnabled());
        EXPECT_TRUE(form.edPath->isHidden());
        form.edPath->setText(QStringLiteral("/x"));
        EXPECT_FALSE(form.btnOk->isEnabled());
        return int(QDialog::Accepted);
    });
    EXPECT_FALSE(ShowDBConfigDialog(manager, nullptr));
    EXPECT_EQ(ReadAll(folder + QStringLiteral("Paradox.cdb")), paradox);
    EXPECT_EQ(manager.GetDefinitionName(), QStringLiteral("Paradox"));
}

TEST_F(ExternalUi, StartUpLoadsTheSettingsDefinitionOrAsks) {
    QStringList errors;
    EXPECT_EQ(InitExternalDatabase(manager, QStringLiteral("Firebird"), errors), QStringLiteral("Firebird"));
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(manager.GetDbname(), QStringLiteral("/srv/sklep.fdb"));

    EXPECT_EQ(InitExternalDatabase(manager, QStringLiteral("Usunięta"), errors), QStringLiteral("Usunięta"));
    EXPECT_EQ(errors, QStringList{QStringLiteral("błąd podczas odczytu pliku konfiguracji zewnętrznej bazy danych.")});
    EXPECT_TRUE(prompter.calls().empty());

    TODBCManager fresh;
    PrepareODBCManager(fresh);
    errors.clear();
    prompter.answerDialog([&](QObject& o) {
        auto& form = dynamic_cast<TDBConfigForm&>(o);
        form.show();
        choose(form.cbDBType, QStringLiteral("Paradox"));
        form.edPath->setText(home.root());
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(InitExternalDatabase(fresh, QString(), errors), QStringLiteral("Paradox"));
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].text, QStringLiteral("TDBConfigForm"));
    EXPECT_TRUE(ReadAll(folder + QStringLiteral("Paradox.cdb")).contains("DataPath=" + home.root().toUtf8()));

    // Cancelled on a first start: no definition.
    prompter.answerDialog([](QObject&) { return int(QDialog::Rejected); });
    TODBCManager other;
    PrepareODBCManager(other);
    EXPECT_EQ(InitExternalDatabase(other, QString(), errors), QString());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(ExternalUi, ClosingReportsAFailedSave) {
    manager.SelectDefinition(QStringLiteral("Firebird"));
    EXPECT_TRUE(SaveExternalDatabaseOnClose(manager));
    QFile::remove(folder + QStringLiteral("Firebird.cdb"));
    QDir().mkpath(folder + QStringLiteral("Firebird.cdb/x"));
    EXPECT_FALSE(SaveExternalDatabaseOnClose(manager));
    EXPECT_EQ(prompter.messages(TScriptedPrompter::Kind::Error),
              QStringList{QStringLiteral("Wystąpił błąd podczas zapisu pliku konfiguracji zewnętrznej bazy danych.")});
}

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

// The server list of an SQL Server definition: the instances that answer, in
// order of arrival and each once, from one scan per run of the program; the
// worker's list reaches the window only after the scan has ended.
TEST_F(ExternalUi, ServerListsComeFromOneScanPerRun) {
    TSsrpResponder later(SsrpAnswer(SsrpRecord("BIURO", "MSSQLSERVER")), 150);
    TSsrpResponder garbled(QByteArray("\x05\xff\xffServerName;ZEPSUTY;InstanceName;X"));
    TSsrpResponder first(SsrpAnswer(SsrpRecord("KASA", "SKLEP") + SsrpRecord("KASA", "SQLEXPRESS")));
    TSsrpResponder silent{QByteArray()};
    TSsrpResponder again(SsrpAnswer(SsrpRecord("kasa", "sklep")), 250);
    const TSsrpTargetsScope targets({later.Target(), garbled.Target(), first.Target(), silent.Target(), again.Target()});
    TMSSQLServers finder;
    finder.SetScanTime(800);
    QStringList duringScan{QStringLiteral("nieodczytana")};
    finder.OnScanStart = [&](TMSSQLServers& f) { QTimer::singleShot(400, [&] { f.GetServers(duringScan); }); };

    TExternalDbBox box(manager, &finder);
    box.Fill();
    choose(box.cbDBType, QStringLiteral("Firebird"));
    box.cbMSSQLServerDropDown();
    EXPECT_FALSE(finder.IsScanStarted()) << "only an SQL Server definition scans";
    choose(box.cbDBType, QStringLiteral("SQL"));
    box.cbMSSQLServer->showPopup();
    box.cbMSSQLServer->hidePopup();
    EXPECT_TRUE(finder.IsScanStarted());
    EXPECT_TRUE(duringScan.isEmpty());
    const QStringList found{"KASA\\SKLEP", "KASA\\SQLEXPRESS", "BIURO"};
    EXPECT_EQ(Items(box.cbMSSQLServer), found);
    EXPECT_EQ(box.cbMSSQLServer->currentText(), QStringLiteral("KASA\\SQLEXPRESS")) << "what is typed stays";

    // Once per run: neither the page again nor the dialog asks anyone.
    box.cbMSSQLServerDropDown();
    TDBConfigForm form(manager, &finder);
    form.FillDefinitions();
    form.show();
    choose(form.cbDBType, QStringLiteral("SQL"));
    form.cbMSSQLServer->addItem(QStringLiteral("WPISANY"));
    form.cbMSSQLServerDropDown();
    EXPECT_EQ(Items(form.cbMSSQLServer), QStringList{QStringLiteral("WPISANY")});
    EXPECT_EQ(Items(box.cbMSSQLServer), found);
    for (const TSsrpResponder* r : {&later, &garbled, &first, &silent, &again}) EXPECT_EQ(r->Requests, 1);
}

// Nothing answers: an empty list and the normal cursor once the scan's time
// is up; without a server name the dialog asks for no databases, while the
// page asks anyway and so empties its list.
TEST_F(ExternalUi, NothingAnsweringGivesEmptyListsAndTheNormalCursor) {
    TOdbcTestEnv odbc;  // no driver for SQL Server
    TSsrpResponder silent{QByteArray()};
    const TSsrpTargetsScope targets({silent.Target()});
    TMSSQLServers finder;
    finder.SetScanTime(300);
    ShowWaitCursorWhileScanning(finder);
    std::optional<Qt::CursorShape> duringScan;
    const auto start = finder.OnScanStart;
    finder.OnScanStart = [&](TMSSQLServers& f) {
        start(f);
        QTimer::singleShot(100, [&] {
            if (const QCursor* c = QGuiApplication::overrideCursor()) duringScan = c->shape();
        });
    };
    manager.SelectDefinition(QStringLiteral("SQL"));
    TDBConfigForm form(manager, &finder);
    form.FillDefinitions();
    form.show();
    form.cbMSSQLServer->addItem(QStringLiteral("STARY"));
    form.cbMSSQLServer->setEditText(QStringLiteral("KASA\\SQLEXPRESS"));
    QElapsedTimer clock;
    clock.start();
    form.cbMSSQLServerDropDown();
    EXPECT_LT(clock.elapsed(), 30000) << "the scan ends by its own time";
    EXPECT_EQ(silent.Requests, 1);
    EXPECT_EQ(form.cbMSSQLServer->count(), 0);
    EXPECT_EQ(form.cbMSSQLServer->currentText(), QStringLiteral("KASA\\SQLEXPRESS"));
    EXPECT_EQ(duringScan, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    form.cbMSSQLDatabase->addItem(QStringLiteral("Sklep"));
    form.cbMSSQLServer->setEditText(QStringLiteral("  "));
    form.cbMSSQLDatabaseDropDown();
    EXPECT_EQ(form.cbMSSQLDatabase->count(), 1);
    TExternalDbBox box(manager, &finder);
    box.Fill();
    box.cbMSSQLDatabase->addItem(QStringLiteral("Sklep"));
    box.cbMSSQLServer->setEditText(QString());
    box.cbMSSQLDatabaseDropDown();
    EXPECT_EQ(box.cbMSSQLDatabase->count(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(prompter.calls().empty());
}

}  // namespace
