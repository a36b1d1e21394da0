#pragma once
#include "pgconnection.h"

#include <QString>

// One goods update of a shop at a time, whichever workstation runs it, and no
// copy of local goods into the shop meanwhile: an advisory lock of the server
// keyed by this class and the hash of the shop's name (as the lock its schema
// changes under). A transaction's lock and a session's exclude each other.
inline constexpr int kLockUpdate = 0x50450002;

// Takes the update lock of the shop for the transaction in progress on
// `conn`, without waiting: false while another session holds it. Raises
// TServerError.
bool TryLockShopUpdateInTransaction(TPgConnection& conn, const QString& shop);

// The same for the session on `conn`, until UnlockShopUpdate or the session's
// end: the server lets it go when a workstation dies or loses its link.
bool TryLockShopUpdate(TPgConnection& conn, const QString& shop);
void UnlockShopUpdate(TPgConnection& conn, const QString& shop);
