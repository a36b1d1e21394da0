#include "pricefit.h"

#include "layout.h"

#include <QStringList>
#include <algorithm>
#include <climits>

namespace {

bool Fits(const QFontMetrics& metrics, const QSize& box, int flags, const QString& text) {
    const QRect used = metrics.boundingRect(QRect(0, 0, box.width(), INT_MAX / 4), flags | Qt::TextWordWrap, text);
    return used.width() <= box.width() && used.height() <= box.height();
}

}  // namespace

TFittedPriceText FitPriceTemplate(const QString& templateText, const QString& price, int points, const QSize& box,
                                  int flags, const std::function<QFontMetrics(int points)>& metricsAt) {
    const QString pattern = templateText.isEmpty() ? kLowestPriceTemplate.toString() : templateText;
    const QString whole = FillPriceTemplate(pattern, price);
    const auto fits = [&](int size, const QString& text) { return Fits(metricsAt(size), box, flags, text); };
    if (fits(points, whole)) return {whole, points};
    // The largest size that fits, found by halving between the smallest size
    // and the field's own, which does not.
    const int smallest = std::min(points, kLowestPriceMinPoints);
    if (smallest < points && fits(smallest, whole)) {
        int fitting = smallest, tooLarge = points;
        while (tooLarge - fitting > 1) {
            const int middle = fitting + (tooLarge - fitting) / 2;
            (fits(middle, whole) ? fitting : tooLarge) = middle;
        }
        return {whole, fitting};
    }
    // At the smallest size, the words before the price go from the last one.
    const qsizetype at = pattern.indexOf(kPricePlaceholder, 0, Qt::CaseInsensitive);
    const QString amount = at < 0 ? QString() : FillPriceTemplate(pattern.mid(at), price);
    QStringList words = (at < 0 ? pattern : pattern.left(at)).split(u' ', Qt::SkipEmptyParts);
    const qsizetype kept = amount.isEmpty() ? 1 : 0;
    if (words.size() <= kept) return {whole, smallest};
    const auto cut = [&] {
        if (words.isEmpty()) return amount;
        const QString head = words.join(u' ') + u'…';
        return amount.isEmpty() ? head : head + u' ' + amount;
    };
    while (words.size() > kept) {
        words.removeLast();
        if (fits(smallest, cut())) break;
    }
    return {cut(), smallest};
}
