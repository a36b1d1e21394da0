#include "goodspage.h"

#include "editrecordform.h"
#include "goodslistmodel.h"
#include "goodsmarks.h"
#include "goodstable.h"
#include "ownicon.h"
#include "prompter.h"
#include "silentfailure.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr const char* kTag = "Tag";
constexpr int kNavigatorIconSize = 16;  // data/icons/navigator, 32 at twice the density

// The check types of "Zaznacz": the popup's items in order, with the caption.
struct TCheckTypeItem {
    TViewCode Type;
    const char* Item;
    const char* Caption;
};
const TCheckTypeItem kCheckTypes[] = {
    {TViewCode::All, "wszystkie", "Zaznacz\nwszystkie"},
    {TViewCode::Changed, "zmienione", "Zaznacz\nzmienione"},
    {TViewCode::NeverPrinted, "niedrukowane", "Zaznacz\nniedrukowane"},
    {TViewCode::LastPrinted, "drukowane ostatnio", "Zaznacz\ndrukowane"},
    {TViewCode::Reduced, "obniżone", "Zaznacz\nobniżone"},
};
// The view box's items, in the order of ViewCodeOfItem.
const char* const kViewItems[] = {"Wyszystkie" /* sic */, "Zmienione", "Niedrukowane", "Drukowane ostatnio", "Obniżone"};

// The hourglass for the length of a scope.
class TWaitCursor {
public:
    explicit TWaitCursor(bool on) : On(on) {
        if (On) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TWaitCursor() {
        if (On) QApplication::restoreOverrideCursor();
    }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool On;
};

// Runs `fn`; a table failure is logged and absorbed. False after a failure.
template <class Fn>
bool Absorb(const char* what, Fn&& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QLatin1String(what), e);
        return false;
    }
}

QToolButton* PanelButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMouseTracking(true);
    return b;
}

}  // namespace

TGoodsPage::TGoodsPage(TGoodsSession& session, TGoodsPageContext context, QWidget* parent)
    : QWidget(parent),
      Session(session),
      tbLocal(session.tbLocal),
      tbLocalShow(session.tbLocalShow),
      SelectCounter(session.SelectCounter),
      Context(std::move(context)) {
    setObjectName(QStringLiteral("GoodsPage"));
    if (!Context.LastPrintDate) Context.LastPrintDate = [] { return QDateTime::currentDateTime(); };
    if (!Context.UnitSymbols) Context.UnitSymbols = [] { return TUnitSymbols{}; };
    if (!Context.Loading) Context.Loading = [] { return false; };
    InstallTableEvents();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    BuildNavigator();
    layout->addWidget(DBNavigator1);

    gdMain = new TGoodsGrid(this);
    gdMain->setObjectName(QStringLiteral("gdMain"));
    ListModel = new TGoodsListModel(tbLocalShow, this);
    gdMain->SetList(ListModel);
    layout->addWidget(gdMain, 1);
    connect(gdMain, &TGoodsGrid::IconAreaClicked, this, &TGoodsPage::ToggleCurrentMark);
    connect(gdMain, &TGoodsGrid::SpacePressed, this, &TGoodsPage::ToggleCurrentMark);
    connect(gdMain->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { GridCurrentChanged(current); });

    BuildBottomPanel();
    layout->addWidget(plBottomDB);

    SelectCounter.OnChange = [this](TSelectCounter&, std::int32_t count) { OnCounterChange(count); };
    TogglingSelection = false;
    SetCheckType(TViewCode::All);
    sbtnCheckAll->setText(QStringLiteral("Zaznacz"));
    for (QWidget* w : {static_cast<QWidget*>(gdMain->viewport()), static_cast<QWidget*>(plBottomDB),
                       static_cast<QWidget*>(stConterInfo), static_cast<QWidget*>(sbtnDoPrint),
                       static_cast<QWidget*>(sbtnShow), static_cast<QWidget*>(sbtnUnCheckAll),
                       static_cast<QWidget*>(sbtnCheckAll), static_cast<QWidget*>(sbtnCheckTypeChange)})
        w->installEventFilter(this);
}

