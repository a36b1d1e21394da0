#include "units.h"

#include "rounding.h"

#include <QPaintDevice>
#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

int AtLeastOne(int v) { return v < 1 ? 1 : v; }

int ClampToInt(qint64 v) { return static_cast<int>(std::clamp<qint64>(v, INT_MIN, INT_MAX)); }

// The conversions at dots per inch already multiplied by a design scale,
// which may leave the int range.
int MmToDotsAt(int mm, qint64 dpi) {
    const qint64 product = static_cast<qint64>(mm) * dpi;
    return RoundHalfEven(static_cast<long double>(product) / 25.4L);
}

int DotsToMmAt(int dots, qint64 dpi) {
    return RoundHalfEven(static_cast<long double>(dots) * 25.4L / static_cast<long double>(dpi));
}

qint64 ScaledDpi(int dpi, int scale) { return qint64{AtLeastOne(scale)} * AtLeastOne(dpi); }

// Layout numbers beyond 100 m are nonsense.
TMm Sane(TMm mm) { return TMm(std::clamp(mm.Value(), -100000, 100000)); }

}  // namespace

TResolution TResolution::Of(const QPaintDevice& device, int zoom) {
    return {AtLeastOne(device.logicalDpiX()) * AtLeastOne(zoom), AtLeastOne(device.logicalDpiY()) * AtLeastOne(zoom)};
}

TDots ToDots(TMm mm, int dpi) { return TDots(MmToDotsAt(mm.Value(), AtLeastOne(dpi))); }

TMm ToMm(TDots dots, int dpi) { return TMm(DotsToMmAt(dots.Value(), AtLeastOne(dpi))); }

TDots ToDots(TMm10 tenths, int dpi) {
    return TDots(static_cast<int>(RoundRatioHalfEven(tenths.Value(), AtLeastOne(dpi), 254)));
}

TMm10 ToMm10(TDots dots, int dpi) {
    return TMm10(static_cast<int>(RoundRatioHalfEven(dots.Value(), 254, AtLeastOne(dpi))));
}

TMm WholeMmIn(TDots dots, int dpi) { return TMm(dots.Value() * 254 / AtLeastOne(dpi) / 10); }

QSize ToDots(TMmSize size, TResolution r) {
    return {ToDots(size.Width, r.X).Value(), ToDots(size.Height, r.Y).Value()};
}

TMmSize ToMm(QSize size, TResolution r) {
    return {ToMm(TDots(size.width()), r.X), ToMm(TDots(size.height()), r.Y)};
}

QPoint ToDots(TMm10Point at, TResolution r) { return {ToDots(at.X, r.X).Value(), ToDots(at.Y, r.Y).Value()}; }

QRect ToDots(const TMmRect& box, TResolution r) {
    const int left = ToDots(Sane(box.Left), r.X).Value();
    const int top = ToDots(Sane(box.Top), r.Y).Value();
    const int right = ToDots(Sane(box.Right), r.X).Value();
    const int bottom = ToDots(Sane(box.Bottom), r.Y).Value();
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

TMmRect ToMm(const QRect& box, TResolution r) {
    return {ToMm(TDots(box.x()), r.X), ToMm(TDots(box.y()), r.Y),
            ToMm(TDots(ClampToInt(qint64{box.x()} + box.width())), r.X),
            ToMm(TDots(ClampToInt(qint64{box.y()} + box.height())), r.Y)};
}

int PointsToDots(int points, int dpi) {
    // a × b ÷ 72 rounded half away from zero, on 64 bits.
    const qint64 p = static_cast<qint64>(points) * dpi;
    const qint64 q = (std::llabs(p) * 2 + 72) / (2 * 72);
    return ClampToInt(p < 0 ? -q : q);
}

double ToPoints(TMm mm) { return mm.Value() * 72.0 / 25.4; }

int Rescale(int pixels, int from, int to) { return from == to ? pixels : pixels / AtLeastOne(from) * to; }

QSize Rescale(QSize pixels, int from, int to) {
    return {Rescale(pixels.width(), from, to), Rescale(pixels.height(), from, to)};
}

QRect Rescale(const QRect& pixels, int from, int to) {
    return {Rescale(pixels.x(), from, to), Rescale(pixels.y(), from, to), Rescale(pixels.width(), from, to),
            Rescale(pixels.height(), from, to)};
}

int MmToPixels(int mm, int scale, int dpi) { return MmToDotsAt(mm, ScaledDpi(dpi, scale)); }
int PixelsToMm(int px, int scale, int dpi) { return DotsToMmAt(px, ScaledDpi(dpi, scale)); }
int MmToPixelsX(const QPaintDevice& dc, int mm, quint8 scale) { return MmToPixels(mm, scale, dc.logicalDpiX()); }
int MmToPixelsY(const QPaintDevice& dc, int mm, quint8 scale) { return MmToPixels(mm, scale, dc.logicalDpiY()); }
int PixelsToMmX(const QPaintDevice& dc, int px, quint8 scale) { return PixelsToMm(px, scale, dc.logicalDpiX()); }
int PixelsToMmY(const QPaintDevice& dc, int px, quint8 scale) { return PixelsToMm(px, scale, dc.logicalDpiY()); }
int TenthsToPixels(int tenths, int dpi) { return ToDots(TMm10(tenths), dpi).Value(); }
int PixelsToTenths(int pixels, int dpi) { return ToMm10(TDots(pixels), dpi).Value(); }
