#include "dbcontrols.h"

#include "aligner.h"
#include "odbcmanager.h"
#include "prompter.h"
#include "sqlservers.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

const char* const kFolderTitle = "Wybierz katalog plików zewnętrznej bazy danych...";
const char* const kFileTitle = "Wybierz plik bazy danych...";
const char* const kFirebirdFilter = "Pliki bazy danych Firebird (*.fdb *.gdb);;wszystkie pliki (*)";

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// New items for an editable list; what is typed in it stays.
void ReplaceItems(QComboBox* list, const QStringList& items) {
    const QString typed = list->currentText();
    const QSignalBlocker block(list);
    list->clear();
    list->addItems(items);
    list->setCurrentIndex(-1);
    list->setEditText(typed);
}

// The wait cursor for as long as it lives, also when what it waits for fails.
struct TWaitCursor {
    TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace

void TDropDownComboBox::showPopup() {
    emit dropDown();
    QComboBox::showPopup();
}

void TDBControls::Create(QWidget* parent, const QString& pathLabelName, const QString& pathEditName,
                         const QString& userLabelName, const QString& passwordLabelName) {
    cbDBType = new QComboBox(parent);
    cbDBType->setObjectName(QStringLiteral("cbDBType"));
    cbDBType->setEditable(false);
    PathLabel = MakeLabel(parent, pathLabelName, QString());
    PathEdit = new QLineEdit(parent);
    PathEdit->setObjectName(pathEditName);
    SpeedButton1 = BrowseButton(parent, QStringLiteral("SpeedButton1"), QString::fromUtf8("Przeglądaj"), kRowHeight);
    cbMSSQLServer = new TDropDownComboBox(parent);
    cbMSSQLServer->setObjectName(QStringLiteral("cbMSSQLServer"));
    cbMSSQLServer->setEditable(true);
    Label8 = MakeLabel(parent, QStringLiteral("Label8"), QStringLiteral("Baza danych"));
    cbMSSQLDatabase = new TDropDownComboBox(parent);
    cbMSSQLDatabase->setObjectName(QStringLiteral("cbMSSQLDatabase"));
    cbMSSQLDatabase->setEditable(true);
    cbSQLLogin = new QCheckBox(QStringLiteral("Zaloguj podając użytkownika i hasło"), parent);
    cbSQLLogin->setObjectName(QStringLiteral("cbSQLLogin"));
    UserLabel = MakeLabel(parent, userLabelName, QStringLiteral("Użytkownik"));
    EDUser = new QLineEdit(parent);
    EDUser->setObjectName(QStringLiteral("EDUser"));
    PasswordLabel = MakeLabel(parent, passwordLabelName, QStringLiteral("Hasło"));
    EDPasswd = new QLineEdit(parent);
    EDPasswd->setObjectName(QStringLiteral("EDPasswd"));
    EDPasswd->setEchoMode(QLineEdit::Password);
    // Shown as "*" like the rest of the program's password fields.
    EDPasswd->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    PathLabel->setBuddy(PathEdit);
    UserLabel->setBuddy(EDUser);
    PasswordLabel->setBuddy(EDPasswd);
}

void TDBControls::Place(int left, int top) {
    const int half = (kWidth - 10) / 2;
    const int right = left + half + 10;
    cbDBType->setGeometry(left, top + 18, kWidth, kRowHeight);
    // Full width: "Katalog plików bazy danych" does not fit in half of it.
    PathLabel->setGeometry(left, top + kPathTop - kLabelHeight - 2, kWidth, kLabelHeight);
    PathEdit->setGeometry(left, top + kPathTop, kWidth - kRowHeight - 2, kRowHeight);
    SpeedButton1->parentWidget()->move(left + kWidth - kRowHeight, top + kPathTop);
    // The server takes the path's place; the database stands beside it.
    cbMSSQLServer->setGeometry(left, top + kPathTop, half, kRowHeight);
    Label8->setGeometry(right, top + kPathTop - kLabelHeight - 2, half, kLabelHeight);
    cbMSSQLDatabase->setGeometry(right, top + kPathTop, half, kRowHeight);
    cbSQLLogin->setGeometry(left, top + kLoginTop, kWidth, 20);
    UserLabel->setGeometry(left, top + kUserTop - kLabelHeight - 2, half, kLabelHeight);
    EDUser->setGeometry(left, top + kUserTop, half, kRowHeight);
    PasswordLabel->setGeometry(right, top + kUserTop - kLabelHeight - 2, half, kLabelHeight);
    EDPasswd->setGeometry(right, top + kUserTop, half, kRowHeight);
}

void TDBControls::SetSqlVisible(bool visible) {
    for (QWidget* w : {static_cast<QWidget*>(cbMSSQLServer), static_cast<QWidget*>(cbMSSQLDatabase),
                       static_cast<QWidget*>(Label8), static_cast<QWidget*>(cbSQLLogin), static_cast<QWidget*>(UserLabel),
                       static_cast<QWidget*>(EDUser), static_cast<QWidget*>(PasswordLabel),
                       static_cast<QWidget*>(EDPasswd)})
        w->setVisible(visible);
}

bool TDBControls::SqlVisible() const { return !cbSQLLogin->isHidden(); }

void TDBControls::Arrange(const TODBCManager& manager) {
    const int type = manager.GetDbType();
    const bool sql = type == DbKind::SqlServer;
    PathEdit->setVisible(!sql);
    SpeedButton1->setVisible(!sql);
    SetSqlVisible(sql);
    switch (type) {
    case DbKind::Paradox:
    case DbKind::DBase:
        PathLabel->setText(QStringLiteral("Katalog plików bazy danych"));
        PathEdit->setText(manager.GetDataPath());
        break;
    case DbKind::CsvFiles:
        PathLabel->setText(QStringLiteral("Katalog plików CSV"));
        PathEdit->setText(manager.GetDataPath());
        break;
    case DbKind::FoxPro:
        PathLabel->setText(QStringLiteral("Katalog plików bazy danych"));
        PathEdit->setText(manager.GetSourceDB());
        break;
    case DbKind::SqlServer:
        PathLabel->setText(QStringLiteral("Serwer"));
        cbMSSQLServer->setEditText(manager.GetServer());
        cbMSSQLDatabase->setEditText(manager.GetDatabase());
        // The check box first, so that the login fields follow it.
        cbSQLLogin->setChecked(manager.SqlLogin);
        EDUser->setText(manager.SqlUser);
        EDPasswd->setText(manager.GetSqlPassword());
        SqlLoginClick();
        break;
    case DbKind::Firebird:
        PathLabel->setText(QStringLiteral("Plik bazy danych"));
        PathEdit->setText(manager.GetDbname());
        break;
    }
}

void TDBControls::SqlLoginClick() {
    const bool on = cbSQLLogin->isChecked();
    UserLabel->setEnabled(on);
    EDUser->setEnabled(on);
    PasswordLabel->setEnabled(on);
    EDPasswd->setEnabled(on);
}

void TDBControls::Browse(const TODBCManager& manager) {
    if (cbDBType->currentIndex() < 0) return;
    switch (manager.GetDbType()) {
    case DbKind::Paradox:
    case DbKind::FoxPro:
    case DbKind::DBase:
    case DbKind::CsvFiles: {
        // A dBase or CSV definition edits a folder as Paradox does, so it gets the same picker.
        const QString current = PathEdit->text().trimmed();
        const QString start = !current.isEmpty() && QFileInfo(current).isDir() ? current : QString();
        const QString folder = Prompter::current().chooseFolder(QString::fromUtf8(kFolderTitle), start);
        if (!folder.isEmpty()) PathEdit->setText(QDir::toNativeSeparators(folder));
        break;
    }
    case DbKind::Firebird: {
        const QString file = Prompter::current().openFile(QString::fromUtf8(kFileTitle), manager.GetDbname(),
                                                          QString::fromUtf8(kFirebirdFilter));
        if (!file.isEmpty()) PathEdit->setText(QFileInfo(file).absoluteFilePath());
        break;
    }
    default:
        break;
    }
}

void TDBControls::Store(TODBCManager& manager, bool trimNames) const {
    const QString path = PathEdit->text().trimmed();
    switch (manager.GetDbType()) {
    case DbKind::Paradox:
    case DbKind::DBase:
    case DbKind::CsvFiles:
        manager.SetDataPath(path);
        break;
    case DbKind::FoxPro:
        manager.SetSourceDB(path);
        break;
    case DbKind::SqlServer: {
        const QString server = cbMSSQLServer->currentText();
        const QString database = cbMSSQLDatabase->currentText();
        manager.SetServer(trimNames ? server.trimmed() : server);
        manager.SetDatabase(trimNames ? database.trimmed() : database);
        manager.SqlLogin = cbSQLLogin->isChecked();
        manager.SqlUser = EDUser->text().trimmed();
        manager.SetSqlPassword(EDPasswd->text());
        break;
    }
    case DbKind::Firebird:
        manager.SetDbname(path);
        break;
    }
}

void TDBControls::FillDefinitions(const TODBCManager& manager) {
    QStringList names;
    const int index = manager.ListDefinitions(names);
    const QSignalBlocker block(cbDBType);
    cbDBType->clear();
    cbDBType->addItems(names);
    cbDBType->setCurrentIndex(index);
}

void TDBControls::ServerDropDown(const TODBCManager& manager) {
    // Scanned once per run: a list that did not receive the servers keeps its own.
    if (!Finder || manager.GetDbType() != DbKind::SqlServer || Finder->IsScanStarted()) return;
    Finder->StartScan();
    QStringList servers;
    Finder->GetServers(servers);
    ReplaceItems(cbMSSQLServer, servers);
}

void TDBControls::DatabaseDropDown(const TODBCManager& manager) {
    if (!Finder) return;
    TDatabaseListOptions options;
    options.OdbcValues = manager.GetOdbcValues();
    if (cbSQLLogin->isChecked()) options.Login = std::make_pair(EDUser->text().trimmed(), EDPasswd->text());
    QStringList databases;
    {
        const TWaitCursor wait;
        Finder->ListDatabases(cbMSSQLServer->currentText(), databases, options);
    }
    ReplaceItems(cbMSSQLDatabase, databases);
}

void ShowWaitCursorWhileScanning(TMSSQLServers& finder) {
    finder.OnScanStart = [](TMSSQLServers&) { QGuiApplication::setOverrideCursor(Qt::WaitCursor); };
    finder.OnScanEnd = [](TMSSQLServers&) { QGuiApplication::restoreOverrideCursor(); };
}
