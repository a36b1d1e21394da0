#include "shopupdatelock.h"

bool TryLockShopUpdateInTransaction(TPgConnection& conn, const QString& shop) {
    // The oid's 32 bits as the lock's second int key.
    return conn
        .Scalar(QStringLiteral("SELECT pg_try_advisory_xact_lock(?::int, (SELECT oid::bigint::bit(32)::int FROM pg_namespace"
                               " WHERE nspname = ?))"),
                {kLockUpdate, shop})
        .toBool();
}
