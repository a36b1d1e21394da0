#pragma once
#include "pgconnection.h"

#include <QString>

// Each shop's goods live in a schema of their own on the server (named by the
// shop), so that one database serves several shops. The program makes the
// schema and brings it up to its own version; a schema newer than the program
// is left alone and no goods are opened.
inline constexpr int kServerSchemaVersion = 1;

// The shop's schema version on the server, 0 when there is none.
int ShopSchemaVersion(TPgConnection& conn, const QString& shop);

// Makes or upgrades the shop's schema, each step in a transaction of its own
// under a lock of the shop, so that workstations starting together make it
// once and a failed step leaves the previous version whole. Returns the
// version; raises TServerError with the program's message when the name is no
// shop name or the server's schema is newer than the program.
int PrepareShopSchema(TPgConnection& conn, const QString& shop);
