#pragma once
#include "fieldpainter.h"
#include "labelpicture.h"
#include "layout.h"
#include "printgoods.h"
#include "printoptions.h"

#include <QRect>
#include <optional>
#include <vector>

class QPainter;
class QPaintDevice;
class TBarcodeSymbol;

// Draws labels of one layout for goods records: a white box, the pictures,
// the text fields (price, name, unit price, barcode, fixed text, the lowest
// price before a reduction, a 2D code) over them, and a frame, in device pixels of the
// canvas. Each field is drawn by TFieldPainter, as the designer draws it.
class TLabelRenderer {
public:
    TLabelRenderer();
    Q_DISABLE_COPY(TLabelRenderer)

    // The layout's objects in file order; pictures are read again on first use.
    void SetObjects(std::vector<TLayoutObject> objects);
    const std::vector<TLayoutObject>& Objects() const { return FObjects; }

    // Price format, barcode digits and frame colour; the barcode symbol's
    // ShowText follows BarcodeShowText.
    const TPrintOptions& Options() const { return FOptions; }
    void SetOptions(const TPrintOptions& options);
    TBarcodeSymbol& BarcodeSymbol() { return Fields.BarcodeSymbol(); }

    // Draws one label into the canvas's clip box (the whole device when it has
    // no clip). Bad pictures and barcode data are absorbed.
    void DrawLabel(const TPrintGoods& goods, QPainter& canvas);
    // Lowers the canvas font to where lowering it point by point would stop:
    // the largest size at which `text` fits the width of `rect`, never below
    // 1 point.
    void FitNameToWidth(const QRect& rect, const QString& text, QPainter& canvas);

private:
    // What the field of `o` shows for `goods`; none when it shows nothing.
    std::optional<TFieldValue> FieldValue(const TLayoutObject& o, const TPrintGoods& goods) const;
    // The objects' fonts for `device`, made when the layout, the resolution
    // or the smoothing changes: each font costs a lookup, and a job draws
    // thousands of labels with the same few.
    const std::vector<TFieldFonts>& FontsFor(const QPaintDevice& device, bool smooth);

    TPrintOptions FOptions;
    std::vector<TLayoutObject> FObjects;
    std::vector<TLabelPicture> FPictures;
    TFieldPainter Fields;
    std::vector<TFieldFonts> FFonts;
    int FFontsDpi = -1;  // the resolution FFonts were made for; -1: none
    bool FFontsSmooth = true;
};
