#pragma once
#include <QString>

struct sqlite3;

// The name order of the goods list: case ignored, each Polish letter right after
// its base letter (a < ą < b). SQLite knows it as a collation of every
// connection the engine opens, so an index and a sort use the same order as the
// engine's own comparisons.

// The collation's name in SQL.
inline constexpr char kNoCaseCollation[] = "PL_NOCASE";

// " COLLATE PL_NOCASE" for a case-insensitive column, else nothing.
QString CollateClause(bool noCase);

// Registers the collation with one connection; false when SQLite refuses it.
bool RegisterPolishCollation(sqlite3* db);

// Whether `text` begins with `prefix` in the name order.
bool PolishNoCaseStartsWith(const QString& text, const QString& prefix);

// UTF-16 texts compared in code point order, as SQLite compares UTF-8 text.
// Negative, zero or positive.
int CodePointCompare(const QString& a, const QString& b);
