#include "rollpage.h"

#include "sheetgrid.h"
#include "units.h"

#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <vector>

TCellGrid RollCellGrid(TMm10Point offset, TMmSize label, QSize pagePixels, TResolution resolution) {
    TCellGrid g;
    g.Origin = ToDots(offset, resolution);
    g.Cell = g.Step = ToDots(label, resolution).boundedTo(pagePixels);
    g.Columns = g.Rows = 1;
    return g;
}

QImage RollPageImage(QSize pixels, int dpiX, int dpiY) {
    QImage page(pixels, QImage::Format_RGB32);
    if (page.isNull()) return page;
    page.setDotsPerMeterX(std::lround(dpiX / 0.0254));
    page.setDotsPerMeterY(std::lround(dpiY / 0.0254));
    page.fill(Qt::white);
    return page;
}

void PrepareRollCanvas(QPainter& canvas) {
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setRenderHint(QPainter::TextAntialiasing, false);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

bool IsInkDot(QRgb pixel) { return std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 128; }

QByteArray RasterLine(const QImage& page, int y, int bits, bool blackIsOne, int bytes) {
    QByteArray line(bytes, blackIsOne ? '\0' : '\xff');
    auto* out = reinterpret_cast<uchar*>(line.data());
    const auto* in = reinterpret_cast<const QRgb*>(page.constScanLine(y));
    const int width = std::min(page.width(), bits == 8 ? bytes : bytes * 8);
    for (int x = 0; x < width; ++x) {
        if (!IsInkDot(in[x])) continue;
        if (bits == 8)
            out[x] = blackIsOne ? 0xff : 0x00;
        else if (blackIsOne)
            out[x / 8] |= uchar(0x80 >> (x % 8));
        else
            out[x / 8] &= uchar(~(0x80 >> (x % 8)));
    }
    return line;
}

std::optional<QString> DarknessChoice(const QStringList& choices, int level) {
    if (level <= 0) return std::nullopt;
    level = std::min(level, 30);
    static const QRegularExpression keep(QStringLiteral("default|printer|saved|none"),
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    std::vector<std::pair<int, QString>> numbers;
    for (const QString& c : choices) {
        bool isNumber = false;
        const int n = c.toInt(&isNumber);
        if (isNumber) {
            if (n >= 0) numbers.emplace_back(n, c);
        } else if (!keep.match(c).hasMatch()) {
            names << c;
        }
    }
    if (!numbers.empty()) {
        const auto nearest = std::min_element(numbers.begin(), numbers.end(), [&](const auto& a, const auto& b) {
            return std::abs(a.first - level) < std::abs(b.first - level);
        });
        return nearest->second;
    }
    if (names.isEmpty()) return std::nullopt;
    // Level 1 the lightest, 30 the darkest, the rest spread evenly between.
    const qsizetype at = std::lround((level - 1) * double(names.size() - 1) / 29.0);
    return names.at(at);
}

QString RollMediaName(const std::vector<TDriverPageSize>& sizes, TMmSize label) {
    const double w = ToPoints(label.Width);
    const double h = ToPoints(label.Height);
    constexpr double kSlack = 0.25 * 72.0 / 25.4;
    for (const TDriverPageSize& s : sizes) {
        if (s.Name.startsWith(QStringLiteral("Custom"), Qt::CaseInsensitive)) continue;
        if (std::abs(s.Width - w) <= kSlack && std::abs(s.Length - h) <= kSlack) return s.Name;
    }
    return QStringLiteral("Custom.%1x%2mm").arg(label.Width.Value()).arg(label.Height.Value());
}
