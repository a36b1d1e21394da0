// PostNet: five bars per digit, two of them full and three short, between
// two full frame bars, with the correction digit the postal standard
// requires after the data (always present; Checksum has no effect).
#include "encoders.h"

namespace {

// Weights 7, 4, 2, 1, 0: the two full bars add up to the digit (0 is 7 + 4);
// each bar followed by a wide space. Short bars "A" stand on the baseline.
const char* const Digits[10] = {
    "5151A1A1A1", "A1A1A15151", "A1A151A151", "A1A15151A1", "A151A1A151",
    "A151A151A1", "A15151A1A1", "51A1A1A151", "51A1A151A1", "51A151A1A1",
};

}  // namespace

QString EncodePostNet(TBarcodeData& data) {
    const QString digits = data.Text + QLatin1Char(static_cast<char>('0' + PostNetCheckDigit(data.Text)));
    return DigitByDigit(digits, "51", 10, [](QString& out, int d) { AppendPattern(out, Digits[d]); }, "5");
}
