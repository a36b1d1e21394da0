#pragma once
// Painting two-dimensional symbols: square modules of whole device dots, so
// that every module of a symbol is the same size on the printer, as the bars
// of the linear symbols are (their painting is TBarcodeSymbol::PaintTo).
#include "matrixsymbol.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <optional>

class QPainter;

// The smallest module in whole dots at `dpi` that scanners read reliably:
// 0.25 mm, less a tolerance of 5 %, so that the whole number of dots nearest
// to 0.25 mm (2 at 203 dpi, 3 at 300 and 305, 6 at 600) is not refused for
// falling a hair short of it.
int MinMatrixModule(int dpi);

struct TMatrixPlacement {
    int Module = 0;  // dots per module
    QRect Area;      // the symbol with its quiet zone
};
// The largest whole-dot module, MinMatrixModule(dpi) at least, with which the
// symbol and its quiet zone fit `box` (device pixels), centred in it;
// nothing when it does not fit.
std::optional<TMatrixPlacement> FitMatrix(const TModuleMatrix& matrix, const QRect& box, int dpi);

// Paints the quiet zone in `light` and the modules, `module` dots square,
// with the quiet zone's top-left corner at `topLeft`.
void PaintMatrixAt(QPainter& canvas, const TModuleMatrix& matrix, QPoint topLeft, int module,
                   const QColor& dark = Qt::black, const QColor& light = Qt::white);

// FitMatrix, then PaintMatrixAt. False, with nothing painted, when the symbol
// does not fit its box: the caller prints the text instead.
bool PaintMatrix(QPainter& canvas, const TModuleMatrix& matrix, const QRect& box, int dpi,
                 const QColor& dark = Qt::black, const QColor& light = Qt::white);
