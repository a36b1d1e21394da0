#include "designpage.h"

#include "dcimage.h"
#include "dclabel.h"
#include "designhistory.h"
#include "designio.h"
#include "designpanel.h"
#include "layoutpaths.h"
#include "plcolorbox.h"
#include "settings.h"
#include "units.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>

TDesignPage::TDesignPage(TSettings& settings, bool& layoutModified, QWidget* parent)
    : QWidget(parent), Settings(settings), LayoutModified(layoutModified) {
    setObjectName(QStringLiteral("TabSheet2"));
    Beep = [] { QApplication::beep(); };
    BuildDesignToolbars(*this, this);
    BuildPanel();

    Hooks.OnSelect = [this](TdcComponent* c) { ObjectSelected(c); };
    Hooks.OnChange = [this](TdcComponent* c) { ObjectChanged(c); };
    Hooks.OnDblClick = [this](TdcComponent* c) { EditObjectText(c); };
    Hooks.BeforeSelectFirst = [this] {
        SyncLabelToolbar(nullptr);
        SyncImageToolbar(nullptr);
    };
    TDesignHistory::Hooks hooks;
    hooks.Adopt = [this](TdcComponent* object) { Adopt(object); };
    hooks.Select = [this](TdcComponent* object) {
        // Putting a state back selects what was selected; it places nothing.
        PlainSelect = true;
        DeselectAllExcept(object);
        if (object) {
            object->SetSelect(true);
        } else {
            SyncLabelToolbar(nullptr);
            SyncImageToolbar(nullptr);
        }
        PlainSelect = false;
    };
    Steps = new TDesignHistory(plProjDesign, [this] { return Scale(); }, std::move(hooks), this);
    BuildHistoryActions();

    // The file toolbar, the property toolbar, then the kinds of objects as a
    // palette beside the label.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tbMain);
    layout->addWidget(tbrLabelProp);
    auto* row = new QHBoxLayout;
    row->addWidget(tbrCompo);
    row->addWidget(sbDesign, 1);
    layout->addLayout(row, 1);
    layout->addWidget(lbStatus);

    Connect();
    SyncLabelToolbar(nullptr);
    SyncImageToolbar(nullptr);
    UpdateStatus();
}

TDesignPage::~TDesignPage() {
    // Nothing of the page may answer while its children go.
    plProjDesign->removeEventFilter(this);
    for (TdcComponent* c : DesignObjects(plProjDesign)) c->removeEventFilter(this);
    Steps->Stack.disconnect(this);
    delete Steps;
}

