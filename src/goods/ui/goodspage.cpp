#include "goodspage.h"

#include "barcodetypes.h"
#include "editrecordform.h"
#include "goodslistmodel.h"
#include "goodstable.h"
#include "prompter.h"
#include "views.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

constexpr const char* kTag = "Tag";

// The check types of "Zaznacz": the popup's items in order, with the caption.
struct TCheckTypeItem {
    int Type;
    const char* Item;
    const char* Caption;
};
const TCheckTypeItem kCheckTypes[] = {
    {0, "wszystkie", "Zaznacz\nwszystkie"},
    {1, "zmienione", "Zaznacz\nzmienione"},
    {3, "niedrukowane", "Zaznacz\nniedrukowane"},
    {4, "drukowane ostatnio", "Zaznacz\ndrukowane"},
};
const char* const kViewItems[] = {"Wyszystkie", "Zmienione", "Niedrukowane", "Drukowane ostatnio"};
const int kViewCodes[] = {0, 1, 3, 4};
const char* const kMenuViewItems[] = {"Wszystkie", "Zmienione", "Niedrukowane", "Drukowane ostatnio"};

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

QPixmap MarkIcon(bool checked, const QPalette& palette) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette.color(QPalette::Dark), 1));
    p.setBrush(palette.color(QPalette::Base));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    if (checked) {
        p.setPen(QPen(QColor(0, 128, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(4, 8.5), QPointF(7, 11.5), QPointF(12.5, 4.5)}));
    }
    return pm;
}

// Paints every cell as the list wants it: the mark icon before the name, the
// tooltip colour behind marked rows, barcode type names instead of codes.
class TGoodsCellDelegate : public QStyledItemDelegate {
public:
    TGoodsCellDelegate(const TGoodsPage* page, QObject* parent) : QStyledItemDelegate(parent), Page(page) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool highlighted = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        const QRect r = option.rect;
        p->fillRect(r, highlighted ? pal.brush(QPalette::Active, QPalette::Highlight) : pal.brush(QPalette::Base));
        const bool marked = index.data(TGoodsListModel::SelectRole).toBool();
        const QColor marker = QToolTip::palette().color(QPalette::ToolTipBase);
        QString text = index.data(Qt::DisplayRole).toString();
        int indent = 0;
        if (index.column() == TGoodsListModel::colNazwa) {
            if (text.isEmpty()) return;
            if (marked) {
                if (!highlighted) p->fillRect(r, marker);
                p->drawPixmap(r.topLeft(), Page->CheckedIcon);
            } else {
                p->drawPixmap(r.topLeft(), Page->UncheckedIcon);
            }
            indent = 25;
        } else {
            if (marked && !highlighted) p->fillRect(r, marker);
            if (index.column() == TGoodsListModel::colTypKodu) {
                const QVariant code = index.data(TGoodsListModel::TypeCodeRole);
                bool ok = false;
                const qint64 n = code.toLongLong(&ok);
                text.clear();
                if (code.isValid() && ok && n >= 0 && n <= 22)
                    if (auto name = BarcodeTypeShortName(static_cast<int>(n))) text = *name;
            }
        }
        if (text.isEmpty()) return;
        p->setPen(highlighted ? pal.color(QPalette::Active, QPalette::HighlightedText) : pal.color(QPalette::Text));
        p->drawText(r.adjusted(indent, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }

private:
    const TGoodsPage* Page;
};

QToolButton* PanelButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMouseTracking(true);
    return b;
}

}  // namespace

void TGoodsGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    const int x = event->position().toPoint().x();
    if (event->button() == Qt::LeftButton && x >= 1 && x <= 17 && indexAt(event->position().toPoint()).isValid())
        emit IconAreaClicked();
}

void TGoodsGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit SpacePressed();
        return;
    }
    QTableView::keyPressEvent(event);
}

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
    CheckedIcon = MarkIcon(true, palette());
    UncheckedIcon = MarkIcon(false, palette());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    BuildNavigator();
    layout->addWidget(DBNavigator1);

    gdMain = new TGoodsGrid(this);
    gdMain->setObjectName(QStringLiteral("gdMain"));
    ListModel = new TGoodsListModel(tbLocalShow, this);
    gdMain->setModel(ListModel);
    gdMain->setItemDelegate(new TGoodsCellDelegate(this, gdMain));
    gdMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gdMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    gdMain->setSelectionMode(QAbstractItemView::SingleSelection);
    gdMain->setShowGrid(true);
    gdMain->setWordWrap(false);
    gdMain->setTabKeyNavigation(false);
    gdMain->verticalHeader()->hide();
    gdMain->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    gdMain->verticalHeader()->setDefaultSectionSize(gdMain->fontMetrics().height() + 6);
    gdMain->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    gdMain->horizontalHeader()->setHighlightSections(false);
    gdMain->setColumnHidden(TGoodsListModel::colSelect, true);
    gdMain->setMouseTracking(true);
    gdMain->viewport()->setMouseTracking(true);
    // The selected row stays visible when the grid has no focus.
    QPalette pal = gdMain->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    gdMain->setPalette(pal);
    layout->addWidget(gdMain, 1);
    connect(gdMain, &TGoodsGrid::IconAreaClicked, this, &TGoodsPage::ToggleCurrentMark);
    connect(gdMain, &TGoodsGrid::SpacePressed, this, &TGoodsPage::ToggleCurrentMark);
    connect(gdMain->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { GridCurrentChanged(current); });

    BuildBottomPanel();
    layout->addWidget(plBottomDB);

    SelectCounter.OnChange = [this](TSelectCounter&, std::int32_t count) { OnCounterChange(count); };
    TogglingSelection = false;
    SetCheckType(0);
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
    const auto button = [&](QToolButton*& b, const char* name, QStyle::StandardPixmap glyph, const QString& hint,
                            void (TGoodsPage::*action)()) {
        b = new QToolButton(DBNavigator1);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(glyph));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        row->addWidget(b);
        connect(b, &QToolButton::clicked, this, action);
    };
    button(nbFirst, "nbFirst", QStyle::SP_MediaSkipBackward, QStringLiteral("Pierwszy rekord"), &TGoodsPage::First);
    button(nbPrior, "nbPrior", QStyle::SP_MediaSeekBackward, QStringLiteral("Poprzedni rekord"), &TGoodsPage::Prior);
    button(nbNext, "nbNext", QStyle::SP_MediaSeekForward, QString::fromUtf8("Następny rekord"), &TGoodsPage::Next);
    button(nbLast, "nbLast", QStyle::SP_MediaSkipForward, QStringLiteral("Ostatni rekord"), &TGoodsPage::Last);
    button(nbInsert, "nbInsert", QStyle::SP_FileIcon, QStringLiteral("Dodaj"), &TGoodsPage::InsertRecord);
    button(nbDelete, "nbDelete", QStyle::SP_TrashIcon, QString::fromUtf8("Usuń"), &TGoodsPage::DeleteRecord);
    button(nbEdit, "nbEdit", QStyle::SP_FileDialogDetailedView, QStringLiteral("Edytuj"), &TGoodsPage::EditRecord);
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
    for (int i = 0; i < 4; ++i) cbShowType->addItem(QString::fromUtf8(kViewItems[i]), kViewCodes[i]);
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
        a->setData(t.Type);
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
    const auto w = GridColumnWidths(gdMain->width());
    for (int c = 0; c < 5; ++c) gdMain->setColumnWidth(c, std::max(0, w[c]));
}

QString TGoodsPage::LastPrintFilter(int code) const {
    const auto view = ViewCodeFromNumber(code);
    return view ? ViewFilter(*view, Context.LastPrintDate()) : QString();
}

int TGoodsPage::CurrentViewCode() const {
    const QVariant code = cbShowType->currentData();
    return code.isValid() ? code.toInt() : 0;
}

void TGoodsPage::OnCounterChange(int count) {
    stConterInfo->setText(QStringLiteral("Liczba zaznaczonych pozycji: ") + QString::number(count));
    sbtnUnCheckAll->setEnabled(count != 0);
}

void TGoodsPage::SetListButtons(bool hasRecords) {
    for (QToolButton* b : {sbtnDoPrint, sbtnShow, sbtnCheckAll}) b->setEnabled(hasRecords);
}

void TGoodsPage::UpdateListButtons() {
    bool has = false;
    try {
        has = tbLocalShow.Active() && tbLocalShow.RecordCount() > 0;
    } catch (const std::exception&) {
    }
    SetListButtons(has);
}

void TGoodsPage::ListChanged() {
    ListModel->Changed();
    SyncGridToTable();
}

void TGoodsPage::SyncGridToTable() {
    int row = -1;
    try {
        if (tbLocalShow.Active()) row = tbLocalShow.RecNo();
    } catch (const std::exception&) {
    }
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
    try {
        if (tbLocalShow.Active() && tbLocalShow.RecNo() != current.row()) tbLocalShow.MoveTo(current.row());
    } catch (const std::exception&) {
        // The list stays where the engine has it.
    }
    UpdateNavigator();
}

