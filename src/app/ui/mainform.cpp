#include "mainform.h"

#include "plcolorbox.h"
#include "datafolder.h"
#include "designio.h"
#include "units.h"
#include "externaldbbox.h"
#include "externalstartup.h"
#include "externaldb.h"
#include "editmenu.h"
#include "goodspage.h"
#include "progressform.h"
#include "refreshcommand.h"
#include "odbcmanager.h"
#include "helpwindow.h"
#include "loginforms.h"
#include "printers.h"
#include "settingskeys.h"
#include "prompter.h"
#include "layout.h"
#include "layoutpaths.h"
#include "prepareprintingform.h"
#include "printcommandui.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr const char* kTag = "Tag";
constexpr const char* kHelpContext = "HelpContext";

QToolButton* MenuButton(QWidget* parent, const char* name, const QString& caption, QStyle::StandardPixmap glyph,
                        int helpContext) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setIcon(parent->style()->standardIcon(glyph));
    b->setIconSize(QSize(32, 32));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setFixedSize(81, 73);
    b->setProperty(kHelpContext, helpContext);
    return b;
}

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
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Prandel etykiet"));

    ODBCManager = std::make_unique<TODBCManager>();
    PrepareODBCManager(*ODBCManager);
    dbOutside = std::make_unique<TExternalDatabase>();
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
    BuildPrintsPage();
    BuildDesignPage();
    BuildConfigurationPage();
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

    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] { ShowHelpTopic(HelpContext, this); });
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

    sbtnPrint = MenuButton(plMenu, "sbtnPrint", QStringLiteral("Wydruki"), QStyle::SP_FileDialogContentsView, 6);
    sbtnRefresh = MenuButton(plMenu, "sbtnRefresh", QStringLiteral("Aktualizacja"), QStyle::SP_BrowserReload, 7);
    sbtnLogin = MenuButton(plMenu, "sbtnLogin", QStringLiteral("Zaloguj"), QStyle::SP_DialogApplyButton, 8);
    sbtnProject = MenuButton(plMenu, "sbtnProject", QString::fromUtf8("Wygląd etykiety"),
                             QStyle::SP_FileDialogDetailedView, 9);
    sbtnConfiguration =
        MenuButton(plMenu, "sbtnConfiguration", QStringLiteral("Konfiguracja"), QStyle::SP_ComputerIcon, 13);
    sbtnChangePasswd =
        MenuButton(plMenu, "sbtnChangePasswd", QString::fromUtf8("Zmień hasło"), QStyle::SP_DialogResetButton, 14);
    sbtnPrint->setProperty(kTag, 0);
    sbtnProject->setProperty(kTag, 1);
    sbtnConfiguration->setProperty(kTag, 2);

    PageButtons = new QButtonGroup(this);
    PageButtons->setExclusive(true);
    for (QToolButton* b : {sbtnPrint, sbtnProject, sbtnConfiguration}) {
        b->setCheckable(true);
        PageButtons->addButton(b);
        connect(b, &QToolButton::clicked, this, [this, b] { sbtnPrintClick(b); });
    }
    sbtnPrint->setChecked(true);
    connect(sbtnRefresh, &QToolButton::clicked, this, &TMainForm::sbtnRefreshClick);
    connect(sbtnLogin, &QToolButton::clicked, this, &TMainForm::sbtnLoginClick);
    connect(sbtnChangePasswd, &QToolButton::clicked, this, &TMainForm::sbtnChangePasswdClick);

    // Hidden buttons keep their places: each sits at a fixed position.
    int y = 4;
    for (QToolButton* b : {sbtnPrint, sbtnRefresh, sbtnLogin, sbtnProject, sbtnConfiguration, sbtnChangePasswd}) {
        b->move(8, y);
        y += 73 + 4;
    }
    plMenu->setMinimumHeight(y + 4);
    for (QToolButton* b : {sbtnProject, sbtnConfiguration, sbtnChangePasswd}) b->setVisible(false);
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

    connect(Wydruki1, &QAction::triggered, this, [this] {
        sbtnPrint->setChecked(true);
        sbtnPrintClick(sbtnPrint);
    });
    connect(Wygldetykiety1, &QAction::triggered, this, [this] {
        sbtnProject->setChecked(true);
        sbtnPrintClick(sbtnProject);
    });
    connect(Konfiguracja2, &QAction::triggered, this, [this] {
        sbtnConfiguration->setChecked(true);
        sbtnPrintClick(sbtnConfiguration);
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

void TMainForm::BuildPrintsPage() {
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto* layout = new QVBoxLayout(TabSheet1);
    TGoodsPageContext context;
    context.LastPrintDate = [this] { return Settings.LastPrintDate; };
    context.UnitSymbols = [this] { return UnitSymbolsOf(Settings); };
    context.Loading = [this] { return Loading; };
    GoodsPage = new TGoodsPage(Goods, std::move(context), TabSheet1);
    connect(GoodsPage, &TGoodsPage::DoPrintClicked, this, &TMainForm::sbtnDoPrintClick);
    connect(GoodsPage, &TGoodsPage::ShowClicked, this, &TMainForm::tbShowClick);
    layout->addWidget(GoodsPage);
    PageControl1->addWidget(TabSheet1);
}

TPrintPieces TMainForm::PrintPieces() {
    TPrintPieces p(Goods, Settings);
    p.PrepareForm = PreparePrintingForm;
    p.PrinterBoxText = [this] { return cbPrinterName->currentText(); };
    p.OrientationText = [this] { return cbPrinterOrientation->currentText(); };
    p.FrameColor = [this] { return ColorFromValue(cbColor->Selected()); };
    p.SaveDesign = [this](const QString& path) { return SaveDesign(plProjDesign, path, DesignScale(Settings)); };
    p.Parent = this;
    return p;
}

void TMainForm::sbtnDoPrintClick() {
    ::sbtnDoPrintClick(PrintPieces());
    // The list shows the new print dates.
    if (Goods.tbLocalShow.Active()) {
        Goods.tbLocalShow.Refresh();
        GoodsPage->ListChanged();
    }
}

void TMainForm::tbShowClick() {
    ::tbShowClick(PrintPieces());
}

void TMainForm::BuildDesignPage() {
    TabSheet2 = new QWidget(PageControl1);
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto* layout = new QVBoxLayout(TabSheet2);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("Plik:"), TabSheet2));
    edLabelFileName = new QLineEdit(TabSheet2);
    edLabelFileName->setObjectName(QStringLiteral("edLabelFileName"));
    edLabelFileName->setReadOnly(true);
    fileRow->addWidget(edLabelFileName, 1);
    layout->addLayout(fileRow);
    auto* scroller = new QScrollArea(TabSheet2);
    scroller->setObjectName(QStringLiteral("sbDesign"));
    scroller->setBackgroundRole(QPalette::Dark);
    scroller->setAlignment(Qt::AlignCenter);
    plProjDesign = new TDesignPanel;
    plProjDesign->setObjectName(QStringLiteral("plProjDesign"));
    plProjDesign->resize(MmToPixelsX(*plProjDesign, 100, DesignScale(Settings)), MmToPixelsY(*plProjDesign, 50, DesignScale(Settings)));
    scroller->setWidget(plProjDesign);
    // The label itself is white on the grey of the scroll area.
    QPalette white = plProjDesign->palette();
    white.setColor(QPalette::Window, Qt::white);
    plProjDesign->setPalette(white);
    plProjDesign->setBackgroundRole(QPalette::Window);
    plProjDesign->setAutoFillBackground(true);
    layout->addWidget(scroller, 1);
    PageControl1->addWidget(TabSheet2);
}

