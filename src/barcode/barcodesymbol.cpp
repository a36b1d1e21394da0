#include "barcodesymbol.h"

#include "barcodetables.h"
#include "encoders.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <cmath>

namespace {

// Nearest integer, halves to even, kept inside the int range.
int RoundEven(double v) {
    if (!(v == v)) return 0;
    if (v > 1e9) return 1000000000;
    if (v < -1e9) return -1000000000;
    return static_cast<int>(std::nearbyint(v));
}

bool IsBlankOrControl(QChar c) { return c.unicode() <= 32; }

}  // namespace

QString PadWithZeros(const QString& text, int length) {
    if (text.size() >= length) return text;
    return QString(length - text.size(), QLatin1Char('0')) + text;
}

QChar Modulo10CheckDigit(const QString& digits) {
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        const QChar c = digits[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            throw TBarcodeError(QStringLiteral("'%1' is not a valid integer value").arg(c));
        sum = (sum + weight * (c.unicode() - '0')) % 10;
        weight = 4 - weight;
    }
    return QLatin1Char(static_cast<char>('0' + (10 - sum) % 10));
}

QString ApplyChecksum(const QString& digits, TCheckSumMethod method) {
    if (method == csmNone) return digits;
    return digits + Modulo10CheckDigit(digits);
}

TBarcodeSymbol::TBarcodeSymbol(QObject* owner) : QObject(owner) { MakeModules(); }

TBarcodeSymbol::~TBarcodeSymbol() = default;

void TBarcodeSymbol::Changed() {
    if (OnChange) OnChange(this);
}

void TBarcodeSymbol::SetHeight(int value) {
    if (value == FHeight) return;
    FHeight = value;
    Changed();
}

void TBarcodeSymbol::SetText(const QString& value) {
    if (value == FText) return;
    FText = value;
    FEan128CheckApplied = false;
    Changed();
}

void TBarcodeSymbol::SetTop(int value) {
    if (value == FTop) return;
    FTop = value;
    Changed();
}

void TBarcodeSymbol::SetLeft(int value) {
    if (value == FLeft) return;
    FLeft = value;
    Changed();
}

void TBarcodeSymbol::SetModul(int value) {
    if (value < 1 || value > 49) return;
    FModul = value;
    MakeModules();
    Changed();
}

void TBarcodeSymbol::SetRatio(double value) {
    if (value == FRatio) return;
    FRatio = value;
    MakeModules();
    Changed();
}

void TBarcodeSymbol::SetTyp(TBarcodeType value) {
    if (value == FTyp) return;
    FTyp = value;
    FEan128CheckApplied = false;
    Changed();
}

void TBarcodeSymbol::SetChecksum(bool value) {
    if (value == FCheckSum) return;
    FCheckSum = value;
    FEan128CheckApplied = false;
    Changed();
}

void TBarcodeSymbol::SetAngle(double value) {
    if (value == FAngle) return;
    FAngle = value;
    Changed();
}

void TBarcodeSymbol::SetShowText(TBarcodeOption value) {
    if (value == FShowText) return;
    FShowText = value;
    Changed();
}

void TBarcodeSymbol::SetShowTextFont(const QFont& value) {
    FShowTextFont = value;
    Changed();
}

void TBarcodeSymbol::SetShowTextPosition(TShowTextPosition value) {
    if (value == FShowTextPosition) return;
    FShowTextPosition = value;
    Changed();
}

void TBarcodeSymbol::Assign(const TBarcodeSymbol& source) {
    if (&source == this) return;
    FHeight = source.FHeight;
    FText = source.FText;
    FTop = source.FTop;
    FLeft = source.FLeft;
    FModul = source.FModul;
    FRatio = source.FRatio;
    FTyp = source.FTyp;
    FCheckSum = source.FCheckSum;
    FShowText = source.FShowText;
    FShowTextPosition = source.FShowTextPosition;
    FAngle = source.FAngle;
    FColor = source.FColor;
    FColorBar = source.FColorBar;
    FCheckSumMethod = source.FCheckSumMethod;
    OnChange = source.OnChange;
    // The copied text carries the check digit exactly when the source's did.
    FEan128CheckApplied = source.FEan128CheckApplied;
    MakeModules();
}

void TBarcodeSymbol::MakeModules() {
    // A ratio that is not a number or absurdly large must not give zero,
    // negative or wrapped widths (only some symbologies bring it into range).
    FModules[0] = FModul;
    int wide = RoundEven(FModul * FRatio);
    if (wide < 1) wide = 1;
    if (wide > 10000) wide = 10000;
    FModules[1] = wide;
    FModules[2] = wide * 3 / 2;
    FModules[3] = wide * 2;
}

