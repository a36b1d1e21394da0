#pragma once
#include <QImage>
#include <QString>

// Reads the picture of an image object: Windows bitmaps, and the other formats
// the installed image plugins read (PNG, JPEG). Pure white pixels become
// transparent, as label pictures are drawn over the label. The picture takes
// the screen's resolution, not its file's: the designer shows it pixel for
// pixel, and printing keeps that size. False, with a null
// image, when the file is missing, unreadable or not a picture.
bool LoadLabelBitmap(const QString& path, QImage& image);
