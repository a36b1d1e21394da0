#pragma once
#include "pgconnection.h"

#include <QString>

// One goods update of a shop at a time, whichever workstation runs it: an
// advisory lock of the server keyed by this class and the shop schema's oid.
// The server lets it go when the session ends, so a workstation that dies or
// loses its link never leaves the shop locked.
inline constexpr int kLockUpdate = 0x50450002;

// Takes the update lock of the shop (its schema must exist) for the
// transaction in progress on `conn`, without waiting: false while another
// session holds it. Raises TServerError.
bool TryLockShopUpdateInTransaction(TPgConnection& conn, const QString& shop);
