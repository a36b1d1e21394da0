#include "pdfpagebox.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// "[0 bottom width top]" in at most `length` bytes, padded with blanks.
QByteArray Box(double bottom, double width, double top, qsizetype length) {
    for (int decimals = 6; decimals >= 0; --decimals) {
        QByteArray box = "[0 " + QByteArray::number(bottom, 'f', decimals) + ' ' +
                         QByteArray::number(width, 'f', decimals) + ' ' + QByteArray::number(top, 'f', decimals);
        if (box.size() + 1 <= length) return box + QByteArray(length - box.size() - 1, ' ') + ']';
    }
    return {};
}

}  // namespace

bool FitPdfPagesToLabel(const QString& path, TMmSize label) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    const QByteArray pdf = file.readAll();
    static const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
    const double width = ToPoints(label.Width);
    const double height = ToPoints(label.Height);
    const QString text = QString::fromLatin1(pdf);
    int boxes = 0;
    for (auto it = box.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype at = m.capturedStart() + 10;  // after "/MediaBox "
        const qsizetype length = m.capturedEnd() - at;
        const double top = m.captured(2).toDouble();
        const QByteArray exact = Box(top - height, width, top, length);
        if (exact.isEmpty() || !file.seek(at) || file.write(exact) != length) return false;
        ++boxes;
    }
    return boxes > 0 && file.flush();
}
