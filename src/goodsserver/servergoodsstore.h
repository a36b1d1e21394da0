#pragma once
#include "goodsstore.h"
#include "settings.h"

#include <memory>

// A shop's goods on a PostgreSQL server shared by several workstations. The
// server holds the goods and their price history, and each workstation's own
// marks and print dates; every change goes there first. Each workstation
// reads a copy of its own (TServerMirror), brought up to date before every
// read of the store, so that lists, views, filters, the name order and the
// lowest price behave exactly as on the local goods file.
std::unique_ptr<TGoodsStore> MakeServerGoodsStore(const TGoodsStoreSettings& settings);
