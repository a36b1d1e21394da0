#include "zplgraphics.h"

#include <QRegularExpression>

namespace {

QImage DecodeOne(const QByteArray& zpl, qsizetype at, int total, int rowBytes) {
    const int rows = rowBytes > 0 ? total / rowBytes : 0;
    const int digits = rowBytes * 2;
    QImage image(rowBytes * 8, rows, QImage::Format_Grayscale8);
    if (image.isNull()) return {};
    image.fill(255);
    QByteArray row, previous;
    int repeat = 0;
    int y = 0;
    const auto put = [&](const QByteArray& hex) {
        for (int b = 0; b < rowBytes; ++b) {
            const int value = hex.mid(b * 2, 2).toInt(nullptr, 16);
            for (int bit = 0; bit < 8; ++bit)
                if (value & (0x80 >> bit)) image.setPixel(b * 8 + bit, y, 0);
        }
        previous = hex;
        ++y;
    };
    for (; at < zpl.size() && y < rows; ++at) {
        const char c = zpl[at];
        if (c >= 'G' && c <= 'Y') {
            repeat += c - 'F';
        } else if (c >= 'g' && c <= 'z') {
            repeat += (c - 'f') * 20;
        } else if (c == ':') {
            if (previous.isEmpty()) return {};
            put(previous);
        } else if (c == ',' || c == '!' || std::isxdigit(static_cast<unsigned char>(c))) {
            const char digit = c == ',' ? '0' : c == '!' ? 'F' : c;
            const int n = (c == ',' || c == '!') ? digits - int(row.size()) : std::max(repeat, 1);
            row.append(QByteArray(n, digit));
            repeat = 0;
            if (row.size() > digits) return {};
            if (row.size() == digits) {
                put(row);
                row.clear();
            }
        } else if (c == '^' || c == '~') {
            return {};  // the next command before the bitmap's end
        }
    }
    return y == rows ? image : QImage();
}

}  // namespace

QList<QImage> DecodeZplGraphics(const QByteArray& zpl) {
    static const QRegularExpression download(QStringLiteral("~DG[^,]*,(\\d+),(\\d+),"));
    QList<QImage> images;
    const QString text = QString::fromLatin1(zpl);
    for (auto it = download.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        images << DecodeOne(zpl, m.capturedEnd(), m.captured(1).toInt(), m.captured(2).toInt());
    }
    return images;
}