void TGoodsPage::ShowView(int item) {
    if (item < 0 || item >= cbShowType->count()) return;
    cbShowType->setCurrentIndex(item);
    ApplyView();
}

void TGoodsPage::ApplyView() {
    try {
        ClearAllSelections(!Context.Loading());
        tbLocalShow.SetFilter(LastPrintFilter(CurrentViewCode()));
        tbLocalShow.SetFiltered(true);
        ListChanged();
        SetListButtons(tbLocalShow.RecordCount() >= 1);
    } catch (const std::exception&) {
        ListChanged();
    }
}

void TGoodsPage::ClearAllSelections(bool hourglass) {
    TWaitCursor cursor(hourglass);
    try {
        ::ClearAllSelections(tbLocal, tbLocalShow);
        SelectCounter.SetCount(0);
    } catch (const std::exception&) {
    }
    try {
        tbLocal.Close();
    } catch (const std::exception&) {
    }
    ListChanged();
}

void TGoodsPage::sbtnCheckAllClick() {
    TWaitCursor cursor(true);
    const int c = CheckType();
    const int v = CurrentViewCode();
    try {
        const int count = ::SelectByType(tbLocal, tbLocalShow, LastPrintFilter(v), LastPrintFilter(c));
        SelectCounter.SetCount(count);
    } catch (const std::exception&) {
    }
    try {
        tbLocal.Close();
        if (tbLocalShow.Active()) tbLocalShow.Locate(QStringLiteral("SELECT"), true);
    } catch (const std::exception&) {
    }
    ListChanged();
}

void TGoodsPage::SetCheckType(int type) {
    const TCheckTypeItem* item = &kCheckTypes[0];
    for (const TCheckTypeItem& t : kCheckTypes)
        if (t.Type == type) item = &t;
    sbtnCheckAll->setProperty(kTag, item->Type);
    sbtnCheckAll->setText(QString::fromUtf8(item->Caption));
    CheckPopupItem();
}

