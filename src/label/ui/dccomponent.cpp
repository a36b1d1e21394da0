#include "dccomponent.h"

#include "fieldpainter.h"
#include "units.h"

#include <QMouseEvent>
#include <QPainter>
#include <climits>

namespace {

int ClampToInt(qint64 v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v); }

}  // namespace

TdcComponent::TdcComponent(QWidget* panel, quint8 scale) : QWidget(panel), ScaleValue(scale < 1 ? 1 : scale) {
    // Arial at 15 points on the panel: what the stored size at this scale
    // gives (7 at zoom 2), so that the panel shows what prints.
    Props.FontName = QStringLiteral("Arial");
    Props.FontSize = 15 / ScaleValue;
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    raise();
    resize(170, 35);
    UpdateHandles();
    show();
}

void TdcComponent::SetSelect(bool value, bool bringToFront) {
    if (value) {
        State = dsSelected;
        if (bringToFront) BringToFront();
        if (OnSelect) OnSelect(this);
    } else {
        State = dsIdle;
    }
    update();
}

void TdcComponent::BringToFront() { raise(); }

void TdcComponent::SetScale(quint8 scale) {
    if (scale < 1) scale = 1;
    const int old = ScaleValue;
    ScaleValue = scale;
    setGeometry(Rescale(geometry(), old, scale));
    UpdateHandles();
    update();
}

void TdcComponent::SetLeft(int v) { move(v, y()); }
void TdcComponent::SetTop(int v) { move(x(), v); }
void TdcComponent::SetWidth(int v) { resize(v, height()); }
void TdcComponent::SetHeight(int v) { resize(width(), v); }

void TdcComponent::SetProperties(const TObjectProperties& properties) {
    Edit([&](TObjectProperties& p) { p = properties; });
}

void TdcComponent::SetFontName(const QString& name) { Edit([&](TObjectProperties& p) { p.FontName = name; }); }
void TdcComponent::SetFontSize(int points) { Edit([&](TObjectProperties& p) { p.FontSize = points; }); }
void TdcComponent::SetFontBold(bool on) { Edit([&](TObjectProperties& p) { p.FontBold = on; }); }
void TdcComponent::SetFontItalic(bool on) { Edit([&](TObjectProperties& p) { p.FontItalic = on; }); }
void TdcComponent::SetFontUnderline(bool on) { Edit([&](TObjectProperties& p) { p.FontUnderline = on; }); }
void TdcComponent::SetFontColor(int value) { Edit([&](TObjectProperties& p) { p.FontColor = value; }); }

int TdcComponent::FontPointSize() const { return Scaled(Props.FontSize); }

TFieldFonts TdcComponent::PaintFonts(int points) const {
    TObjectProperties o = Props;
    o.FontSize = points;
    return FieldFonts(o, Resolution().Y, true);
}

QFont TdcComponent::PaintFont() const { return PaintFonts(FontSize()).Text; }

QFont TdcComponent::PaintFont(int designPoints) const { return PaintFonts(designPoints / ScaleValue).Text; }

void TdcComponent::UpdateHandles() { Handles = PlaceHandles(Width(), Height()); }

int TdcComponent::HandleAt(QPoint p) const {
    const std::optional<THandle> hit = HitHandle(Handles, p);
    return hit ? HandleNumber(*hit) : -1;
}

int TdcComponent::PanelWidth() const { return parentWidget() ? parentWidget()->width() : 0; }
int TdcComponent::PanelHeight() const { return parentWidget() ? parentWidget()->height() : 0; }

int TdcComponent::Scaled(int value) const { return ClampToInt(qint64(value) * ScaleValue); }

void TdcComponent::KeepInsideParent() {
    if (Left() + Width() > PanelWidth() - 1) SetLeft(PanelWidth() - 1 - Width());
    if (Top() + Height() > PanelHeight() - 1) SetTop(PanelHeight() - 1 - Height());
}

void TdcComponent::SetCursorId(qint16 id) {
    CursorValue = id;
    if (id == crDefault)
        unsetCursor();
    else
        setCursor(CursorShape(id));
}

TResolution TdcComponent::Resolution() const { return TResolution::Of(*this, ScaleValue); }

TLayoutObject TdcComponent::ToLayoutObject() const { return {Props, ToMm(geometry(), Resolution())}; }

void TdcComponent::FromLayoutObject(const TLayoutObject& object) {
    GeometryFromLayout(object);
    SetProperties(object);
    UpdateHandles();
}