TGoodsPage::~TGoodsPage() {
    // The handlers point into this page.
    tbLocalShow.AfterInsert = nullptr;
    tbLocalShow.AfterEdit = nullptr;
    tbLocalShow.BeforeDelete = nullptr;
    SelectCounter.OnChange = nullptr;
}

void TGoodsPage::BuildNavigator() {
    DBNavigator1 = new QWidget(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    auto* row = new QHBoxLayout(DBNavigator1);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);
    // Like the designer's tool buttons the navigator sits on the window
    // background, so the desktop theme's icon comes first; our own drawing
    // stands in where the theme has none. The size is the drawings' own,
    // whatever the style's default, so that no pixmap is scaled.
    const auto button = [&](QToolButton*& b, const char* name, const char* themeIcon, const char* ownIcon,
                            const QString& hint, void (TGoodsPage::*action)()) {
        b = new QToolButton(DBNavigator1);
        b->setObjectName(QLatin1String(name));
        b->setIcon(QIcon::fromTheme(QLatin1String(themeIcon),
                                    OwnIcon(QStringLiteral(":/navigator/%1.png").arg(QLatin1String(ownIcon)))));
        b->setIconSize(QSize(kNavigatorIconSize, kNavigatorIconSize));
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        b->setAutoRaise(true);
        row->addWidget(b);
        connect(b, &QToolButton::clicked, this, action);
    };
    button(nbFirst, "nbFirst", "go-first", "first", QStringLiteral("Pierwszy rekord"), &TGoodsPage::First);
    button(nbPrior, "nbPrior", "go-previous", "prior", QStringLiteral("Poprzedni rekord"), &TGoodsPage::Prior);
    button(nbNext, "nbNext", "go-next", "next", QString::fromUtf8("Następny rekord"), &TGoodsPage::Next);
    button(nbLast, "nbLast", "go-last", "last", QStringLiteral("Ostatni rekord"), &TGoodsPage::Last);
    button(nbInsert, "nbInsert", "list-add", "insert", QStringLiteral("Dodaj"), &TGoodsPage::InsertRecord);
    button(nbDelete, "nbDelete", "list-remove", "delete", QString::fromUtf8("Usuń"), &TGoodsPage::DeleteRecord);
    button(nbEdit, "nbEdit", "document-edit", "edit", QStringLiteral("Edytuj"), &TGoodsPage::EditRecord);
    row->addStretch(1);
}

