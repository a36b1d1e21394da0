#pragma once

class QPainter;
class TBarcodeSymbol;

// Paints the symbol onto the canvas. On a bitmap the symbol paints itself; on
// vector devices (PDF, printers) its bars are gathered into one filled path
// per colour run, so that a barcode costs a few path operations instead of
// one object per bar. Raises TBarcodeError like PaintTo, before drawing.
void PaintBarcode(TBarcodeSymbol& symbol, QPainter& canvas);