void TMainForm::BuildConfigurationPage() {
    TabSheet3 = new QWidget(PageControl1);
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QVBoxLayout(TabSheet3);
    auto* printer = new QGroupBox(QStringLiteral(" Drukaraka "), TabSheet3);
    printer->setObjectName(QStringLiteral("gbPrinter"));
    QFont bold = printer->font();
    bold.setBold(true);
    printer->setFont(bold);
    auto* form = new QVBoxLayout(printer);
    const auto plain = [&](QWidget* w) {
        QFont f = w->font();
        f.setBold(false);
        w->setFont(f);
        return w;
    };
    form->addWidget(plain(new QLabel(QStringLiteral("Nazwa"), printer)));
    cbPrinterName = new QComboBox(printer);
    cbPrinterName->setObjectName(QStringLiteral("cbPrinterName"));
    form->addWidget(plain(cbPrinterName));
    form->addWidget(plain(new QLabel(QStringLiteral("Orientacja strony"), printer)));
    cbPrinterOrientation = new QComboBox(printer);
    cbPrinterOrientation->setObjectName(QStringLiteral("cbPrinterOrientation"));
    form->addWidget(plain(cbPrinterOrientation));
    form->addWidget(plain(new QLabel(QStringLiteral("Kolor obramowania"), printer)));
    cbColor = new TPLColorBox(printer);
    cbColor->setObjectName(QStringLiteral("cbColor"));
    form->addWidget(plain(cbColor));
    cbAskLabelCounter = new QCheckBox(QString::fromUtf8("Pytaj o ilość drukowanych etykiet"), printer);
    cbAskLabelCounter->setObjectName(QStringLiteral("cbAskLabelCounter"));
    form->addWidget(plain(cbAskLabelCounter));
    printer->setMaximumWidth(520);
    layout->addWidget(printer);
    GroupBox6 = new TExternalDbBox(*ODBCManager, TabSheet3);
    GroupBox6->setMaximumWidth(520);
    layout->addWidget(GroupBox6);
    layout->addStretch(1);
    PageControl1->addWidget(TabSheet3);
}

