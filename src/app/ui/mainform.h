#pragma once
#include "goodssession.h"
#include "settings.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QMenu;
class QStackedWidget;
class QToolButton;
class QWidget;
class TConfigurationPage;
class TDesignPage;
class TDesignPanel;
class TExternalDatabase;
class TExternalDbBox;
class TGoodsPage;
class TMSSQLServers;
class TODBCManager;
class TPLColorBox;
class TPreparePrintingForm;
class TProgressForm;
struct TPrintPieces;

// The pages of the main window, by their index in PageControl1.
enum class TPageIndex : int { Prints = 0, Design = 1, Configuration = 2 };

// The main window: the hub that owns the settings, the goods session and the
// long-lived objects, with the menu bar panel on the left and three pages
// (prints, label design, configuration) whose tabs are hidden.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // State shared with the commands of the program. The Cancel flags of the
    // update and the print command live with their progress dialogs.
    bool LayoutModified = false;
    bool AdminLoggedIn = false;
    std::function<void(TMainForm*)> OnLoadFinished;
    QStringList StartupErrors;
    bool Loading = false;
    TSettings Settings;
    TGoodsSession Goods;
    std::unique_ptr<TODBCManager> ODBCManager;
    std::unique_ptr<TExternalDatabase> dbOutside;
    std::unique_ptr<TMSSQLServers> SQLServers;  // the SQL Server finder
    TProgressForm* UpdateProgressForm = nullptr;
    TPreparePrintingForm* PreparePrintingForm = nullptr;

    // Start-up: run from the splash window, then after the window appeared.
    void LoadingStep();
    void DeferredInit();

    // Page switch shared by the three page buttons and their menu items.
    void sbtnPrintClick(QToolButton* button);
    bool ConfirmSaveLayout();
    void sbtnRefreshClick();
    void sbtnLoginClick();
    void sbtnChangePasswdClick();
    void ShowAbout();
    void ShowHelpContents();
    // "Drukuj" on the goods page, and the preview of the current goods record
    // (the goods page's button and the design page's tool button).
    void sbtnDoPrintClick();
    void tbShowClick();

    // Configuration page: filled once at start, stored whenever it is left
    // and at close (the file name box of the design page and the check type
    // of "Zaznacz" go with it).
    void FillPrinterLists();
    void FillConfigurationPage();
    void StoreConfigurationPage();

    int CurrentPage() const;
    int CurrentHelpContext() const { return HelpContext; }
    static QString VersionText();

    // Menu bar buttons.
    QFrame* plMenu;
    QToolButton* sbtnPrint;
    QToolButton* sbtnRefresh;
    QToolButton* sbtnLogin;
    QToolButton* sbtnProject;
    QToolButton* sbtnConfiguration;
    QToolButton* sbtnChangePasswd;
    QStackedWidget* PageControl1;
    TGoodsPage* GoodsPage;          // TabSheet1
    TDesignPage* DesignPage;        // TabSheet2
    TConfigurationPage* ConfigPage; // TabSheet3

    // Menus.
    QMenu* Plik1;
    QMenu* Edycja1;
    QMenu* Pomoc1;
    QAction* Wydruki1;
    QAction* Aktualizacja1;
    QAction* Zaloguj1;
    QAction* Wygldetykiety1;
    QAction* Konfiguracja2;
    QAction* Zmiehaso1;
    QAction* Zamknij1;
    QAction* Tematypomocy1;
    QAction* Oprogramie1;

    // The pages' controls that the window's commands use.
    QComboBox* cbPrinterName;
    QComboBox* cbPrinterOrientation;
    QCheckBox* cbAskLabelCounter;
    TPLColorBox* cbColor;
    TExternalDbBox* GroupBox6;
    QLineEdit* edLabelFileName;
    TDesignPanel* plProjDesign;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenuBar();
    void BuildMenuPanel();
    void BuildPages();
    void SetLoggedIn(bool loggedIn);
    void ShowPage(TPageIndex page);
    TPrintPieces PrintPieces();
    void FormCloseQuery();
    void FormClose();

    QButtonGroup* PageButtons = nullptr;
    int HelpContext = 0;
    bool ShownOnce = false;
};
