#include "labelrenderer.h"

#include "barcodepaint.h"
#include "barcodesymbol.h"
#include "pricefit.h"
#include "rounding.h"
#include "silentfailure.h"
#include "units.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {

// a × b ÷ c rounded half away from zero, on 64 bits: the character height of
// a font of a points at b dots per inch (c = 72).
int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const qint64 p = static_cast<qint64>(a) * b;
    const qint64 q = (std::llabs(p) * 2 + std::llabs(c)) / (2 * std::llabs(static_cast<qint64>(c)));
    const qint64 r = (p < 0) != (c < 0) ? -q : q;
    return static_cast<int>(std::clamp<qint64>(r, -2147483647, 2147483647));
}

// The character height in pixels of a font of `points` on a device.
int FontPixels(int points, const QPaintDevice& device) {
    return std::max(1, MulDiv(std::min(points, kMaxPrintFontPoints), device.logicalDpiY(), 72));
}

// The narrowest module a scanner still reads reliably: 0.17 mm, less 3 % of
// it, since whole dots only come near that size (2 dots at 300 dpi and 4 at
// 600 dpi are 0.169 mm, the 0.17 mm module of those printers); and never
// fewer than 2 dots, so that ink spread cannot close a space.
constexpr int kNarrowestModuleMicrons = 170;
constexpr int kModuleTolerancePercent = 3;
int NarrowestModule(int dpi) {
    const qint64 microns = qint64{kNarrowestModuleMicrons} * (100 - kModuleTolerancePercent);  // × 1/100
    const qint64 dots = (microns * std::max(dpi, 1) + 2540000 - 1) / 2540000;  // 25 400 µm an inch, × 100
    return static_cast<int>(std::max<qint64>(2, dots));
}

// The barcode module: 0.25 mm; when the symbol is wider than its box at that,
// the largest whole number of dots down to NarrowestModule with which it fits.
// False when it fits with none of them, so that no cut symbol is printed.
// Raises TBarcodeError for data the symbology rejects.
bool FitModule(TBarcodeSymbol& b, int boxWidth, int dpi) {
    b.SetModul(RoundHalfEven(dpi * 0.25 / 25.4));
    if (b.Width() <= boxWidth) return true;
    for (int m = b.Modul() - 1; m >= NarrowestModule(dpi); --m) {
        b.SetModul(m);
        if (b.Width() <= boxWidth) return true;
    }
    return false;
}

}  // namespace

TLabelRenderer::TLabelRenderer() : FBarcodeSymbol(std::make_unique<TBarcodeSymbol>()) { SetOptions(FOptions); }

TLabelRenderer::~TLabelRenderer() = default;

void TLabelRenderer::SetObjects(std::vector<TLayoutObject> objects) {
    FObjects = std::move(objects);
    FPictures.assign(FObjects.size(), TLabelPicture());
    FFonts.clear();
    FFontsDpi = -1;
}

const std::vector<TLabelRenderer::TObjectFonts>& TLabelRenderer::FontsFor(const QPaintDevice& device, bool smooth) {
    if (FFontsDpi == device.logicalDpiY() && FFontsSmooth == smooth && FFonts.size() == FObjects.size()) return FFonts;
    FFonts.clear();
    FFonts.reserve(FObjects.size());
    for (const TLayoutObject& o : FObjects) {
        TObjectFonts f;
        if (o.Kind == LayoutObjectKind::Label) {
            const int pixels = FontPixels(o.FontSize, device);
            f.Text = QFont(o.FontName);
            f.Text.setBold(o.FontBold);
            f.Text.setItalic(o.FontItalic);
            f.Text.setUnderline(o.FontUnderline);
            f.Text.setPixelSize(pixels);
            f.Barcode = QFont(o.FontName);
            f.Barcode.setPixelSize(pixels);
            if (!smooth) {
                f.Text.setStyleStrategy(QFont::NoAntialias);
                f.Barcode.setStyleStrategy(QFont::NoAntialias);
            }
        }
        FFonts.push_back(std::move(f));
    }
    FFontsDpi = device.logicalDpiY();
    FFontsSmooth = smooth;
    return FFonts;
}

void TLabelRenderer::SetOptions(const TPrintOptions& options) {
    FOptions = options;
    FBarcodeSymbol->SetShowText(options.BarcodeShowText ? bcoCode : bcoNone);
}

