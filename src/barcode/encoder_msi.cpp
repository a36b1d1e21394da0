// MSI (Plessey modified): four bits per digit and a modulo 10 check digit,
// always present.
#include "encoders.h"

QString EncodeMsi(TBarcodeData& data) {
    const QString digits = data.Text + QLatin1Char(static_cast<char>('0' + MsiCheckDigit(data.Text)));
    // The digit's bits, most significant first: 0 a narrow bar and a wide
    // space, 1 a wide bar and a narrow space.
    const auto appendBits = [](QString& out, int d) {
        for (int bit = 3; bit >= 0; --bit) AppendPattern(out, (d >> bit) & 1 ? "60" : "51");
    };
    return DigitByDigit(digits, "60", 8, appendBits, "515");
}
