#include "mainform.h"

#include "aligner.h"
#include "configurationpage.h"
#include "dbcontrols.h"
#include "designio.h"
#include "designpage.h"
#include "editmenu.h"
#include "externaldb.h"
#include "externaldbbox.h"
#include "externalstartup.h"
#include "goodspage.h"
#include "helpcontexts.h"
#include "helpwindow.h"
#include "loginforms.h"
#include "odbcmanager.h"
#include "ownicon.h"
#include "plcolorbox.h"
#include "prepareprintingform.h"
#include "printcommandui.h"
#include "progressform.h"
#include "prompter.h"
#include "refreshcommand.h"
#include "settingskeys.h"
#include "sqlservers.h"
#include "silentfailure.h"
#include "views.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>
#include <QToolButton>

namespace {

constexpr const char* kPage = "Tag";  // the page a button shows, as its Tag
constexpr const char* kHelpContext = "HelpContext";
constexpr int kNoPage = -1;

// The six buttons of the menu bar panel, top to bottom; hidden buttons keep
// their places.
struct TMenuButtonDef {
    QToolButton* TMainForm::*Member;
    const char* Name;
    const char* Caption;
    const char* Icon;  // data/icons/menu
    int HelpContext;
    int Page;  // kNoPage: a command, not a page
    bool VisibleAtStart;
};
const TMenuButtonDef kMenuButtons[] = {
    {&TMainForm::sbtnPrint, "sbtnPrint", "Wydruki", "print", HelpContext::Prints, int(TPageIndex::Prints), true},
    {&TMainForm::sbtnRefresh, "sbtnRefresh", "Aktualizacja", "refresh", HelpContext::Refresh, kNoPage, true},
    {&TMainForm::sbtnLogin, "sbtnLogin", "Zaloguj", "login", HelpContext::Login, kNoPage, true},
    {&TMainForm::sbtnProject, "sbtnProject", "Wygląd etykiety", "project", HelpContext::Design,
     int(TPageIndex::Design), false},
    {&TMainForm::sbtnConfiguration, "sbtnConfiguration", "Konfiguracja", "configuration",
     HelpContext::Configuration, int(TPageIndex::Configuration), false},
    {&TMainForm::sbtnChangePasswd, "sbtnChangePasswd", "Zmień hasło", "changepassword",
     HelpContext::ChangePassword, kNoPage, false},
};
constexpr int kMenuButtonWidth = 81;
constexpr int kMenuButtonHeight = 73;
constexpr int kMenuButtonGap = 4;
constexpr int kMenuIconSize = 32;  // the drawings' own size, 64 at twice the density

// Lays the window out now, before it is shown, so that positions can be read.
void ActivateLayouts(QWidget* widget) {
    if (QLayout* layout = widget->layout()) {
        layout->invalidate();
        layout->activate();
    }
    for (QObject* child : widget->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow()) ActivateLayouts(w);
}

QAction* Item(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    return a;
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    TAligner::Install(this);
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Prandel etykiet"));

    ODBCManager = std::make_unique<TODBCManager>();
    PrepareODBCManager(*ODBCManager);
    dbOutside = std::make_unique<TExternalDatabase>();
    SQLServers = std::make_unique<TMSSQLServers>();
    ShowWaitCursorWhileScanning(*SQLServers);
    UpdateProgressForm = new TProgressForm(this);
    PreparePrintingForm = new TPreparePrintingForm(this);

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    BuildMenuPanel();
    row->addWidget(plMenu);
    PageControl1 = new QStackedWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    row->addWidget(PageControl1, 1);
    setCentralWidget(central);
    BuildPages();
    BuildMenuBar();

    // The window fits the controls: 20 pixels right of the rightmost control
    // under the goods grid, 40 pixels below the lowest menu bar button.
    ActivateLayouts(this);
    const QPoint right = GoodsPage->sbtnCheckTypeChange->mapTo(this, QPoint(GoodsPage->sbtnCheckTypeChange->width(), 0));
    const QPoint bottom = sbtnChangePasswd->mapTo(this, QPoint(0, sbtnChangePasswd->height()));
    resize(right.x() + 20, bottom.y() + 40);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ActivateLayouts(this);
    GoodsPage->LayoutColumns();

    sbtnPrintClick(sbtnPrint);
    FillPrinterLists();
    LayoutModified = false;
    AdminLoggedIn = false;
    StartupErrors.clear();
    Loading = false;

    // F1 in this window and in every dialog of the program.
    InstallHelpKey(this, [this] { return HelpContext; });
}

TMainForm::~TMainForm() = default;

QString TMainForm::VersionText() { return QStringLiteral(PRANDEL_VERSION); }

void TMainForm::BuildMenuPanel() {
    plMenu = new QFrame(this);
    plMenu->setObjectName(QStringLiteral("plMenu"));
    plMenu->setFixedWidth(97);
    plMenu->setAutoFillBackground(true);
    QPalette pal = plMenu->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::ButtonText, pal.color(QPalette::HighlightedText));
    plMenu->setPalette(pal);
    // A narrow face, so that "Wygląd etykiety" fits the 81-pixel button.
    plMenu->setStyleSheet(QStringLiteral(
        "QToolButton { color: palette(highlighted-text); border: 1px solid transparent; border-radius: 4px;"
        " font-family: 'Liberation Sans'; font-size: 8pt; }"
        "QToolButton:hover { border-color: rgba(255,255,255,140); }"
        "QToolButton:checked { background: rgba(0,0,0,70); border-color: rgba(255,255,255,160); }"));

