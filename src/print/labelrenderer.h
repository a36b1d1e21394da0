#pragma once
#include "labelpicture.h"
#include "layout.h"
#include "printgoods.h"
#include "printoptions.h"

#include <QFont>
#include <QRect>
#include <memory>
#include <vector>

class QPainter;
class TBarcodeSymbol;

// Font sizes beyond this only burden the drawing layer (glyphs of tens of
// thousands of points come out as empty boxes, or take seconds a label); a
// layout's larger FONTSIZE is printed at this size. The designer paints its
// fields with the same limit.
constexpr int kMaxPrintFontPoints = 1000;

// Draws labels of one layout for goods records: a white box, the pictures,
// the text fields (price, name, unit price, barcode, fixed text, the lowest
// price before a reduction) over them,
// and a frame, in device pixels of the canvas.
class TLabelRenderer {
public:
    TLabelRenderer();
    ~TLabelRenderer();
    Q_DISABLE_COPY(TLabelRenderer)

    // The layout's objects in file order; pictures are read again on first use.
    void SetObjects(std::vector<TLayoutObject> objects);
    const std::vector<TLayoutObject>& Objects() const { return FObjects; }

    // Price format, barcode digits and frame colour; the barcode symbol's
    // ShowText follows BarcodeShowText.
    const TPrintOptions& Options() const { return FOptions; }
    void SetOptions(const TPrintOptions& options);
    TBarcodeSymbol& BarcodeSymbol() { return *FBarcodeSymbol; }

    // Draws one label into the canvas's clip box (the whole device when it has
    // no clip). Bad pictures and barcode data are absorbed.
    void DrawLabel(const TPrintGoods& goods, QPainter& canvas);
    // Lowers the canvas font to where lowering it point by point would stop:
    // the largest size at which `text` fits the width of `rect`, never below
    // 1 point.
    void FitNameToWidth(const QRect& rect, const QString& text, QPainter& canvas);

private:
    // The fonts of one layout object at one resolution.
    struct TObjectFonts {
        QFont Text;     // the field's font at its size
        QFont Barcode;  // the barcode's digits: the family at the field's size
    };
    // The objects' fonts for `device`, made when the layout, the resolution
    // or the smoothing changes: each font costs a lookup, and a job draws
    // thousands of labels with the same few. `smooth` false: glyphs of whole
    // dots, for a canvas drawn without text antialiasing (a label printer's).
    const std::vector<TObjectFonts>& FontsFor(const QPaintDevice& device, bool smooth);

    void DrawTextField(const TLayoutObject& o, const TObjectFonts& fonts, const TPrintGoods& goods, const QRect& r,
                       QPainter& canvas);
    void DrawSmallGr(const QString& price, quint8 alignment, QRect r, QPainter& canvas);
    // The object's template filled with `price`, wrapped in its box and
    // shrunk or cut where it does not fit (FitPriceTemplate).
    void DrawLowestPrice(const TLayoutObject& o, const QString& price, const QRect& r, QPainter& canvas);
    bool DrawBarcode(const TPrintGoods& goods, const TLayoutObject& o, const QFont& font, const QRect& r, QPainter& canvas);
    void SetFontSize(QPainter& canvas, int points);

    TPrintOptions FOptions;
    std::vector<TLayoutObject> FObjects;
    std::vector<TLabelPicture> FPictures;
    std::unique_ptr<TBarcodeSymbol> FBarcodeSymbol;
    std::vector<TObjectFonts> FFonts;
    int FFontsDpi = -1;  // the resolution FFonts were made for; -1: none
    bool FFontsSmooth = true;
    // Current point size of the canvas font, as the text steps change it.
    int FFontPoints = 10;
};
