#include "engine.h"
#include "filterexpr.h"
#include "sqliteconnection.h"

#include <sqlite3.h>

// Set-based operations on the whole table: counting, changing and deleting the
// records under a filter without moving any cursor.

int TTable::CountWhere(const QString& filter) {
    CheckActive();
    QVariantList binds;
    const QString where = WhereClause(filter, binds);
    QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(QuoteName(SqlTable));
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    QSqlQuery q = RunQuery(*Conn, sql, binds);
    return q.next() ? q.value(0).toInt() : 0;
}

namespace {

// Long passes go in slices of rows, so the caller can let the window breathe.
constexpr qint64 kSlice = 20000;

// A pass that rewrites most of a large table: every page it changes is read
// (the file's mapping serves no writer), copied to the journal and kept in the
// page cache until written. Pages that are kept gain nothing (each is changed
// once, in file order) and cost a fresh allocation each, so the pass runs
// with a small cache that spills as it goes; the connection's own size is
// put back afterwards.
class TSmallCache {
public:
    explicit TSmallCache(TSqliteConnection& conn) : Handle(conn.Handle) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(Handle, "PRAGMA cache_size", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            Saved = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        if (Saved != 0) SetSize(kPassCacheKiB);
    }
    ~TSmallCache() {
        if (Saved != 0) SetSize(Saved);
    }
    Q_DISABLE_COPY(TSmallCache)

private:
    static constexpr qint64 kPassCacheKiB = -16384;
    void SetSize(qint64 size) {
        sqlite3_exec(Handle, QByteArray("PRAGMA cache_size = " + QByteArray::number(size)).constData(), nullptr, nullptr, nullptr);
    }
    sqlite3* Handle;
    qint64 Saved = 0;
};

}  // namespace

int TTable::RunInSlices(const QString& sql, const QVariantList& before, const QVariantList& after, const Progress& progress) {
    QSqlQuery range = RunQuery(*Conn, QStringLiteral("SELECT min(rowid), max(rowid) FROM %1").arg(QuoteName(SqlTable)));
    if (!range.next() || range.value(0).isNull()) return 0;
    const qint64 lo = range.value(0).toLongLong(), hi = range.value(1).toLongLong();
    range.finish();
    int rows = 0;
    TTableTransaction tx(*this);
    const TSmallCache cache(*Conn);
    for (qint64 from = lo; from <= hi; from += kSlice) {
        QVariantList binds = before;
        binds << from << (from + kSlice);
        binds += after;
        QSqlQuery q = RunQuery(*Conn, sql, binds);
        rows += q.numRowsAffected();
        if (progress) progress();
    }
    tx.Commit();
    return rows;
}

int TTable::UpdateWhere(const QString& filter, const std::vector<std::pair<QString, QVariant>>& values,
                        const Progress& progress) {
    CheckSetWrite();
    if (values.empty()) return 0;
    QVariantList filterBinds;
    const QString where = WhereClause(filter, filterBinds);
    QStringList sets, same;
    QVariantList setBinds, sameBinds;
    for (const auto& [name, value] : values) {
        const int fi = FieldIndex(name);
        if (fi < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(name));
        if (IsCalculated(fi)) throw TEngineError(QStringLiteral("Pole %1 jest tylko do odczytu.").arg(name));
        QVariant v = value;
        if (Defs[fi].Type == TFieldType::String && v.isValid() && v.toString().isEmpty()) v = QVariant();
        if (Defs[fi].Required && v.isNull())
            throw TEngineError(QStringLiteral("Pole '%1' musi mieć wartość.").arg(Defs[fi].Name));
        const QVariant stored = ToStorage(fi, v);
        sets << QuoteName(Defs[fi].Name) + QStringLiteral(" = ?");
        setBinds << stored;
        same << QuoteName(Defs[fi].Name) + QStringLiteral(" IS ?");
        sameBinds << stored;
    }
    // Rows that already hold the values are not written again.
    QString condition = QStringLiteral("rowid >= ? AND rowid < ? AND NOT (%1)").arg(same.join(QStringLiteral(" AND ")));
    if (!where.isEmpty()) condition += QStringLiteral(" AND (%1)").arg(where);
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(QuoteName(SqlTable), sets.join(u','), condition);
    return RunInSlices(sql, setBinds, sameBinds + filterBinds, progress);
}

int TTable::MarkWhere(const QString& scope, const QString& condition, const QString& name, const Progress& progress) {
    CheckSetWrite();
    const int fi = FieldIndex(name);
    if (fi < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(name));
    if (IsCalculated(fi)) throw TEngineError(QStringLiteral("Pole %1 jest tylko do odczytu.").arg(name));
    QVariantList scopeBinds, conditionBinds;
    const QString where = WhereClause(scope, scopeBinds);
    const QString matches = WhereClause(condition, conditionBinds);
    // The value: true where the condition holds, false where it does not or
    // cannot be told (null).
    QString value = QStringLiteral("?");
    QVariantList valueBinds{ToStorage(fi, true)};
    if (!matches.isEmpty()) {
        value = QStringLiteral("CASE WHEN (%1) THEN ? ELSE ? END").arg(matches);
        valueBinds = conditionBinds + QVariantList{ToStorage(fi, true), ToStorage(fi, false)};
    }
    const QString column = QuoteName(Defs[fi].Name);
    QString sql = QStringLiteral("UPDATE %1 SET %2 = %3 WHERE rowid >= ? AND rowid < ? AND %2 IS NOT %3")
                      .arg(QuoteName(SqlTable), column, value);
    if (!where.isEmpty()) sql += QStringLiteral(" AND (%1)").arg(where);
    return RunInSlices(sql, valueBinds, valueBinds + scopeBinds, progress);
}

int TTable::DeleteWhere(const QString& filter, const Progress& progress) {
    CheckSetWrite();
    QVariantList filterBinds;
    const QString where = WhereClause(filter, filterBinds);
    QString condition = QStringLiteral("rowid >= ? AND rowid < ?");
    if (!where.isEmpty()) condition += QStringLiteral(" AND (%1)").arg(where);
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(QuoteName(SqlTable), condition);
    return RunInSlices(sql, {}, filterBinds, progress);
}
