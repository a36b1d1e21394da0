#include "units.h"

#include "rounding.h"

#include <QPaintDevice>

namespace {

int SafeScale(int scale) { return scale < 1 ? 1 : scale; }
int SafeDpi(int dpi) { return dpi < 1 ? 1 : dpi; }

}  // namespace

int MmToPixels(int mm, int scale, int dpi) {
    const qint64 product = static_cast<qint64>(mm) * SafeScale(scale) * SafeDpi(dpi);
    return RoundHalfEven(static_cast<long double>(product) / 25.4L);
}

int PixelsToMm(int px, int scale, int dpi) {
    const qint64 product = static_cast<qint64>(SafeScale(scale)) * SafeDpi(dpi);
    return RoundHalfEven(static_cast<long double>(px) * 25.4L / static_cast<long double>(product));
}

int MmToPixelsX(const QPaintDevice& dc, int mm, quint8 scale) { return MmToPixels(mm, scale, dc.logicalDpiX()); }
int MmToPixelsY(const QPaintDevice& dc, int mm, quint8 scale) { return MmToPixels(mm, scale, dc.logicalDpiY()); }
int PixelsToMmX(const QPaintDevice& dc, int px, quint8 scale) { return PixelsToMm(px, scale, dc.logicalDpiX()); }
int PixelsToMmY(const QPaintDevice& dc, int px, quint8 scale) { return PixelsToMm(px, scale, dc.logicalDpiY()); }
