#pragma once
#include "pgconnection.h"
#include "settings.h"

#include <QString>

// Said when the goods server, its database and the shop's schema are all
// there for this workstation.
inline const QString kGoodsServerWorks = QStringLiteral("Połączenie z serwerem towarów działa.");

// The connection values of [GOODSSTORE].
TPgParams GoodsServerParams(const TGoodsStoreSettings& settings);

// Tries the goods server the settings name as the program would use it:
// connects, then makes the shop's schema or brings it up to the program's
// version. Returns kGoodsServerWorks, or the message naming what failed (the
// server not answering, the login refused, no such database, a schema newer
// than the program, a shop the login may not make). Never raises; the
// password appears in no message and no log line.
QString CheckGoodsServer(const TGoodsStoreSettings& settings);
