#pragma once
#include "dbcontrols.h"
#include "helpcontexts.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TMSSQLServers;
class TODBCManager;

// "Konfiguracja zewnętrznej bazy danych": asks on the first start which
// external system the shop uses and where its database lies.
class TDBConfigForm : public QDialog {
    Q_OBJECT
public:
    TDBConfigForm(TODBCManager& manager, TMSSQLServers* servers, QWidget* parent = nullptr);

    // Fills the definition list and selects the manager's definition.
    void FillDefinitions();
    // Copies the edited values into the manager; names are taken as typed.
    void StoreFields();
    TMSSQLServers* Servers() const { return ServerFinder; }
    // The chosen definition was loaded, so confirming can save it.
    bool CanConfirm() const { return Loaded; }

    void FormShow();
    void cbDBTypeChange();
    void cbSQLLoginClick();
    void SpeedButton1Click();
    void edPathChange();
    void cbMSSQLServerChange();
    void cbMSSQLServerDropDown();
    void cbMSSQLDatabaseDropDown();

    QLabel* Label1 = nullptr;
    QComboBox* cbDBType = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edPath = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    TDropDownComboBox* cbMSSQLServer = nullptr;
    QLabel* Label8 = nullptr;
    TDropDownComboBox* cbMSSQLDatabase = nullptr;
    QCheckBox* cbSQLLogin = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* EDUser = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EDPasswd = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    static constexpr int kHelpContext = HelpContext::DatabaseDialog;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetSqlVisible(bool visible);
    void PlaceBottom();

    TODBCManager& Manager;
    TMSSQLServers* ServerFinder;
    TDBControls Controls;
    int ShownHeight;
    int BevelFromBottom;
    int ButtonsFromBottom;
    // False while the chosen definition could not be loaded: there is then
    // nothing to confirm.
    bool Loaded = true;
};

// Runs the dialog on the manager; true when it was confirmed, in which case
// the definition file is saved. A cancelled dialog selects again the
// definition that was selected before.
bool ShowDBConfigDialog(TODBCManager& manager, TMSSQLServers* servers, QWidget* parent = nullptr);
