#pragma once
#include "externaltable.h"

#include <memory>
#include <vector>

struct sqlite3;

// Our table readers as an SQLite virtual table module, so that a query walks
// a table file straight from the file, a block at a time, instead of a copy: after
// registering, "CREATE VIRTUAL TABLE name USING prandel_folder(N)" stands for
// the N-th table of `tables`, which must outlive the connection's tables.
bool RegisterFolderModule(sqlite3* db, const std::vector<std::unique_ptr<TExtTable>>* tables);
inline constexpr const char* kFolderModule = "prandel_folder";
