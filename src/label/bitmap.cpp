#include "bitmap.h"

#include <QFileInfo>
#include <QImageReader>

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
    image = std::move(read);
    return true;
}
