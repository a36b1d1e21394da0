#pragma once
#include "dbcontrols.h"

#include <QGroupBox>

class QLabel;
class QLineEdit;
class TMSSQLServers;
class TODBCManager;

// The configuration page's group box " Zewnętrzna baza danych ": the list of
// definitions and, below it, only what the chosen definition's type lets the
// user edit. It works on the main window's TODBCManager.
class TExternalDbBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TExternalDbBox(TODBCManager& manager, QWidget* parent = nullptr);
    // With the main window's SQL Server finder, which fills the server and
    // database lists when they open.
    TExternalDbBox(TODBCManager& manager, TMSSQLServers* servers, QWidget* parent = nullptr);

    // Fills the list from the definition folder, selects the manager's
    // definition and arranges the controls for it (at start-up).
    void Fill();
    // Copies the edited values into the manager (when the page is left, before
    // an update and when the program closes).
    void StoreDatabaseFields();
    // The name of the selected definition: what settings keep as DATABASE / TYPE.
    QString DefinitionName() const;

    // Handlers, public so that the program's events and tests reach them alike.
    void cbDBTypeChange();
    void cbSQLLoginClick();
    void SpeedButton1Click();
    void cbMSSQLServerDropDown();
    void cbMSSQLDatabaseDropDown();

    QLabel* Label3 = nullptr;
    QComboBox* cbDBType = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* edDBPath = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    TDropDownComboBox* cbMSSQLServer = nullptr;
    QLabel* Label8 = nullptr;
    TDropDownComboBox* cbMSSQLDatabase = nullptr;
    QCheckBox* cbSQLLogin = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* EDUser = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* EDPasswd = nullptr;

private:
    void SetSqlVisible(bool visible);
    TODBCManager& Manager;
    TDBControls Controls;
};
