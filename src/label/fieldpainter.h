#pragma once
#include "layout.h"
#include "matrixsymbol.h"
#include "units.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>

class QPainter;
class TBarcodeSymbol;

// How the text field of a label object is drawn, for the printed label, the
// preview and the designer alike, so that the designer shows what prints:
// fonts sized in whole dots from points at the resolution drawn at (the
// designer draws its zoom as a finer resolution), the alignment, a name and
// a reduction shrunk to their box, a price's fraction small and raised, the
// lowest price's template fitted, a barcode of whole-dot modules, a 2D code of
// square whole-dot modules.

// Font sizes beyond this only burden the drawing layer (glyphs of tens of
// thousands of points come out as empty boxes, or take seconds a label); a
// larger FONTSIZE is drawn at this size.
constexpr int kMaxPrintFontPoints = 1000;

// The character height in dots of a font of `points` at `dpi`: at least 1,
// the size limited to kMaxPrintFontPoints.
int FontPixels(int points, int dpi);

// What a field shows on one label.
struct TFieldValue {
    // The text: the formatted price, the name, the caption; for a lowest
    // price field the price its template takes; for a reduction field its
    // template filled (the designer shows the template itself).
    QString Text;
    // A barcode field or a 2D code: Text drawn as a symbol of this type (a
    // two-dimensional one as a module matrix); the text itself when it is
    // empty, the symbology rejects it or it does not fit.
    std::optional<quint8> BarcodeType;
};

// The fonts of one field at one resolution: its own, and the family at its
// size for a barcode's digits. `smooth` false: glyphs of whole dots, for a
// canvas drawn without text antialiasing (a label printer's).
struct TFieldFonts {
    QFont Text;
    QFont Barcode;
};
TFieldFonts FieldFonts(const TObjectProperties& o, int dpiY, bool smooth);

// Draws fields into rectangles of a canvas in its device pixels, drawn at a
// resolution. It keeps the point size of the canvas font that its steps set,
// and a barcode symbol whose digits' font is the last barcode field's.
class TFieldPainter {
public:
    TFieldPainter();
    ~TFieldPainter();
    Q_DISABLE_COPY(TFieldPainter)

    // A price field's fraction printed small and raised.
    bool SmallGr = false;
    TBarcodeSymbol& BarcodeSymbol() { return *Symbol; }

    // Draws the field of `o` showing `value` into `r`, in `fonts` made for
    // `resolution`. Bad barcode data is absorbed (the text is drawn instead).
    void Draw(const TObjectProperties& o, const TFieldFonts& fonts, const TFieldValue& value, const QRect& r,
              TResolution resolution, QPainter& canvas);
    // Lowers the canvas font to where lowering it point by point would stop:
    // the largest size at which `text` fits the width of `rect`, never below
    // 1 point.
    void FitNameToWidth(const QRect& rect, const QString& text, TResolution resolution, QPainter& canvas);

private:
    void SetFontSize(QPainter& canvas, int points, TResolution resolution);
    void DrawSmallGr(const QString& price, quint8 alignment, QRect r, TResolution resolution, QPainter& canvas);
    // The object's template filled with `price`, wrapped in its box and
    // shrunk or cut where it does not fit (FitPriceTemplate).
    void DrawLowestPrice(const TObjectProperties& o, const QString& price, const QRect& r, TResolution resolution,
                         QPainter& canvas);
    bool DrawBarcode(const TObjectProperties& o, const QFont& font, const TFieldValue& value, const QRect& r,
                     TResolution resolution, QPainter& canvas);
    // A two-dimensional type: the largest whole-dot module that fits `r`
    // with the quiet zone, centred (FitMatrix); false when the engine refuses
    // the text or the module would be below 0.25 mm.
    bool DrawMatrix(const TFieldValue& value, const QRect& r, TResolution resolution, QPainter& canvas);

    std::unique_ptr<TBarcodeSymbol> Symbol;
    // The last 2D symbol encoded, with what it was encoded from.
    struct TEncodedMatrix {
        TBarcodeType Type;
        QString Text;
        TQrEcc Ecc;
        TModuleMatrix Matrix;
    };
    std::optional<TEncodedMatrix> Matrix;
    // Current point size of the canvas font, as the text steps change it.
    int FontPoints = 10;
};
