// Painting a symbol: the bars at any angle, the legend, and how wide the
// painting comes out; the modules of the two-dimensional symbols.
#include "symbolpainting.h"

#include "barcodesymbol.h"

#include "rounding.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Short bars are two fifths of the full height and stand on the baseline
// with the full bars, as postal scanners expect.
int ShortBarHeight(int height) { return height * 2 / 5; }

// Where the elements go: rotated about the origin, then moved so that the
// top-left corner of the rotated symbol's bounding box is at (left, top).
struct TPlacement {
    double S, C;
    int Ox, Oy;

    TPlacement(double angle, int W, int H, int left, int top) {
        const double a = angle / 180.0 * M_PI;
        S = std::sin(a);
        C = std::cos(a);
        Ox = 0;
        Oy = 0;
        if (S >= 0 && C >= 0) {
            Oy = RoundHalfEven(W * S);
        } else if (S >= 0) {
            Ox = -RoundHalfEven(W * C);
            Oy = RoundHalfEven(W * S - H * C);
        } else if (C >= 0) {
            Ox = -RoundHalfEven(H * S);
        } else {
            Ox = -RoundHalfEven(W * C) - RoundHalfEven(H * S);
            Oy = -RoundHalfEven(H * C);
        }
        Ox += left;
        Oy += top;
    }
    // On a page whose y grows downwards this turns counter-clockwise.
    QPoint operator()(int p, int q) const { return QPoint(RoundHalfEven(p * C + q * S) + Ox, RoundHalfEven(-p * S + q * C) + Oy); }
    // At quarter turns every element is an upright rectangle.
    bool Upright() const { return std::fabs(S) < 1e-9 || std::fabs(C) < 1e-9; }
    // The rectangle between two corners, whichever way round they lie.
    static QRect Between(QPoint a, QPoint b) {
        return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                     QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    }
};

}  // namespace

void TBarcodeSymbol::PaintTo(QPainter& canvas) {
    const QString pattern = BuildPattern();
    // Measuring checks every element first, so a bad pattern paints nothing at all.
    const int width = PatternWidth(pattern, FModules);
    canvas.save();
    PaintBars(canvas, pattern, width);
    if (FShowText != bcoNone) PaintLegend(canvas, width);
    canvas.restore();
}

