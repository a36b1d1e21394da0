// Price and quantity texts as the external database and the record dialog
// give them: ParseAmount either reads a number that formats back to itself or
// refuses, and the unit price text is empty or a number with two decimals and
// the unit's symbols; nothing overflows.
#include "unitprice.h"

#include <QRegularExpression>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString all = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Price, then quantity, parted by the first line break.
    const qsizetype cut = all.indexOf(u'\n');
    const QString price = cut < 0 ? all : all.left(cut);
    const QString quantity = cut < 0 ? QString() : all.mid(cut + 1);

    if (const auto amount = ParseAmount(price)) {
        // Four decimals written out read back as the same amount.
        const TAmount a = *amount;
        const std::uint64_t m = a < 0 ? 0ULL - static_cast<std::uint64_t>(a) : static_cast<std::uint64_t>(a);
        const QString text = QStringLiteral("%1%2,%3")
                                 .arg(a < 0 ? QStringLiteral("-") : QString())
                                 .arg(m / 10000)
                                 .arg(m % 10000, 4, 10, QLatin1Char('0'));
        if (ParseAmount(text) != a) std::abort();
        (void)FormatAmount2(a);
    }
    if (const auto q = FindQuantity(quantity)) {
        if (q->Unit.isEmpty() || !quantity.toUpper().contains(q->Unit)) std::abort();
    }
    const QString text = UnitPriceText(price, quantity, TUnitSymbols{});
    static const QRegularExpression shape(QStringLiteral("^-?\\d{1,3}(\u00A0\\d{3})*,\\d\\d zł/(kg|litr|m2)$"));
    if (!text.isEmpty() && !shape.match(text).hasMatch()) std::abort();
    return 0;
}
