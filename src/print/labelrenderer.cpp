#include "labelrenderer.h"

#include "barcodesymbol.h"
#include "matrixcode.h"
#include "pricehistory.h"
#include "units.h"

#include <QPaintDevice>
#include <QPainter>
#include <stdexcept>

TLabelRenderer::TLabelRenderer() { SetOptions(FOptions); }

void TLabelRenderer::SetObjects(std::vector<TLayoutObject> objects) {
    FObjects = std::move(objects);
    FPictures.assign(FObjects.size(), TLabelPicture());
    FFonts.clear();
    FFontsDpi = -1;
}

const std::vector<TFieldFonts>& TLabelRenderer::FontsFor(const QPaintDevice& device, bool smooth) {
    if (FFontsDpi == device.logicalDpiY() && FFontsSmooth == smooth && FFonts.size() == FObjects.size()) return FFonts;
    FFonts.clear();
    FFonts.reserve(FObjects.size());
    for (const TLayoutObject& o : FObjects)
        FFonts.push_back(o.Kind == LayoutObjectKind::Label ? FieldFonts(o, device.logicalDpiY(), smooth) : TFieldFonts());
    FFontsDpi = device.logicalDpiY();
    FFontsSmooth = smooth;
    return FFonts;
}

void TLabelRenderer::SetOptions(const TPrintOptions& options) {
    FOptions = options;
    Fields.SmallGr = options.SmallGr;
    Fields.BarcodeSymbol().SetShowText(options.BarcodeShowText ? bcoCode : bcoNone);
    Fields.BarcodeSymbol().SetQrEcc(options.QrEcc);
}

void TLabelRenderer::FitNameToWidth(const QRect& rect, const QString& text, QPainter& canvas) {
    Fields.FitNameToWidth(rect, text, TResolution::Of(*canvas.device()), canvas);
}

void TLabelRenderer::DrawLabel(const TPrintGoods& goods, QPainter& canvas) {
    QPaintDevice* device = canvas.device();
    if (!device || !canvas.isActive()) throw std::logic_error("DrawLabel needs an active canvas");
    const QRect box = canvas.hasClipping() ? canvas.clipBoundingRect().toAlignedRect()
                                           : QRect(0, 0, device->width(), device->height());
    if (box.isEmpty()) return;
    canvas.fillRect(box, Qt::white);
    const TResolution resolution = TResolution::Of(*device);
    const auto objectRect = [&](const TLayoutObject& o) { return ToDots(o, resolution).translated(box.topLeft()); };
    // Pictures first, so that text always lies over them.
    for (size_t i = 0; i < FObjects.size(); ++i) {
        const TLayoutObject& o = FObjects[i];
        if (o.Kind == LayoutObjectKind::Image) FPictures[i].Draw(o.FileName, o.RealSize, objectRect(o), canvas);
    }
    const std::vector<TFieldFonts>& fonts = FontsFor(*device, canvas.testRenderHint(QPainter::TextAntialiasing));
    for (size_t i = 0; i < FObjects.size(); ++i) {
        const TLayoutObject& o = FObjects[i];
        if (o.Kind != LayoutObjectKind::Label) continue;
        if (const std::optional<TFieldValue> value = FieldValue(o, goods))
            Fields.Draw(o, fonts[i], *value, objectRect(o), resolution, canvas);
    }
    // The frame on the outermost pixels: neighbouring labels get adjacent frames.
    const QColor frame = FOptions.FrameColor;
    canvas.fillRect(QRect(box.left(), box.top(), box.width(), 1), frame);
    canvas.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), frame);
    canvas.fillRect(QRect(box.left(), box.top(), 1, box.height()), frame);
    canvas.fillRect(QRect(box.right(), box.top(), 1, box.height()), frame);
}

std::optional<TFieldValue> TLabelRenderer::FieldValue(const TLayoutObject& o, const TPrintGoods& goods) const {
    switch (o.Type) {
    case ctPrice:
        return TFieldValue{FormatPrice(goods.CENA, FOptions.AlwaysGr, FOptions.DoubleGr, FOptions.DotSeparator), {}};
    case ctName:
        return TFieldValue{goods.NAZWA, {}};
    case ctAbsPrice:
        return TFieldValue{goods.ABSCENA, {}};
    case ctCode:
        return TFieldValue{goods.KODKRESKOWY, goods.TYPKODU};
    case ctUserLabel:
        return TFieldValue{o.Text, {}};
    case ctLowestPrice:
        // Goods without a reduction show nothing of the field; the price goes
        // into the template.
        if (goods.NAJNIZSZA.isEmpty()) return std::nullopt;
        return TFieldValue{FormatPrice(goods.NAJNIZSZA, FOptions.AlwaysGr, FOptions.DoubleGr, FOptions.DotSeparator), {}};
    case ctMatrixCode: {
        const TCodeTemplateValues values{
            .Kod = goods.KODKRESKOWY,
            .Gtin = Gtin14(goods.KODKRESKOWY, goods.TYPKODU).value_or(QString()),
            .Nazwa = goods.NAZWA,
            .Cena = FormatPrice(goods.CENA, FOptions.AlwaysGr, FOptions.DoubleGr, FOptions.DotSeparator),
            .Id = goods.ID};
        // Goods without the code the template needs show nothing of the field.
        const std::optional<QString> text = FillCodeTemplate(o.Text, values);
        if (!text) return std::nullopt;
        return TFieldValue{*text, MatrixCodeType(o)};
    }
    case ctReduction: {
        // Announced only against the reference price, and only below it; the
        // amounts with the separator of the prices.
        const std::optional<TReduction> r = ReductionOf(goods);
        if (!r) return std::nullopt;
        const auto price = [this](const QString& text) {
            return FormatPrice(text, FOptions.AlwaysGr, FOptions.DoubleGr, FOptions.DotSeparator);
        };
        return TFieldValue{FillReductionTemplate(o.Text, QString::number(r->Percent), price(ReductionAmountText(r->Difference)),
                                                 price(AmountText(r->Reference))),
                           {}};
    }
    default:
        // Not a kind the designer writes: nothing to show.
        return std::nullopt;
    }
}