void TGoodsPage::CheckPopupItem() {
    int type = CheckType();
    if (type != 1 && type != 3 && type != 4) type = 0;
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

int TGoodsPage::CheckType() const { return sbtnCheckAll->property(kTag).toInt(); }

void TGoodsPage::ChooseCheckType(int type) {
    SetCheckType(type);
    sbtnCheckAllClick();
}

void TGoodsPage::SelectWithType(int type) {
    const QVariant own = sbtnCheckAll->property(kTag);
    struct Restore {
        QToolButton* Button;
        QVariant Tag;
        ~Restore() { Button->setProperty(kTag, Tag); }
    } restore{sbtnCheckAll, own};
    sbtnCheckAll->setProperty(kTag, type);
    sbtnCheckAllClick();
}

void TGoodsPage::ToggleCurrentMark() {
    int delta = 0;
    try {
        if (!tbLocalShow.Active() || tbLocalShow.IsEmpty()) return;
        const int row = tbLocalShow.RecNo();
        TogglingSelection = true;
        tbLocalShow.Edit();
        TogglingSelection = false;
        TField select = tbLocalShow.FieldByName(QStringLiteral("SELECT"));
        const bool was = select.AsBoolean();
        select.SetAsBoolean(!was);
        delta = was ? -1 : 1;
        if (was)
            SelectCounter.Decrement();
        else
            SelectCounter.Increment();
        tbLocalShow.Post();
        if (tbLocalShow.RecNo() == row && ListModel->rowCount() == tbLocalShow.RecordCount())
            ListModel->RowChanged(row);
        else
            ListChanged();
    } catch (const std::exception&) {
        // The mark was not stored: the counter goes back to the marks there are.
        TogglingSelection = false;
        if (delta != 0) SelectCounter.SetCount(SelectCounter.Count - delta);
        try {
            tbLocalShow.Cancel();
        } catch (const std::exception&) {
        }
        ListChanged();
    }
}

void TGoodsPage::Search(const QString& text) {
    if (text.isEmpty()) return;
    try {
        if (!tbLocalShow.Active()) return;
        TLocateOptions options;
        options.CaseInsensitive = true;
        options.PartialKey = true;
        if (tbLocalShow.Locate(QStringLiteral("NAZWA"), text, options)) SyncGridToTable();
    } catch (const std::exception&) {
    }
}

bool TGoodsPage::EditRecordDialog(bool insertMode) {
    TEditRecordForm form(tbLocalShow, insertMode, Context.UnitSymbols(), window());
    if (Prompter::current().runDialog(form) != QDialog::Accepted) return false;
    form.StoreCodeType();
    return true;
}

void TGoodsPage::AfterInsert() {
    try {
        if (!EditRecordDialog(true)) {
            tbLocalShow.Cancel();
        } else {
            const qint64 id = NextFreeId(tbLocal);
            tbLocalShow.FieldByName(QStringLiteral("ID")).SetAsInteger(id);
            tbLocalShow.FieldByName(QStringLiteral("NEW")).SetAsBoolean(true);
            tbLocalShow.FieldByName(QStringLiteral("SELECT")).SetAsBoolean(false);
            tbLocalShow.Post();
        }
    } catch (const std::exception&) {
        // A record that cannot be stored is not left half inserted.
        try {
            tbLocalShow.Cancel();
        } catch (const std::exception&) {
        }
    }
    UpdateListButtons();
}

void TGoodsPage::AfterEdit() {
    if (TogglingSelection) {
        TogglingSelection = false;
        return;
    }
    try {
        if (EditRecordDialog(false)) {
            tbLocalShow.FieldByName(QStringLiteral("NEW")).SetAsBoolean(true);
            tbLocalShow.Post();
        } else {
            tbLocalShow.Cancel();
        }
    } catch (const std::exception&) {
        try {
            tbLocalShow.Cancel();
        } catch (const std::exception&) {
        }
    }
}

void TGoodsPage::BeforeDelete() {
    const int v = CurrentViewCode();
    const QString marked = CombineFilters(LastPrintFilter(v), QStringLiteral("SELECT = TRUE"));
    int n = 0;
    try {
        tbLocal.Close();
        tbLocal.SetFiltered(false);
        tbLocal.Open();
        n = tbLocal.CountWhere(marked);
    } catch (const std::exception&) {
        n = 0;
    }
    if (n >= 1) {
        if (Prompter::current().confirmYesNo(QString::fromUtf8("Liczba zaznaczonych rekordów: %1.\nUsunąć je?").arg(n))) {
            try {
                tbLocal.DeleteWhere(marked);
                tbLocal.Close();
                tbLocalShow.Refresh();
                SelectCounter.SetCount(SelectCounter.Count - n);
                SetListButtons(tbLocalShow.RecordCount() > 0);
            } catch (const std::exception&) {
            }
        }
        tbLocal.Close();
        Abort();
    }
    tbLocal.Close();
    TField name = tbLocalShow.FieldByName(QStringLiteral("NAZWA"));
    if (!Prompter::current().confirmYesNo(QString::fromUtf8("Usunąć rekord: \"%1\"?").arg(name.AsString()))) Abort();
    if (tbLocalShow.FieldByName(QStringLiteral("SELECT")).AsBoolean()) SelectCounter.Decrement();
    SetListButtons(tbLocalShow.RecordCount() - 1 != 0);
}

void TGoodsPage::First() {
    try {
        tbLocalShow.First();
    } catch (const std::exception&) {
    }
    SyncGridToTable();
}

void TGoodsPage::Prior() {
    try {
        tbLocalShow.Prior();
    } catch (const std::exception&) {
    }
    SyncGridToTable();
}

void TGoodsPage::Next() {
    try {
        tbLocalShow.Next();
    } catch (const std::exception&) {
    }
    SyncGridToTable();
}

void TGoodsPage::Last() {
    try {
        tbLocalShow.Last();
    } catch (const std::exception&) {
    }
    SyncGridToTable();
}

void TGoodsPage::InsertRecord() {
    try {
        tbLocalShow.Insert();
    } catch (const std::exception&) {
    }
    ListChanged();
}

void TGoodsPage::DeleteRecord() {
    try {
        tbLocalShow.Delete();
    } catch (const std::exception&) {
    }
    ListChanged();
}

void TGoodsPage::EditRecord() {
    try {
        tbLocalShow.Edit();
    } catch (const std::exception&) {
    }
    ListChanged();
}

bool TGoodsPage::IsEmpty() {
    try {
        return !tbLocalShow.Active() || tbLocalShow.IsEmpty();
    } catch (const std::exception&) {
        return true;
    }
}

bool TGoodsPage::AtBeginning() {
    try {
        return IsEmpty() || tbLocalShow.RecNo() <= 0;
    } catch (const std::exception&) {
        return true;
    }
}

bool TGoodsPage::AtEnd() {
    try {
        return IsEmpty() || tbLocalShow.RecNo() >= tbLocalShow.RecordCount() - 1;
    } catch (const std::exception&) {
        return true;
    }
}

void CopyFromEdit(QLineEdit* edit) {
    if (!edit || !edit->hasSelectedText()) return;
    QGuiApplication::clipboard()->setText(edit->selectedText());
}

void PasteIntoEdit(QLineEdit* edit) {
    if (!edit || edit->isReadOnly()) return;
    const QString clip = QGuiApplication::clipboard()->text();
    const int caret = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const QString text = edit->text();
    edit->setText(text.left(caret) + clip + text.mid(caret));
    edit->setCursorPosition(edit->text().size());
}

namespace {

// The single-line edit box of `window` that had the focus last, also while a
// menu of the window is open.
class TEditFocusTracker : public QObject {
public:
    TEditFocusTracker(QWidget* window, QObject* parent) : QObject(parent), Window(window) {
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (!now || qobject_cast<QMenu*>(now) || (now->windowType() == Qt::Popup)) return;
            Last = now;
        });
        Last = QApplication::focusWidget();
    }
    QLineEdit* Edit() const {
        QWidget* w = QApplication::focusWidget();
        if (!w || qobject_cast<QMenu*>(w) || w->windowType() == Qt::Popup) w = Last;
        auto* edit = qobject_cast<QLineEdit*>(w);
        if (!edit || !Window || edit->window() != Window->window()) return nullptr;
        return edit;
    }

private:
    QPointer<QWidget> Window;
    QPointer<QWidget> Last;
};

}  // namespace

