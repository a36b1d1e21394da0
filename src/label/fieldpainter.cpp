#include "fieldpainter.h"

#include "barcodepaint.h"
#include "barcodesymbol.h"
#include "pricefit.h"
#include "rounding.h"
#include "silentfailure.h"
#include "symbolpainting.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace {

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

int FontPixels(int points, int dpi) { return std::max(1, PointsToDots(std::min(points, kMaxPrintFontPoints), dpi)); }

TFieldFonts FieldFonts(const TObjectProperties& o, int dpiY, bool smooth) {
    TFieldFonts f;
    const int pixels = FontPixels(o.FontSize, dpiY);
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
    return f;
}

TFieldPainter::TFieldPainter() : Symbol(std::make_unique<TBarcodeSymbol>()) {}

TFieldPainter::~TFieldPainter() = default;

void TFieldPainter::SetFontSize(QPainter& canvas, int points, TResolution resolution) {
    FontPoints = std::min(points, kMaxPrintFontPoints);
    QFont f = canvas.font();
    f.setPixelSize(FontPixels(FontPoints, resolution.Y));
    canvas.setFont(f);
}

void TFieldPainter::FitNameToWidth(const QRect& rect, const QString& text, TResolution resolution, QPainter& canvas) {
    const auto fits = [&] { return canvas.fontMetrics().horizontalAdvance(text) <= rect.width(); };
    if (FontPoints <= 1 || fits()) return;
    // The size where lowering point by point stops: the largest that fits,
    // with one point more too wide. Found by halving, since each size costs a
    // font of its own and a walk down from hundreds of points takes seconds.
    int tooWide = FontPoints;
    int floor = 1;  // fits, or is the smallest size there is
    while (tooWide - floor > 1) {
        const int middle = floor + (tooWide - floor) / 2;
        SetFontSize(canvas, middle, resolution);
        (fits() ? floor : tooWide) = middle;
    }
    SetFontSize(canvas, floor, resolution);
}

void TFieldPainter::Draw(const TObjectProperties& o, const TFieldFonts& fonts, const TFieldValue& value,
                         const QRect& r, TResolution resolution, QPainter& canvas) {
    const bool barcodeDrawn = value.BarcodeType && DrawBarcode(o, fonts.Barcode, value, r, resolution, canvas);
    // The font at the field's size in one step, as SetFontSize would make it.
    canvas.setFont(fonts.Text);
    FontPoints = std::min(o.FontSize, kMaxPrintFontPoints);
    canvas.setPen(ColorFromValue(o.FontColor));
    canvas.setBrush(Qt::NoBrush);
    if (r.width() <= 0 || r.height() <= 0) return;
    if (SmallGr && o.Type == ctPrice) {
        DrawSmallGr(value.Text, o.Alignment, r, resolution, canvas);
        return;
    }
    if (barcodeDrawn) return;
    if (o.Type == ctLowestPrice) {
        DrawLowestPrice(o, value.Text, r, resolution, canvas);
        return;
    }
    // A name, and a reduction's figures, shrink rather than lose a letter.
    if (o.Type == ctName || o.Type == ctReduction) FitNameToWidth(r, value.Text, resolution, canvas);
    // A 2D code's text is mostly a web address without blanks: broken
    // anywhere, so that more of it can be read.
    const int wrap = o.Type == ctMatrixCode ? Qt::TextWrapAnywhere : 0;
    canvas.drawText(r, static_cast<int>(AlignmentFlags(o.Alignment)) | wrap, value.Text);
}

bool TFieldPainter::DrawBarcode(const TObjectProperties& o, const QFont& font, const TFieldValue& value,
                                const QRect& r, TResolution resolution, QPainter& canvas) {
    if (value.Text.isEmpty()) return false;
    const quint8 type = *value.BarcodeType;
    if (type >= BarcodeTypeCount) {
        SilentFailure(lcPrint, QStringLiteral("barcode type %1 unknown; \"%2\" printed as text").arg(type).arg(value.Text));
        return false;
    }
    if (IsMatrixType(type)) return DrawMatrix(value, r, resolution, canvas);
    TBarcodeSymbol& b = *Symbol;
    b.SetShowTextFont(font);
    b.SetShowTextFontColor(ColorFromValue(o.FontColor));
    b.SetText(value.Text);
    b.SetHeight(r.height());
    b.SetTop(r.top());
    b.SetLeft(r.left());
    b.SetTyp(static_cast<TBarcodeType>(type));
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
        if (!FitModule(b, r.width(), resolution.X)) {
            SilentFailure(lcPrint, QStringLiteral("barcode \"%1\" wider than its box; printed as text").arg(value.Text));
            return false;
        }
        PaintBarcode(b, canvas);
    } catch (const TBarcodeError& e) {
        SilentFailure(lcPrint, QStringLiteral("barcode \"%1\" rejected; printed as text").arg(value.Text), e);
        return false;
    }
    return true;
}

