#pragma once
#include "matrixsymbol.h"

#include <QColor>
#include <QString>

class TSettings;

// How prices, barcodes and frames are printed; the program fills it from its
// settings and the configuration page.
struct TPrintOptions {
    bool AlwaysGr = true;         // a price without a separator gets ",00"
    bool DoubleGr = true;         // one digit after the separator gets a second "0"
    bool DotSeparator = false;    // "." instead of ","
    bool SmallGr = false;         // the fraction printed small and raised
    bool BarcodeShowText = true;  // barcodes carry their digits
    QColor FrameColor = Qt::black;
    TQrEcc QrEcc = DefaultQrEcc;  // error correction of QR symbols
};

// The options the settings hold (price format, barcode text, frame colour,
// QR error correction).
TPrintOptions PrintOptionsOf(const TSettings& settings);

// The price text as printed: ",00" appended by AlwaysGr, a second decimal by
// DoubleGr, then the separator turned to "." or ",".
QString FormatPrice(const QString& price, bool alwaysGr, bool doubleGr, bool dotSeparator);
