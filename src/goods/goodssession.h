#pragma once
#include "engine.h"
#include "selectcounter.h"

#include <QStringList>

// The goods table as the program holds it for a whole run: the whole table in
// primary order for bulk passes and keys, the list shown (name order, filtered
// by the view) and the counter of marked goods. The main window owns one and
// hands it by reference to the goods page and the commands; the companion
// makes one per command.
class TGoodsSession {
public:
    TGoodsSession();
    Q_DISABLE_COPY(TGoodsSession)

    TTable tbLocal;      // whole table, primary order: bulk passes and keys
    TTable tbLocalShow;  // the list shown, name order, filtered by the view
    TSelectCounter SelectCounter;

    // The start-up step: creates the table when the file is missing, then
    // opens the list with its current filter. Returns the start-up errors.
    QStringList Open();
};