bool TFieldPainter::DrawMatrix(const TFieldValue& value, const QRect& r, TResolution resolution, QPainter& canvas) {
    TBarcodeSymbol& b = *Symbol;
    const auto type = static_cast<TBarcodeType>(*value.BarcodeType);
    try {
        // The copies of one label encode once: a QR's masks cost more than
        // drawing the whole label.
        if (!Matrix || Matrix->Type != type || Matrix->Text != value.Text || Matrix->Ecc != b.QrEcc()) {
            Matrix.reset();
            b.SetTyp(type);
            b.SetText(value.Text);
            Matrix = TEncodedMatrix{type, value.Text, b.QrEcc(), b.BuildMatrix()};
        }
        // Square modules: at least 0.25 mm along both axes of the device.
        if (PaintMatrix(canvas, Matrix->Matrix, r, std::max(resolution.X, resolution.Y), b.ColorBar(), b.Color()))
            return true;
        SilentFailure(lcPrint, QStringLiteral("2D code \"%1\" does not fit its box; printed as text").arg(value.Text));
    } catch (const TBarcodeError& e) {
        SilentFailure(lcPrint, QStringLiteral("2D code \"%1\" rejected; printed as text").arg(value.Text), e);
    }
    return false;
}

void TFieldPainter::DrawLowestPrice(const TObjectProperties& o, const QString& price, const QRect& r,
                                    TResolution resolution, QPainter& canvas) {
    const int flags = static_cast<int>(AlignmentFlags(o.Alignment));
    const QFont own = canvas.font();
    const int points = FontPoints;
    const TFittedPriceText fit = FitPriceTemplate(o.Text, price, points, r.size(), flags, [&](int size) {
        SetFontSize(canvas, size, resolution);
        return canvas.fontMetrics();
    });
    if (fit.Points == points) {
        canvas.setFont(own);
        FontPoints = points;
    } else {
        SetFontSize(canvas, fit.Points, resolution);
    }
    canvas.drawText(r, flags | Qt::TextWordWrap, fit.Text);
}

void TFieldPainter::DrawSmallGr(const QString& price, quint8 alignment, QRect r, TResolution resolution,
                                QPainter& canvas) {
    const qsizetype p = PriceSeparatorPos(price);
    if (p < 0) {
        canvas.drawText(r, static_cast<int>(AlignmentFlags(alignment)), price);
        return;
    }
    const QString whole = price.left(p);
    const QString fraction = price.mid(p + 1, 2);
    const int full = FontPoints;
    const int small = RoundHalfEven(0.6 * full);
    // The lift: 5 % of the (negative) character height of the current font.
    const auto lift = [&] { return RoundHalfEven(-canvas.font().pixelSize() * 0.05); };
    const int g = canvas.fontMetrics().horizontalAdvance(QLatin1Char(' ')) / 2;
    switch (alignment) {
    case taRightJustify: {
        const QRect saved = r;
        r.setTop(r.top() - lift());
        SetFontSize(canvas, small, resolution);
        canvas.drawText(r, Qt::AlignRight | Qt::AlignTop, fraction);
        const int fractionWidth = canvas.fontMetrics().horizontalAdvance(fraction);
        r = saved;
        SetFontSize(canvas, full, resolution);
        r.setRight(r.right() - (fractionWidth + g));
        canvas.drawText(r, Qt::AlignRight | Qt::AlignTop, whole);
        break;
    }
    case taCenter: {
        int w = canvas.fontMetrics().horizontalAdvance(whole) + g;
        SetFontSize(canvas, small, resolution);
        w += canvas.fontMetrics().horizontalAdvance(fraction);
        const int d = (r.width() - w) / 2;
        r.setLeft(r.left() + d);
        r.setRight(r.right() - d);
        const int top = r.top();
        r.setTop(top - lift());
        canvas.drawText(r, Qt::AlignRight | Qt::AlignTop, fraction);
        SetFontSize(canvas, full, resolution);
        r.setTop(top);
        canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, whole);
        break;
    }
    default: {
        canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, whole);
        r.setLeft(r.left() + canvas.fontMetrics().horizontalAdvance(whole) + g);
        r.setTop(r.top() - lift());
        SetFontSize(canvas, small, resolution);
        canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, fraction);
        break;
    }
    }
}