void TDesignPage::BuildPanel() {
    sbDesign = new QScrollArea(this);
    sbDesign->setObjectName(QStringLiteral("sbDesign"));
    sbDesign->setBackgroundRole(QPalette::Dark);
    sbDesign->setAlignment(Qt::AlignCenter);
    plProjDesign = new TDesignPanel;
    plProjDesign->setAccessibleName(QStringLiteral("Projekt etykiety"));
    // Clicks on the panel or its objects give it the keyboard.
    plProjDesign->setFocusPolicy(Qt::StrongFocus);
    const quint8 scale = Scale();
    ResizePanel(*plProjDesign, DesignerLayoutDefaults().Panel, scale);
    sbDesign->setWidget(plProjDesign);
    // White on the scroll area's grey, not the grey it would inherit.
    plProjDesign->setBackgroundRole(QPalette::Window);
    plProjDesign->installEventFilter(this);

    lbStatus = new QLabel(this);
    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    lbStatus->setAccessibleName(QStringLiteral("Stan projektu"));
    lbStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void TDesignPage::BuildHistoryActions() {
    acUndo = new QAction(tbUndo->toolTip(), this);
    acUndo->setObjectName(QStringLiteral("acUndo"));
    acUndo->setShortcuts(QKeySequence::Undo);
    acRedo = new QAction(tbRedo->toolTip(), this);
    acRedo->setObjectName(QStringLiteral("acRedo"));
    acRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* a : {acUndo, acRedo}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    connect(acUndo, &QAction::triggered, this, &TDesignPage::tbUndoClick);
    connect(acRedo, &QAction::triggered, this, &TDesignPage::tbRedoClick);
    connect(&Steps->Stack, &QUndoStack::indexChanged, this, &TDesignPage::UpdateHistoryButtons);
    connect(&Steps->Stack, &QUndoStack::cleanChanged, this, &TDesignPage::UpdateHistoryButtons);
    UpdateHistoryButtons();
}

void TDesignPage::UpdateHistoryButtons() {
    const QUndoStack& s = Steps->Stack;
    tbUndo->setEnabled(s.canUndo());
    acUndo->setEnabled(s.canUndo());
    tbRedo->setEnabled(s.canRedo());
    acRedo->setEnabled(s.canRedo());
}

void TDesignPage::Connect() {
    connect(tbOpen, &QToolButton::clicked, this, &TDesignPage::tbOpenClick);
    connect(tbSave, &QToolButton::clicked, this, &TDesignPage::tbSaveClick);
    connect(tbSaveAs, &QToolButton::clicked, this, &TDesignPage::tbSaveAsClick);
    connect(tbLabelSize, &QToolButton::clicked, this, &TDesignPage::tbLabelSizeClick);
    connect(tbShow, &QToolButton::clicked, this, [this] {
        FinishGesture();
        emit PreviewRequested();
    });
    connect(tbZoomIn, &QToolButton::clicked, this, &TDesignPage::tbZoomInClick);
    connect(tbZoomOut, &QToolButton::clicked, this, &TDesignPage::tbZoomOutClick);
    connect(tbUndo, &QToolButton::clicked, this, &TDesignPage::tbUndoClick);
    connect(tbRedo, &QToolButton::clicked, this, &TDesignPage::tbRedoClick);
    connect(tbDelete, &QToolButton::clicked, this, &TDesignPage::tbDeleteClick);
    for (TCheckToolButton* b : {tbLeft, tbCenter, tbRight})
        connect(b, &QToolButton::clicked, this, [this, b] { tbLeftClick(b); });
    for (TCheckToolButton* b : {tbBold, tbItalic, tbUnderline})
        connect(b, &QToolButton::clicked, this, [this, b] { tbBoldClick(b); });
    for (TCheckToolButton* b : {tbReal, tbStretch})
        connect(b, &QToolButton::clicked, this, [this, b] { tbRealClick(b); });
    connect(cbFont, &QComboBox::currentIndexChanged, this, &TDesignPage::cbFontChange);
    connect(cbFontSize, &QComboBox::editTextChanged, this, &TDesignPage::cbFontSizeChange);
    // A size typed key by key is one step until the box is left or confirmed.
    connect(cbFontSize->lineEdit(), &QLineEdit::editingFinished, this, [this] { ++MergeSession; });
    connect(cbFontSize, &QComboBox::activated, this, [this] { ++MergeSession; });
    connect(cbColors, &QComboBox::currentIndexChanged, this, &TDesignPage::cbColorsChange);
    connect(cbSymbol, &QComboBox::currentIndexChanged, this, &TDesignPage::cbSymbolChange);
    connect(tbGs1, &QToolButton::clicked, this, &TDesignPage::tbGs1Click);
    connect(plProjDesign, &TDesignPanel::clicked, this, &TDesignPage::plProjDesignClick);
}

quint8 TDesignPage::Scale() const { return DesignScale(Settings); }

void TDesignPage::Adopt(TdcComponent* object) { Hooks.Adopt(*object); }

bool TDesignPage::eventFilter(QObject* watched, QEvent* event) {
    const bool panel = watched == plProjDesign;
    if (!panel && !qobject_cast<TdcComponent*>(watched)) return false;
    switch (event->type()) {
    case QEvent::ChildAdded:
        // Every object is watched for the end of a drag and for its place.
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()); child && panel)
            child->installEventFilter(this);
        break;
    case QEvent::KeyPress:
        if (auto* key = static_cast<QKeyEvent*>(event);
            panel && KeyPress(key->key(), key->modifiers(), key->isAutoRepeat()))
            return true;
        break;
    case QEvent::MouseButtonRelease:
        if (!panel && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) FinishGesture();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        UpdateStatus();
        break;
    default:
        break;
    }
    return false;
}

// ---- Selection ----

TdcComponent* TDesignPage::SelectedObject() const {
    for (TdcComponent* c : DesignObjects(plProjDesign))
        if (c->Select()) return c;
    return nullptr;
}

TdcLabel* TDesignPage::SelectedLabel() const {
    for (TdcComponent* c : DesignObjects(plProjDesign))
        if (auto* label = qobject_cast<TdcLabel*>(c); label && label->Select()) return label;
    return nullptr;
}

TdcImage* TDesignPage::SelectedImage() const {
    for (TdcComponent* c : DesignObjects(plProjDesign))
        if (auto* image = qobject_cast<TdcImage*>(c); image && image->Select()) return image;
    return nullptr;
}

void TDesignPage::DeselectAllExcept(TdcComponent* object) {
    for (TdcComponent* c : DesignObjects(plProjDesign))
        if (c != object) c->SetSelect(false);
}