void TBarcodeSymbol::PaintBars(QPainter& canvas, const QString& pattern, int W) {
    TBarLineType lt;
    int w;
    const int H = FHeight;
    const TPlacement rotate(FAngle, W, H, FLeft, FTop);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    // At quarter turns filling the rectangle covers exactly the pixels of the
    // outlined polygon, much faster.
    const bool upright = rotate.Upright();
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
        const QRect area = TPlacement::Between(rotate(0, 0), rotate(W - 1, H));
        // Upright or upside down on a bitmap every row of the symbol is the
        // same: tile one row instead of filling each bar row by row.
        if (std::fabs(rotate.C) > 0.5 && canvas.device() && canvas.device()->devType() == QInternal::Image &&
            canvas.transform().type() <= QTransform::TxTranslate && H >= 0) {
            const bool opaque = FColor.alpha() == 255 && FColorBar.alpha() == 255;
            QImage row(W, 1, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
            QRgb* px = reinterpret_cast<QRgb*>(row.scanLine(0));
            const QRgb space = qPremultiply(FColor.rgba()), bar = qPremultiply(FColorBar.rgba());
            const bool reversed = rotate.C < 0;
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
        const int top = lt == TBarLineType::BlackHalf ? H - ShortBarHeight(H) : 0;
        const QPoint p0 = rotate(x, top), p2 = rotate(x + w - 1, H);
        if (upright) {
            canvas.fillRect(TPlacement::Between(p0, p2), colour);
        } else {
            pen.setColor(colour);
            canvas.setPen(pen);
            canvas.setBrush(colour);
            poly[0] = p0;
            poly[1] = rotate(x, H);
            poly[2] = p2;
            poly[3] = rotate(x + w - 1, top);
            canvas.drawPolygon(poly);
        }
        x += w;
    }
}

int TBarcodeSymbol::LegendX(int width, int textWidth) const {
    switch (FShowTextPosition) {
    case stpTopRight:
    case stpBottomRight: return FLeft + width - textWidth;
    case stpTopCenter:
    case stpBottomCenter: return FLeft + static_cast<int>(std::trunc((width - textWidth) / 2.0));
    default: return FLeft;
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
    const int x = LegendX(width, textWidth);
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
            fontHeight = -RoundHalfEven(FShowTextFont.pointSizeF() * canvas.device()->logicalDpiY() / 72.0);
        const QString name = TypeName();
        write(FLeft, FTop + RoundHalfEven(fontHeight * 2.5), name, fm.horizontalAdvance(name));
    }
}

int TBarcodeSymbol::PaintedWidth(int modul, const QPaintDevice* device) const {
    int modules[4];
    QString text;
    const QString pattern = PatternAt(modul, modules, text);
    const int W = PatternWidth(pattern, modules);
    // The bars cover the pixels between the rotated corners of their box.
    const TPlacement rotate(FAngle, W, FHeight, FLeft, FTop);
    int left = std::numeric_limits<int>::max(), right = std::numeric_limits<int>::min();
    for (const QPoint corner : {rotate(0, 0), rotate(0, FHeight), rotate(W - 1, FHeight), rotate(W - 1, 0)}) {
        left = std::min(left, corner.x());
        right = std::max(right, corner.x());
    }
    // The legend boxes, never rotated, are placed by the bars' width along
    // the symbol.
    const auto widen = [&](int x, int textWidth) {
        if (textWidth <= 0) return;
        left = std::min(left, x);
        right = std::max(right, x + textWidth - 1);
    };
    if (FShowText != bcoNone) {
        const QFontMetrics fm(FShowTextFont, device);
        if (FShowText == bcoCode || FShowText == bcoBoth) {
            const int textWidth = fm.horizontalAdvance(text);
            widen(LegendX(W, textWidth), textWidth);
        }
        if (FShowText == bcoTyp || FShowText == bcoBoth) widen(FLeft, fm.horizontalAdvance(TypeName()));
    }
    return right - left + 1;
}

int MinMatrixModule(int dpi) {
    // 0.25 mm × 95 % = 0.2375 mm = 2375 / 254000 inch, rounded up to whole dots.
    const qint64 dots = (static_cast<qint64>(std::max(dpi, 0)) * 2375 + 253999) / 254000;
    return static_cast<int>(std::clamp<qint64>(dots, 1, std::numeric_limits<int>::max()));
}

std::optional<TMatrixPlacement> FitMatrix(const TModuleMatrix& matrix, const QRect& box, int dpi) {
    const qint64 columns = qint64(matrix.Columns) + 2 * qint64(matrix.QuietZone);
    const qint64 rows = qint64(matrix.Rows) + 2 * qint64(matrix.QuietZone);
    if (matrix.Columns <= 0 || matrix.Rows <= 0 || box.width() <= 0 || box.height() <= 0) return std::nullopt;
    const qint64 module = std::min(box.width() / columns, box.height() / rows);
    if (module < MinMatrixModule(dpi)) return std::nullopt;
    const int width = static_cast<int>(columns * module), height = static_cast<int>(rows * module);
    return TMatrixPlacement{static_cast<int>(module),
                            QRect(box.left() + (box.width() - width) / 2, box.top() + (box.height() - height) / 2, width, height)};
}

void PaintMatrixAt(QPainter& canvas, const TModuleMatrix& matrix, QPoint topLeft, int module, const QColor& dark,
                   const QColor& light) {
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    const int q = matrix.QuietZone;
    canvas.fillRect(QRect(topLeft.x(), topLeft.y(), (matrix.Columns + 2 * q) * module, (matrix.Rows + 2 * q) * module), light);
    const int x0 = topLeft.x() + q * module, y0 = topLeft.y() + q * module;
    // One rectangle per run of dark modules in a row: fewer, larger fills,
    // and fewer bytes in a PDF; and all of them in one call, which a PDF
    // writes as one path filled once instead of one fill (with its state) a
    // run.
    std::vector<QRect> runs;
    runs.reserve(static_cast<std::size_t>(matrix.Rows) * 4);
    for (int r = 0; r < matrix.Rows; ++r) {
        for (int c = 0; c < matrix.Columns;) {
            if (!matrix.IsDark(c, r)) {
                ++c;
                continue;
            }
            int end = c + 1;
            while (end < matrix.Columns && matrix.IsDark(end, r)) ++end;
            runs.emplace_back(x0 + c * module, y0 + r * module, (end - c) * module, module);
            c = end;
        }
    }
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(dark);
    canvas.drawRects(runs.data(), static_cast<int>(runs.size()));
    canvas.restore();
}

bool PaintMatrix(QPainter& canvas, const TModuleMatrix& matrix, const QRect& box, int dpi, const QColor& dark,
                 const QColor& light) {
    const std::optional<TMatrixPlacement> at = FitMatrix(matrix, box, dpi);
    if (!at) return false;
    PaintMatrixAt(canvas, matrix, at->Area.topLeft(), at->Module, dark, light);
    return true;
}