void TBarcodeSymbol::PrepareWidths() {
    double low = 0;
    switch (FTyp) {
    case bcCode_2_5_interleaved:
    case bcCode_2_5_industrial:
    case bcCode39:
    case bcCode39Extended:
    case bcCodeCodabar:
    case bcCodeEAN8:
    case bcCodeEAN13:
    case bcCodeUPC_A:
    case bcCodeUPC_E0:
    case bcCodeUPC_E1:
    case bcCodeUPC_Supp2:
    case bcCodeUPC_Supp5:
        low = 2.0;
        break;
    case bcCode_2_5_matrix:
        low = 2.25;
        break;
    default:
        break;
    }
    if (low > 0) {
        if (!(FRatio >= low)) SetRatio(low);
        if (FRatio > 3.0) SetRatio(3.0);
    }
    MakeModules();
}

void TBarcodeSymbol::Fail(const QString& format) const {
    throw TBarcodeError(format.arg(QStringLiteral("TBarcodeSymbol")));
}

QString TBarcodeSymbol::BuildPattern() {
    PrepareWidths();
    const int typ = FTyp;
    if (typ >= 0 && typ < BarcodeTypeCount && BCdata[typ].Num) {
        qsizetype b = 0, e = FText.size();
        while (b < e && IsBlankOrControl(FText[b])) ++b;
        while (e > b && IsBlankOrControl(FText[e - 1])) --e;
        if (b > 0 || e < FText.size()) FText = FText.mid(b, e - b);
        for (const QChar c : FText)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) throw TBarcodeError(QStringLiteral("Barcode must be numeric"));
    }
    if (typ < 0 || typ >= BarcodeTypeCount) Fail(QStringLiteral("%1: wrong BarcodeType"));
    return TBarcodeEncoders::Encode(*this);
}

void TBarcodeSymbol::ElementInfo(QChar c, TBarLineType& lineType, int& width) const {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '3') {
        lineType = TBarLineType::White;
        width = FModules[u - '0'];
    } else if (u >= '5' && u <= '8') {
        lineType = TBarLineType::Black;
        width = FModules[u - '5'];
    } else if (u >= 'A' && u <= 'D') {
        lineType = TBarLineType::BlackHalf;
        width = FModules[u - 'A'];
    } else {
        Fail(QStringLiteral("%1: internal Error"));
    }
}

int TBarcodeSymbol::Width() {
    const QString pattern = BuildPattern();
    int width = 0;
    TBarLineType lt;
    int w;
    for (const QChar c : pattern) {
        ElementInfo(c, lt, w);
        width += w;
    }
    return width;
}

void TBarcodeSymbol::SetWidth(int value) {
    const int w = Width();
    if (w > 0) SetModul(static_cast<int>(static_cast<long long>(FModul) * value / w));
}

QString TBarcodeSymbol::TypeName() const {
    const int typ = FTyp;
    if (typ < 0 || typ >= BarcodeTypeCount) return QString();
    return QString::fromLatin1(BCdata[typ].Name);
}

void TBarcodeSymbol::PaintTo(QPainter& canvas) {
    const QString pattern = BuildPattern();
    // Check every element first, so a bad pattern paints nothing at all.
    int width = 0;
    TBarLineType lt;
    int w;
    for (const QChar c : pattern) {
        ElementInfo(c, lt, w);
        width += w;
    }
    canvas.save();
    PaintBars(canvas, pattern, width);
    if (FShowText != bcoNone) PaintLegend(canvas, width);
    canvas.restore();
}

