#pragma once
#include <QPoint>
#include <QSize>
#include <Qt>
#include <array>
#include <optional>

// Cursor identifiers of the size handles (0 is the default cursor).
constexpr qint16 crDefault = 0;
constexpr qint16 crSizeNESW = -6;
constexpr qint16 crSizeNS = -7;
constexpr qint16 crSizeNWSE = -8;
constexpr qint16 crSizeWE = -9;

// The pointer shape shown for a cursor identifier.
Qt::CursorShape CursorShape(qint16 id);

// The eight size handles of a selected object, in the order of the hit test:
// clockwise from the top-left corner. A handle's value is its number in that
// order (0 to 7).
enum class THandle : quint8 {
    TopLeft,
    Top,
    TopRight,
    Right,
    BottomRight,
    Bottom,
    BottomLeft,
    Left,
};
inline constexpr std::array<THandle, 8> kHandlesInHitOrder = {
    THandle::TopLeft,     THandle::Top,    THandle::TopRight,   THandle::Right,
    THandle::BottomRight, THandle::Bottom, THandle::BottomLeft, THandle::Left,
};
constexpr int HandleNumber(THandle handle) { return static_cast<int>(handle); }

// The edges of the object that dragging a handle moves. A handle sits on the
// edges it moves, midway along an edge it leaves alone.
Qt::Edges HandleEdges(THandle handle);
// The cursor shown while the pointer rests on a handle.
qint16 HandleCursor(THandle handle);

// One handle in the object's client coordinates; the bounds are inclusive on
// all four sides for the hit test.
struct TSizeHandle {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    qint16 Cursor = crDefault;
};
// The handles of one object, by handle number.
using TSizeHandles = std::array<TSizeHandle, kHandlesInHitOrder.size()>;

// The handles of an object `width` × `height` pixels large: 4-pixel squares
// on the edges they move.
TSizeHandles PlaceHandles(int width, int height);
// The first handle in hit order that holds `p`; objects narrower or lower
// than 8 pixels have overlapping handles.
std::optional<THandle> HitHandle(const TSizeHandles& handles, QPoint p);

// Where an object of `size` dragged (by the mouse or the arrow keys) to
// `topLeft` goes on a panel of `panel`: its right and bottom edges stay a
// pixel inside the panel, and then its left and top edges not left of or
// above it; across, the left edge wins (an object wider than the panel sits
// at 0), down, the bottom edge (an object taller than the panel rises above
// it).
QPoint ClampToPanel(QPoint topLeft, QSize size, QSize panel);