    PageButtons = new QButtonGroup(this);
    PageButtons->setExclusive(true);
    int y = kMenuButtonGap;
    for (const TMenuButtonDef& def : kMenuButtons) {
        auto* b = new QToolButton(plMenu);
        b->setObjectName(QLatin1String(def.Name));
        b->setText(QString::fromUtf8(def.Caption));
        b->setAccessibleName(b->text());
        // Always our own drawings, never the desktop theme's: theme icons are
        // drawn for the window background, and many (symbolic ones especially)
        // are dark glyphs that vanish on the coloured panel. Ours are light
        // shapes with a dark outline, and the six look like one set.
        b->setIcon(OwnIcon(QStringLiteral(":/menu/%1.png").arg(QLatin1String(def.Icon))));
        b->setIconSize(QSize(kMenuIconSize, kMenuIconSize));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFixedSize(kMenuButtonWidth, kMenuButtonHeight);
        b->setProperty(kHelpContext, def.HelpContext);
        b->move(8, y);
        b->setVisible(def.VisibleAtStart);
        y += kMenuButtonHeight + kMenuButtonGap;
        this->*def.Member = b;
        if (def.Page != kNoPage) {
            b->setProperty(kPage, def.Page);
            b->setCheckable(true);
            PageButtons->addButton(b);
            connect(b, &QToolButton::clicked, this, [this, b] { sbtnPrintClick(b); });
        }
    }
    plMenu->setMinimumHeight(y + kMenuButtonGap);
    sbtnPrint->setChecked(true);
    connect(sbtnRefresh, &QToolButton::clicked, this, &TMainForm::sbtnRefreshClick);
    connect(sbtnLogin, &QToolButton::clicked, this, &TMainForm::sbtnLoginClick);
    connect(sbtnChangePasswd, &QToolButton::clicked, this, &TMainForm::sbtnChangePasswdClick);
}

void TMainForm::BuildMenuBar() {
    Plik1 = menuBar()->addMenu(QStringLiteral("&Plik"));
    Plik1->setObjectName(QStringLiteral("Plik1"));
    Wydruki1 = Item(Plik1, "Wydruki1", QStringLiteral("Wydruki"));
    Aktualizacja1 = Item(Plik1, "Aktualizacja1", QStringLiteral("Aktualizacja"));
    Zaloguj1 = Item(Plik1, "Zaloguj1", QStringLiteral("Zaloguj"));
    Wygldetykiety1 = Item(Plik1, "Wygldetykiety1", QString::fromUtf8("Wygląd etykiety"));
    Konfiguracja2 = Item(Plik1, "Konfiguracja2", QStringLiteral("Konfiguracja"));
    Zmiehaso1 = Item(Plik1, "Zmiehaso1", QString::fromUtf8("Zmień hasło"));
    Plik1->addSeparator();
    Zamknij1 = Item(Plik1, "Zamknij1", QStringLiteral("Zamknij"));
    for (QAction* a : {Wygldetykiety1, Konfiguracja2, Zmiehaso1}) a->setVisible(false);

    // The page items press their buttons.
    for (auto [item, button] : {std::pair{Wydruki1, sbtnPrint}, std::pair{Wygldetykiety1, sbtnProject},
                                std::pair{Konfiguracja2, sbtnConfiguration}})
        connect(item, &QAction::triggered, this, [this, b = button] {
            b->setChecked(true);
            sbtnPrintClick(b);
        });
    connect(Aktualizacja1, &QAction::triggered, sbtnRefresh, &QToolButton::click);
    connect(Zaloguj1, &QAction::triggered, this, &TMainForm::sbtnLoginClick);
    connect(Zmiehaso1, &QAction::triggered, this, &TMainForm::sbtnChangePasswdClick);
    connect(Zamknij1, &QAction::triggered, this, &QWidget::close);

    Edycja1 = menuBar()->addMenu(QStringLiteral("&Edycja"));
    Edycja1->setObjectName(QStringLiteral("Edycja1"));
    FillEditMenu(Edycja1, GoodsPage, this);

    Pomoc1 = menuBar()->addMenu(QStringLiteral("Po&moc"));
    Pomoc1->setObjectName(QStringLiteral("Pomoc1"));
    Tematypomocy1 = Item(Pomoc1, "Tematypomocy1", QStringLiteral("Tematy pomocy"));
    Pomoc1->addSeparator();
    Oprogramie1 = Item(Pomoc1, "Oprogramie1", QStringLiteral("O programie"));
    connect(Tematypomocy1, &QAction::triggered, this, &TMainForm::ShowHelpContents);
    connect(Oprogramie1, &QAction::triggered, this, &TMainForm::ShowAbout);
}

