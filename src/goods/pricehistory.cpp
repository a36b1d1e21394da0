#include "pricehistory.h"

#include "filterexpr.h"
#include "silentfailure.h"
#include "sqliteconnection.h"

#include <QFileInfo>
#include <QSqlError>
#include <sqlite3.h>

namespace {

TPriceClock& Clock() {
    static TPriceClock clock;
    return clock;
}

constexpr qint64 kWindowMs = kLowestPriceDays * 24 * 60 * 60 * 1000;

const QString kSetAsideName = QStringLiteral("HISTORIA_CEN_USZKODZONA");
const QString kHistoryIndex = QStringLiteral("HISTORIA_CEN_ID");

QString History() { return QuoteName(kPriceHistoryTable); }

// The entries of one goods, newest first; a moment that is no integer sorts
// after every integer, so a damaged one comes first and is caught.
const QString kNewestFirst = QStringLiteral(" ORDER BY h.\"CHWILA\" DESC, h.rowid DESC");

// ---- SQL functions of every connection ----

// prandel_amount(text): the text read as a price, as ParseAmount reads it; null
// when it is no number.
void SqlAmount(sqlite3_context* context, int, sqlite3_value** argv) {
    try {
        if (sqlite3_value_type(argv[0]) != SQLITE_NULL) {
            const void* text = sqlite3_value_text16(argv[0]);
            const QString s(static_cast<const QChar*>(text), sqlite3_value_bytes16(argv[0]) / 2);
            if (const auto amount = ParseAmount(s)) {
                sqlite3_result_int64(context, *amount);
                return;
            }
        }
        sqlite3_result_null(context);
    } catch (...) {
        sqlite3_result_error(context, "prandel_amount failed", -1);
    }
}

// prandel_now(): the history's clock in milliseconds since 1970-01-01 UTC.
void SqlNow(sqlite3_context* context, int, sqlite3_value**) {
    try {
        sqlite3_result_int64(context, PriceClockNow().toMSecsSinceEpoch());
    } catch (...) {
        sqlite3_result_error(context, "prandel_now failed", -1);
    }
}

void RegisterFunctions(sqlite3* db) {
    sqlite3_create_function_v2(db, "prandel_amount", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr, SqlAmount, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(db, "prandel_now", 0, SQLITE_UTF8, nullptr, SqlNow, nullptr, nullptr, nullptr);
}

// ---- The file's structure ----

// The type of the schema object called `name` ("table", "view", ...), empty
// when there is none. Names are compared as SQL compares them, without case.
QString ObjectType(TSqliteConnection& conn, const QString& name, QString* table = nullptr) {
    QSqlQuery q = RunQuery(conn, QStringLiteral("SELECT type, tbl_name FROM main.sqlite_master WHERE lower(name) = lower(?)"), {name});
    if (!q.next()) return QString();
    if (table) *table = q.value(1).toString();
    return q.value(0).toString();
}

bool IsTableWith(TSqliteConnection& conn, const QString& table, const QStringList& columns) {
    if (ObjectType(conn, table) != QLatin1String("table")) return false;
    QSqlQuery q = RunQuery(conn, QStringLiteral("PRAGMA main.table_info(%1)").arg(QuoteName(table)));
    QStringList have;
    while (q.next()) have << q.value(1).toString().toUpper();
    for (const QString& c : columns)
        if (!have.contains(c)) return false;
    return true;
}

bool GoodsTableSound(TSqliteConnection& conn, const QString& goods) {
    return IsTableWith(conn, goods, {QStringLiteral("ID"), QStringLiteral("CENA")});
}

bool HistorySound(TSqliteConnection& conn) {
    return IsTableWith(conn, kPriceHistoryTable, {QStringLiteral("ID"), QStringLiteral("KWOTA"), QStringLiteral("CHWILA")});
}

// The statements that keep the history, for this connection only: they call
// the program's own SQL functions, which other programs reading the file lack.
void InstallTriggers(TSqliteConnection& conn, const QString& goods) {
    const QString g = QuoteName(goods), h = History();
    // A new record starts a history of its own: entries left under its ID by
    // goods deleted behind the program's back are not its.
    RunQuery(conn, QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS prandel_towar_dodany AFTER INSERT ON main.%1 BEGIN"
                                  " DELETE FROM %2 WHERE \"ID\" = new.\"ID\";"
                                  " INSERT INTO %2 (\"ID\", \"KWOTA\", \"CHWILA\")"
                                  "  SELECT new.\"ID\", prandel_amount(new.\"CENA\"), prandel_now() WHERE new.\"ID\" IS NOT NULL;"
                                  " END")
                       .arg(g, h));
    // A price of another amount than the last entry's is a change; it is
    // dated now, or at the last entry when the clock went back. The last
    // entry is looked up once; a moment of it that is no integer counts as
    // none (the goods then show no lowest price anyway).
    RunQuery(conn, QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS prandel_cena_zmieniona AFTER UPDATE OF \"CENA\" ON main.%1 BEGIN"
                                  " INSERT INTO %2 (\"ID\", \"KWOTA\", \"CHWILA\")"
                                  "  SELECT new.\"ID\", a.k, max(prandel_now(), coalesce(last.t, 0))"
                                  "  FROM (SELECT prandel_amount(new.\"CENA\") AS k) a LEFT JOIN (SELECT h.\"KWOTA\" AS k,"
                                  "   CASE WHEN typeof(h.\"CHWILA\") = 'integer' THEN h.\"CHWILA\" END AS t, 1 AS found FROM %2 h"
                                  "   WHERE h.\"ID\" = new.\"ID\"%3 LIMIT 1) last"
                                  "  WHERE new.\"ID\" IS NOT NULL AND (last.found IS NULL OR last.k IS NOT a.k);"
                                  " END")
                       .arg(g, h, kNewestFirst));
    RunQuery(conn, QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS prandel_towar_usuniety AFTER DELETE ON main.%1 BEGIN"
                                  " DELETE FROM %2 WHERE \"ID\" = old.\"ID\";"
                                  " END")
                       .arg(g, h));
}

