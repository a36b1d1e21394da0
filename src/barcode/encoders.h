#pragma once
#include <QString>

class TBarcodeSymbol;

// The encoders of all symbologies; each reads the symbol's properties and
// returns its bar pattern, some of them writing the text back (padded or with
// its check digit).
struct TBarcodeEncoders {
    static QString Encode(TBarcodeSymbol& s);

    static QString Code_2_5_interleaved(TBarcodeSymbol& s);
    static QString Code_2_5_industrial(TBarcodeSymbol& s);
    static QString Code_2_5_matrix(TBarcodeSymbol& s);
    static QString Code_39(TBarcodeSymbol& s);
    static QString Code_39Extended(TBarcodeSymbol& s);
    static QString Code_128(TBarcodeSymbol& s);
    static QString Code_93(TBarcodeSymbol& s);
    static QString Code_93Extended(TBarcodeSymbol& s);
    static QString Code_MSI(TBarcodeSymbol& s);
    static QString Code_PostNet(TBarcodeSymbol& s);
    static QString Code_Codabar(TBarcodeSymbol& s);
    static QString Code_EAN8(TBarcodeSymbol& s);
    static QString Code_EAN13(TBarcodeSymbol& s);
    static QString Code_UPC_A(TBarcodeSymbol& s);
    static QString Code_UPC_E(TBarcodeSymbol& s);
    static QString Code_Supp5(TBarcodeSymbol& s);
    static QString Code_Supp2(TBarcodeSymbol& s);
};

// Run lengths "1".."4", bar first, to pattern characters.
QString WidthsToPattern(const QString& runs);
// Five digits and a check digit weighted 3, 9, 3, ... from the right, without
// a complement to 10; the last character of `s` is dropped first.
QString Weighted39CheckDigit(const QString& s);
// MSI modulo 10 check digit: digits at odd positions counted from the right
// are doubled and their digit sums added to the other digits.
int MsiCheckDigit(const QString& digits);
// The UPC-E check digit: that of the twelve-digit UPC-A number the six
// digits stand for in number system `numberSystem`.
int UpcECheckDigit(int numberSystem, const QString& six);
// The eleven data digits of the UPC-A number a UPC-E symbol stands for.
QString UpcEToUpcA(int numberSystem, const QString& six);
