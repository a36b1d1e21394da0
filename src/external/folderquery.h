#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// A table that a folder query names after FROM or JOIN (or further on in a
// FROM list), with the place of the reference in the query's text.
struct TQueryTable {
    QString Name;        // as written, without quotes
    qsizetype Start = 0;  // the reference in the query's text
    qsizetype Length = 0;
};

// The tables of a folder query, in order. A table is written as a name
// (TOWARY), a quoted name ("towary.dbf", 'TOWARY.DBF', [Towary]) or a bare
// file name with its extension (TOWARY.DBF), as definitions written for older
// engines do. Words elsewhere in the query (columns, text, comments) are no
// tables.
std::vector<TQueryTable> QueryTables(const QString& sql);

// The query with each of the given references written as a quoted name, so
// that SQLite reads a bare file name (TOWARY.DBF) or a name in single quotes
// as the table of that name. References not in `tables` stay as written.
QString QuoteQueryTables(const QString& sql, const std::vector<TQueryTable>& tables);
