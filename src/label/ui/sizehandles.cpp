#include "sizehandles.h"

namespace {

struct THandleRole {
    THandle Handle;
    Qt::Edges Edges;
    qint16 Cursor;
};

// What each handle drags, by handle number.
constexpr std::array<THandleRole, kHandlesInHitOrder.size()> kHandleRoles = {{
    {THandle::TopLeft, Qt::TopEdge | Qt::LeftEdge, crSizeNWSE},
    {THandle::Top, Qt::TopEdge, crSizeNS},
    {THandle::TopRight, Qt::TopEdge | Qt::RightEdge, crSizeNESW},
    {THandle::Right, Qt::RightEdge, crSizeWE},
    {THandle::BottomRight, Qt::BottomEdge | Qt::RightEdge, crSizeNWSE},
    {THandle::Bottom, Qt::BottomEdge, crSizeNS},
    {THandle::BottomLeft, Qt::BottomEdge | Qt::LeftEdge, crSizeNESW},
    {THandle::Left, Qt::LeftEdge, crSizeWE},
}};

constexpr bool RolesFollowHitOrder() {
    for (size_t i = 0; i < kHandleRoles.size(); ++i)
        if (kHandleRoles[i].Handle != kHandlesInHitOrder[i]) return false;
    return true;
}
static_assert(RolesFollowHitOrder(), "kHandleRoles is looked up by handle number");

size_t Slot(THandle handle) { return static_cast<size_t>(HandleNumber(handle)); }

const THandleRole& Role(THandle handle) { return kHandleRoles[Slot(handle)]; }

constexpr int kHandleSize = 4;

// Where a handle lies along one axis of length `length`: at its start, at its
// end, or centred on the middle (truncated half).
void PlaceOnAxis(bool atStart, bool atEnd, int length, int& from, int& to) {
    if (atStart) {
        from = 0;
    } else if (atEnd) {
        from = length - kHandleSize;
    } else {
        from = length / 2 - kHandleSize / 2;
    }
    to = from + kHandleSize;
}

}  // namespace

Qt::CursorShape CursorShape(qint16 id) {
    switch (id) {
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    default: return Qt::ArrowCursor;
    }
}

Qt::Edges HandleEdges(THandle handle) { return Role(handle).Edges; }

qint16 HandleCursor(THandle handle) { return Role(handle).Cursor; }

TSizeHandles PlaceHandles(int width, int height) {
    TSizeHandles handles{};
    for (const THandle h : kHandlesInHitOrder) {
        const Qt::Edges edges = HandleEdges(h);
        TSizeHandle& s = handles[Slot(h)];
        PlaceOnAxis(edges & Qt::LeftEdge, edges & Qt::RightEdge, width, s.Left, s.Right);
        PlaceOnAxis(edges & Qt::TopEdge, edges & Qt::BottomEdge, height, s.Top, s.Bottom);
        s.Cursor = HandleCursor(h);
    }
    return handles;
}

std::optional<THandle> HitHandle(const TSizeHandles& handles, QPoint p) {
    for (const THandle h : kHandlesInHitOrder) {
        const TSizeHandle& s = handles[Slot(h)];
        if (s.Left <= p.x() && p.x() <= s.Right && s.Top <= p.y() && p.y() <= s.Bottom) return h;
    }
    return std::nullopt;
}

QPoint ClampToPanel(QPoint topLeft, QSize size, QSize panel) {
    int l = topLeft.x();
    if (l + size.width() + 1 >= panel.width()) l = panel.width() - size.width() - 1;
    if (l <= 0) l = 0;
    int t = topLeft.y();
    if (t <= 0) t = 0;
    if (t + size.height() + 1 >= panel.height()) t = panel.height() - size.height() - 1;
    return {l, t};
}
