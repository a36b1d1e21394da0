#pragma once
#include "goodssession.h"
#include "settings.h"

#include <memory>

#include <QMainWindow>
#include <QStringList>
#include <functional>

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
class TExternalDbBox;
class TPLColorBox;
class TDesignPanel;
class TGoodsPage;
struct TUnitSymbols;
class TExternalDatabase;
class TProgressForm;
class TPreparePrintingForm;
struct TPrintPieces;
class TODBCManager;

// The main window: the hub that owns the settings and the long-lived objects,
// with the menu bar panel on the left and three pages (prints, label design,
// configuration) whose tabs are hidden.
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

    // Configuration page, printer half.
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
    QWidget* TabSheet1;
    TGoodsPage* GoodsPage;  // the whole content of TabSheet1
    QWidget* TabSheet2;
    QWidget* TabSheet3;

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

    // Configuration page and the design page's file name box.
    QComboBox* cbPrinterName;
    QComboBox* cbPrinterOrientation;
    QCheckBox* cbAskLabelCounter;
    QLineEdit* edLabelFileName;
    TPLColorBox* cbColor;
    TDesignPanel* plProjDesign;
    TExternalDbBox* GroupBox6;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenuBar();
    void BuildMenuPanel();
    void BuildPrintsPage();
    void BuildDesignPage();
    void BuildConfigurationPage();
    void SetLoggedIn(bool loggedIn);
    // The designer's Save command: writes the layout file named by the settings.
    bool SaveLayout();
    // Loads the layout file named by the settings into the design panel.
    bool ReloadLayout();
    TPrintPieces PrintPieces();
    void DesignObjectSelected(class TdcComponent* object);
    void FormCloseQuery();
    void FormClose();

    QButtonGroup* PageButtons = nullptr;
    int HelpContext = 6;
    bool ShownOnce = false;
};
