#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// Amounts are fixed-point decimals with four decimal places: the number of
// ten-thousandths in a 64-bit integer (4.99 is 49900).
using TAmount = std::int64_t;

// The symbols a unit price is shown with; the program takes them from the
// settings, section "SYMBOL".
struct TUnitSymbols {
    QString Currency = QStringLiteral("zł");
    QString Kg = QStringLiteral("kg");
    QString Litre = QStringLiteral("litr");
    QString SquareMetre = QStringLiteral("m2");
};

class TSettings;
// The symbols of the settings.
TUnitSymbols UnitSymbolsOf(const TSettings& settings);

enum class TUnitKind { Weight, Volume, Area };

struct TQuantity {
    double Value = 0;  // the number before the unit
    QString Unit;      // the unit's text as in the unit table ("DKG", "KG", "G", "ML", "L", "MKW", "M2")
    TUnitKind Kind = TUnitKind::Weight;
};

// A price or quantity text as an amount: either decimal notation ("4,99" and
// "4.99"), a leading separator (",5"), blanks around the number; no thousands
// separators. More than four decimals are rounded to four, halves to even.
// nullopt when the text is no number or too large.
std::optional<TAmount> ParseAmount(const QString& text);

// The first unit of the unit table, in its order, that occurs in the text (not at
// its very start, case ignored) after a readable number.
std::optional<TQuantity> FindQuantity(const QString& text);

// A number as the Polish convention writes it, with two decimals: "," before the
// decimals, groups of three digits parted by a no-break space, a leading "-".
// `tenThousandths` is an amount; the second decimal is rounded half away from
// zero, and at most ten significant digits are shown.
QString FormatAmount2(TAmount tenThousandths);

// An amount as a price text: "," before the decimals, none for a whole amount,
// else two or as many more as show the amount exactly, no grouping, a leading
// "-"; 4.99 gives "4,99", 12 gives "12", 12.5 gives "12,50", 2.005 gives "2,005".
// Printing formats it further as it formats CENA.
QString AmountText(TAmount tenThousandths);

// The price per kilogram, litre or square metre as display text, for instance
// "9,98 zł/kg" for 4,99 and "500 g"; empty when it cannot be computed.
QString UnitPriceText(const QString& price, const QString& quantity, const TUnitSymbols& symbols);
QString UnitPriceText(const QString& price, const QString& quantity, const QString& currencySymbol,
                      const QString& kgSymbol, const QString& litreSymbol, const QString& squareMetreSymbol);