void DropTriggers(TSqliteConnection& conn) {
    for (const char* name : {"prandel_towar_dodany", "prandel_cena_zmieniona", "prandel_towar_usuniety"})
        RunQuery(conn, QStringLiteral("DROP TRIGGER IF EXISTS temp.%1").arg(QLatin1String(name)));
}

// A name no schema object has yet, for the table set aside.
QString FreeName(TSqliteConnection& conn) {
    QString name = kSetAsideName;
    for (int n = 2; !ObjectType(conn, name).isEmpty(); ++n) name = kSetAsideName + u'_' + QString::number(n);
    return name;
}

// The index the lowest price is looked up by; one of its name left on a table
// set aside is that table's and goes (an index holds nothing of its own).
void EnsureIndex(TSqliteConnection& conn) {
    QString onTable;
    const QString type = ObjectType(conn, kHistoryIndex, &onTable);
    if (type == QLatin1String("index") && onTable.compare(kPriceHistoryTable, Qt::CaseInsensitive) != 0)
        RunQuery(conn, QStringLiteral("DROP INDEX main.%1").arg(QuoteName(kHistoryIndex)));
    else if (!type.isEmpty() && type != QLatin1String("index"))
        throw TEngineError(QStringLiteral("Nazwę %1 nosi inny obiekt bazy.").arg(kHistoryIndex));
    RunQuery(conn, QStringLiteral("CREATE INDEX IF NOT EXISTS main.%1 ON %2 (\"ID\", \"CHWILA\")").arg(QuoteName(kHistoryIndex), History()));
}

// Makes the history: sets a damaged table of its name aside, creates it and
// gives every goods record its current price, all in one transaction.
void CreateHistory(TSqliteConnection& conn, const QString& goods) {
    if (conn.TxDepth != 0) throw TEngineError(QStringLiteral("Historia cen nie może powstać w trakcie innej zmiany."));
    if (!conn.Db.transaction()) throw TEngineError(conn.Db.lastError().text());
    try {
        const QString type = ObjectType(conn, kPriceHistoryTable);
        if (type == QLatin1String("table")) {
            const QString aside = FreeName(conn);
            RunQuery(conn, QStringLiteral("ALTER TABLE main.%1 RENAME TO %2").arg(History(), QuoteName(aside)));
            SilentFailure(lcGoods, QStringLiteral("a damaged price history was set aside as %1").arg(aside));
        } else if (!type.isEmpty()) {
            throw TEngineError(QStringLiteral("Nazwę %1 nosi inny obiekt bazy.").arg(kPriceHistoryTable));
        }
        RunQuery(conn, QStringLiteral("CREATE TABLE main.%1 (\"ID\" VARCHAR(30) NOT NULL, \"KWOTA\" INTEGER, \"CHWILA\" INTEGER NOT NULL)")
                           .arg(History()));
        EnsureIndex(conn);
        RunQuery(conn, QStringLiteral("INSERT INTO main.%1 (\"ID\", \"KWOTA\", \"CHWILA\")"
                                      " SELECT \"ID\", prandel_amount(\"CENA\"), ? FROM main.%2 WHERE \"ID\" IS NOT NULL ORDER BY rowid")
                           .arg(History(), QuoteName(goods)),
                 {PriceClockNow().toMSecsSinceEpoch()});
        if (!conn.Db.commit()) throw TEngineError(conn.Db.lastError().text());
    } catch (...) {
        conn.Db.rollback();
        throw;
    }
}

}  // namespace

