#pragma once
#include "engine.h"
#include "goodsstore.h"
#include "selectcounter.h"

#include <QStringList>
#include <memory>

// The goods as the program holds them for a whole run: the store they live
// in, the list shown (name order, filtered by the view) bound to it, and the
// counter of marked goods. The main window owns one and hands it by
// reference to the goods page and the commands; the companion makes one per
// command.
class TGoodsSession {
public:
    // The local goods file unless another store is given.
    explicit TGoodsSession(std::unique_ptr<TGoodsStore> store = MakeLocalGoodsStore());
    Q_DISABLE_COPY(TGoodsSession)

    std::unique_ptr<TGoodsStore> Store;
    TTable& tbLocal;     // the store's whole table, primary order: bulk passes and keys
    TTable tbLocalShow;  // the list shown, name order, filtered by the view
    TSelectCounter SelectCounter;

    // The start-up step: creates the store when missing, then opens the
    // list with its current filter. Returns the start-up errors.
    QStringList Open();
};
