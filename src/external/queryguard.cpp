#include "queryguard.h"

#include <sqlite3.h>

namespace {

// Functions that reach past the query's tables.
bool IsForbiddenFunction(const char* name) {
    if (!name) return true;
    for (const char* f : {"load_extension", "fts3_tokenizer", "readfile", "writefile", "edit"})
        if (sqlite3_stricmp(name, f) == 0) return true;
    return false;
}

}  // namespace

void DisableDoubleQuotedText(sqlite3* db) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

TQueryGuard::TQueryGuard(sqlite3* db) {
    DisableDoubleQuotedText(db);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_set_authorizer(db, &TQueryGuard::Authorize, this);
}

void TQueryGuard::AllowReading(const QString& table) {
    const QString name = table.toLower();
    if (!Readable.contains(name)) Readable << name;
}

int TQueryGuard::Authorize(void* self, int action, const char* first, const char* second, const char*, const char*) {
    const auto* guard = static_cast<const TQueryGuard*>(self);
    if (guard->Trust > 0) return SQLITE_OK;
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_READ:
        // A read of no column (count(*) of a table or of a common table
        // expression, which has no other name here) reads nothing.
        if (second && *second == '\0') return SQLITE_OK;
        return first && guard->Readable.contains(QString::fromUtf8(first).toLower()) ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_FUNCTION:
        return IsForbiddenFunction(second) ? SQLITE_DENY : SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}
