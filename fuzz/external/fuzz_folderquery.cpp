// The table-name scan of folder queries: any query text gives references
// that lie inside the text, in order and apart; quoting them gives a query
// that names the same tables. Rewriting the names of CSV columns changes
// nothing when no name is one, and never the tables a query names.
#include "csvtext.h"
#include "folderquery.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(const QString& sql, const std::vector<TQueryTable>& tables) {
    qsizetype end = 0;
    for (const TQueryTable& t : tables) {
        if (t.Name.isEmpty() || t.Start < end || t.Length <= 0 || t.Start + t.Length > sql.size()) std::abort();
        end = t.Start + t.Length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<TQueryTable> tables = QueryTables(sql);
    Check(sql, tables);
    // Each reference becomes the quoted name, kept apart from a quote that follows it.
    QString expected;
    qsizetype at = 0;
    std::vector<qsizetype> quotedAt;  // where each reference stands in the quoted query
    for (const TQueryTable& t : tables) {
        QString name = t.Name;
        name.replace(u'"', QStringLiteral("\"\""));
        expected += sql.mid(at, t.Start - at);
        quotedAt.push_back(expected.size());
        expected += u'"' + name + u'"';
        at = t.Start + t.Length;
        if (at < sql.size() && sql[at] == u'"') expected += u' ';
    }
    expected += sql.mid(at);
    const QString quoted = QuoteQueryTables(sql, tables);
    if (quoted != expected) std::abort();
    // Read again, the quoted query names the same tables, except that a
    // quoted name before a dot reads as a schema's name (a file name before a
    // dot is no valid query anyway).
    const std::vector<TQueryTable> again = QueryTables(quoted);
    Check(quoted, again);
    // Matched by place: a name alone could pair two references of one table.
    std::size_t i = 0;
    for (std::size_t k = 0; k < tables.size(); ++k) {
        if (i < again.size() && again[i].Start == quotedAt[k]) {
            if (again[i].Name != tables[k].Name) std::abort();
            ++i;
            continue;
        }
        qsizetype next = tables[k].Start + tables[k].Length;
        while (next < sql.size() && sql[next].isSpace()) ++next;
        if (next >= sql.size() || sql[next] != u'.') std::abort();
    }
    if (i != again.size()) std::abort();

    if (RewriteFolderQuery(sql, tables, [](const QString&) { return QString(); }) != quoted) std::abort();
    // Every name that folds like one of two columns is that column.
    const QString rewritten = RewriteFolderQuery(sql, tables, [](const QString& name) {
        const QString folded = FoldColumnName(name);
        return folded == QLatin1String("ilosc") ? QStringLiteral("Ilość") : folded == QLatin1String("cena") ? QStringLiteral("Cena") : QString();
    });
    if (QueryTables(rewritten).size() != again.size()) std::abort();
    return 0;
}
