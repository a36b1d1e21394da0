#include "dbconfigform.h"

#include "aligner.h"
#include "silentfailure.h"

#include "odbcmanager.h"
#include "prompter.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>

namespace {
constexpr int kLeft = 12;
constexpr int kTop = 10;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kHeight = kTop + TDBControls::kUserTop + TDBControls::kRowHeight + 12 + 2 + 10 + kButtonHeight + 10;
}  // namespace

TDBConfigForm::TDBConfigForm(TODBCManager& manager, TMSSQLServers* servers, QWidget* parent)
    : QDialog(parent), Manager(manager), ServerFinder(servers) {
    TAligner::Install(this);
    setObjectName(QStringLiteral("TDBConfigForm"));
    setWindowTitle(QStringLiteral("Konfiguracja zewnętrznej bazy danych"));
    setProperty("HelpContext", kHelpContext);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Label1 = new QLabel(QStringLiteral("Typ bazy danych"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Controls.Create(this, QStringLiteral("Label2"), QStringLiteral("edPath"), QStringLiteral("Label3"),
                    QStringLiteral("Label4"));
    Controls.Place(kLeft, kTop);
    Controls.Finder = servers;
    Label1->setGeometry(kLeft, kTop, TDBControls::kWidth, TDBControls::kLabelHeight);
    Label1->setBuddy(Controls.cbDBType);
    cbDBType = Controls.cbDBType;
    Label2 = Controls.PathLabel;
    edPath = Controls.PathEdit;
    SpeedButton1 = Controls.SpeedButton1;
    cbMSSQLServer = Controls.cbMSSQLServer;
    Label8 = Controls.Label8;
    cbMSSQLDatabase = Controls.cbMSSQLDatabase;
    cbSQLLogin = Controls.cbSQLLogin;
    Label3 = Controls.UserLabel;
    EDUser = Controls.EDUser;
    Label4 = Controls.PasswordLabel;
    EDPasswd = Controls.EDPasswd;

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("&Anuluj"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    const int width = kLeft + TDBControls::kWidth + kLeft;
    ButtonsFromBottom = 10 + kButtonHeight;
    BevelFromBottom = ButtonsFromBottom + 10 + 2;
    ShownHeight = kHeight;
    setFixedSize(width, kHeight);
    PlaceBottom();

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbDBType, &QComboBox::currentIndexChanged, this, [this] { cbDBTypeChange(); });
    connect(cbSQLLogin, &QCheckBox::clicked, this, [this] { cbSQLLoginClick(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(edPath, &QLineEdit::textChanged, this, [this] { edPathChange(); });
    connect(cbMSSQLServer, &QComboBox::editTextChanged, this, [this] { cbMSSQLServerChange(); });
    connect(cbMSSQLDatabase, &QComboBox::editTextChanged, this, [this] { cbMSSQLServerChange(); });
    connect(cbMSSQLServer, &TDropDownComboBox::dropDown, this, [this] { cbMSSQLServerDropDown(); });
    connect(cbMSSQLDatabase, &TDropDownComboBox::dropDown, this, [this] { cbMSSQLDatabaseDropDown(); });
}

void TDBConfigForm::FillDefinitions() { Controls.FillDefinitions(Manager); }

void TDBConfigForm::StoreFields() { Controls.Store(Manager, false); }

void TDBConfigForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TDBConfigForm::FormShow() {
    ShownHeight = height();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    cbDBTypeChange();
}

void TDBConfigForm::cbDBTypeChange() {
    Loaded = true;
    try {
        Manager.SelectDefinition(cbDBType->currentText());
    } catch (const TODBCManagerException&) {
        // A definition that cannot be read offers nothing to edit or confirm;
        // confirming would write the values into the previous definition's file.
        Loaded = false;
    }
    if (Loaded) {
        Controls.Arrange(Manager);
        SetSqlVisible(Controls.SqlVisible());
    } else {
        edPath->hide();
        SpeedButton1->hide();
        Label2->setText(QString());
        SetSqlVisible(false);
    }
    edPathChange();
    cbMSSQLServerChange();
    if (!Loaded) btnOk->setEnabled(false);
}

void TDBConfigForm::cbSQLLoginClick() { Controls.SqlLoginClick(); }

void TDBConfigForm::SpeedButton1Click() {
    if (Loaded) Controls.Browse(Manager);
}

void TDBConfigForm::edPathChange() {
    const int type = Manager.GetDbType();
    if (type == DbKind::SqlServer) return;
    btnOk->setEnabled(Loaded && !edPath->text().trimmed().isEmpty());
}

void TDBConfigForm::cbMSSQLServerChange() {
    if (Manager.GetDbType() != DbKind::SqlServer) return;
    btnOk->setEnabled(Loaded && !cbMSSQLServer->currentText().trimmed().isEmpty() &&
                      !cbMSSQLDatabase->currentText().trimmed().isEmpty());
}

void TDBConfigForm::cbMSSQLServerDropDown() {
    if (Loaded) Controls.ServerDropDown(Manager);
}

void TDBConfigForm::cbMSSQLDatabaseDropDown() {
    // Nothing to ask while no server is named.
    if (Loaded && !cbMSSQLServer->currentText().trimmed().isEmpty()) Controls.DatabaseDropDown(Manager);
}

void TDBConfigForm::SetSqlVisible(bool visible) {
    Controls.SetSqlVisible(visible);
    // Without the SQL Server rows the bevel and the buttons move up to where
    // the check box stands.
    const int fullBevelTop = ShownHeight - BevelFromBottom;
    const int h = visible ? ShownHeight : ShownHeight - (fullBevelTop - cbSQLLogin->y());
    setFixedHeight(h);
    PlaceBottom();
}

void TDBConfigForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceBottom();
}

void TDBConfigForm::PlaceBottom() {
    const int w = width();
    const int h = height();
    Bevel1->setGeometry(kLeft, h - BevelFromBottom, w - 2 * kLeft, 2);
    btnCancel->setGeometry(w - kLeft - kButtonWidth, h - ButtonsFromBottom, kButtonWidth, kButtonHeight);
    btnOk->setGeometry(w - kLeft - 2 * kButtonWidth - 8, h - ButtonsFromBottom, kButtonWidth, kButtonHeight);
}

bool ShowDBConfigDialog(TODBCManager& manager, TMSSQLServers* servers, QWidget* parent) {
    const QString previous = manager.GetDefinitionName();
    TDBConfigForm form(manager, servers, parent);
    form.FillDefinitions();
    form.edPathChange();
    if (Prompter::current().runDialog(form) == QDialog::Accepted && form.CanConfirm()) {
        form.StoreFields();
        manager.Save();
        return true;
    }
    try {
        manager.SelectDefinition(previous);
    } catch (const TODBCManagerException& e) {
        // The definition chosen before is gone; its name stays selected.
        SilentFailure(lcExternal, QStringLiteral("definition %1 no longer readable").arg(previous), e);
    }
    return false;
}