void TGoodsPage::BuildBottomPanel() {
    plBottomDB = new QFrame(this);
    plBottomDB->setObjectName(QStringLiteral("plBottomDB"));
    plBottomDB->setFixedHeight(85);
    plBottomDB->setMouseTracking(true);

    stConterInfo = new QLabel(QStringLiteral("Liczba zaznaczonych pozycji: 0"), plBottomDB);
    stConterInfo->setObjectName(QStringLiteral("stConterInfo"));
    stConterInfo->setAlignment(Qt::AlignCenter);
    stConterInfo->setFrameStyle(QFrame::Box | QFrame::Plain);
    stConterInfo->setMouseTracking(true);
    stConterInfo->setGeometry(4, 3, 400, 21);

    auto* lbShow = new QLabel(QString::fromUtf8("Pokaż"), plBottomDB);
    lbShow->setGeometry(8, 30, 150, 18);
    cbShowType = new QComboBox(plBottomDB);
    cbShowType->setObjectName(QStringLiteral("cbShowType"));
    for (const char* item : kViewItems) cbShowType->addItem(QString::fromUtf8(item));
    cbShowType->setGeometry(8, 50, 150, 26);
    connect(cbShowType, &QComboBox::activated, this, [this] { ApplyView(); });

    auto* lbFind = new QLabel(QStringLiteral("Szukaj"), plBottomDB);
    lbFind->setGeometry(166, 30, 180, 18);
    edFindRecord = new QLineEdit(plBottomDB);
    edFindRecord->setObjectName(QStringLiteral("edFindRecord"));
    edFindRecord->setGeometry(166, 50, 180, 26);
    connect(edFindRecord, &QLineEdit::textChanged, this, &TGoodsPage::Search);

    sbtnDoPrint = PanelButton(plBottomDB, "sbtnDoPrint", QStringLiteral("Drukuj"));
    sbtnDoPrint->setGeometry(356, 30, 80, 50);
    sbtnShow = PanelButton(plBottomDB, "sbtnShow", QString::fromUtf8("Podgląd"));
    sbtnShow->setGeometry(440, 30, 80, 50);
    sbtnUnCheckAll = PanelButton(plBottomDB, "sbtnUnCheckAll", QStringLiteral("Odznacz\nwszystkie"));
    sbtnUnCheckAll->setGeometry(524, 30, 90, 50);

    Bevel1 = new QFrame(plBottomDB);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel1->setLineWidth(1);
    Bevel1->setGeometry(618, 28, 112, 54);
    Bevel1->hide();
    sbtnCheckAll = PanelButton(plBottomDB, "sbtnCheckAll", QStringLiteral("Zaznacz"));
    sbtnCheckAll->setGeometry(620, 30, 90, 50);
    sbtnCheckTypeChange = PanelButton(plBottomDB, "sbtnCheckTypeChange", QString());
    sbtnCheckTypeChange->setToolButtonStyle(Qt::ToolButtonIconOnly);
    sbtnCheckTypeChange->setArrowType(Qt::DownArrow);
    sbtnCheckTypeChange->setGeometry(710, 30, 18, 50);
    for (QToolButton* b : {sbtnDoPrint, sbtnShow, sbtnUnCheckAll, sbtnCheckAll}) b->setEnabled(false);

    pmCheckType = new QMenu(this);
    pmCheckType->setObjectName(QStringLiteral("pmCheckType"));
    CheckTypeGroup = new QActionGroup(pmCheckType);
    CheckTypeGroup->setExclusive(true);
    for (const TCheckTypeItem& t : kCheckTypes) {
        QAction* a = pmCheckType->addAction(QString::fromUtf8(t.Item));
        a->setCheckable(true);
        a->setData(static_cast<int>(t.Type));
        CheckTypeGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, type = t.Type] { ChooseCheckType(type); });
    }

    connect(sbtnDoPrint, &QToolButton::clicked, this, &TGoodsPage::DoPrintClicked);
    connect(sbtnShow, &QToolButton::clicked, this, &TGoodsPage::ShowClicked);
    connect(sbtnUnCheckAll, &QToolButton::clicked, this, [this] { ClearAllSelections(true); });
    connect(sbtnCheckAll, &QToolButton::clicked, this, &TGoodsPage::sbtnCheckAllClick);
    connect(sbtnCheckTypeChange, &QToolButton::clicked, this, [this] {
        CheckPopupItem();
        pmCheckType->popup(sbtnCheckAll->mapToGlobal(QPoint(0, sbtnCheckAll->height())));
    });
}

void TGoodsPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    stConterInfo->setGeometry(4, 3, std::max(100, plBottomDB->width() - 8), 21);
}

bool TGoodsPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (watched == sbtnCheckAll || watched == sbtnCheckTypeChange)
            Bevel1->show();
        else
            Bevel1->hide();
    }
    return QWidget::eventFilter(watched, event);
}

void TGoodsPage::InstallTableEvents() {
    tbLocalShow.AfterInsert = [this](TTable&) { AfterInsert(); };
    tbLocalShow.AfterEdit = [this](TTable&) { AfterEdit(); };
    tbLocalShow.BeforeDelete = [this](TTable&) { BeforeDelete(); };
}