void TBarcodeSymbol::PaintBars(QPainter& canvas, const QString& pattern, int W) {
    const double a = FAngle / 180.0 * M_PI;
    TBarLineType lt;
    int w;
    const int H = FHeight;
    const double s = std::sin(a), co = std::cos(a);
    int ox = 0, oy = 0;
    if (s >= 0 && co >= 0) {
        oy = RoundEven(W * s);
    } else if (s >= 0) {
        ox = -RoundEven(W * co);
        oy = RoundEven(W * s - H * co);
    } else if (co >= 0) {
        ox = -RoundEven(H * s);
    } else {
        ox = -RoundEven(W * co) - RoundEven(H * s);
        oy = -RoundEven(H * co);
    }
    ox += FLeft;
    oy += FTop;
    const auto rotate = [&](int p, int q) {
        return QPoint(RoundEven(p * co + q * s) + ox, RoundEven(-p * s + q * co) + oy);
    };
    canvas.setRenderHint(QPainter::Antialiasing, false);
    // At quarter turns every element is an upright rectangle: filling it
    // covers exactly the pixels of the outlined polygon, much faster.
    const bool upright = std::fabs(s) < 1e-9 || std::fabs(co) < 1e-9;
    QPen pen;
    pen.setWidth(1);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    // Without short bars the spaces together fill the whole symbol, so one
    // fill in the space colour and then the bars alone give the same pixels.
    bool shortBars = false;
    for (const QChar c : pattern) shortBars |= c.unicode() >= 'A';
    const bool spacesAsBackground = upright && W > 0 && !shortBars;
    if (spacesAsBackground) {
        const QPoint a = rotate(0, 0), b = rotate(W - 1, H);
        const QRect area(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                         QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
        // Upright or upside down on a bitmap every row of the symbol is the
        // same: tile one row instead of filling each bar row by row.
        if (std::fabs(co) > 0.5 && canvas.device() && canvas.device()->devType() == QInternal::Image &&
            canvas.transform().type() <= QTransform::TxTranslate && H >= 0) {
            const bool opaque = FColor.alpha() == 255 && FColorBar.alpha() == 255;
            QImage row(W, 1, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
            QRgb* px = reinterpret_cast<QRgb*>(row.scanLine(0));
            const QRgb space = qPremultiply(FColor.rgba()), bar = qPremultiply(FColorBar.rgba());
            const bool reversed = co < 0;
            int at = 0;
            for (const QChar c : pattern) {
                ElementInfo(c, lt, w);
                for (int i = 0; i < w; ++i, ++at) px[reversed ? W - 1 - at : at] = lt == TBarLineType::White ? space : bar;
            }
            canvas.setBrushOrigin(area.topLeft());
            canvas.fillRect(area, QBrush(row));
            return;
        }
        canvas.fillRect(area, FColor);
    }
    int x = 0;
    QPolygon poly(4);
    for (const QChar c : pattern) {
        ElementInfo(c, lt, w);
        if (spacesAsBackground && lt == TBarLineType::White) {
            x += w;
            continue;
        }
        const QColor& colour = lt == TBarLineType::White ? FColor : FColorBar;
        const int h = lt == TBarLineType::BlackHalf ? H * 2 / 5 : H;
        const QPoint p0 = rotate(x, 0), p2 = rotate(x + w - 1, h);
        if (upright) {
            canvas.fillRect(QRect(QPoint(std::min(p0.x(), p2.x()), std::min(p0.y(), p2.y())),
                                  QPoint(std::max(p0.x(), p2.x()), std::max(p0.y(), p2.y()))),
                            colour);
        } else {
            pen.setColor(colour);
            canvas.setPen(pen);
            canvas.setBrush(colour);
            poly[0] = p0;
            poly[1] = rotate(x, h);
            poly[2] = p2;
            poly[3] = rotate(x + w - 1, 0);
            canvas.drawPolygon(poly);
        }
        x += w;
    }
}

void TBarcodeSymbol::PaintLegend(QPainter& canvas, int width) {
    canvas.setFont(FShowTextFont);
    canvas.setPen(FShowTextFontColor);
    canvas.setBrush(Qt::white);
    const QFontMetrics fm(canvas.font(), canvas.device());
    const auto write = [&](int x, int y, const QString& text, int textWidth) {
        // Text goes on a white box, like an opaque background.
        canvas.fillRect(QRect(x, y, textWidth, fm.height()), Qt::white);
        canvas.drawText(x, y + fm.ascent(), text);
    };
    const int textWidth = fm.horizontalAdvance(FText);
    int x = FLeft;
    switch (FShowTextPosition) {
    case stpTopRight:
    case stpBottomRight:
        x = FLeft + width - textWidth;
        break;
    case stpTopCenter:
    case stpBottomCenter:
        x = FLeft + static_cast<int>(std::trunc((width - textWidth) / 2.0));
        break;
    default:
        break;
    }
    int y = FTop;
    if (FShowTextPosition == stpBottomLeft || FShowTextPosition == stpBottomRight || FShowTextPosition == stpBottomCenter)
        y = FTop + FHeight - fm.height();
    if (FShowText == bcoCode || FShowText == bcoBoth) write(x, y, FText, textWidth);
    if (FShowText == bcoTyp || FShowText == bcoBoth) {
        // The signed height of the font: negative for a character height.
        int fontHeight;
        if (FShowTextFont.pixelSize() > 0)
            fontHeight = -FShowTextFont.pixelSize();
        else
            fontHeight = -RoundEven(FShowTextFont.pointSizeF() * canvas.device()->logicalDpiY() / 72.0);
        const QString name = TypeName();
        write(FLeft, FTop + RoundEven(fontHeight * 2.5), name, fm.horizontalAdvance(name));
    }
}
