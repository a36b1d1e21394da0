#include "views.h"

#include "datetimetext.h"

QString ViewFilter(int code, const QDateTime& lastPrintDate) {
    switch (code) {
    case 0: return QString();
    case 1: return QStringLiteral("NEW = TRUE");
    case 2: return QStringLiteral("SELECT = TRUE");
    case 3: return QStringLiteral("PRINTDATE = NULL");
    case 4:
        return QStringLiteral("PRINTDATE >= '") + DateTimeToText(lastPrintDate) + QStringLiteral("'") +
               QStringLiteral(" AND PRINTDATE <= '") + DateTimeToText(lastPrintDate.addSecs(1)) + QStringLiteral("'");
    default: return QString();
    }
}

QString CombineFilters(const QString& a, const QString& b) {
    if (!a.isEmpty() && !b.isEmpty()) return QStringLiteral("(") + a + QStringLiteral(") AND (") + b + QStringLiteral(")");
    return a.isEmpty() ? b : a;
}
