#include "externaldbbox.h"

#include "silentfailure.h"

#include "odbcmanager.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {
constexpr int kLeft = 12;
constexpr int kTop = 20;
}  // namespace

TExternalDbBox::TExternalDbBox(TODBCManager& manager, QWidget* parent) : TExternalDbBox(manager, nullptr, parent) {}

TExternalDbBox::TExternalDbBox(TODBCManager& manager, TMSSQLServers* servers, QWidget* parent)
    : QGroupBox(QStringLiteral(" Zewnętrzna baza danych "), parent), Manager(manager) {
    setObjectName(QStringLiteral("GroupBox6"));
    Label3 = new QLabel(QStringLiteral("Typ"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Controls.Create(this, QStringLiteral("Label4"), QStringLiteral("edDBPath"), QStringLiteral("Label9"),
                    QStringLiteral("Label10"));
    Controls.Place(kLeft, kTop);
    Controls.Finder = servers;
    Label3->setGeometry(kLeft, kTop, TDBControls::kWidth, TDBControls::kLabelHeight);
    Label3->setBuddy(Controls.cbDBType);

    cbDBType = Controls.cbDBType;
    Label4 = Controls.PathLabel;
    edDBPath = Controls.PathEdit;
    SpeedButton1 = Controls.SpeedButton1;
    cbMSSQLServer = Controls.cbMSSQLServer;
    Label8 = Controls.Label8;
    cbMSSQLDatabase = Controls.cbMSSQLDatabase;
    cbSQLLogin = Controls.cbSQLLogin;
    Label9 = Controls.UserLabel;
    EDUser = Controls.EDUser;
    Label10 = Controls.PasswordLabel;
    EDPasswd = Controls.EDPasswd;

    setFixedWidth(kLeft + TDBControls::kWidth + kLeft);
    SetSqlVisible(false);

    connect(cbDBType, &QComboBox::currentIndexChanged, this, [this] { cbDBTypeChange(); });
    connect(cbSQLLogin, &QCheckBox::clicked, this, [this] { cbSQLLoginClick(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(cbMSSQLServer, &TDropDownComboBox::dropDown, this, [this] { cbMSSQLServerDropDown(); });
    connect(cbMSSQLDatabase, &TDropDownComboBox::dropDown, this, [this] { cbMSSQLDatabaseDropDown(); });
}

void TExternalDbBox::Fill() {
    Controls.FillDefinitions(Manager);
    cbDBTypeChange();
}

void TExternalDbBox::StoreDatabaseFields() {
    // The page shows no definition when none is selected (a first start whose
    // dialog was cancelled): its empty fields belong to none.
    if (Manager.GetDefinitionName().isEmpty()) return;
    Controls.Store(Manager, true);
}

QString TExternalDbBox::DefinitionName() const { return Manager.GetDefinitionName(); }

void TExternalDbBox::cbDBTypeChange() {
    const QString name = cbDBType->currentText();
    if (name.trimmed().isEmpty()) {
        SetSqlVisible(false);
        return;
    }
    try {
        Manager.SelectDefinition(name);
    } catch (const TODBCManagerException& e) {
        // The page keeps what it showed; the choice is simply not taken.
        SilentFailure(lcExternal, QStringLiteral("definition %1 not selected").arg(name), e);
        return;
    }
    Controls.Arrange(Manager);
    SetSqlVisible(Controls.SqlVisible());
}

void TExternalDbBox::cbSQLLoginClick() { Controls.SqlLoginClick(); }

void TExternalDbBox::SpeedButton1Click() { Controls.Browse(Manager); }

void TExternalDbBox::cbMSSQLServerDropDown() { Controls.ServerDropDown(Manager); }

// Unlike the dialog, the page lists even for a blank server name (and so
// empties the list).
void TExternalDbBox::cbMSSQLDatabaseDropDown() { Controls.DatabaseDropDown(Manager); }

void TExternalDbBox::SetSqlVisible(bool visible) {
    Controls.SetSqlVisible(visible);
    // The margin below the last row equals the margin at the left.
    const QWidget* last = visible ? static_cast<QWidget*>(EDUser) : static_cast<QWidget*>(edDBPath);
    setFixedHeight(last->geometry().bottom() + 1 + last->x());
}
