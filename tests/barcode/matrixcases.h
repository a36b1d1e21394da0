#pragma once
// The texts every two-dimensional kind is read back with, and what readers
// must give back, shared by the companion's PNG and the drawing at printer
// resolutions.
#include "barcodetypes.h"

#include <QImage>
#include <QList>
#include <QString>
#include <string>

struct TMatrixCase {
    TBarcodeType Type;
    QString Text;
    // For the GS1 kinds the fourteen digits of the GTIN; else the text.
    QString Decoded;
};
const QList<TMatrixCase>& MatrixRoundTripCases();

// Reads `image` with zxing-cpp and expects the case: the right symbology, the
// text (for GS1 the element string, flagged as GS1 data), not mirrored.
void ExpectZxingReads(const QImage& image, const TMatrixCase& c, const std::string& where);
// Reads the images of QR cases with zbar, all in one run.
void ExpectZbarReads(const QList<QImage>& images, const QList<TMatrixCase>& cases, const std::string& where);
