#pragma once
#include <QString>
#include <optional>

// Symbologies; the ordinal is the barcode type code stored with the goods
// (TYPKODU), in the settings and in the record dialog, without translation.
enum TBarcodeType : int {
    bcCode_2_5_interleaved,
    bcCode_2_5_industrial,
    bcCode_2_5_matrix,
    bcCode39,
    bcCode39Extended,
    bcCode128A,
    bcCode128B,
    bcCode128C,
    bcCode93,
    bcCode93Extended,
    bcCodeMSI,
    bcCodePostNet,
    bcCodeCodabar,
    bcCodeEAN8,
    bcCodeEAN13,
    bcCodeUPC_A,
    bcCodeUPC_E0,
    bcCodeUPC_E1,
    bcCodeUPC_Supp2,
    bcCodeUPC_Supp5,
    bcCodeEAN128A,
    bcCodeEAN128B,
    bcCodeEAN128C,
    // Two-dimensional symbols: a matrix of square modules instead of bars.
    bcCodeQR,
    bcCodeDataMatrix,
    bcCodeGS1QR,
    bcCodeGS1DataMatrix,
};

// The type codes run from 0 to LastBarcodeType; any other value is no type.
// The linear symbologies come first, the two-dimensional ones after them.
constexpr TBarcodeType LastBarcodeType = bcCodeGS1DataMatrix;
constexpr int BarcodeTypeCount = LastBarcodeType + 1;
constexpr TBarcodeType LastLinearBarcodeType = bcCodeEAN128C;
constexpr int LinearBarcodeTypeCount = LastLinearBarcodeType + 1;
static_assert(LinearBarcodeTypeCount == 23 && BarcodeTypeCount == 27);
// The type wherever a code is missing: new symbols, settings, goods.
constexpr TBarcodeType DefaultBarcodeType = bcCodeEAN13;

constexpr bool IsBarcodeType(int code) { return code >= 0 && code < BarcodeTypeCount; }
// A type whose symbol is a module matrix (TModuleMatrix), not a bar pattern.
constexpr bool IsMatrixType(int code) { return code > LastLinearBarcodeType && code < BarcodeTypeCount; }
// The GS1 kinds carry a GTIN as the element string (01) + 14 digits.
constexpr bool IsGs1MatrixType(int code) { return code == bcCodeGS1QR || code == bcCodeGS1DataMatrix; }

// Wide/narrow ratio. Two-width symbologies bring it into a range before every
// build: at least MinRatio (MinMatrixRatio for 2 of 5 matrix, whose wide
// elements must stand out more), at most MaxRatio.
constexpr double DefaultRatio = 2.0;
constexpr double MinRatio = 2.0;
constexpr double MinMatrixRatio = 2.25;
constexpr double MaxRatio = 3.0;

// What the engine keeps per type code.
struct TBarcodeTypeInfo {
    const char* LongName;   // TypeName, painted with the symbol
    const char* ShortName;  // shown to the user in the goods grid and dialog
    bool NumericOnly;       // the text must be digits (blanks trimmed)
    // Elements of narrow and wide (Ratio times narrow) width; the others
    // write runs of one to four whole modules and do not depend on Ratio,
    // since scanners measure their elements in modules.
    bool TwoWidth;
    // Lower end of the range Ratio is brought into; 0: left as it is.
    double RatioFloor;
};

// The entry of a type code; the code must be a barcode type.
const TBarcodeTypeInfo& BarcodeTypeInfo(TBarcodeType type);

// The short name shown to the user for a barcode type code; nothing for any
// other value, so the caller keeps the text it had.
std::optional<QString> BarcodeTypeShortName(int code);
