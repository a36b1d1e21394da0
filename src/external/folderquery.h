#pragma once
#include <QString>
#include <QStringList>
#include <functional>
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
// file name with its extension (TOWARY.DBF, towary.csv), as definitions written for older
// engines do. Words elsewhere in the query (columns, text, comments) are no
// tables.
std::vector<TQueryTable> QueryTables(const QString& sql);

// The query with each of the given references written as a quoted name, so
// that SQLite reads a bare file name (TOWARY.DBF) or a name in single quotes
// as the table of that name. References not in `tables` stay as written.
QString QuoteQueryTables(const QString& sql, const std::vector<TQueryTable>& tables);

// The query as the folder engine runs it over tables of which some are CSV
// files, whose columns are all text and are named as a spreadsheet wrote
// them. `csvColumn` gives, for a name of the query, the name of the CSV
// column it stands for (matched without regard to case and accents), or an
// empty text. Besides the quoting of QuoteQueryTables:
// - a name (bare or quoted, also after "t.") that SQLite would not find, since
//   it differs from its CSV column by more than the case of ASCII letters
//   (ILOSC, "ilość" for Ilość), is replaced by the column's quoted name; SQL
//   words and function names stay;
// - CAST(<CSV column> AS <numeric type>) reads the column as a number of an
//   export: CAST(LICZBA(<column>) AS <type>), so that "1 234,56" is 1234.56
//   rather than SQLite's 1.
QString RewriteFolderQuery(const QString& sql, const std::vector<TQueryTable>& tables,
                           const std::function<QString(const QString&)>& csvColumn);
