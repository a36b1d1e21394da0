#include "aligner.h"

#include "prompter.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <exception>

namespace {

const char* const kTag = "Tag";
// Three middle dots.
const QString kCompanionCaption(3, QChar(0x00B7));
// The dots are small characters: half as large again as the window's text,
// they fill the face of a button as tall as an edit box.
constexpr qreal kCompanionFontScale = 1.5;
// Where a replaced browse button goes: beyond the right edge of its panel,
// which is now as wide as its companion, so the window can still show and
// hide it (and with it the companion) without bringing it back into sight.
constexpr int kOutOfSight = 100;

// Keeps a browse button's companion in step with it: its enabled and shown
// state follow the browse button's own.
class TCompanionLink : public QObject {
    Q_OBJECT
public:
    TCompanionLink(QToolButton* browse, QPushButton* companion) : QObject(browse), Button(companion), Browse(browse) {
        browse->installEventFilter(this);
    }
    QPointer<QPushButton> Button;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == Browse && Button) {
            switch (event->type()) {
            case QEvent::EnabledChange:
                // Its own setting: a disabled panel or window disables both anyway.
                Button->setEnabled(!Browse->testAttribute(Qt::WA_ForceDisabled));
                break;
            case QEvent::ShowToParent:
            case QEvent::HideToParent:
                Button->setVisible(!Browse->isHidden());
                break;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QToolButton* Browse;
};

// A browse button's panel is shown and hidden with it, so that a hidden browse
// button leaves nothing in the way of the controls that take its place.
class TPanelLink : public QObject {
    Q_OBJECT
public:
    explicit TPanelLink(QToolButton* browse) : QObject(browse) { browse->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::ShowToParent || type == QEvent::HideToParent) {
            auto* browse = static_cast<QWidget*>(watched);
            if (QWidget* panel = browse->parentWidget()) panel->setVisible(!browse->isHidden());
        }
        return QObject::eventFilter(watched, event);
    }
};

// A plain container: a panel of the window, not a control of its own kind.
bool IsPanel(const QWidget* w) {
    const QMetaObject* kind = w->metaObject();
    return !w->isWindow() && (kind == &QFrame::staticMetaObject || kind == &QWidget::staticMetaObject);
}

bool IsBrowseButton(const QToolButton* b) {
    const QWidget* panel = b->parentWidget();
    return panel && IsPanel(panel) && b->text().isEmpty() && b->pos() == QPoint(0, 0);
}

// An edit box proper; one with an input mask is a mask edit, whose height
// says nothing about the edit boxes.
bool IsEditBox(const QWidget* w) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->inputMask().isEmpty();
    return qobject_cast<const QAbstractSpinBox*>(w) != nullptr;
}

// The kinds of control whose font follows the window's.
bool FollowsWindowFont(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QCheckBox*>(w) ||
           qobject_cast<const QRadioButton*>(w) || qobject_cast<const QPushButton*>(w) ||
           qobject_cast<const QGroupBox*>(w) || qobject_cast<const QListView*>(w) ||
           qobject_cast<const QTreeView*>(w) || qobject_cast<const QStatusBar*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w) || IsPanel(w);
}

// Controls whose child widgets are parts of them (a combo box's edit, a
// grid's scroll bars and cell editors), not controls of the window.
bool HasOwnParts(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w);
}

// Every control of the window in creation order, containers before their
// contents; other windows (dialogs parented to this one) align themselves.
template <typename Visit>
void ForEachControl(QWidget* parent, const Visit& visit) {
    // A copy: a visit may add a child (a companion) to the list.
    const QObjectList children = parent->children();
    for (QObject* child : children) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow()) continue;
        visit(w);
        if (!HasOwnParts(w)) ForEachControl(w, visit);
    }
}

// A control with a font of its own at the designed size takes the window's size.
void EvenFont(QWidget* w, qreal designed, qreal window) {
    if (!w->testAttribute(Qt::WA_SetFont)) return;
    QFont font = w->font();
    if (!qFuzzyCompare(font.pointSizeF(), designed)) return;
    font.setPointSizeF(window);
    w->setFont(font);
}

// An edit box that no layout has sized yet (on a page not shown so far) will
// get the height it asks for.
int EditHeight(const QWidget* edit) {
    return edit->testAttribute(Qt::WA_Resized) ? edit->height() : edit->sizeHint().height();
}

}  // namespace

TAligner* TAligner::Install(QWidget* window) { return new TAligner(window, ProgramState()); }

