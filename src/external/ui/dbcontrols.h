#pragma once
#include <QComboBox>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;
class TMSSQLServers;
class TODBCManager;

// An editable combo box that says when its list is about to open, so that the
// list can be filled at that moment (the SQL Server and database names).
class TDropDownComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;
signals:
    void dropDown();
};

// The controls that edit where an external database lies, shared by the
// configuration page's group box and the start-up dialog: which of them a
// definition's type shows, what they are filled with, the browse button and
// how their values go back into the definition.
struct TDBControls {
    QComboBox* cbDBType = nullptr;
    QLabel* PathLabel = nullptr;
    QLineEdit* PathEdit = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    TDropDownComboBox* cbMSSQLServer = nullptr;
    QLabel* Label8 = nullptr;
    TDropDownComboBox* cbMSSQLDatabase = nullptr;
    QCheckBox* cbSQLLogin = nullptr;
    QLabel* UserLabel = nullptr;
    QLineEdit* EDUser = nullptr;
    QLabel* PasswordLabel = nullptr;
    QLineEdit* EDPasswd = nullptr;
    // The main window's SQL Server finder; without it the lists stay as typed.
    TMSSQLServers* Finder = nullptr;

    // Makes the controls as children of `parent`; the names of the path
    // label, path edit and the login labels differ between the two windows.
    void Create(QWidget* parent, const QString& pathLabelName, const QString& pathEditName,
                const QString& userLabelName, const QString& passwordLabelName);
    // Places the controls with their top-left corner at (left, top): the
    // definition list, the path row, then the SQL Server rows.
    void Place(int left, int top);

    void SetSqlVisible(bool visible);
    bool SqlVisible() const;
    // Shows the controls of the manager's type and fills them from it.
    void Arrange(const TODBCManager& manager);
    void SqlLoginClick();
    void Browse(const TODBCManager& manager);
    // Copies the edited values into the manager by its type; the server and
    // database names are trimmed when `trimNames` is set.
    void Store(TODBCManager& manager, bool trimNames) const;
    // The definitions of the manager's folder into the list, the selected one
    // chosen (none when it is not there), without running the change handler.
    void FillDefinitions(const TODBCManager& manager);
    // The server list about to open: the finder's servers, scanned once per
    // run of the program, for an SQL Server definition.
    void ServerDropDown(const TODBCManager& manager);
    // The database list about to open: the databases of the server as typed,
    // with the wait cursor.
    void DatabaseDropDown(const TODBCManager& manager);

    // Layout of the rows, relative to the top passed to Place().
    static constexpr int kWidth = 330;
    static constexpr int kRowHeight = 24;
    static constexpr int kLabelHeight = 16;
    static constexpr int kPathTop = 68;      // top of the path edit
    static constexpr int kLoginTop = 102;    // top of the check box
    static constexpr int kUserTop = 146;     // top of the user edit
};

// The main window's scan callbacks: the wait cursor while the finder scans.
void ShowWaitCursorWhileScanning(TMSSQLServers& finder);