QStringList TGoodsPage::OpenGoodsList() {
    const QStringList errors = Session.Open();
    ListChanged();
    return errors;
}

void TGoodsPage::LayoutColumns() {
    auto w = GridColumnWidths(gdMain->width());
    // The lowest price is a price, as wide as the price column, but never
    // narrower than its title; the name gives it the room, so that the
    // barcode stays in view.
    const int lowest = std::max(w[1], gdMain->horizontalHeader()->sectionSizeHint(TGoodsListModel::colNajnizsza));
    w[0] -= lowest;
    const int columns[] = {TGoodsListModel::colNazwa, TGoodsListModel::colCena, TGoodsListModel::colWaga,
                           TGoodsListModel::colAbsCena, TGoodsListModel::colKod};
    for (int c = 0; c < 5; ++c) gdMain->setColumnWidth(columns[c], std::max(0, w[c]));
    gdMain->setColumnWidth(TGoodsListModel::colNajnizsza, std::max(0, lowest));
}

TViewCode TGoodsPage::CurrentViewCode() const { return ViewCodeOfItem(cbShowType->currentIndex()); }

void TGoodsPage::OnCounterChange(int count) {
    stConterInfo->setText(QStringLiteral("Liczba zaznaczonych pozycji: ") + QString::number(count));
    sbtnUnCheckAll->setEnabled(count != 0);
}

void TGoodsPage::SetListButtons(bool hasRecords) {
    for (QToolButton* b : {sbtnDoPrint, sbtnShow, sbtnCheckAll}) b->setEnabled(hasRecords);
}

void TGoodsPage::UpdateListButtons() {
    bool has = false;
    Absorb("the goods list could not be counted", [&] { has = tbLocalShow.Active() && tbLocalShow.RecordCount() > 0; });
    SetListButtons(has);
}

void TGoodsPage::ListChanged() {
    ListModel->Changed();
    SyncGridToTable();
}

void TGoodsPage::SyncGridToTable() {
    int row = -1;
    Absorb("the current row of the goods list is unknown", [&] {
        if (tbLocalShow.Active()) row = tbLocalShow.RecNo();
    });
    Syncing = true;
    if (row >= 0 && row < ListModel->rowCount()) {
        const QModelIndex index = ListModel->index(row, TGoodsListModel::colNazwa);
        gdMain->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        gdMain->scrollTo(index);
    } else {
        gdMain->selectionModel()->clear();
    }
    Syncing = false;
    UpdateNavigator();
}

void TGoodsPage::GridCurrentChanged(const QModelIndex& current) {
    if (Syncing || !current.isValid()) return;
    // On a failure the list stays where the engine has it.
    Absorb("the goods list did not follow the grid", [&] {
        if (tbLocalShow.Active() && tbLocalShow.RecNo() != current.row()) tbLocalShow.MoveTo(current.row());
    });
    UpdateNavigator();
}

void TGoodsPage::ShowView(int item) {
    if (item < 0 || item >= cbShowType->count()) return;
    cbShowType->setCurrentIndex(item);
    ApplyView();
}

void TGoodsPage::ShowView(TViewCode view) { ShowView(ItemOfViewCode(view)); }

void TGoodsPage::ApplyView() {
    const bool applied = Absorb("the view was not applied", [&] {
        ClearAllSelections(!Context.Loading());
        tbLocalShow.SetFilter(ViewFilter(CurrentViewCode(), Context.LastPrintDate()));
        tbLocalShow.SetFiltered(true);
        ListChanged();
        SetListButtons(tbLocalShow.RecordCount() >= 1);
    });
    if (!applied) ListChanged();
}

void TGoodsPage::ClearAllSelections(bool hourglass) {
    TWaitCursor cursor(hourglass);
    Absorb("the marks were not cleared", [&] { ::ClearAllSelections(Session); });
    ListChanged();
}

