#include "checkdigits.h"

#include "barcodesymbol.h"

namespace {

int Digit(QChar c) { return c.unicode() - '0'; }

QChar DigitChar(int d) { return QLatin1Char(static_cast<char>('0' + d)); }

}  // namespace

QString PadWithZeros(const QString& text, int length) {
    if (text.size() >= length) return text;
    return QString(length - text.size(), QLatin1Char('0')) + text;
}

QChar Modulo10CheckDigit(const QString& digits) {
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        const QChar c = digits[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            throw TBarcodeError(QStringLiteral("'%1' is not a valid integer value").arg(c));
        sum = (sum + weight * Digit(c)) % 10;
        weight = 4 - weight;
    }
    return DigitChar((10 - sum) % 10);
}

QString ApplyChecksum(const QString& digits, TCheckSumMethod method) {
    if (method == csmNone) return digits;
    return digits + Modulo10CheckDigit(digits);
}

QString Weighted39CheckDigit(const QString& s) {
    const QString digits = s.left(s.size() - 1);
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum = (sum + weight * Digit(digits[i])) % 10;
        weight = weight == 3 ? 9 : 3;
    }
    return digits + DigitChar(sum);
}

int MsiCheckDigit(const QString& digits) {
    int sum = 0;
    bool doubled = true;  // the rightmost digit is doubled
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        const int d = Digit(digits[i]);
        if (doubled)
            sum += 2 * d >= 10 ? 2 * d - 9 : 2 * d;
        else
            sum += d;
        sum %= 10;
        doubled = !doubled;
    }
    return (10 - sum) % 10;
}

int PostNetCheckDigit(const QString& digits) {
    int sum = 0;
    for (const QChar c : digits) sum = (sum + Digit(c)) % 10;
    return (10 - sum) % 10;
}
