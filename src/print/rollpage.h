#pragma once
#include "units.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <optional>

class QPainter;
struct TCellGrid;

// A roll of labels prints one label a page: the page is the label, so its
// one cell is the label (within the page's `pagePixels`) at the page's corner
// moved by the printer's `offset`, at `resolution`; the sheet and the start
// cell do not count.
TCellGrid RollCellGrid(TMm10Point offset, TMmSize label, QSize pagePixels, TResolution resolution);

// A page drawn for a label printer at its own resolution: white, with every
// smoothing off, so that edges stay whole dots and text gets no grey.
QImage RollPageImage(QSize pixels, int dpiX, int dpiY);
void PrepareRollCanvas(QPainter& canvas);

// Whether a pixel prints on a printer of black dots: any colour whose darkest
// channel is below half (red, blue or yellow text prints black; light grey
// and white stay blank).
bool IsInkDot(QRgb pixel);

// Row `y` of `page` in the bits of a driver's raster line: `bits` 1 or 8 per
// dot, `blackIsOne` for a colour space of ink (K) rather than of light (W),
// padded to `bytes`.
QByteArray RasterLine(const QImage& page, int y, int bits, bool blackIsOne, int bytes);

// The driver's choice of darkness for the program's `level` 1-30: among
// numbers the nearest one (1-30 as the Zebra drivers count), among names
// (Light ... Dark) the one at the same place of the list. Choices that only
// keep the printer's own setting (a negative number, "Default") are never
// taken; nullopt for level 0 or when nothing else is left.
std::optional<QString> DarknessChoice(const QStringList& choices, int level);

// A driver's page size (name and size in points).
struct TDriverPageSize {
    QString Name;
    double Width = 0;
    double Length = 0;
};
// The name of the media a label of `label` is printed on: the driver's own
// size of that size (within a quarter of a millimetre) when it has one, else
// "Custom.WxHmm".
QString RollMediaName(const std::vector<TDriverPageSize>& sizes, TMmSize label);
