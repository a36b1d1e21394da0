#include "unitprice.h"

#include "rounding.h"
#include "settings.h"

#include <cmath>
#include <limits>

namespace {

bool IsBlank(QChar c) { return c.unicode() <= ' '; }

// Converts with `sep` as the only decimal separator: [blanks][sign]digits[sep digits]
// [exponent][blanks], or a number that starts with the separator's digits.
std::optional<TAmount> Convert(const QString& text, QChar sep) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Digits of the mantissa without the separator; `decimals` counts those after it.
    QString digits;
    int decimals = 0;
    bool any = false;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        digits += text[i++];
        any = true;
    }
    if (i < n && text[i] == sep) {
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            digits += text[i++];
            ++decimals;
            any = true;
        }
    }
    if (!any) return std::nullopt;
    int exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            expNegative = text[i] == u'-';
            ++i;
        }
        bool expAny = false;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            if (exponent < 10000) exponent = exponent * 10 + (text[i].unicode() - '0');
            ++i;
            expAny = true;
        }
        if (!expAny) return std::nullopt;
        if (expNegative) exponent = -exponent;
    }
    while (i < n && IsBlank(text[i])) ++i;
    if (i != n) return std::nullopt;

    // value = digits * 10^(exponent - decimals); we want ten-thousandths.
    int shift = exponent - decimals + 4;
    while (digits.size() > 1 && digits[0] == u'0') digits.remove(0, 1);
    // Integer part in ten-thousandths, with the dropped digits for rounding.
    QString kept = digits;
    QString dropped;
    if (shift >= 0) {
        if (kept != QLatin1String("0")) kept += QString(shift, u'0');
    } else {
        const qsizetype drop = -static_cast<qsizetype>(shift);
        if (drop >= kept.size()) {
            dropped = QString(drop - kept.size(), u'0') + kept;
            kept = QStringLiteral("0");
        } else {
            dropped = kept.right(drop);
            kept.chop(drop);
        }
    }
    if (kept.size() > 19) return std::nullopt;
    bool ok = false;
    const qulonglong magnitude = kept.toULongLong(&ok);
    if (!ok) return std::nullopt;
    qulonglong value = magnitude;
    if (!dropped.isEmpty()) {
        const int first = dropped[0].unicode() - '0';
        bool restNonZero = false;
        for (qsizetype k = 1; k < dropped.size(); ++k) restNonZero = restNonZero || dropped[k] != u'0';
        const bool roundUp = first > 5 || (first == 5 && (restNonZero || (value % 2) == 1));
        if (roundUp) ++value;
    }
    const qulonglong limit = static_cast<qulonglong>(std::numeric_limits<TAmount>::max());
    if (value > limit) return std::nullopt;
    const TAmount v = static_cast<TAmount>(value);
    return negative ? -v : v;
}

struct UnitEntry {
    const char* text;
    TUnitKind kind;
    double factor;  // multiplies the price before it is divided by the quantity
};

// The order matters: "DKG" before "KG" and "G", "ML" before "L".
const UnitEntry kUnits[] = {
    {"DKG", TUnitKind::Weight, 100}, {"KG", TUnitKind::Weight, 1},  {"G", TUnitKind::Weight, 1000},
    {"ML", TUnitKind::Volume, 1000}, {"L", TUnitKind::Volume, 1},   {"MKW", TUnitKind::Area, 1},
    {"M2", TUnitKind::Area, 1},
};

double FactorOf(const QString& unit) {
    for (const auto& u : kUnits)
        if (unit == QLatin1String(u.text)) return u.factor;
    return 1;
}

}  // namespace

std::optional<TAmount> ParseAmount(const QString& text) {
    QString t = text;
    if (t.startsWith(u',') || t.startsWith(u'.')) t.prepend(u'0');
    // The program reads numbers the Polish way first, whatever the system says.
    if (auto v = Convert(t, u',')) return v;
    const qsizetype comma = t.indexOf(u',');
    if (comma >= 0) {
        t[comma] = u'.';
        return Convert(t, u',');
    }
    const qsizetype dot = t.indexOf(u'.');
    if (dot >= 0) {
        t[dot] = u',';
        return Convert(t, u',');
    }
    return std::nullopt;
}

