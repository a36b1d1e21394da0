#include "eanupccommon.h"

#include "barcodesymbol.h"
#include "encoders.h"

const char* const Ean13Parity[10] = {
    "oooooo", "ooEoEE", "ooEEoE", "ooEEEo", "oEooEE", "oEEooE", "oEEEoo", "oEoEoE", "oEoEEo", "oEEoEo",
};

const char* const UpcEParity[10] = {
    "EEEooo", "EEoEoo", "EEooEo", "EEoooE", "EoEEoo", "EooEEo", "EoooEE", "EoEoEo", "EoEooE", "EooEoE",
};

const char* const AddOn2Parity[4] = {"oo", "oE", "Eo", "EE"};

namespace {

// The L-codes of the EAN/UPC standard (0 space, 1 bar, seven modules); the
// R-code is the complement and the G-code the mirror of the R-code.
const char* const LCode[10] = {
    "0001101", "0011001", "0010011", "0111101", "0100011", "0110001", "0101111", "0111011", "0110111", "0001011",
};

// Seven modules in four runs, each run of n modules one pattern character.
void ModulesToPattern(const char* bits, char* out) {
    int n = 0;
    for (int i = 0; i < 7;) {
        int j = i;
        while (j < 7 && bits[j] == bits[i]) ++j;
        out[n++] = static_cast<char>((bits[i] == '1' ? '5' : '0') + (j - i - 1));
        i = j;
    }
    out[n] = 0;
}

struct TEanSets {
    char A[10][5], B[10][5], C[10][5];
    TEanSets() {
        for (int d = 0; d < 10; ++d) {
            char r[8], g[8];
            for (int i = 0; i < 7; ++i) r[i] = LCode[d][i] == '1' ? '0' : '1';
            for (int i = 0; i < 7; ++i) g[i] = r[6 - i];
            r[7] = g[7] = 0;
            ModulesToPattern(LCode[d], A[d]);
            ModulesToPattern(g, B[d]);
            ModulesToPattern(r, C[d]);
        }
    }
};

const TEanSets& Sets() {
    static const TEanSets sets;
    return sets;
}

}  // namespace

const char* EanSetA(int digit) { return Sets().A[digit]; }
const char* EanSetB(int digit) { return Sets().B[digit]; }
const char* EanSetC(int digit) { return Sets().C[digit]; }

void AppendByParity(QString& out, QStringView digits, const char* parity, bool flip, const char* separator) {
    for (qsizetype k = 0; k < digits.size(); ++k) {
        if (k > 0) AppendPattern(out, separator);
        const bool even = (parity[k] == 'E') != flip;
        const int d = DigitValue(digits[k]);
        AppendPattern(out, even ? EanSetB(d) : EanSetA(d));
    }
}

void AppendSetC(QString& out, QStringView digits) {
    for (const QChar c : digits) AppendPattern(out, EanSetC(DigitValue(c)));
}

QString PadToSymbolLength(const QString& text, int length) {
    if (text.size() > length) throw TBarcodeError(QStringLiteral("Barcode is too long"));
    return PadWithZeros(text, length);
}

void RequireCheckDigit(const QString& digits, QChar expected) {
    if (digits.isEmpty() || digits.back() != expected) throw TBarcodeError(QStringLiteral("Barcode check digit is wrong"));
}

QString UpcEToUpcA(int numberSystem, const QString& six) {
    // The zero-suppression rules of UPC-E, chosen by the sixth digit.
    const QString& x = six;
    const QChar ns = QLatin1Char(static_cast<char>('0' + numberSystem));
    const QString z4 = QStringLiteral("0000"), z5 = QStringLiteral("00000");
    switch (DigitValue(x[5])) {
    case 0:
    case 1:
    case 2:
        return ns + x.left(2) + x[5] + z4 + x.mid(2, 3);
    case 3:
        return ns + x.left(3) + z5 + x.mid(3, 2);
    case 4:
        return ns + x.left(4) + z5 + x[4];
    default:
        return ns + x.left(5) + z4 + x[5];
    }
}

int UpcECheckDigit(int numberSystem, const QString& six) {
    return DigitValue(Modulo10CheckDigit(UpcEToUpcA(numberSystem, six)));
}
