#pragma once
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

// The bitmap of one picture object: read once per layout, since a job draws
// the same picture on every label, with the last real-size copy made of it
// for a device.
class TLabelPicture {
public:
    // Draws the picture of `fileName` into `r` on the canvas: at its own
    // physical size, cut to the box, with `realSize`; stretched to the box
    // without. A picture that cannot be read leaves its box blank.
    void Draw(const QString& fileName, bool realSize, const QRect& r, QPainter& canvas);

private:
    bool Loaded = false;
    QImage Source;
    QImage Prepared;
    int DpiX = 0, DpiY = 0;
    QSize Cut;
};
