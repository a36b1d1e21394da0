#pragma once
#include "fieldpainter.h"
#include "layout.h"
#include "sizehandles.h"

#include <QPoint>
#include <QWidget>
#include <functional>

class QPainter;

enum TDragState : quint8 {
    dsIdle = 0,      // not selected
    dsMoving = 1,
    dsResizing = 2,
    dsSelected = 3,
};

// A label object on the design panel: a child widget without a background of
// its own that the administrator selects, moves and resizes with the mouse.
// What the object is and how it looks is one TObjectProperties, kept whole
// (fonts at scale 1, as the layout file holds them); only its place is the
// widget's own, in pixels of the panel at the design scale `Scale`, so that
// the mouse and the arrow keys move it by a pixel and it is rounded to whole
// millimetres only when saved.
//
// The panel's child order is the z-order (first child backmost) and the order
// in which a layout is saved.
class TdcComponent : public QWidget {
    Q_OBJECT
public:
    using Notify = std::function<void(TdcComponent*)>;

    TdcComponent(QWidget* panel, quint8 scale);

    // Fired when the object becomes selected, before every move or resize
    // step, and on a double click.
    Notify OnSelect;
    Notify OnChange;
    Notify OnDblClick;

    TDragState DragState() const { return State; }
    // Moving and resizing objects count as selected.
    bool Select() const { return State != dsIdle; }
    // true: selected, brought to the front (unless told otherwise), OnSelect,
    // repaint; false: idle, repaint.
    void SetSelect(bool value, bool bringToFront = true);
    // In front of every object of its kind. Texts are always printed over
    // pictures, so a picture comes forward only among the pictures.
    virtual void BringToFront();

    quint8 Scale() const { return ScaleValue; }
    // Rescales position and size with truncating division by the old scale
    // before multiplying (Rescale): the remainders are lost.
    void SetScale(quint8 scale);
    // The object's device at the design scale: what millimetres are drawn at.
    TResolution Resolution() const;

    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    void SetLeft(int v);
    void SetTop(int v);
    void SetWidth(int v);
    void SetHeight(int v);

    // Everything but the place, whole.
    const TObjectProperties& Properties() const { return Props; }
    void SetProperties(const TObjectProperties& properties);

    // The font: face name, size in points at scale 1, style and colour value.
    const QString& FontName() const { return Props.FontName; }
    void SetFontName(const QString& name);
    int FontSize() const { return Props.FontSize; }
    void SetFontSize(int points);
    // The size as drawn on the panel: FontSize × Scale.
    int FontPointSize() const;
    bool FontBold() const { return Props.FontBold; }
    bool FontItalic() const { return Props.FontItalic; }
    bool FontUnderline() const { return Props.FontUnderline; }
    void SetFontBold(bool on);
    void SetFontItalic(bool on);
    void SetFontUnderline(bool on);
    int FontColor() const { return Props.FontColor; }
    void SetFontColor(int value);
    // The font as painted on the panel.
    QFont PaintFont() const;
    // The same font at another size as drawn on the panel (points × Scale).
    QFont PaintFont(int designPoints) const;
    // The fonts the object's field is painted with, at `points` (scale 1).
    TFieldFonts PaintFonts(int points) const;

    // Handles by their number in the hit order (THandle).
    const TSizeHandle& Handle(int number) const { return Handles.at(static_cast<size_t>(number)); }
    int ActiveHandle() const { return HandleNumber(Active); }
    QPoint GrabPoint() const { return Grab; }
    bool IgnoreNextPress() const { return IgnorePress; }
    qint16 CursorId() const { return CursorValue; }
    // Number of the first handle that holds `p`, or -1.
    int HandleAt(QPoint p) const;

    void UpdateHandles();
    // Pulls the object back over the panel's right and bottom edges (the left
    // and top edges are not enforced).
    void KeepInsideParent();

    // The object as one object of a layout: its properties in its box in
    // millimetres. Reading one back keeps the object's scale.
    TLayoutObject ToLayoutObject() const;
    virtual void FromLayoutObject(const TLayoutObject& object);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    // The object's own content; not called while it is moved or resized.
    virtual void Paint(QPainter& painter);
    // The red frame and the black handles of a selected object.
    void DrawSelection(QPainter& painter);
    // A left press and release inside the object.
    virtual void Click();
    // The box of a layout object on the panel.
    void GeometryFromLayout(const TMmRect& box);
    int PanelWidth() const;
    int PanelHeight() const;
    // `value` × Scale, limited to the int range.
    int Scaled(int value) const;
    // A property edit: change, then what follows every change.
    template <typename F>
    void Edit(F change) {
        change(Props);
        PropertiesChanged();
        update();
    }
    // After the properties changed: what the object shows to screen readers.
    virtual void PropertiesChanged() {}

    TObjectProperties Props;

private:
    void SetCursorId(qint16 id);
    void Press(QMouseEvent* event);

    TDragState State = dsIdle;
    TSizeHandles Handles{};
    QPoint Grab;
    THandle Active = THandle::TopLeft;
    bool IgnorePress = false;
    quint8 ScaleValue = 1;
    qint16 CursorValue = crDefault;

    // Mouse bookkeeping that maps the toolkit's event order onto the object's
    // rules: a click needs a left press on the object, the press that comes
    // with a double click is undone.
    bool LeftPressed = false;
    bool PressUnmoved = false;
    TDragState StateBeforePress = dsIdle;
    QPoint GrabBeforePress;
    bool ReleaseOfDoubleClick = false;
};