void TdcComponent::GeometryFromLayout(const TMmRect& box) {
    const QRect r = ToDots(box, Resolution());
    // A right edge left of the left edge gives an empty object, not a negative one.
    setGeometry(r.x(), r.y(), qBound(0, r.width(), QWIDGETSIZE_MAX), qBound(0, r.height(), QWIDGETSIZE_MAX));
}

void TdcComponent::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (State == dsIdle || State == dsSelected) {
        painter.save();
        Paint(painter);
        painter.restore();
    }
    DrawSelection(painter);
}

void TdcComponent::Paint(QPainter&) {}

void TdcComponent::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Handles that lag behind the size would be hit where none is drawn.
    UpdateHandles();
}

void TdcComponent::DrawSelection(QPainter& painter) {
    if (State == dsIdle) return;
    painter.setPen(QPen(QColor(255, 0, 0), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, Width() - 1, Height() - 1);
    for (const TSizeHandle& s : Handles)
        painter.fillRect(QRect(QPoint(s.Left, s.Top), QPoint(s.Right - 1, s.Bottom - 1)), Qt::black);
}

void TdcComponent::Click() { SetSelect(true); }

void TdcComponent::Press(QMouseEvent* event) {
    if (IgnorePress) {
        IgnorePress = false;
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (CursorValue != crDefault) {
        State = dsResizing;
    } else {
        State = dsMoving;
        Grab = event->position().toPoint();
    }
}

void TdcComponent::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    event->accept();
    StateBeforePress = State;
    GrabBeforePress = Grab;
    ReleaseOfDoubleClick = false;
    if (event->button() == Qt::LeftButton) {
        LeftPressed = true;
        PressUnmoved = true;
    }
    Press(event);
}

void TdcComponent::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    // The toolkit has already delivered the second press as an ordinary one;
    // it belongs to the double click and must neither move nor resize.
    if (PressUnmoved && event->button() == Qt::LeftButton) {
        State = StateBeforePress;
        Grab = GrabBeforePress;
    }
    LeftPressed = false;
    PressUnmoved = false;
    ReleaseOfDoubleClick = true;
    if (OnDblClick) OnDblClick(this);
    IgnorePress = true;
    // The press that comes with the double click.
    Press(event);
}

void TdcComponent::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    event->accept();
    IgnorePress = false;
    PressUnmoved = false;
    const QPoint local = event->position().toPoint();
    const QPoint p = mapToParent(local);
    switch (State) {
    case dsMoving: {
        if (OnChange) OnChange(this);
        move(ClampToPanel(p - Grab, size(), QSize(PanelWidth(), PanelHeight())));
        break;
    }
    case dsSelected: {
        if (const std::optional<THandle> hit = HitHandle(Handles, local)) {
            SetCursorId(HandleCursor(*hit));
            Active = *hit;
            break;
        }
        [[fallthrough]];
    }
    case dsIdle:
        if (CursorValue != crDefault) SetCursorId(crDefault);
        break;
    case dsResizing: {
        if (OnChange) OnChange(this);
        const int dx = p.x() - Left();
        const int dy = p.y() - Top();
        const Qt::Edges edges = HandleEdges(Active);
        int l = Left(), t = Top(), w = Width(), h = Height();
        // The left edge keeps the object wider than 10 pixels, the others at
        // least 10 pixels wide or high.
        if ((edges & Qt::LeftEdge) && p.x() >= 0 && l + w > p.x() + 10) {
            l = p.x();
            w = w - dx;
        }
        if ((edges & Qt::TopEdge) && p.y() >= 0 && h - dy >= 10) {
            t = p.y();
            h = h - dy;
        }
        if ((edges & Qt::RightEdge) && dx >= 10 && p.x() <= PanelWidth()) w = dx;
        if ((edges & Qt::BottomEdge) && dy >= 10 && p.y() <= PanelHeight()) h = dy;
        setGeometry(l, t, w, h);
        UpdateHandles();
        repaint();
        break;
    }
    }
}

void TdcComponent::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    event->accept();
    const bool click = event->button() == Qt::LeftButton && LeftPressed && !ReleaseOfDoubleClick &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        LeftPressed = false;
        PressUnmoved = false;
        ReleaseOfDoubleClick = false;
    }
    if (click) Click();
    IgnorePress = false;
    if (State == dsMoving || State == dsResizing) {
        State = dsSelected;
        UpdateHandles();
        update();
    }
}
