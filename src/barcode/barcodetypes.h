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
};

// The type codes run from 0 to LastBarcodeType; any other value is no type.
constexpr TBarcodeType LastBarcodeType = bcCodeEAN128C;
constexpr int BarcodeTypeCount = LastBarcodeType + 1;
static_assert(BarcodeTypeCount == 23);
// The type wherever a code is missing: new symbols, settings, goods.
constexpr TBarcodeType DefaultBarcodeType = bcCodeEAN13;

constexpr bool IsBarcodeType(int code) { return code >= 0 && code < BarcodeTypeCount; }

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
