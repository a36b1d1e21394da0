#pragma once
#include <QString>
#include <QStringView>
#include <optional>

// Text rules of CSV files exported by sales programs and spreadsheets: the
// code pages their files come in, the names of their columns and the numbers
// they write.

// The code page of a CSV file that is not UTF-8.
enum class TCsvCodePage { Win1250, Cp852, Iso8859_2 };

// A definition's name of a code page ("1250", "Windows-1250", "852", "CP852",
// "ISO-8859-2", "Latin2", ...; case and blanks ignored; empty is Windows-1250).
// Nullopt for a name it does not know.
std::optional<TCsvCodePage> CsvCodePageFromName(const QString& name);

// A definition's separator: one character (";", ",", "|", ...), or "TAB",
// "TABULATOR" or "\t" for a tab. Empty gives 0: the file's first line decides.
// Nullopt for anything else (quotes and line ends cannot separate fields).
std::optional<char> CsvSeparatorFromText(const QString& text);

// Bytes of a single-byte code page as text.
QString DecodeCsvBytes(const char* data, qsizetype size, TCsvCodePage codePage);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points beyond U+10FFFF). With `partialEnd`, a sequence cut off by the
// end of the bytes counts as well-formed: the bytes are the start of a longer
// file.
bool IsValidUtf8(const char* data, qsizetype size, bool partialEnd = false);

// The form of a column name under which a query's name finds it: surrounding
// blanks removed, case folded, the accents of Polish (and other Latin) letters
// removed, "ł" as "l"; "  Ilość " and "ILOSC" both give "ilosc". The folder
// engine matches the columns of CSV files with it (those of dBase and Paradox
// tables keep their own spelling).
QString FoldColumnName(const QString& name);

// A number as exports write it: a decimal comma or point, blanks or no-break
// spaces grouping the thousands, an optional sign ("1 234,56", "-0.5",
// "1.234,56" and "1,234.56" give 1234.56 and -0.5). A point or comma that
// occurs more than once, or before the other one, groups thousands ("1.234"
// is 1.234, "1.234.567" is 1234567). Nullopt for an empty text, a grouping
// mark that does not stand between two digits, and anything else (letters,
// units, exponents).
std::optional<double> CsvNumber(QStringView text);