void TGoodsPage::sbtnCheckAllClick() {
    TWaitCursor cursor(true);
    Absorb("the goods were not marked by type",
           [&] { ::SelectByType(Session, CurrentViewCode(), CheckType(), Context.LastPrintDate()); });
    ListChanged();
}

void TGoodsPage::SetCheckType(TViewCode type) {
    const TCheckTypeItem* item = &kCheckTypes[0];
    for (const TCheckTypeItem& t : kCheckTypes)
        if (t.Type == type) item = &t;
    sbtnCheckAll->setProperty(kTag, static_cast<int>(item->Type));
    sbtnCheckAll->setText(QString::fromUtf8(item->Caption));
    CheckPopupItem();
}

void TGoodsPage::SetCheckType(int settingsNumber) { SetCheckType(CheckTypeFromSetting(settingsNumber)); }

void TGoodsPage::CheckPopupItem() {
    const int type = static_cast<int>(CheckType());
    for (QAction* a : CheckTypeGroup->actions()) a->setChecked(a->data().toInt() == type);
}

void TGoodsPage::UpdateNavigator() {
    const bool empty = IsEmpty();
    const bool atBeginning = AtBeginning();
    const bool atEnd = AtEnd();
    nbFirst->setEnabled(!atBeginning);
    nbPrior->setEnabled(!atBeginning);
    nbNext->setEnabled(!atEnd);
    nbLast->setEnabled(!atEnd);
    nbDelete->setEnabled(!empty);
}

// The button's Tag holds the check type as its number.
TViewCode TGoodsPage::CheckType() const { return CheckTypeFromSetting(sbtnCheckAll->property(kTag).toInt()); }

void TGoodsPage::ChooseCheckType(TViewCode type) {
    SetCheckType(type);
    sbtnCheckAllClick();
}

void TGoodsPage::SelectWithType(TViewCode type) {
    const QVariant own = sbtnCheckAll->property(kTag);
    struct Restore {
        QToolButton* Button;
        QVariant Tag;
        ~Restore() { Button->setProperty(kTag, Tag); }
    } restore{sbtnCheckAll, own};
    sbtnCheckAll->setProperty(kTag, static_cast<int>(type));
    sbtnCheckAllClick();
}

void TGoodsPage::ToggleCurrentMark() {
    try {
        const int row = tbLocalShow.Active() ? tbLocalShow.RecNo() : -1;
        if (!ToggleMark(Session, TogglingSelection)) return;
        if (tbLocalShow.RecNo() == row && ListModel->rowCount() == tbLocalShow.RecordCount())
            ListModel->RowChanged(row);
        else
            ListChanged();
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("the mark was not toggled"), e);
        ListChanged();
    }
}

void TGoodsPage::Search(const QString& text) {
    if (text.isEmpty()) return;
    Absorb("the search failed", [&] {
        if (!tbLocalShow.Active()) return;
        TLocateOptions options;
        options.CaseInsensitive = true;
        options.PartialKey = true;
        if (tbLocalShow.Locate(GoodsColumnName(TGoodsColumn::NAZWA), text, options)) SyncGridToTable();
    });
}

bool TGoodsPage::EditRecordDialog(bool insertMode) {
    TEditRecordForm form(tbLocalShow, insertMode, Context.UnitSymbols(), window());
    if (Prompter::current().runDialog(form) != QDialog::Accepted) return false;
    form.StoreCodeType();
    return true;
}

