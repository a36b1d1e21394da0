#pragma once
#include "settings.h"

#include <QString>
#include <functional>

// How much a copy of a local shop to the server took over.
struct TGoodsCopyCounts {
    qint64 Goods = 0;
    qint64 History = 0;
};

// "Skopiowano towarów: N, wpisów historii cen: M."
QString GoodsCopyText(const TGoodsCopyCounts& counts);

// Called after each row copied with the rows done and the rows in all; false
// stops the copy, which then leaves nothing on the server.
using TGoodsCopyStep = std::function<bool(qint64 done, qint64 total)>;

// Moves a shop from one computer to the server: the goods file of the data
// folder ("DB/towary.db", whatever [GOODSSTORE] KIND says), made or brought
// up to date first like at a start, goes into the shop that the settings
// name, which is made when missing. Its price history comes over as it is
// (each entry's moment kept, in the file's order), then the goods with their
// NEW as they are (adding no history of their own), and the file's marks and
// print dates become this workstation's. All in one server transaction,
// holding the shop's update lock and keeping other writers of its goods
// waiting: the shop gets all of it or nothing. The goods file stays as it
// was, held against writes meanwhile so that the copy is one state of it.
//
// Refused when the shop on the server already has goods or price history
// ("Sklep %1 na serwerze ma już towary: nic nie skopiowano."), or an update
// runs on it. Raises TEngineError with the program's message (the server's
// connection messages among them); the password appears in none.
TGoodsCopyCounts CopyGoodsToServer(const TGoodsStoreSettings& settings, const TGoodsCopyStep& step = {});
