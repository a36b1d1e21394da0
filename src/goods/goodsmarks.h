#pragma once
#include "goodssession.h"
#include "goodstable.h"
#include "views.h"

#include <QDateTime>

// What the goods list's marking and deleting do to the goods table and to the
// counter of marked goods, on the goods session of the window. Each raises
// TEngineError when the table fails (the list absorbs it); the whole table
// `tbLocal` is closed afterwards however the operation ends.

// "Odznacz" and every change of the view: clears every mark of the table and
// sets the counter to 0.
void ClearAllSelections(TGoodsSession& goods, const TTable::Progress& progress = ProcessPendingMessages);

// "Zaznacz": the marks of view `view` become those of its records that also
// match check type `check`, the counter takes their number (returned), and the
// list moves to its first marked record, also after a failure.
int SelectByType(TGoodsSession& goods, TViewCode view, TViewCode check, const QDateTime& lastPrint,
                 const TTable::Progress& progress = ProcessPendingMessages);

// A click in the mark icon area or the space bar: inverts the mark of the list's
// current record and moves the counter with it. `toggling` is set while the
// record enters the edit state, so that the edit handler opens no dialog. False
// on a closed or empty list. On a failure the record and the counter are as
// they were.
bool ToggleMark(TGoodsSession& goods, bool& toggling);

// Deleting while view `view` holds marked goods: their number (0 when none).
int CountMarkedInView(TGoodsSession& goods, TViewCode view, const QDateTime& lastPrint);
// Deletes the marked goods of the view, refreshes the list and lowers the
// counter by their number, which it returns. One transaction.
int DeleteMarkedInView(TGoodsSession& goods, TViewCode view, const QDateTime& lastPrint);
// Deleting the list's current record when no goods of the view are marked: the
// counter loses the record's mark. True when the list keeps a record after the
// deletion.
bool ForgetCurrentMark(TGoodsSession& goods);
