#include "engine.h"
#include "filterexpr.h"
#include "polishcollation.h"
#include "silentfailure.h"
#include "sqliteconnection.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

// A table's structure: creation from field and index definitions, and reading
// the definitions and the order back from an existing file.

QString SqlTableName(const QString& fileName) {
    const QString base = QFileInfo(fileName).completeBaseName();
    return base.isEmpty() ? fileName : base;
}

namespace {

QString SqlType(const TFieldDef& f) {
    switch (f.Type) {
    case TFieldType::String: return f.Size > 0 ? QStringLiteral("VARCHAR(%1)").arg(f.Size) : QStringLiteral("TEXT");
    case TFieldType::Integer: return QStringLiteral("INTEGER");
    case TFieldType::Boolean: return QStringLiteral("BOOLEAN");
    case TFieldType::DateTime: return QStringLiteral("TIMESTAMP");
    }
    return QStringLiteral("TEXT");
}

TFieldDef FieldFromSql(const QString& name, const QString& declared, bool notNull) {
    TFieldDef f{name, TFieldType::String, 0, notNull};
    const QString t = declared.trimmed().toUpper();
    if (t.startsWith(QLatin1String("VARCHAR")) || t.startsWith(QLatin1String("CHAR"))) {
        const qsizetype open = t.indexOf(u'('), close = t.indexOf(u')');
        if (open > 0 && close > open) f.Size = t.mid(open + 1, close - open - 1).trimmed().toInt();
    } else if (t.startsWith(QLatin1String("INT")) || t == QLatin1String("BIGINT")) {
        f.Type = TFieldType::Integer;
    } else if (t.startsWith(QLatin1String("BOOL")) || t == QLatin1String("LOGICAL")) {
        f.Type = TFieldType::Boolean;
    } else if (t.startsWith(QLatin1String("TIMESTAMP")) || t.startsWith(QLatin1String("DATE"))) {
        f.Type = TFieldType::DateTime;
    }
    return f;
}

}  // namespace

void TTable::CreateTable() {
    if (Active()) throw TEngineError(QStringLiteral("Nie można utworzyć otwartej tabeli."));
    if (FileName.isEmpty()) throw TEngineError(QStringLiteral("Brak nazwy tabeli."));
    if (Exists()) throw TEngineError(QStringLiteral("Tabela %1 już istnieje.").arg(FilePath()));
    if (Defs.empty()) throw TEngineError(QStringLiteral("Brak definicji pól."));
    const QString path = FilePath();
    const QString table = QuoteName(SqlTableName(FileName));
    try {
        auto conn = AcquireConnection(path, Setup);
        QStringList columns;
        for (const auto& f : Defs)
            if (f.Expression.isEmpty())
                columns << QuoteName(f.Name) + u' ' + SqlType(f) + (f.Required ? QStringLiteral(" NOT NULL") : QString()) +
                               (f.Default.isEmpty() ? QString() : QStringLiteral(" DEFAULT ") + f.Default);
        QStringList statements;
        for (const auto& idx : IndexDefinitions) {
            QStringList cols;
            for (const QString& name : idx.Fields) cols << QuoteName(name) + CollateClause(idx.CaseInsensitive);
            if (idx.Primary)
                columns << QStringLiteral("PRIMARY KEY (%1)").arg(cols.join(QStringLiteral(", ")));
            else
                statements << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                                  .arg(idx.Unique ? QStringLiteral("UNIQUE ") : QString(), QuoteName(idx.Name), table,
                                       cols.join(QStringLiteral(", ")));
        }
        statements.prepend(QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columns.join(QStringLiteral(", "))));
        TTableTransaction tx(conn);
        for (const QString& s : statements) RunQuery(*conn, s);
        tx.Commit();
    } catch (...) {
        // No half-made table is left behind: the next start tries again.
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        throw;
    }
}

