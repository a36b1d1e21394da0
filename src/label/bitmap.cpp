#include "bitmap.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>

namespace {

// The designer shows one picture pixel on one screen pixel; a picture prints
// at the size it has there, whatever resolution its file names.
int ScreenDpi() {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    const int dpi = screen ? qRound(screen->logicalDotsPerInch()) : 0;
    return dpi > 0 ? dpi : 96;
}

}  // namespace

bool LoadLabelBitmap(const QString& path, QImage& image) {
    image = QImage();
    if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
    QImageReader reader(path);
    // Judge the file by its content, not by its name.
    reader.setDecideFormatFromContent(true);
    QImage read;
    if (!reader.read(&read) || read.isNull()) return false;
    read = read.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < read.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(read.scanLine(y));
        for (int x = 0; x < read.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == 0x00FFFFFFu) line[x] = 0;
    }
    const int dotsPerMeter = qRound(ScreenDpi() / 0.0254);
    read.setDotsPerMeterX(dotsPerMeter);
    read.setDotsPerMeterY(dotsPerMeter);
    image = std::move(read);
    return true;
}
