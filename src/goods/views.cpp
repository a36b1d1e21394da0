#include "views.h"

#include "datetimetext.h"

std::optional<TViewCode> ViewCodeFromNumber(int number) {
    if (number < 0 || number > 4) return std::nullopt;
    return static_cast<TViewCode>(number);
}

bool IsCheckType(TViewCode code) { return code != TViewCode::Marked; }

QString ViewFilter(TViewCode code, const QDateTime& lastPrintDate) {
    switch (code) {
    case TViewCode::All: return QString();
    case TViewCode::Changed: return QStringLiteral("NEW = TRUE");
    case TViewCode::Marked: return QStringLiteral("SELECT = TRUE");
    case TViewCode::NeverPrinted: return QStringLiteral("PRINTDATE = NULL");
    case TViewCode::LastPrinted:
        return QStringLiteral("PRINTDATE >= '") + DateTimeToText(lastPrintDate) + QStringLiteral("'") +
               QStringLiteral(" AND PRINTDATE <= '") + DateTimeToText(lastPrintDate.addSecs(1)) + QStringLiteral("'");
    }
    return QString();
}

QString CombineFilters(const QString& a, const QString& b) {
    if (!a.isEmpty() && !b.isEmpty()) return QStringLiteral("(") + a + QStringLiteral(") AND (") + b + QStringLiteral(")");
    return a.isEmpty() ? b : a;
}