void TMainForm::BuildPages() {
    TGoodsPageContext context;
    context.LastPrintDate = [this] { return Settings.LastPrintDate; };
    context.UnitSymbols = [this] { return UnitSymbolsOf(Settings); };
    context.Loading = [this] { return Loading; };
    GoodsPage = new TGoodsPage(Goods, std::move(context), PageControl1);
    GoodsPage->setObjectName(QStringLiteral("TabSheet1"));
    connect(GoodsPage, &TGoodsPage::DoPrintClicked, this, &TMainForm::sbtnDoPrintClick);
    connect(GoodsPage, &TGoodsPage::ShowClicked, this, &TMainForm::tbShowClick);

    DesignPage = new TDesignPage(Settings, LayoutModified, PageControl1);
    edLabelFileName = DesignPage->edLabelFileName;
    plProjDesign = DesignPage->plProjDesign;
    connect(DesignPage, &TDesignPage::PreviewRequested, this, &TMainForm::tbShowClick);
    connect(DesignPage, &TDesignPage::SaveQuestion, this, [this] { ConfirmSaveLayout(); });

    ConfigPage = new TConfigurationPage(*ODBCManager, SQLServers.get(), PageControl1);
    cbPrinterName = ConfigPage->cbPrinterName;
    cbPrinterOrientation = ConfigPage->cbPrinterOrientation;
    cbAskLabelCounter = ConfigPage->cbAskLabelCounter;
    cbColor = ConfigPage->cbColor;
    GroupBox6 = ConfigPage->GroupBox6;
    // A sheet format sets the label size of the layout in use: the designer shows it.
    ConfigPage->LayoutFile = [this] { return Settings.LabelFileName; };
    connect(ConfigPage, &TConfigurationPage::LayoutResized, DesignPage, &TDesignPage::ReloadLayout);

    // In the order of TPageIndex.
    PageControl1->addWidget(GoodsPage);
    PageControl1->addWidget(DesignPage);
    PageControl1->addWidget(ConfigPage);
}

TPrintPieces TMainForm::PrintPieces() {
    TPrintPieces p(Goods, Settings);
    p.PrepareForm = PreparePrintingForm;
    p.PrinterBoxText = [this] { return cbPrinterName->currentText(); };
    p.OrientationText = [this] { return cbPrinterOrientation->currentText(); };
    p.FrameColor = [this] { return ColorFromValue(cbColor->Selected()); };
    p.SaveDesign = [this](const QString& path) { return DesignPage->SaveLayoutTo(path); };
    p.Parent = this;
    return p;
}

void TMainForm::sbtnDoPrintClick() {
    ::sbtnDoPrintClick(PrintPieces());
    // The list shows the new print dates, and the view of the last print
    // takes the new moment into its filter (marks stay as they are).
    TTable& list = Goods.tbLocalShow;
    if (!list.Active()) return;
    try {
        list.SetFilter(ViewFilter(GoodsPage->CurrentViewCode(), Settings.LastPrintDate));
        list.Refresh();
    } catch (const TEngineError& e) {
        SilentFailure(lcApp, QStringLiteral("the goods list could not be read after printing"), e);
    }
    GoodsPage->ListChanged();
}

void TMainForm::tbShowClick() { ::tbShowClick(PrintPieces()); }

int TMainForm::CurrentPage() const { return PageControl1->currentIndex(); }

void TMainForm::ShowPage(TPageIndex page) {
    // Leaving the configuration page keeps what was edited on it.
    if (CurrentPage() == int(TPageIndex::Configuration) && page != TPageIndex::Configuration) StoreConfigurationPage();
    PageControl1->setCurrentIndex(int(page));
}

