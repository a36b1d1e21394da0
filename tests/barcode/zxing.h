#pragma once
#include <QImage>
#include <QString>

// What zxing-cpp reads from an image: the first symbol found.
struct TZxingResult {
    bool Found = false;
    QString Format;      // zxing's name: "QRCode", "DataMatrix", ...
    QString Text;        // as zxing gives it: characters after their ECI; GS1 data raw ("01...")
    QString EcLevel;     // QR: "L", "M", "Q" or "H"
    QString Symbology;   // "]Q1", "]Q3" (GS1 QR), "]d1", "]d2" (GS1 DataMatrix), ...
    bool Mirrored = false;  // read as a mirror image: rows and columns swapped
};
TZxingResult DecodeWithZxing(const QImage& image);