void FillEditMenu(QMenu* menu, TGoodsPage* page, QWidget* window) {
    auto* tracker = new TEditFocusTracker(window, menu);
    const auto item = [&](const char* name, const QString& caption, auto action) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        QObject::connect(a, &QAction::triggered, page, action);
        return a;
    };
    QAction* first = item("Pierwszy1", QStringLiteral("Pierwszy"), [page] { page->First(); });
    QAction* prior = item("Poprzedni1", QStringLiteral("Poprzedni"), [page] { page->Prior(); });
    QAction* next = item("Nastpny1", QString::fromUtf8("Następny"), [page] { page->Next(); });
    QAction* last = item("Ostatni1", QStringLiteral("Ostatni"), [page] { page->Last(); });
    item("Dodaj1", QStringLiteral("Dodaj"), [page] { page->InsertRecord(); });
    QAction* del = item("Usu1", QString::fromUtf8("Usuń"), [page] { page->DeleteRecord(); });
    item("Edytuj1", QStringLiteral("Edytuj"), [page] { page->EditRecord(); });
    menu->addSeparator();
    QMenu* show = menu->addMenu(QString::fromUtf8("Pokaż"));
    show->setObjectName(QStringLiteral("Poka1"));
    QMenu* mark = menu->addMenu(QStringLiteral("Zaznacz"));
    mark->setObjectName(QStringLiteral("Zaznacz1"));
    for (int i = 0; i < 4; ++i) {
        QAction* s = show->addAction(QString::fromUtf8(kMenuViewItems[i]));
        QObject::connect(s, &QAction::triggered, page, [page, i] { page->ShowView(i); });
        QAction* m = mark->addAction(QString::fromUtf8(kMenuViewItems[i]));
        QObject::connect(m, &QAction::triggered, page, [page, type = kViewCodes[i]] { page->SelectWithType(type); });
    }
    QAction* uncheck = item("Odznaczwszystkie1", QStringLiteral("Odznacz wszystkie"), [page] { page->ClearAllSelections(true); });
    menu->addSeparator();
    QAction* copy = menu->addAction(QStringLiteral("Kopiuj"));
    copy->setObjectName(QStringLiteral("Kopiuj1"));
    QAction* paste = menu->addAction(QStringLiteral("Wklej"));
    paste->setObjectName(QStringLiteral("Wklej1"));
    QObject::connect(copy, &QAction::triggered, menu, [tracker] { CopyFromEdit(tracker->Edit()); });
    QObject::connect(paste, &QAction::triggered, menu, [tracker] { PasteIntoEdit(tracker->Edit()); });

    QObject::connect(menu, &QMenu::aboutToShow, menu, [=] {
        const bool atBeginning = page->AtBeginning();
        const bool atEnd = page->AtEnd();
        first->setEnabled(!atBeginning);
        prior->setEnabled(!atBeginning);
        next->setEnabled(!atEnd);
        last->setEnabled(!atEnd);
        del->setEnabled(!page->IsEmpty());
        QLineEdit* edit = tracker->Edit();
        copy->setEnabled(edit && edit->hasSelectedText());
        const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
        paste->setEnabled(edit && !edit->isReadOnly() && clip && clip->hasText());
        uncheck->setEnabled(page->sbtnUnCheckAll->isEnabled());
    });
}
