#include "folderquery.h"

#include <algorithm>

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
           word.compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0;
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

QString QuoteQueryTables(const QString& sql, const std::vector<TQueryTable>& tables) {
    std::vector<TQueryTable> sorted = tables;
    std::sort(sorted.begin(), sorted.end(), [](const TQueryTable& a, const TQueryTable& b) { return a.Start > b.Start; });
    QString out = sql;
    for (const TQueryTable& t : sorted) {
        QString quoted = t.Name;
        quoted.replace(u'"', QStringLiteral("\"\""));
        // An alias quoted right after the name (TOWARY"t") would otherwise
        // merge with it into one name with a doubled quote.
        const qsizetype after = t.Start + t.Length;
        const QString gap = after < sql.size() && sql[after] == u'"' ? QStringLiteral(" ") : QString();
        out.replace(t.Start, t.Length, u'"' + quoted + u'"' + gap);
    }
    return out;
}