TAligner::TAligner(QWidget* window, TState& state)
    : QObject(window), Window(window), State(state), ReferenceSize(QApplication::font(window).pointSizeF()) {
    setObjectName(QStringLiteral("Aligner"));
    window->installEventFilter(this);
}

TAligner::TState& TAligner::ProgramState() {
    static TState state;
    return state;
}

QPushButton* TAligner::Companion(const QToolButton* browse) {
    const auto* link = browse->findChild<TCompanionLink*>(QString(), Qt::FindDirectChildrenOnly);
    return link ? link->Button.data() : nullptr;
}

bool TAligner::Themed(const QStyle* style) {
    // A proxy draws with the style it wraps.
    while (const auto* proxy = qobject_cast<const QProxyStyle*>(style)) {
        if (!proxy->baseStyle() || proxy->baseStyle() == style) break;
        style = proxy->baseStyle();
    }
    return style && style->name().compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0;
}

bool TAligner::eventFilter(QObject* watched, QEvent* event) {
    // The window system's own showing (after a minimise) is no new showing of the window.
    if (watched == Window && event->type() == QEvent::Show && !event->spontaneous()) {
        try {
            Align();
        } catch (const std::exception& e) {
            // The window shows all the same.
            Prompter::current().error(QString::fromLocal8Bit(e.what()));
        }
    }
    return QObject::eventFilter(watched, event);
}

void TAligner::Align() {
    const qreal designed = ReferenceSize;
    const qreal window = Window->font().pointSizeF();
    ReferenceSize = window;
    // Fonts given in pixels have no point size to compare.
    const bool evenFonts = designed > 0 && window > 0 && !qFuzzyCompare(designed, window);

    bool browseSeen = false;
    ForEachControl(Window, [&](QWidget* w) {
        if (const auto* b = qobject_cast<const QToolButton*>(w)) {
            browseSeen = browseSeen || IsBrowseButton(b);
            return;
        }
        if (!FollowsWindowFont(w)) return;
        if (evenFonts) EvenFont(w, designed, window);
        // A toolbar's edit box is sized to the toolbar, not to the window's rows.
        if (IsEditBox(w) && !qobject_cast<const QToolBar*>(w->parentWidget()))
            State.MaxEditHeight = std::max(State.MaxEditHeight, EditHeight(w));
    });
    if (!browseSeen || State.MaxEditHeight == -1) return;

    const int side = State.MaxEditHeight;
    const bool themed = Themed(Window->style());
    ForEachControl(Window, [&](QWidget* w) {
        auto* b = qobject_cast<QToolButton*>(w);
        if (!b || !IsBrowseButton(b)) return;
        if (!themed)
            b->resize(side, side);
        else if (!Companion(b))
            ReplaceByCompanion(b, side);
    });
}

void TAligner::ReplaceByCompanion(QToolButton* browse, int side) const {
    // The panel becomes the push button's size, its right edge where it was.
    QWidget* panel = browse->parentWidget();
    if (auto* frame = qobject_cast<QFrame*>(panel)) frame->setFrameShape(QFrame::NoFrame);
    const QPoint at(panel->x() + panel->width() - side, panel->y());
    panel->setFixedSize(side, side);
    panel->move(at);
    panel->lower();

    auto* button = new QPushButton(kCompanionCaption, panel);
    QFont font = Window->font();
    if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * kCompanionFontScale);
    button->setFont(font);
    button->setProperty(kTag, browse->property(kTag));
    button->setToolTip(browse->toolTip());
    button->setAccessibleName(browse->accessibleName().isEmpty() ? browse->toolTip() : browse->accessibleName());
    button->setEnabled(!browse->testAttribute(Qt::WA_ForceDisabled));
    button->setGeometry(0, 0, side, side);
    button->setVisible(!browse->isHidden());
    // Tab reaches the push button where it reached the browse button.
    QWidget::setTabOrder(browse, button);
    browse->setFocusPolicy(Qt::NoFocus);
    browse->move(kOutOfSight, 0);
    connect(button, &QPushButton::clicked, browse, &QToolButton::click);
    new TCompanionLink(browse, button);
}

QToolButton* BrowseButton(QWidget* parent, const QString& name, const QString& hint, int size) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name + QStringLiteral("Panel"));
    panel->resize(size, size);
    auto* button = new QToolButton(panel);
    button->setObjectName(name);
    button->setIcon(button->style()->standardIcon(QStyle::SP_DirOpenIcon));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setGeometry(0, 0, size, size);
    new TPanelLink(button);
    return button;
}

#include "aligner.moc"