void TMainForm::sbtnPrintClick(QToolButton* button) {
    const auto target = static_cast<TPageIndex>(button->property(kPage).toInt());
    if (target != TPageIndex::Design && LayoutModified) {
        if (!ConfirmSaveLayout()) DesignPage->ReloadLayout();
    }
    ShowPage(target);
    button->setChecked(true);
    HelpContext = button->property(kHelpContext).toInt();
}

bool TMainForm::ConfirmSaveLayout() {
    const QString name = QFileInfo(Settings.LabelFileName).fileName();
    if (!Prompter::current().confirmYesNo(
            QString::fromUtf8("Zmodyfikowano wygląd etykiety.\nZapisać zmiany w pliku: \"%1\"?").arg(name)))
        return false;
    DesignPage->tbSaveClick();
    return true;
}

void TMainForm::SetLoggedIn(bool loggedIn) {
    AdminLoggedIn = loggedIn;
    const QString caption = loggedIn ? QStringLiteral("Wyloguj") : QStringLiteral("Zaloguj");
    sbtnLogin->setText(caption);
    sbtnLogin->setAccessibleName(caption);
    Zaloguj1->setText(caption);
    for (QToolButton* b : {sbtnConfiguration, sbtnProject, sbtnChangePasswd}) b->setVisible(loggedIn);
    for (QAction* a : {Wygldetykiety1, Konfiguracja2, Zmiehaso1}) a->setVisible(loggedIn);
}

void TMainForm::sbtnRefreshClick() {
    TRefreshPieces pieces(*ODBCManager, *dbOutside, Goods, Settings, *UpdateProgressForm);
    pieces.StoreDatabaseFields = [this] { GroupBox6->StoreDatabaseFields(); };
    pieces.ShowChanged = [this] { GoodsPage->ShowView(TViewCode::Changed); };
    ::sbtnRefreshClick(pieces);
}

void TMainForm::sbtnLoginClick() {
    if (AdminLoggedIn) {
        sbtnPrint->setChecked(true);
        sbtnPrintClick(sbtnPrint);
        SetLoggedIn(false);
        return;
    }
    TLogForm form(this);
    if (Prompter::current().runDialog(form) != QDialog::Accepted) return;
    const QString name = form.edUserName->text();
    const QString password = form.edPasswd->text();
    bool ok = name == Settings.AdminName;
    // With no password stored and none typed there is nothing to compare.
    if (ok && (!Settings.AdminPassword.isEmpty() || !password.isEmpty()))
        ok = PasswordHash(name + password) == Settings.AdminPassword;
    if (!ok) {
        Prompter::current().error(QString::fromUtf8("Błąd podczas logowania."));
        return;
    }
    SetLoggedIn(true);
}

void TMainForm::sbtnChangePasswdClick() {
    if (!AdminLoggedIn) return;
    TChPasswdForm form(this);
    form.Edit1->setText(Settings.AdminName);
    if (Prompter::current().runDialog(form) != QDialog::Accepted) return;
    const QString name = form.Edit1->text().trimmed();
    const QString password = form.Edit2->text().trimmed();
    Settings.AdminName = name;
    Settings.AdminPassword = PasswordHash(name + password);
}

void TMainForm::ShowAbout() {
    Prompter::current().info(QStringLiteral("Prandel etykiet - wersja %1\n\nProgram do drukowania etykiet cenowych.")
                                 .arg(VersionText()));
}

void TMainForm::ShowHelpContents() { ::ShowHelpContents(this); }

void TMainForm::FillPrinterLists() { ConfigPage->FillPrinterLists(); }

void TMainForm::FillConfigurationPage() {
    DesignPage->ShowFileName();
    ConfigPage->Fill(Settings);
    GoodsPage->SetCheckType(CheckTypeFromSetting(Settings.CheckType));
}

void TMainForm::StoreConfigurationPage() {
    DesignPage->StoreFileName();
    ConfigPage->Store(Settings);
    Settings.CheckType = static_cast<std::uint8_t>(GoodsPage->CheckType());
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (ShownOnce) return;
    ShownOnce = true;
    // Finish the start after the window has appeared.
    QMetaObject::invokeMethod(this, &TMainForm::DeferredInit, Qt::QueuedConnection);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    FormClose();
    event->accept();
}

void TMainForm::FormCloseQuery() {
    if (LayoutModified) ConfirmSaveLayout();
    if (!Settings.SaveToFile(SettingsFilePath()))
        Prompter::current().error(QString::fromUtf8("Wystąpił błąd podczas zapisu konfiguracji programu."));
}

void TMainForm::FormClose() {
    StoreConfigurationPage();
    if (!Settings.SaveToFile(SettingsFilePath()))
        Prompter::current().error(QString::fromUtf8("Wystąpił błąd podczas zapisu pliku konfiguracji programu."));
    SaveExternalDatabaseOnClose(*ODBCManager);
}
