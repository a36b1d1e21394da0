#pragma once
#include <QDateTime>
#include <QString>

// View codes of the goods list: 0 all goods, 1 changed ("NEW = TRUE"), 2 marked
// ("SELECT = TRUE"), 3 never printed ("PRINTDATE = NULL"), 4 printed by the last
// print command (its moment up to one second later).
QString ViewFilter(int code, const QDateTime& lastPrintDate);
// "(a) AND (b)" when both are given, the given one, or empty.
QString CombineFilters(const QString& a, const QString& b);