void SetPriceClock(TPriceClock clock) { Clock() = std::move(clock); }

QDateTime PriceClockNow() {
    if (Clock()) {
        const QDateTime now = Clock()();
        if (now.isValid()) return now;
    }
    return QDateTime::currentDateTimeUtc();
}

void PreparePriceHistory(TSqliteConnection& conn, const QString& path) {
    RegisterFunctions(conn.Handle);
    try {
        const QString goods = SqlTableName(QFileInfo(path).fileName());
        if (GoodsTableSound(conn, goods) && HistorySound(conn))
            InstallTriggers(conn, goods);
        else
            DropTriggers(conn);
    } catch (const std::exception& e) {
        // A file that cannot be read says so when its table is opened.
        SilentFailure(lcGoods, QStringLiteral("the price history of %1 is not kept").arg(path), e);
    }
}

bool EnsurePriceHistory(const QString& path) {
    try {
        if (!QFileInfo(path).isFile()) return false;
        const auto conn = AcquireConnection(path);
        const QString goods = SqlTableName(QFileInfo(path).fileName());
        if (!GoodsTableSound(*conn, goods)) throw TEngineError(QStringLiteral("Plik nie zawiera tabeli towarów z polami ID i CENA."));
        if (HistorySound(*conn))
            EnsureIndex(*conn);
        else
            CreateHistory(*conn, goods);
        InstallTriggers(*conn, goods);
        return true;
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("the price history of %1 is not usable").arg(path), e);
        return false;
    }
}

TFieldDef LowestPriceField(const QString& goodsTable) {
    const QString g = QuoteName(goodsTable), h = History();
    // c is the goods' newest entry, p the one before it. The window holds the
    // entries before c dated after c's moment less 30 days, and the one in
    // effect at that moment, if any (otherwise the goods are younger).
    const QString sql = QStringLiteral(
        "SELECT CASE"
        " WHEN typeof(c.k) <> 'integer' OR typeof(p.k) <> 'integer' OR p.k <= c.k THEN NULL"
        " WHEN typeof(c.t) <> 'integer' OR typeof(p.t) <> 'integer' OR c.t > prandel_now() THEN NULL"
        " WHEN c.k IS NOT prandel_amount(%1.\"CENA\") THEN NULL"
        " ELSE (SELECT CASE WHEN count(*) = total(typeof(w.k) = 'integer') THEN min(w.k) END FROM ("
        "  SELECT h.\"KWOTA\" AS k FROM %2 h WHERE h.\"ID\" = c.id AND h.\"CHWILA\" > c.t - %4"
        "   AND (h.\"CHWILA\" < c.t OR (h.\"CHWILA\" = c.t AND h.rowid < c.r))"
        "  UNION ALL SELECT k FROM (SELECT h.\"KWOTA\" AS k FROM %2 h WHERE h.\"ID\" = c.id AND h.\"CHWILA\" <= c.t - %4%3 LIMIT 1)"
        " ) w)"
        " END"
        " FROM (SELECT h.\"ID\" AS id, h.\"KWOTA\" AS k, h.\"CHWILA\" AS t, h.rowid AS r FROM %2 h"
        "  WHERE h.\"ID\" = %1.\"ID\"%3 LIMIT 1) c,"
        " (SELECT h.\"KWOTA\" AS k, h.\"CHWILA\" AS t FROM %2 h WHERE h.\"ID\" = %1.\"ID\"%3 LIMIT 1 OFFSET 1) p")
                            .arg(g, h, kNewestFirst, QString::number(kWindowMs));
    return TFieldDef(kLowestPriceField, TFieldType::Integer, 0, false, sql);
}

std::optional<TAmount> LowestPrice(TTable& table) {
    const int i = table.FieldIndex(kLowestPriceField);
    if (i < 0) return std::nullopt;
    const QVariant v = table.FieldByName(kLowestPriceField).Value();
    if (v.isNull() || v.typeId() != QMetaType::LongLong) return std::nullopt;
    return v.toLongLong();
}

QString LowestPriceText(const QVariant& value) {
    if (value.isNull() || value.typeId() != QMetaType::LongLong) return QString();
    QString text = AmountText(value.toLongLong());
    // A price shows its grosze: "10,00" beside a price written "10,00".
    if (!text.contains(u',')) text += QStringLiteral(",00");
    return text;
}