void TGoodsPage::AfterInsert() {
    const bool posted = Absorb("the new record was not stored", [&] {
        if (!EditRecordDialog(true)) {
            tbLocalShow.Cancel();
        } else {
            const qint64 id = Session.Store->NextFreeId();
            tbLocalShow.FieldByName(GoodsColumnName(TGoodsColumn::ID)).SetAsInteger(id);
            tbLocalShow.FieldByName(GoodsColumnName(TGoodsColumn::NEW)).SetAsBoolean(true);
            tbLocalShow.FieldByName(GoodsColumnName(TGoodsColumn::SELECT)).SetAsBoolean(false);
            tbLocalShow.Post();
        }
    });
    // A record that cannot be stored is not left half inserted.
    if (!posted) Absorb("the unstored record was not cancelled", [&] { tbLocalShow.Cancel(); });
    UpdateListButtons();
}

void TGoodsPage::AfterEdit() {
    if (TogglingSelection) {
        TogglingSelection = false;
        return;
    }
    const bool posted = Absorb("the edited record was not stored", [&] {
        if (EditRecordDialog(false)) {
            tbLocalShow.FieldByName(GoodsColumnName(TGoodsColumn::NEW)).SetAsBoolean(true);
            tbLocalShow.Post();
        } else {
            tbLocalShow.Cancel();
        }
    });
    if (!posted) Absorb("the unstored edit was not cancelled", [&] { tbLocalShow.Cancel(); });
}

void TGoodsPage::BeforeDelete() {
    const TViewCode view = CurrentViewCode();
    const QDateTime lastPrint = Context.LastPrintDate();
    int n = 0;
    Absorb("the marked goods were not counted", [&] { n = CountMarkedInView(Session, view, lastPrint); });
    if (n >= 1) {
        if (Prompter::current().confirmYesNo(QString::fromUtf8("Liczba zaznaczonych rekordów: %1.\nUsunąć je?").arg(n)))
            Absorb("the marked goods were not deleted", [&] {
                DeleteMarkedInView(Session, view, lastPrint);
                SetListButtons(tbLocalShow.RecordCount() > 0);
            });
        Abort();
    }
    const QString name = tbLocalShow.FieldByName(GoodsColumnName(TGoodsColumn::NAZWA)).AsString();
    if (!Prompter::current().confirmYesNo(QString::fromUtf8("Usunąć rekord: \"%1\"?").arg(name))) Abort();
    SetListButtons(ForgetCurrentMark(Session));
}

void TGoodsPage::RunListCommand(const char* what, const std::function<void()>& command, bool reread) {
    Absorb(what, command);
    if (reread)
        ListChanged();
    else
        SyncGridToTable();
}

void TGoodsPage::First() { RunListCommand("first record", [this] { tbLocalShow.First(); }, false); }
void TGoodsPage::Prior() { RunListCommand("prior record", [this] { tbLocalShow.Prior(); }, false); }
void TGoodsPage::Next() { RunListCommand("next record", [this] { tbLocalShow.Next(); }, false); }
void TGoodsPage::Last() { RunListCommand("last record", [this] { tbLocalShow.Last(); }, false); }
void TGoodsPage::InsertRecord() { RunListCommand("insert", [this] { tbLocalShow.Insert(); }, true); }
void TGoodsPage::DeleteRecord() { RunListCommand("delete", [this] { tbLocalShow.Delete(); }, true); }
void TGoodsPage::EditRecord() { RunListCommand("edit", [this] { tbLocalShow.Edit(); }, true); }

// An answer the list cannot give counts as an empty list.
bool TGoodsPage::IsEmpty() {
    bool empty = true;
    Absorb("the goods list could not be read", [&] { empty = !tbLocalShow.Active() || tbLocalShow.IsEmpty(); });
    return empty;
}

bool TGoodsPage::AtBeginning() {
    bool at = true;
    Absorb("the goods list position is unknown", [&] { at = IsEmpty() || tbLocalShow.RecNo() <= 0; });
    return at;
}

bool TGoodsPage::AtEnd() {
    bool at = true;
    Absorb("the goods list position is unknown",
           [&] { at = IsEmpty() || tbLocalShow.RecNo() >= tbLocalShow.RecordCount() - 1; });
    return at;
}
