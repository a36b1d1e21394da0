#pragma once

struct sqlite3;

// SQLite reads an unknown double-quoted name as a text: a misspelt column
// would silently become the same text on every row. Off on a connection,
// such a name is the error it is.
void DisableDoubleQuotedText(sqlite3* db);
