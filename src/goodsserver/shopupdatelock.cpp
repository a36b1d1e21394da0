#include "shopupdatelock.h"

namespace {

bool TryLock(TPgConnection& conn, const QString& function, const QString& shop) {
    return conn.Scalar(QStringLiteral("SELECT %1(?::int, hashtext(?))").arg(function), {kLockUpdate, shop}).toBool();
}

} // namespace

bool TryLockShopUpdateInTransaction(TPgConnection& conn, const QString& shop) {
    return TryLock(conn, QStringLiteral("pg_try_advisory_xact_lock"), shop);
}

bool TryLockShopUpdate(TPgConnection& conn, const QString& shop) {
    return TryLock(conn, QStringLiteral("pg_try_advisory_lock"), shop);
}

void UnlockShopUpdate(TPgConnection& conn, const QString& shop) {
    conn.Exec(QStringLiteral("SELECT pg_advisory_unlock(?::int, hashtext(?))"), {kLockUpdate, shop});
}
