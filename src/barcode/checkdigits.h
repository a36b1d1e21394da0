#pragma once
#include <QChar>
#include <QString>

enum TCheckSumMethod : int { csmNone, csmModulo10 };

// `text` with "0" put in front until it is `length` characters long; a longer
// text is returned unchanged.
QString PadWithZeros(const QString& text, int length);

// Modulo 10 check digit with weights 3, 1, 3, ... from the right (EAN, UPC,
// EAN-128); throws TBarcodeError on a non-digit.
QChar Modulo10CheckDigit(const QString& digits);
// `digits` followed by the check digit of `method` (nothing for csmNone).
QString ApplyChecksum(const QString& digits, TCheckSumMethod method);

// The UPC add-ons: the last character of `s` is dropped, the remaining
// digits get a digit weighted 3, 9, 3, ... from the right, without a
// complement to 10.
QString Weighted39CheckDigit(const QString& s);

// MSI modulo 10: digits at odd positions counted from the right are doubled
// and their digit sums added to the other digits.
int MsiCheckDigit(const QString& digits);

// PostNet correction digit: makes the sum of all digits a multiple of 10.
int PostNetCheckDigit(const QString& digits);
