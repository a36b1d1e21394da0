#pragma once
#include "externaltable.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct sqlite3;

// The tables of one folder connection, and what the last walk that failed
// said about its file.
struct TFolderTables {
    std::vector<std::unique_ptr<TExtTable>> Tables;
    QString ReadFailure;  // a reader's own message (naming its file) when a walk stopped on it
};

// Our table readers as an SQLite virtual table module, so that a query walks
// a table file straight from the file, a block at a time, instead of a copy: after
// registering, "CREATE VIRTUAL TABLE name USING prandel_folder(N)" stands for
// the N-th table of `tables`, which must outlive the connection's tables.
bool RegisterFolderModule(sqlite3* db, TFolderTables* tables);
inline constexpr const char* kFolderModule = "prandel_folder";

// The columns of a table as the module declares them: each field's name, a
// second field of the same name numbered (NAZWA, NAZWA2).
QStringList FolderColumnNames(const TExtTable& table);

// The number a text of an export stands for (CsvNumber: a decimal comma or
// point, blanks between thousands), as an SQL function of the folder queries:
// LICZBA('1 234,56') is 1234.56; a number stays itself; NULL for an empty
// value or a text that is no number.
bool RegisterNumberFunction(sqlite3* db);
inline constexpr const char* kNumberFunction = "LICZBA";