std::optional<TQuantity> FindQuantity(const QString& text) {
    // Upper case letter by letter, so positions stay those of the original text.
    QString upper = text;
    for (QChar& c : upper) c = c.toUpper();
    for (const auto& unit : kUnits) {
        const qsizetype pos = upper.indexOf(QLatin1String(unit.text));
        if (pos <= 0) continue;
        const auto amount = ParseAmount(text.left(pos).trimmed());
        if (!amount) continue;
        return TQuantity{static_cast<double>(*amount) / 10000.0, QString::fromLatin1(unit.text), unit.kind};
    }
    return std::nullopt;
}

QString FormatAmount2(TAmount tenThousandths) {
    const bool negative = tenThousandths < 0;
    // Magnitude as unsigned, so the most negative amount does not overflow.
    qulonglong m = negative ? 0ULL - static_cast<qulonglong>(tenThousandths) : static_cast<qulonglong>(tenThousandths);
    int digitCount = 0;
    for (qulonglong x = m; x > 0; x /= 10) ++digitCount;
    // With two decimals the value shows digitCount - 2 digits; beyond ten
    // significant digits the value is rounded at the tenth one.
    qulonglong unit = 100;
    if (digitCount - 2 > 10) {
        unit = 1;
        for (int i = 0; i < digitCount - 10; ++i) unit *= 10;
    }
    qulonglong rounded = m / unit;
    if ((m % unit) * 2 >= unit) ++rounded;  // halves away from zero
    const qulonglong cents = rounded * (unit / 100);
    const QString intPart = QString::number(cents / 100);
    QString grouped;
    for (qsizetype i = 0; i < intPart.size(); ++i) {
        if (i > 0 && (intPart.size() - i) % 3 == 0) grouped += QChar(0x00A0);
        grouped += intPart[i];
    }
    QString out = grouped + u',' + QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
    if (negative && cents != 0) out.prepend(u'-');
    return out;
}

QString AmountText(TAmount tenThousandths) {
    const bool negative = tenThousandths < 0;
    const qulonglong m = negative ? 0ULL - static_cast<qulonglong>(tenThousandths) : static_cast<qulonglong>(tenThousandths);
    QString out = QString::number(m / 10000);
    if (const qulonglong fraction = m % 10000; fraction != 0) {
        QString decimals = QStringLiteral("%1").arg(fraction, 4, 10, QLatin1Char('0'));
        // Grosze always take two places, as shops write prices.
        while (decimals.size() > 2 && decimals.endsWith(u'0')) decimals.chop(1);
        out += u',' + decimals;
    }
    if (negative) out.prepend(u'-');
    return out;
}

QString UnitPriceText(const QString& price, const QString& quantity, const TUnitSymbols& symbols) {
    const auto p = ParseAmount(price);
    if (!p) return QString();
    const auto q = FindQuantity(quantity);
    if (!q) return QString();
    if (q->Value == 0) return QString();
    const double r = static_cast<double>(*p) * FactorOf(q->Unit) / q->Value;
    if (!std::isfinite(r)) return QString();
    const double rounded = static_cast<double>(RoundHalfEvenWide(r));
    // The fixed-point range ends below 2^63.
    if (!(std::fabs(rounded) < 9.2233720368547758e18)) return QString();
    QString unitSymbol;
    switch (q->Kind) {
    case TUnitKind::Weight: unitSymbol = symbols.Kg; break;
    case TUnitKind::Volume: unitSymbol = symbols.Litre; break;
    case TUnitKind::Area: unitSymbol = symbols.SquareMetre; break;
    }
    return FormatAmount2(static_cast<TAmount>(rounded)) + u' ' + symbols.Currency + u'/' + unitSymbol;
}

QString UnitPriceText(const QString& price, const QString& quantity, const QString& currencySymbol,
                      const QString& kgSymbol, const QString& litreSymbol, const QString& squareMetreSymbol) {
    return UnitPriceText(price, quantity, TUnitSymbols{currencySymbol, kgSymbol, litreSymbol, squareMetreSymbol});
}

TUnitSymbols UnitSymbolsOf(const TSettings& s) {
    return TUnitSymbols{s.CurrencySymbol, s.KgSymbol, s.LitreSymbol, s.SquareMetreSymbol};
}