void TLabelRenderer::SetFontSize(QPainter& canvas, int points) {
    FFontPoints = std::min(points, kMaxPrintFontPoints);
    QFont f = canvas.font();
    f.setPixelSize(FontPixels(FFontPoints, *canvas.device()));
    canvas.setFont(f);
}

void TLabelRenderer::FitNameToWidth(const QRect& rect, const QString& text, QPainter& canvas) {
    const auto fits = [&] { return canvas.fontMetrics().horizontalAdvance(text) <= rect.width(); };
    if (FFontPoints <= 1 || fits()) return;
    // The size where lowering point by point stops: the largest that fits,
    // with one point more too wide. Found by halving, since each size costs a
    // font of its own and a walk down from hundreds of points takes seconds.
    int tooWide = FFontPoints;
    int floor = 1;  // fits, or is the smallest size there is
    while (tooWide - floor > 1) {
        const int middle = floor + (tooWide - floor) / 2;
        SetFontSize(canvas, middle);
        (fits() ? floor : tooWide) = middle;
    }
    SetFontSize(canvas, floor);
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
    const std::vector<TObjectFonts>& fonts = FontsFor(*device, canvas.testRenderHint(QPainter::TextAntialiasing));
    for (size_t i = 0; i < FObjects.size(); ++i) {
        const TLayoutObject& o = FObjects[i];
        if (o.Kind == LayoutObjectKind::Label) DrawTextField(o, fonts[i], goods, objectRect(o), canvas);
    }
    // The frame on the outermost pixels: neighbouring labels get adjacent frames.
    const QColor frame = FOptions.FrameColor;
    canvas.fillRect(QRect(box.left(), box.top(), box.width(), 1), frame);
    canvas.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), frame);
    canvas.fillRect(QRect(box.left(), box.top(), 1, box.height()), frame);
    canvas.fillRect(QRect(box.right(), box.top(), 1, box.height()), frame);
}

bool TLabelRenderer::DrawBarcode(const TPrintGoods& goods, const TLayoutObject& o, const QFont& font, const QRect& r,
                                 QPainter& canvas) {
    if (goods.KODKRESKOWY.isEmpty()) return false;
    if (goods.TYPKODU >= BarcodeTypeCount) {
        SilentFailure(lcPrint, QStringLiteral("barcode type %1 unknown; \"%2\" printed as text")
                                   .arg(goods.TYPKODU)
                                   .arg(goods.KODKRESKOWY));
        return false;
    }
    const QPaintDevice& device = *canvas.device();
    TBarcodeSymbol& b = *FBarcodeSymbol;
    b.SetShowTextFont(font);
    b.SetShowTextFontColor(ColorFromValue(o.FontColor));
    b.SetText(goods.KODKRESKOWY);
    b.SetHeight(r.height());
    b.SetTop(r.top());
    b.SetLeft(r.left());
    b.SetTyp(static_cast<TBarcodeType>(goods.TYPKODU));
    switch (o.Alignment) {
    case taLeftJustify:
        b.SetShowTextPosition(stpTopLeft);
        break;
    case taRightJustify:
        b.SetShowTextPosition(stpTopRight);
        break;
    case taCenter:
        b.SetShowTextPosition(stpTopCenter);
        break;
    default:
        break;
    }
    try {
        if (!FitModule(b, r.width(), device.logicalDpiX())) {
            SilentFailure(lcPrint, QStringLiteral("barcode \"%1\" wider than its box; printed as text").arg(goods.KODKRESKOWY));
            return false;
        }
        PaintBarcode(b, canvas);
    } catch (const TBarcodeError& e) {
        SilentFailure(lcPrint, QStringLiteral("barcode \"%1\" rejected; printed as text").arg(goods.KODKRESKOWY), e);
        return false;
    }
    return true;
}