int TTable::AddMissingFields() {
    if (Active()) throw TEngineError(QStringLiteral("Nie można zmienić otwartej tabeli."));
    if (!Exists()) throw TEngineError(QStringLiteral("Tabela %1 nie istnieje.").arg(FilePath()));
    auto conn = AcquireConnection(FilePath(), Setup);
    const QString table = QuoteName(SqlTableName(FileName));
    QSqlQuery q = RunQuery(*conn, QStringLiteral("PRAGMA main.table_info(%1)").arg(table));
    QStringList have;
    while (q.next()) have << q.value(1).toString().toUpper();
    if (have.isEmpty()) throw TEngineError(QStringLiteral("Plik %1 nie zawiera tabeli %2.").arg(FilePath(), table));
    int added = 0;
    for (const TFieldDef& f : Defs) {
        if (!f.Expression.isEmpty() || f.Default.isEmpty() || have.contains(f.Name.toUpper())) continue;
        RunQuery(*conn, QStringLiteral("ALTER TABLE main.%1 ADD COLUMN %2 %3%4 DEFAULT %5")
                            .arg(table, QuoteName(f.Name), SqlType(f), f.Required ? QStringLiteral(" NOT NULL") : QString(), f.Default));
        ++added;
    }
    return added;
}

void TTable::ReadStructure() {
    SqlTable = SqlTableName(FileName);
    QSqlQuery q = RunQuery(*Conn, QStringLiteral("PRAGMA table_info(%1)").arg(QuoteName(SqlTable)));
    std::vector<TFieldDef> fields;
    QStringList primary;
    std::vector<std::pair<int, QString>> pk;
    while (q.next()) {
        fields.push_back(FieldFromSql(q.value(1).toString(), q.value(2).toString(), q.value(3).toInt() != 0));
        fields.back().Default = q.value(4).toString();
        if (q.value(5).toInt() > 0) pk.emplace_back(q.value(5).toInt(), q.value(1).toString());
    }
    if (fields.empty()) throw TEngineError(QStringLiteral("Plik %1 nie zawiera tabeli %2.").arg(FilePath(), SqlTable));
    std::sort(pk.begin(), pk.end());
    for (const auto& p : pk) primary << p.second;

    std::vector<TIndexDef> indexes;
    if (!primary.isEmpty()) indexes.push_back(TIndexDef{QString(), primary, true, false, true});
    QSqlQuery list = RunQuery(*Conn, QStringLiteral("PRAGMA index_list(%1)").arg(QuoteName(SqlTable)));
    std::vector<std::pair<QString, bool>> names;
    while (list.next())
        if (list.value(3).toString() == QLatin1String("c")) names.emplace_back(list.value(1).toString(), list.value(2).toInt() != 0);
    for (const auto& [name, unique] : names) {
        TIndexDef idx{name, {}, false, false, unique};
        QSqlQuery info = RunQuery(*Conn, QStringLiteral("PRAGMA index_xinfo(%1)").arg(QuoteName(name)));
        while (info.next()) {
            if (info.value(5).toInt() == 0) continue;  // not a key column
            idx.Fields << info.value(2).toString();
            if (info.value(4).toString().compare(QLatin1String(kNoCaseCollation), Qt::CaseInsensitive) == 0)
                idx.CaseInsensitive = true;
        }
        indexes.push_back(idx);
    }
    // The calculated fields follow; one whose expression the file cannot run
    // (a table it reads is missing or has other columns) is null throughout.
    for (TFieldDef f : CalculatedDefs) {
        try {
            TSqliteStatement probe(Conn->Handle, QStringLiteral("SELECT (%1) FROM %2 WHERE 0").arg(f.Expression, QuoteName(SqlTable)));
        } catch (const TEngineError& e) {
            SilentFailure(lcGoods, QStringLiteral("calculated field %1 of %2 reads as null").arg(f.Name, FileName), e);
            f.Expression = QStringLiteral("NULL");
        }
        f.Required = false;
        fields.push_back(std::move(f));
    }
    Defs = std::move(fields);
    IndexDefinitions = std::move(indexes);
}

void TTable::ResolveOrder() {
    OrderField = -1;
    OrderNoCase = false;
    const TIndexDef* found = nullptr;
    for (const auto& idx : IndexDefinitions)
        if (Index.isEmpty() ? idx.Primary : idx.Name.compare(Index, Qt::CaseInsensitive) == 0) found = &idx;
    if (!found) {
        if (Index.isEmpty()) return;  // no primary index: the order of insertion
        throw TEngineError(QStringLiteral("Indeks %1 nie istnieje.").arg(Index));
    }
    OrderField = FieldIndex(found->Fields.value(0));
    if (OrderField < 0 || Defs[OrderField].Type != TFieldType::String)
        throw TEngineError(QStringLiteral("Indeks %1 nie jest obsługiwany.").arg(found->Name));
    OrderNoCase = found->CaseInsensitive;
}
