#pragma once
#include "barcodetypes.h"
#include "checkdigits.h"

#include <QString>
#include <array>
#include <cstddef>

// The data properties of a symbol, as its encoder reads them. An encoder may
// write Text back (padded, with its check digit) and the EAN-128 mark; when it
// throws, the caller keeps what it had.
struct TBarcodeData {
    QString Text;
    TBarcodeType Typ = DefaultBarcodeType;
    bool Checksum = false;
    TCheckSumMethod CheckSumMethod = csmModulo10;
    // EAN-128 with a check digit: Text already carries it.
    bool Ean128CheckApplied = false;

    // Checksum is on with a method that adds a digit.
    bool AddsCheckDigit() const { return Checksum && CheckSumMethod == csmModulo10; }
};

// The bar pattern of the data in its symbology: one character per element,
// "0".."3" spaces, "5".."8" bars, "A".."D" short bars, of width class 0..3.
// Data the symbology cannot carry as it stands raises TBarcodeError.
QString EncodePattern(TBarcodeData& data);

// One writer per symbology family.
QString EncodeTwoOfFive(TBarcodeData& data);  // interleaved, industrial, matrix
QString EncodeCode39(TBarcodeData& data);     // plain and full ASCII
QString EncodeCode93(TBarcodeData& data);     // plain and full ASCII
QString EncodeCode128(TBarcodeData& data);    // sets A, B, C, with FNC1 for EAN-128
QString EncodeMsi(TBarcodeData& data);
QString EncodePostNet(TBarcodeData& data);
QString EncodeCodabar(TBarcodeData& data);
QString EncodeEanUpc(TBarcodeData& data);  // EAN-8, EAN-13, UPC-A, UPC-E, add-ons

// Helpers the writers share.

// Run lengths "1".."4", bar first, to pattern characters.
QString WidthsToPattern(const QString& runs);
inline int DigitValue(QChar c) { return c.unicode() - '0'; }
inline void AppendPattern(QString& out, const char* elements) { out.append(QLatin1StringView(elements)); }
// Start, the elements `append` writes for each digit in turn, stop: the
// shape of the symbologies that give every digit the same number of elements.
template <typename AppendDigit>
QString DigitByDigit(QStringView digits, const char* start, int elementsPerDigit, AppendDigit append, const char* stop) {
    QString out;
    out.reserve(qsizetype(qstrlen(start)) + digits.size() * elementsPerDigit + qsizetype(qstrlen(stop)));
    AppendPattern(out, start);
    for (const QChar c : digits) append(out, DigitValue(c));
    AppendPattern(out, stop);
    return out;
}
// TBarcodeError "Barcode must be numeric".
[[noreturn]] void ThrowNotNumeric();
// TBarcodeError with the class name put in for %1.
[[noreturn]] void ThrowBarcodeError(const char* format);
// TBarcodeError "<class>:<symbology> bad Data <text>" for data the
// symbology cannot carry.
[[noreturn]] void ThrowBadData(const char* symbology, const QString& text);

// Character codes 0..127: all that the symbologies' tables hold.
constexpr int AsciiSize = 128;
// Index of each character code in a table of entries with a character C,
// -1 where there is none.
using TCharIndex = std::array<signed char, AsciiSize>;
// The index of the first `count` entries of `table`.
template <typename Entry, std::size_t N>
TCharIndex IndexByCharacter(const Entry (&table)[N], std::size_t count = N) {
    TCharIndex index;
    index.fill(-1);
    for (std::size_t i = 0; i < count; ++i) index[static_cast<unsigned char>(table[i].C)] = static_cast<signed char>(i);
    return index;
}
inline int LookUp(const TCharIndex& index, char16_t code) { return code < AsciiSize ? index[code] : -1; }
