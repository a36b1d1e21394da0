#include "labelpicture.h"

#include "bitmap.h"
#include "rounding.h"
#include "silentfailure.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

void TLabelPicture::Draw(const QString& fileName, bool realSize, const QRect& r, QPainter& canvas) {
    if (!Loaded) {
        Loaded = true;
        Prepared = QImage();
        if (!LoadLabelBitmap(fileName, Source))
            SilentFailure(lcPrint, QStringLiteral("label picture \"%1\" not readable; its box stays blank").arg(fileName));
    }
    if (Source.isNull() || r.width() <= 0 || r.height() <= 0) return;
    const QPaintDevice& device = *canvas.device();
    if (!realSize) {
        canvas.drawImage(r, Source);
        return;
    }
    if (Prepared.isNull() || DpiX != device.logicalDpiX() || DpiY != device.logicalDpiY() || Cut != r.size()) {
        const int srcDpiX = std::max(1, Source.logicalDpiX());
        const int srcDpiY = std::max(1, Source.logicalDpiY());
        const int w = RoundHalfEven(Source.width() * (double(device.logicalDpiX()) / srcDpiX));
        const int h = RoundHalfEven(Source.height() * (double(device.logicalDpiY()) / srcDpiY));
        Prepared = QImage();
        if (w <= 0 || h <= 0) return;
        // Scale only the part that stays inside the box.
        const int cutW = std::min(w, r.width()), cutH = std::min(h, r.height());
        QImage cut(cutW, cutH, QImage::Format_ARGB32_Premultiplied);
        cut.fill(Qt::transparent);
        {
            QPainter p(&cut);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRect(0, 0, w, h), Source);
        }
        Prepared = cut;
        DpiX = device.logicalDpiX();
        DpiY = device.logicalDpiY();
        Cut = r.size();
    }
    canvas.drawImage(r.topLeft(), Prepared);
}