void TLabelRenderer::DrawTextField(const TLayoutObject& o, const TObjectFonts& fonts, const TPrintGoods& goods,
                                   const QRect& r, QPainter& canvas) {
    QString text;
    bool barcodeDrawn = false;
    switch (o.Type) {
    case ctPrice:
        text = FormatPrice(goods.CENA, FOptions.AlwaysGr, FOptions.DoubleGr, FOptions.DotSeparator);
        break;
    case ctName:
        text = goods.NAZWA;
        break;
    case ctAbsPrice:
        text = goods.ABSCENA;
        break;
    case ctCode:
        text = goods.KODKRESKOWY;
        barcodeDrawn = DrawBarcode(goods, o, fonts.Barcode, r, canvas);
        break;
    case ctUserLabel:
        text = o.Text;
        break;
    case ctLowestPrice:
        // Goods without a reduction show nothing of the field; the price goes
        // into the template below.
        if (goods.NAJNIZSZA.isEmpty()) return;
        text = FormatPrice(goods.NAJNIZSZA, FOptions.AlwaysGr, FOptions.DoubleGr, FOptions.DotSeparator);
        break;
    default:
        // Not a kind the designer writes: nothing to show.
        return;
    }
    // The font at the field's size in one step, as SetFontSize would make it.
    canvas.setFont(fonts.Text);
    FFontPoints = std::min(o.FontSize, kMaxPrintFontPoints);
    canvas.setPen(ColorFromValue(o.FontColor));
    canvas.setBrush(Qt::NoBrush);
    if (r.width() <= 0 || r.height() <= 0) return;
    if (FOptions.SmallGr && o.Type == ctPrice) {
        DrawSmallGr(text, o.Alignment, r, canvas);
        return;
    }
    if (barcodeDrawn) return;
    if (o.Type == ctLowestPrice) {
        DrawLowestPrice(o, text, r, canvas);
        return;
    }
    if (o.Type == ctName) FitNameToWidth(r, text, canvas);
    canvas.drawText(r, static_cast<int>(AlignmentFlags(o.Alignment)), text);
}

void TLabelRenderer::DrawLowestPrice(const TLayoutObject& o, const QString& price, const QRect& r, QPainter& canvas) {
    const int flags = static_cast<int>(AlignmentFlags(o.Alignment));
    const QFont own = canvas.font();
    const int points = FFontPoints;
    const TFittedPriceText fit = FitPriceTemplate(o.Text, price, points, r.size(), flags, [&](int size) {
        SetFontSize(canvas, size);
        return canvas.fontMetrics();
    });
    if (fit.Points == points) {
        canvas.setFont(own);
        FFontPoints = points;
    } else {
        SetFontSize(canvas, fit.Points);
    }
    canvas.drawText(r, flags | Qt::TextWordWrap, fit.Text);
}

void TLabelRenderer::DrawSmallGr(const QString& price, quint8 alignment, QRect r, QPainter& canvas) {
    const qsizetype p = PriceSeparatorPos(price);
    if (p < 0) {
        canvas.drawText(r, static_cast<int>(AlignmentFlags(alignment)), price);
        return;
    }
    const QString whole = price.left(p);
    const QString fraction = price.mid(p + 1, 2);
    const int full = FFontPoints;
    const int small = RoundHalfEven(0.6 * full);
    // The lift: 5 % of the (negative) character height of the current font.
    const auto lift = [&] { return RoundHalfEven(-canvas.font().pixelSize() * 0.05); };
    const int g = canvas.fontMetrics().horizontalAdvance(QLatin1Char(' ')) / 2;
    switch (alignment) {
    case taRightJustify: {
        const QRect saved = r;
        r.setTop(r.top() - lift());
        SetFontSize(canvas, small);
        canvas.drawText(r, Qt::AlignRight | Qt::AlignTop, fraction);
        const int fractionWidth = canvas.fontMetrics().horizontalAdvance(fraction);
        r = saved;
        SetFontSize(canvas, full);
        r.setRight(r.right() - (fractionWidth + g));
        canvas.drawText(r, Qt::AlignRight | Qt::AlignTop, whole);
        break;
    }
    case taCenter: {
        int w = canvas.fontMetrics().horizontalAdvance(whole) + g;
        SetFontSize(canvas, small);
        w += canvas.fontMetrics().horizontalAdvance(fraction);
        const int d = (r.width() - w) / 2;
        r.setLeft(r.left() + d);
        r.setRight(r.right() - d);
        const int top = r.top();
        r.setTop(top - lift());
        canvas.drawText(r, Qt::AlignRight | Qt::AlignTop, fraction);
        SetFontSize(canvas, full);
        r.setTop(top);
        canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, whole);
        break;
    }
    default: {
        canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, whole);
        r.setLeft(r.left() + canvas.fontMetrics().horizontalAdvance(whole) + g);
        r.setTop(r.top() - lift());
        SetFontSize(canvas, small);
        canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, fraction);
        break;
    }
    }
}