bool TDesignPage::IsKindButtonDown() const { return KindGroup->Down() != nullptr; }

void TDesignPage::ObjectSelected(TdcComponent* object) {
    // A click on an object while a kind button is down places the new object
    // there instead.
    if (!PlainSelect && IsKindButtonDown()) {
        DeselectAllExcept(nullptr);
        plProjDesignClick();
        return;
    }
    DeselectAllExcept(object);
    auto* label = qobject_cast<TdcLabel*>(object);
    SyncLabelToolbar(label);
    SyncImageToolbar(label ? nullptr : qobject_cast<TdcImage*>(object));
    ++MergeSession;
    UpdateStatus();
}

void TDesignPage::SyncLabelToolbar(TdcLabel* label) {
    const bool on = label != nullptr;
    for (QWidget* w : std::initializer_list<QWidget*>{cbFont, cbFontSize, cbColors, tbLeft, tbCenter, tbRight, tbBold,
                                                      tbItalic, tbUnderline, tbReal, tbStretch})
        w->setEnabled(on);
    // The symbology belongs to 2D codes only.
    const bool code = on && label->AType() == ctMatrixCode;
    cbSymbol->setEnabled(code);
    tbGs1->setEnabled(code);
    if (!label) return;
    SyncFontControls(*label, label->FontSize());
    if (code) {
        const QSignalBlocker blocker(cbSymbol);
        cbSymbol->setCurrentIndex(label->Symbol() == msDataMatrix ? 1 : 0);
        tbGs1->SetDown(label->Gs1());
    }
    for (TCheckToolButton* b : AlignmentGroup->Buttons())
        if (Tag(b) == label->Alignment()) b->SetDown(true);
    tbBold->SetDown(label->FontBold());
    tbItalic->SetDown(label->FontItalic());
    tbUnderline->SetDown(label->FontUnderline());
}

void TDesignPage::SyncImageToolbar(TdcImage* image) {
    tbReal->setEnabled(image != nullptr);
    tbStretch->setEnabled(image != nullptr);
    if (image) (image->RealSize() ? tbReal : tbStretch)->SetDown(true);
}

void TDesignPage::SyncFontControls(const TdcComponent& font, int size) {
    // The boxes show the object; none of this is an edit.
    const QSignalBlocker b1(cbFont), b2(cbFontSize), b3(cbColors);
    for (int i = 0; i < cbFont->count(); ++i)
        if (cbFont->itemText(i).compare(font.FontName(), Qt::CaseInsensitive) == 0) {
            cbFont->setCurrentIndex(i);
            break;
        }
    cbFontSize->setEditText(QString::number(size));
    cbColors->SetSelected(font.FontColor());
}

// ---- Status ----

void TDesignPage::UpdateStatus() {
    if (!lbStatus || !plProjDesign) return;
    const quint8 s = Scale();
    const TMmSize label = PanelSize(*plProjDesign, s);
    QString text = QString::fromUtf8("Etykieta: %1 × %2 mm, skala %3")
                       .arg(label.Width.Value())
                       .arg(label.Height.Value())
                       .arg(s);
    if (const TdcComponent* c = SelectedObject()) {
        // As the layout file will hold it.
        const TLayoutObject o = c->ToLayoutObject();
        text += QString::fromUtf8("   Zaznaczony obiekt: x %1 mm, y %2 mm, %3 × %4 mm")
                    .arg(o.Left.Value())
                    .arg(o.Top.Value())
                    .arg(o.Width().Value())
                    .arg(o.Height().Value());
    }
    lbStatus->setText(text);
}

// ---- Files of the window ----

bool TDesignPage::LoadDesign(const QString& path) {
    // Loading selects the first object; it places nothing.
    PlainSelect = true;
    const bool ok = ::LoadDesign(plProjDesign, path, Scale(), Hooks);
    PlainSelect = false;
    if (!ok) Hooks.BeforeSelectFirst();
    Steps->Clear();
    UpdateStatus();
    return ok;
}

bool TDesignPage::SaveDesign(const QString& path) const { return ::SaveDesign(plProjDesign, path, Scale()); }

bool TDesignPage::ReloadLayout() { return LoadDesign(Settings.LabelFileName); }

bool TDesignPage::SaveLayoutTo(const QString& path) const { return SaveDesign(path); }

void TDesignPage::ShowFileName() { edLabelFileName->setText(LayoutDisplayName(Settings.LabelFileName)); }

void TDesignPage::StoreFileName() { Settings.LabelFileName = LayoutFullPath(edLabelFileName->text()); }
