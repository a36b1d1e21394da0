// 2 of 5 interleaved, industrial and matrix: five elements per digit, two of
// them wide.
#include "encoders.h"

namespace {

// Per digit the five flags, '1' wide, '0' narrow.
const char* const Flags[10] = {
    "00110", "10001", "01001", "11000", "00101", "10100", "01100", "00011", "10010", "01010",
};

bool Wide(int digit, int element) { return Flags[digit][element] == '1'; }
QChar Bar(bool wide) { return QLatin1Char(wide ? '6' : '5'); }
QChar Space(bool wide) { return QLatin1Char(wide ? '1' : '0'); }

// Digits in pairs, the first in the bars, the second in the spaces between.
QString Interleaved(TBarcodeData& data) {
    // Every digit needs a partner: an odd count gets a leading zero, as in
    // Code 128 C, instead of losing its last digit.
    if (data.Text.size() % 2 == 1) data.Text.prepend(QLatin1Char('0'));
    const QString& t = data.Text;
    QString out;
    out.reserve(7 + t.size() * 5);
    AppendPattern(out, "5050");
    for (qsizetype i = 0; i + 1 < t.size(); i += 2) {
        for (int j = 0; j < 5; ++j) {
            out.append(Bar(Wide(DigitValue(t[i]), j)));
            out.append(Space(Wide(DigitValue(t[i + 1]), j)));
        }
    }
    AppendPattern(out, "605");
    return out;
}

// Every element a bar, followed by a narrow space.
QString Industrial(const QString& t) {
    return DigitByDigit(t, "606050", 10, [](QString& out, int d) {
        for (int j = 0; j < 5; ++j) AppendPattern(out, Wide(d, j) ? "60" : "50");
    }, "605060");
}

// Bar, space, bar, space, bar, then a narrow gap.
QString Matrix(const QString& t) {
    return DigitByDigit(t, "705050", 6, [](QString& out, int d) {
        for (int j = 0; j < 5; ++j) out.append(j % 2 == 0 ? Bar(Wide(d, j)) : Space(Wide(d, j)));
        out.append(QLatin1Char('0'));
    }, "70505");
}

}  // namespace

QString EncodeTwoOfFive(TBarcodeData& data) {
    switch (data.Typ) {
    case bcCode_2_5_interleaved: return Interleaved(data);
    case bcCode_2_5_industrial: return Industrial(data.Text);
    default: return Matrix(data.Text);
    }
}
