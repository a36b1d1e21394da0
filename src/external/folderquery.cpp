#include "folderquery.h"

#include "foldervtab.h"

#include <algorithm>
#include <sqlite3.h>

namespace {

enum class TTokenKind { Word, Quoted, Text, Punct };

struct TToken {
    TTokenKind Kind;
    QString Value;  // a word as written, a quoted name or text without its quotes
    qsizetype Start;
    qsizetype Length;
};

// Reads text quoted with `close` from just after the opening quote; a doubled
// closing quote stands for itself (except in brackets).
qsizetype ReadQuoted(const QString& sql, qsizetype i, QChar close, bool doubling, QString& value) {
    const qsizetype n = sql.size();
    while (i < n) {
        if (sql[i] == close) {
            if (doubling && i + 1 < n && sql[i + 1] == close) {
                value += close;
                i += 2;
                continue;
            }
            return i + 1;
        }
        value += sql[i++];
    }
    return n;  // unterminated: to the end
}

std::vector<TToken> Tokens(const QString& sql) {
    std::vector<TToken> tokens;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql[i];
        const qsizetype start = i;
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n') ++i;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == u'\'' || c == u'"' || c == u'[' || c == u'`') {
            QString value;
            const QChar close = c == u'[' ? QChar(u']') : c;
            i = ReadQuoted(sql, i + 1, close, c != u'[', value);
            tokens.push_back({c == u'\'' ? TTokenKind::Text : TTokenKind::Quoted, value, start, i - start});
        } else if (c.isLetter() || c == u'_') {
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == u'_' || sql[i] == u'$')) ++i;
            tokens.push_back({TTokenKind::Word, sql.mid(start, i - start), start, i - start});
        } else if (c.isDigit()) {
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == u'.')) ++i;
            tokens.push_back({TTokenKind::Punct, sql.mid(start, i - start), start, i - start});
        } else {
            ++i;
            tokens.push_back({TTokenKind::Punct, QString(c), start, 1});
        }
    }
    return tokens;
}

bool IsWord(const TToken& t, const char* word) {
    return t.Kind == TTokenKind::Word && t.Value.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool IsPunct(const std::vector<TToken>& tokens, std::size_t i, char16_t c) {
    return i < tokens.size() && tokens[i].Kind == TTokenKind::Punct && tokens[i].Value == QChar(c);
}

bool IsTableExtension(const QString& word) {
    return word.compare(QLatin1String("db"), Qt::CaseInsensitive) == 0 ||
           word.compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0 ||
           word.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
}

// Words that end a table reference rather than give it an alias.
bool IsClauseWord(const TToken& t) {
    static const char* const words[] = {"WHERE", "GROUP", "ORDER", "HAVING", "LIMIT", "OFFSET", "JOIN", "LEFT", "RIGHT",
                                        "FULL", "INNER", "OUTER", "CROSS", "NATURAL", "ON", "USING", "UNION", "EXCEPT",
                                        "INTERSECT", "WINDOW", "INDEXED", "NOT", "RETURNING", "FROM", "SELECT", "VALUES"};
    return std::any_of(std::begin(words), std::end(words), [&](const char* w) { return IsWord(t, w); });
}

}  // namespace

std::vector<TQueryTable> QueryTables(const QString& sql) {
    const std::vector<TToken> tokens = Tokens(sql);
    std::vector<TQueryTable> tables;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "FROM") && !IsWord(tokens[i], "JOIN")) continue;
        // One reference, then more after each comma of a FROM list.
        std::size_t at = i + 1;
        while (at < tokens.size()) {
            const TToken& t = tokens[at];
            TQueryTable table;
            std::size_t next = at + 1;
            if (t.Kind == TTokenKind::Quoted || t.Kind == TTokenKind::Text) {
                if (IsPunct(tokens, next, u'.')) break;  // a schema's name
                table = {t.Value, t.Start, t.Length};
            } else if (t.Kind == TTokenKind::Word && !IsClauseWord(t)) {
                if (IsPunct(tokens, next, u'.')) {
                    // TOWARY.DBF is a file name; any other dotted name is SQLite's own.
                    if (next + 1 >= tokens.size() || tokens[next + 1].Kind != TTokenKind::Word || !IsTableExtension(tokens[next + 1].Value))
                        break;
                    const TToken& ext = tokens[next + 1];
                    table = {sql.mid(t.Start, ext.Start + ext.Length - t.Start), t.Start, ext.Start + ext.Length - t.Start};
                    next += 2;
                } else {
                    table = {t.Value, t.Start, t.Length};
                }
            } else {
                break;  // a subquery, or nothing that names a table
            }
            if (!table.Name.isEmpty()) tables.push_back(table);
            // An alias, with or without AS.
            if (next < tokens.size() && IsWord(tokens[next], "AS")) ++next;
            if (next < tokens.size() && (tokens[next].Kind == TTokenKind::Quoted ||
                                         (tokens[next].Kind == TTokenKind::Word && !IsClauseWord(tokens[next]))))
                ++next;
            if (!IsPunct(tokens, next, u',')) break;
            at = next + 1;
        }
    }
    return tables;
}

