#pragma once
#include <QDateTime>
#include <QString>
#include <optional>

// The views of the goods list, by the codes that the settings (CHECKTYPE) and
// the companion's options use. The check types of "Zaznacz" are the same
// codes without Marked.
enum class TViewCode : quint8 {
    All = 0,
    Changed = 1,       // "NEW = TRUE"
    Marked = 2,        // "SELECT = TRUE"
    NeverPrinted = 3,  // "PRINTDATE = NULL"
    LastPrinted = 4,   // printed by the last print command (its moment up to one second later)
    Reduced = 5,       // "NAJNIZSZA <> NULL": goods with a reduction, so with a lowest price
};

// The view of a code number; nullopt for a number that names no view.
std::optional<TViewCode> ViewCodeFromNumber(int number);
// Whether a view can be a check type of "Zaznacz" (every view but Marked).
bool IsCheckType(TViewCode code);
// The check type of a number as the settings hold it (CHECKTYPE): 1, 3, 4 and
// 5 are their views, any other number means All.
TViewCode CheckTypeFromSetting(int number);

// The view box of the goods list offers All, Changed, NeverPrinted,
// LastPrinted and Reduced in this order: the view of an item (All for an item outside the
// box) and the item of a view (-1 for Marked, which the box does not offer).
TViewCode ViewCodeOfItem(int item);
int ItemOfViewCode(TViewCode code);

// The filter of a view.
QString ViewFilter(TViewCode code, const QDateTime& lastPrintDate);
// "(a) AND (b)" when both are given, the given one, or empty.
QString CombineFilters(const QString& a, const QString& b);