int TMainForm::CurrentPage() const { return PageControl1->currentIndex(); }

void TMainForm::sbtnPrintClick(QToolButton* button) {
    const int target = button->property(kTag).toInt();
    if (target != 1 && LayoutModified) {
        if (!ConfirmSaveLayout()) ReloadLayout();
    }
    // Leaving the configuration page keeps what was edited on it.
    if (PageControl1->currentIndex() == 2 && target != 2) StoreConfigurationPage();
    PageControl1->setCurrentIndex(target);
    button->setChecked(true);
    HelpContext = button->property(kHelpContext).toInt();
}

bool TMainForm::ConfirmSaveLayout() {
    const QString name = QFileInfo(Settings.LabelFileName).fileName();
    if (!Prompter::current().confirmYesNo(
            QString::fromUtf8("Zmodyfikowano wygląd etykiety.\nZapisać zmiany w pliku: \"%1\"?").arg(name)))
        return false;
    SaveLayout();
    return true;
}

void TMainForm::SetLoggedIn(bool loggedIn) {
    AdminLoggedIn = loggedIn;
    const QString caption = loggedIn ? QStringLiteral("Wyloguj") : QStringLiteral("Zaloguj");
    sbtnLogin->setText(caption);
    Zaloguj1->setText(caption);
    for (QToolButton* b : {sbtnConfiguration, sbtnProject, sbtnChangePasswd}) b->setVisible(loggedIn);
    for (QAction* a : {Wygldetykiety1, Konfiguracja2, Zmiehaso1}) a->setVisible(loggedIn);
}

void TMainForm::sbtnRefreshClick() {
    TRefreshPieces pieces(*ODBCManager, *dbOutside, Goods, Settings, *UpdateProgressForm);
    pieces.StoreDatabaseFields = [this] { GroupBox6->StoreDatabaseFields(); };
    pieces.ShowChanged = [this] { GoodsPage->ShowView(1); };
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

void TMainForm::FillPrinterLists() {
    cbPrinterName->clear();
    cbPrinterName->addItems(InstalledPrinterNames());
    cbPrinterOrientation->clear();
    cbPrinterOrientation->addItems({QStringLiteral("Pionowa"), QStringLiteral("Pozioma")});
}

void TMainForm::FillConfigurationPage() {
    edLabelFileName->setText(LayoutDisplayName(Settings.LabelFileName));
    cbColor->SetSelected(Settings.FrameColor);
    GroupBox6->Fill();
    cbPrinterName->setCurrentIndex(cbPrinterName->findText(Settings.PrinterName, Qt::MatchExactly | Qt::MatchCaseSensitive));
    cbPrinterOrientation->setCurrentIndex(0);
    const int o = cbPrinterOrientation->findText(Settings.Orientation, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (o >= 0) cbPrinterOrientation->setCurrentIndex(o);
    cbAskLabelCounter->setChecked(Settings.AskLabelCount);
    GoodsPage->SetCheckType(Settings.CheckType);
}

void TMainForm::StoreConfigurationPage() {
    Settings.LabelFileName = LayoutFullPath(edLabelFileName->text());
    Settings.FrameColor = cbColor->Selected();
    Settings.DatabaseType = GroupBox6->DefinitionName();
    GroupBox6->StoreDatabaseFields();
    Settings.PrinterName = cbPrinterName->currentIndex() >= 0 ? cbPrinterName->currentText() : QString();
    Settings.Orientation = cbPrinterOrientation->currentText();
    Settings.AskLabelCount = cbAskLabelCounter->isChecked();
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
