#include "views.h"

#include "datetimetext.h"
#include "pricehistory.h"

#include <iterator>

std::optional<TViewCode> ViewCodeFromNumber(int number) {
    if (number < 0 || number > 5) return std::nullopt;
    return static_cast<TViewCode>(number);
}

bool IsCheckType(TViewCode code) { return code != TViewCode::Marked; }

TViewCode CheckTypeFromSetting(int number) {
    const auto code = ViewCodeFromNumber(number);
    return code && IsCheckType(*code) ? *code : TViewCode::All;
}

namespace {

constexpr TViewCode kBoxViews[] = {TViewCode::All, TViewCode::Changed, TViewCode::NeverPrinted, TViewCode::LastPrinted,
                                   TViewCode::Reduced};

}  // namespace

TViewCode ViewCodeOfItem(int item) {
    return item >= 0 && item < int(std::size(kBoxViews)) ? kBoxViews[item] : TViewCode::All;
}

int ItemOfViewCode(TViewCode code) {
    for (int i = 0; i < int(std::size(kBoxViews)); ++i)
        if (kBoxViews[i] == code) return i;
    return -1;
}

QString ViewFilter(TViewCode code, const QDateTime& lastPrintDate) {
    switch (code) {
    case TViewCode::All: return QString();
    case TViewCode::Changed: return QStringLiteral("NEW = TRUE");
    case TViewCode::Marked: return QStringLiteral("SELECT = TRUE");
    case TViewCode::NeverPrinted: return QStringLiteral("PRINTDATE = NULL");
    case TViewCode::LastPrinted:
        return QStringLiteral("PRINTDATE >= '") + DateTimeToText(lastPrintDate) + QStringLiteral("'") +
               QStringLiteral(" AND PRINTDATE <= '") + DateTimeToText(lastPrintDate.addSecs(1)) + QStringLiteral("'");
    case TViewCode::Reduced: return kLowestPriceField + QStringLiteral(" <> NULL");
    }
    return QString();
}

QString CombineFilters(const QString& a, const QString& b) {
    if (!a.isEmpty() && !b.isEmpty()) return QStringLiteral("(") + a + QStringLiteral(") AND (") + b + QStringLiteral(")");
    return a.isEmpty() ? b : a;
}