namespace {

// A piece of the query's text replaced, or text put in (Length 0).
struct TEdit {
    qsizetype Start;
    qsizetype Length;
    QString Text;
};

QString Quoted(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString Apply(const QString& sql, std::vector<TEdit> edits) {
    // Insertions before the replacement that starts where they stand.
    std::stable_sort(edits.begin(), edits.end(), [](const TEdit& a, const TEdit& b) {
        return a.Start != b.Start ? a.Start < b.Start : a.Length < b.Length;
    });
    QString out;
    // A name quoted right before or after another (TOWARY"t", [Cena]"c")
    // would otherwise merge with it into one name with a doubled quote.
    const auto add = [&out](QStringView piece) {
        if (!piece.isEmpty() && piece.front() == u'"' && out.endsWith(u'"')) out += u' ';
        out += piece;
    };
    qsizetype at = 0;
    for (const TEdit& e : edits) {
        add(QStringView(sql).mid(at, e.Start - at));
        add(e.Text);
        at = e.Start + e.Length;
    }
    add(QStringView(sql).mid(at));
    return out;
}

void QuoteTables(const std::vector<TQueryTable>& tables, std::vector<TEdit>& edits) {
    for (const TQueryTable& t : tables) edits.push_back({t.Start, t.Length, Quoted(t.Name)});
}

// SQLite compares names without regard to the case of ASCII letters only.
bool SameForSqlite(const QString& a, const QString& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        if (lower(x) != lower(y)) return false;
    }
    return true;
}

bool IsSqlWord(const QString& word) {
    const QByteArray utf8 = word.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size())) != 0;
}

bool IsName(const TToken& t) { return t.Kind == TTokenKind::Word || t.Kind == TTokenKind::Quoted; }

// A type of CAST that gives a number (SQLite's affinity rules): not text, not
// a blob, not empty.
bool IsNumericType(const QString& type) {
    const QString t = type.toUpper();
    if (t.trimmed().isEmpty() || t.contains(QLatin1String("BLOB"))) return false;
    return t.contains(QLatin1String("INT")) ||
           !(t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")));
}

// At `i`, CAST ( [name .] name AS type ...): the tokens of the column, and
// whether the type gives a number. False when the tokens say otherwise.
bool CastOfColumn(const std::vector<TToken>& tokens, std::size_t i, std::size_t& first, std::size_t& last) {
    if (!IsWord(tokens[i], "CAST") || !IsPunct(tokens, i + 1, u'(')) return false;
    first = last = i + 2;
    if (last >= tokens.size() || !IsName(tokens[last])) return false;
    if (IsPunct(tokens, last + 1, u'.') && last + 2 < tokens.size() && IsName(tokens[last + 2])) last += 2;
    const std::size_t as = last + 1;
    if (as >= tokens.size() || !IsWord(tokens[as], "AS")) return false;
    QString type;
    for (std::size_t k = as + 1; k < tokens.size() && tokens[k].Kind == TTokenKind::Word; ++k) type += tokens[k].Value + u' ';
    return IsNumericType(type);
}

}  // namespace

QString QuoteQueryTables(const QString& sql, const std::vector<TQueryTable>& tables) {
    std::vector<TEdit> edits;
    QuoteTables(tables, edits);
    return Apply(sql, std::move(edits));
}

QString RewriteFolderQuery(const QString& sql, const std::vector<TQueryTable>& tables,
                           const std::function<QString(const QString&)>& csvColumn) {
    std::vector<TEdit> edits;
    QuoteTables(tables, edits);
    const auto inTable = [&](const TToken& t) {
        return std::any_of(tables.begin(), tables.end(),
                           [&](const TQueryTable& r) { return t.Start >= r.Start && t.Start < r.Start + r.Length; });
    };
    const std::vector<TToken> tokens = Tokens(sql);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const TToken& t = tokens[i];
        if (!IsName(t) || inTable(t)) continue;
        std::size_t first = 0, last = 0;
        if (CastOfColumn(tokens, i, first, last) && !csvColumn(tokens[last].Value).isEmpty()) {
            const TToken& end = tokens[last];
            edits.push_back({tokens[first].Start, 0, QLatin1String(kNumberFunction) + u'('});
            edits.push_back({end.Start + end.Length, 0, QStringLiteral(")")});
        }
        // A function's name, or an SQL word (ORDER BY ... DESC), is no column.
        if (t.Kind == TTokenKind::Word && (IsPunct(tokens, i + 1, u'(') || IsSqlWord(t.Value))) continue;
        const QString column = csvColumn(t.Value);
        if (!column.isEmpty() && !SameForSqlite(column, t.Value)) edits.push_back({t.Start, t.Length, Quoted(column)});
    }
    return Apply(sql, std::move(edits));
}
