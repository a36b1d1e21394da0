#pragma once
// What the EAN and UPC symbols and their add-ons share: the three digit sets,
// the parity rows, the guards, the check digit of a text that brings its own,
// and the UPC-E zero suppression.
#include <QString>
#include <QStringView>

// Digit sets as four pattern characters per digit (runs of 1..4 modules):
// set A, the L-code, and set B, the G-code, start with a space; set C, the
// R-code, with a bar. Set A has odd parity, set B even.
const char* EanSetA(int digit);
const char* EanSetB(int digit);
const char* EanSetC(int digit);

// Parity rows, 'o' odd (set A) and 'E' even (set B): the EAN-13 row chosen
// by the first digit, the UPC-E row (number system 0) chosen by the check
// digit, and the 2-digit add-on pair chosen by the value mod 4.
extern const char* const Ean13Parity[10];
extern const char* const UpcEParity[10];
extern const char* const AddOn2Parity[4];

constexpr const char* EanStartGuard = "505";
constexpr const char* EanCentreGuard = "05050";
constexpr const char* EanEndGuard = "505";
constexpr const char* UpcEEndGuard = "050505";
constexpr const char* AddOnStartGuard = "506";
constexpr const char* AddOnSeparator = "05";

// Appends the digits, each in set A where its letter in `parity` is 'o' and
// in set B where it is 'E' (the other way round with `flip`), with
// `separator` between two digits.
void AppendByParity(QString& out, QStringView digits, const char* parity, bool flip = false,
                    const char* separator = "");
// Appends the digits in set C.
void AppendSetC(QString& out, QStringView digits);

// A text that carries its own check digit as the last of `length` digits:
// padded with leading zeros; a longer text raises "Barcode is too long".
QString PadToSymbolLength(const QString& text, int length);
// Raises "Barcode check digit is wrong" unless the last digit of `digits` is
// `expected`: a symbol with a wrong check digit scans as nothing at all, or,
// for UPC-E, whose check digit lives in the parities, as another number.
void RequireCheckDigit(const QString& digits, QChar expected);

// The eleven data digits of the UPC-A number that the six UPC-E digits stand
// for in number system `numberSystem` (0 or 1).
QString UpcEToUpcA(int numberSystem, const QString& six);
// The UPC-E check digit: that of the UPC-A number the six digits stand for.
int UpcECheckDigit(int numberSystem, const QString& six);
