#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtGlobal>
#include <compare>

class QPaintDevice;

// Distances carry their unit. Layout files hold whole millimetres (TMm);
// sheets' margins and gaps and printers' offsets are tenths of a millimetre
// (TMm10); drawing is in device pixels (TDots, and Qt's QPoint, QSize and
// QRect, which hold pixels wherever they appear). A number becomes a distance
// only by naming its unit, and one unit becomes another only through the
// conversions of this header.
template <typename Unit>
class TDistance {
public:
    constexpr TDistance() = default;
    constexpr explicit TDistance(int value) : V(value) {}
    constexpr int Value() const { return V; }
    constexpr auto operator<=>(const TDistance&) const = default;
    constexpr TDistance operator+(TDistance o) const { return TDistance(V + o.V); }
    constexpr TDistance operator-(TDistance o) const { return TDistance(V - o.V); }

private:
    int V = 0;
};
using TMm = TDistance<struct MmUnit>;
using TMm10 = TDistance<struct Mm10Unit>;
using TDots = TDistance<struct DotsUnit>;

// Whole millimetres in tenths: exact.
constexpr TMm10 ToMm10(TMm mm) { return TMm10(mm.Value() * 10); }

// A box in whole millimetres from the label's top-left corner; the right and
// bottom edges lie just outside it.
struct TMmRect {
    TMm Left;
    TMm Top;
    TMm Right;
    TMm Bottom;
    TMm Width() const { return Right - Left; }
    TMm Height() const { return Bottom - Top; }
    bool operator==(const TMmRect&) const = default;
};

// A label's (or a paper's) size in whole millimetres.
struct TMmSize {
    TMm Width;
    TMm Height;
    bool IsEmpty() const { return Width <= TMm() || Height <= TMm(); }
    bool operator==(const TMmSize&) const = default;
};

// A position or a shift in tenths of a millimetre: a printer's offset, a
// sheet's first label.
struct TMm10Point {
    TMm10 X;
    TMm10 Y;
    bool operator==(const TMm10Point&) const = default;
};

// Dots per inch of a device, across and down. The designer draws its zoom as
// a finer resolution: a layout at zoom 2 on a 96 dpi screen is drawn at 192.
struct TResolution {
    int X = 0;
    int Y = 0;
    // The device's logical resolution times `zoom`; 0 (of either) counts as 1.
    static TResolution Of(const QPaintDevice& device, int zoom = 1);
    bool operator==(const TResolution&) const = default;
};

// Millimetres to dots and back: the integer product first, then a division by
// 25.4 in long double, rounded half to even, so that the same layout lands on
// the same pixels wherever it is converted. Results beyond the int range are
// clamped to it (a layout with absurd numbers must not overflow). A
// resolution below 1 counts as 1.
TDots ToDots(TMm mm, int dpi);
TMm ToMm(TDots dots, int dpi);
// Tenths of a millimetre to dots and back, in integers, rounded half to even.
TDots ToDots(TMm10 tenths, int dpi);
TMm10 ToMm10(TDots dots, int dpi);
// The whole millimetres that `dots` hold: truncated, never rounded up.
TMm WholeMmIn(TDots dots, int dpi);

// The same on both axes.
QSize ToDots(TMmSize size, TResolution r);
TMmSize ToMm(QSize size, TResolution r);
QPoint ToDots(TMm10Point at, TResolution r);
// A box in pixels: every edge converted on its own, so that neighbouring
// boxes share their edge pixels. Edges beyond 100 m are taken as 100 m (no
// label is that large, and no pixel sum then nears the int range).
QRect ToDots(const TMmRect& box, TResolution r);
// The box in pixels in whole millimetres, every edge on its own.
TMmRect ToMm(const QRect& box, TResolution r);

// Typographic points (1/72 inch): a font's character height in dots,
// rounded half away from zero; and a length in points, unrounded, for page
// sizes (PDF boxes, print system media).
int PointsToDots(int points, int dpi);
double ToPoints(TMm mm);

// The designer's zoom rule: a pixel value drawn at zoom `from`, at zoom `to`:
// divided by `from` with truncation, then multiplied, so the remainder is
// lost (zooming from 2 to 3 turns 5 into 6 and 171 into 255).
int Rescale(int pixels, int from, int to);
QSize Rescale(QSize pixels, int from, int to);
QRect Rescale(const QRect& pixels, int from, int to);

// The plain-number conversions of the program's interfaces (the designer's
// four functions on a device and a design `scale`, 0 counting as 1; the
// companion's sizes), each one of the conversions above.
int MmToPixelsX(const QPaintDevice& dc, int mm, quint8 scale);
int MmToPixelsY(const QPaintDevice& dc, int mm, quint8 scale);
int PixelsToMmX(const QPaintDevice& dc, int px, quint8 scale);
int PixelsToMmY(const QPaintDevice& dc, int px, quint8 scale);
int MmToPixels(int mm, int scale, int dpi);
int PixelsToMm(int px, int scale, int dpi);
int TenthsToPixels(int tenths, int dpi);
int PixelsToTenths(int pixels, int dpi);
