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

// Raises TEngineError when SQLite refuses a function: the history's
// statements would then fail every write of a price.
void RegisterFunctions(sqlite3* db) {
    const auto check = [db](int rc, const char* name) {
        if (rc != SQLITE_OK)
            throw TEngineError(QStringLiteral("Nie można zarejestrować funkcji %1: %2")
                                   .arg(QLatin1String(name), QString::fromUtf8(sqlite3_errmsg(db))));
    };
    check(sqlite3_create_function_v2(db, "prandel_amount", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr, SqlAmount,
                                     nullptr, nullptr, nullptr),
          "prandel_amount");
    check(sqlite3_create_function_v2(db, "prandel_now", 0, SQLITE_UTF8, nullptr, SqlNow, nullptr, nullptr, nullptr),
          "prandel_now");
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

// ---- The rules of the lowest price, as SQL ----
//
// A price text that is no number is no price in effect: the rules read only
// the entries whose amount is an integer (the numeric entries), as if the
// others were not there. For one goods, c is the newest numeric entry, p the
// newest numeric one of another amount than c's, and the reduction took effect
// at m, the first numeric entry after p (c itself, unless a price that is no
// number came between two entries of c's amount). The window of the lowest
// price holds the numeric entries from p back to m's moment less 30 days, and
// the one in effect at that moment (q), if any: the goods are younger
// otherwise. Nothing before q is ever read again, since m only moves forward.

// The numeric entries of the goods whose ID is the SQL expression `id`, as h
// (or as `alias`).
QString NumericOf(const QString& id, const QString& alias = QStringLiteral("h")) {
    return QStringLiteral("FROM %1 %3 WHERE %3.\"ID\" = %2 AND typeof(%3.\"KWOTA\") = 'integer'").arg(History(), id, alias);
}

// c and p of the goods whose ID is `id`, as one row: id, ck, ct (c's amount
// and moment), pk, pt, pr (p's amount, moment and row); no row without both.
QString CandidatesOf(const QString& id) {
    return QStringLiteral("SELECT c.*, p.\"KWOTA\" AS pk, p.\"CHWILA\" AS pt, p.rowid AS pr"
                          " FROM (SELECT h.\"ID\" AS id, h.\"KWOTA\" AS ck, h.\"CHWILA\" AS ct %1%2 LIMIT 1) c"
                          " JOIN %3 p ON p.rowid = (SELECT h.rowid %4 AND h.\"KWOTA\" <> c.ck%2 LIMIT 1)")
        .arg(NumericOf(id), kNewestFirst, History(), NumericOf(QStringLiteral("c.id")));
}

// The moments of a row x of CandidatesOf are integers. (m's is then one too:
// a damaged moment sorts after every integer, so it would be c's.)
const QString kSoundMoments = QStringLiteral("typeof(x.ct) = 'integer' AND typeof(x.pt) = 'integer'");

// When the window of a row x of CandidatesOf opens: m's moment less 30 days.
QString WindowOpening() {
    return QStringLiteral("(SELECT h.\"CHWILA\" - %1 %2 AND (h.\"CHWILA\" > x.pt OR (h.\"CHWILA\" = x.pt AND h.rowid > x.pr))"
                          " ORDER BY h.\"CHWILA\", h.rowid LIMIT 1)")
        .arg(QString::number(kWindowMs), NumericOf(QStringLiteral("x.id")));
}

// The row of q, for a window of x's goods opening at the moment `opening`;
// null when the goods are younger than the window.
QString InEffectAt(const QString& opening) {
    return QStringLiteral("(SELECT h.rowid %1 AND h.\"CHWILA\" <= %2%3 LIMIT 1)")
        .arg(NumericOf(QStringLiteral("x.id")), opening, kNewestFirst);
}

// Perishable goods measure a reduction from the price before the first of the
// reductions that follow one another without a rise (r), however far back:
// the newest numeric entry at or before p that came in by a rise, its newest
// older numeric entry of another amount being lower, or that has none. The
// row of r for a row x of CandidatesOf.
QString RunStart() {
    return QStringLiteral("(SELECT h.rowid %1 AND (h.\"CHWILA\" < x.pt OR (h.\"CHWILA\" = x.pt AND h.rowid <= x.pr))"
                          " AND coalesce((SELECT b.\"KWOTA\" %2 AND b.\"KWOTA\" <> h.\"KWOTA\""
                          "  AND (b.\"CHWILA\" < h.\"CHWILA\" OR (b.\"CHWILA\" = h.\"CHWILA\" AND b.rowid < h.rowid))"
                          "  ORDER BY b.\"CHWILA\" DESC, b.rowid DESC LIMIT 1) < h.\"KWOTA\", 1)%3 LIMIT 1)")
        .arg(NumericOf(QStringLiteral("x.id")), NumericOf(QStringLiteral("x.id"), QStringLiteral("b")), kNewestFirst);
}

// The statement that gives goods (new."ID", new."CENA") a new entry when the
// amount of the price differs from the last entry's, or they have none: a
// trigger WHEN it is so, and the entry, dated now, or at the last entry when
// the clock went back (a moment of it that is no integer counts as none). An
// INSERT of VALUES: one that selects from the history would copy its rows
// through a temporary table first, for every goods written.
QString AddEntryOnChange() {
    const QString last = QStringLiteral("(SELECT %1 FROM %2 h WHERE h.\"ID\" = new.\"ID\"%3 LIMIT 1)");
    return QStringLiteral(" WHEN new.\"ID\" IS NOT NULL AND NOT EXISTS (SELECT 1 FROM %1 l WHERE l.rowid = %2"
                          "  AND l.\"KWOTA\" IS prandel_amount(new.\"CENA\"))"
                          " BEGIN INSERT INTO %1 (\"ID\", \"KWOTA\", \"CHWILA\")"
                          "  VALUES (new.\"ID\", prandel_amount(new.\"CENA\"), max(prandel_now(), coalesce(%3, 0)));"
                          " END")
        .arg(History(), last.arg(QStringLiteral("h.rowid"), History(), kNewestFirst),
             last.arg(QStringLiteral("CASE WHEN typeof(h.\"CHWILA\") = 'integer' THEN h.\"CHWILA\" END"), History(), kNewestFirst));
}

const char* const kTriggers[] = {"prandel_towar_dodany", "prandel_cena_zmieniona", "prandel_historia_przycieta"};

// The statements that keep the history, for this connection only: they call
// the program's own SQL functions, which other programs reading the file lack.
void InstallTriggers(TSqliteConnection& conn, const QString& goods) {
    const QString g = QuoteName(goods), h = History();
    // New goods continue the history their ID has: goods deleted and taken in
    // again by the next update keep the prices they had.
    RunQuery(conn, QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS prandel_towar_dodany AFTER INSERT ON main.%1%2")
                       .arg(g, AddEntryOnChange()));
    RunQuery(conn, QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS prandel_cena_zmieniona AFTER UPDATE OF \"CENA\" ON main.%1%2")
                       .arg(g, AddEntryOnChange()));
    // A new entry lets the goods' entries before q go, and for perishable
    // goods those before r too, the older of the two. (Goods no longer in
    // the table, or a table without the mark, keep r as well.) Only goods
    // with two entries older than the window can have any: the others skip
    // the work. The other goods look q up once: a column of a subquery named
    // twice is worked out twice.
    const QString perishable =
        IsTableWith(conn, goods, {GoodsColumnName(TGoodsColumn::KROTKITERMIN)})
            ? QStringLiteral("coalesce((SELECT k.\"KROTKITERMIN\" FROM main.%1 k WHERE k.\"ID\" = new.\"ID\"), 1)").arg(g)
            : QStringLiteral("1");
    RunQuery(conn, QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS prandel_historia_przycieta AFTER INSERT ON main.%1"
                                  " WHEN (SELECT count(*) FROM (SELECT 1 FROM %1 h WHERE h.\"ID\" = new.\"ID\""
                                  "  AND h.\"CHWILA\" <= new.\"CHWILA\" - %2 LIMIT 2)) = 2 BEGIN"
                                  " DELETE FROM %1 WHERE \"ID\" = new.\"ID\" AND (\"CHWILA\", rowid) <"
                                  "  (SELECT q.\"CHWILA\", q.rowid FROM %1 q WHERE q.rowid = CASE WHEN %7"
                                  "   THEN (SELECT (SELECT e.rowid FROM %1 e WHERE y.q IS NOT NULL AND e.rowid IN (y.q, y.r)"
                                  "    ORDER BY e.\"CHWILA\", e.rowid LIMIT 1) FROM (SELECT %3 AS q, %6 AS r FROM (%4) x WHERE %5) y)"
                                  "   ELSE (SELECT %3 FROM (%4) x WHERE %5) END);"
                                  " END")
                       .arg(h, QString::number(kWindowMs), InEffectAt(WindowOpening()), CandidatesOf(QStringLiteral("new.\"ID\"")),
                            kSoundMoments, RunStart(), perishable));
}

void DropTriggers(TSqliteConnection& conn, int count = std::size(kTriggers)) {
    for (int i = 0; i < count; ++i)
        RunQuery(conn, QStringLiteral("DROP TRIGGER IF EXISTS temp.%1").arg(QLatin1String(kTriggers[i])));
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

}  // namespace

QString AddFirstEntries(const QString& goods) {
    return QStringLiteral("INSERT INTO main.%1 (\"ID\", \"KWOTA\", \"CHWILA\")"
                          " SELECT \"ID\", prandel_amount(\"CENA\"), ? FROM main.%2 WHERE \"ID\" IS NOT NULL ORDER BY rowid")
        .arg(History(), QuoteName(goods));
}

namespace {

void CreateHistoryTable(TSqliteConnection& conn) {
    RunQuery(conn, QStringLiteral("CREATE TABLE IF NOT EXISTS main.%1 (\"ID\" VARCHAR(30) NOT NULL, \"KWOTA\" INTEGER,"
                                  " \"CHWILA\" INTEGER NOT NULL)")
                       .arg(History()));
    EnsureIndex(conn);
}

// Makes the history: sets a damaged table of its name aside, creates it and
// gives every goods record its current price, all in one transaction.
void CreateHistory(TSqliteConnection& conn, const QString& goods) {
    if (conn.TxDepth != 0) throw TEngineError(QStringLiteral("Historia cen nie może powstać w trakcie innej zmiany."));
    QString error;
    if (!BeginWrite(conn, &error)) throw TEngineError(error);
    try {
        const QString type = ObjectType(conn, kPriceHistoryTable);
        if (type == QLatin1String("table")) {
            const QString aside = FreeName(conn);
            RunQuery(conn, QStringLiteral("ALTER TABLE main.%1 RENAME TO %2").arg(History(), QuoteName(aside)));
            SilentFailure(lcGoods, QStringLiteral("a damaged price history was set aside as %1").arg(aside));
        } else if (!type.isEmpty()) {
            throw TEngineError(QStringLiteral("Nazwę %1 nosi inny obiekt bazy.").arg(kPriceHistoryTable));
        }
        CreateHistoryTable(conn);
        RunQuery(conn, AddFirstEntries(goods), {PriceClockNow().toMSecsSinceEpoch()});
        if (!conn.Db.commit()) throw TEngineError(conn.Db.lastError().text());
    } catch (...) {
        conn.Db.rollback();
        throw;
    }
}

}  // namespace

bool HistoryKeptBy(TSqliteConnection& conn) {
    QSqlQuery q = RunQuery(conn, QStringLiteral("SELECT 1 FROM temp.sqlite_master WHERE type = 'trigger' AND name = ?"),
                           {QLatin1String(kTriggers[1])});
    return q.next();
}

void SuspendRowHistory(TSqliteConnection& conn, bool trimming) { DropTriggers(conn, trimming ? 3 : 2); }

void ResumeRowHistory(TSqliteConnection& conn, const QString& path) { InstallTriggers(conn, SqlTableName(QFileInfo(path).fileName())); }

QString AddEntriesOfStage(const QString& stage) {
    // As the row-by-row statement, for a whole batch: s is the staged row, l
    // the last entry of its goods (looked up once), none when there is none.
    return QStringLiteral("INSERT INTO %1 (\"ID\", \"KWOTA\", \"CHWILA\")"
                          " SELECT s.\"ID\", prandel_amount(s.\"CENA\"),"
                          "  max(?, coalesce(CASE WHEN typeof(l.\"CHWILA\") = 'integer' THEN l.\"CHWILA\" END, 0))"
                          " FROM %2 s LEFT JOIN %1 l ON l.rowid = (SELECT h.rowid FROM %1 h WHERE h.\"ID\" = s.\"ID\"%3 LIMIT 1)"
                          " WHERE s.\"AKCJA\" IN (1, 2) AND s.\"ID\" IS NOT NULL"
                          "  AND (l.rowid IS NULL OR l.\"KWOTA\" IS NOT prandel_amount(s.\"CENA\"))"
                          " ORDER BY s.\"NR\"")
        .arg(History(), stage, kNewestFirst);
}

void SetPriceClock(TPriceClock clock) { Clock() = std::move(clock); }

bool PriceClockInstalled() { return bool(Clock()); }

QDateTime PriceClockNow() {
    if (Clock()) {
        const QDateTime now = Clock()();
        if (now.isValid()) return now;
    }
    return QDateTime::currentDateTimeUtc();
}

void PreparePriceHistory(TSqliteConnection& conn, const QString& path) {
    try {
        RegisterFunctions(conn.Handle);
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

void PrepareCopiedPriceHistory(TSqliteConnection& conn, const QString& path) {
    try {
        RegisterFunctions(conn.Handle);
        DropTriggers(conn);
        CreateHistoryTable(conn);
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("the price history of %1 is not usable").arg(path), e);
    }
}

bool EnsurePriceHistory(const QString& path) {
    try {
        if (!QFileInfo(path).isFile()) return false;
        const auto conn = AcquireConnection(path, PreparePriceHistory);
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
    const QString g = QuoteName(goodsTable);
    // The window is read only for goods with a reduction; its opening (o) is
    // looked up once. Goods have a reduction only when an entry of theirs is
    // above their price: the others, most goods, are passed over after one
    // look at their entries.
    const QString sql =
        QStringLiteral("SELECT CASE WHEN EXISTS (SELECT 1 FROM %4 e WHERE e.\"ID\" = %2.\"ID\" AND e.\"KWOTA\" > prandel_amount(%2.\"CENA\"))"
                       " THEN (SELECT CASE"
                       " WHEN NOT (%1) OR x.ct > prandel_now() OR x.pk < x.ck OR x.ck IS NOT prandel_amount(%2.\"CENA\") THEN NULL"
                       " WHEN %2.\"KROTKITERMIN\" THEN (SELECT r.\"KWOTA\" FROM %4 r WHERE r.rowid = %8)"
                       " ELSE (SELECT (SELECT min(w.k) FROM ("
                       "   SELECT h.\"KWOTA\" AS k %3 AND h.\"CHWILA\" > z.o"
                       "    AND (h.\"CHWILA\" < x.pt OR (h.\"CHWILA\" = x.pt AND h.rowid <= x.pr))"
                       "   UNION ALL SELECT h.\"KWOTA\" FROM %4 h WHERE h.rowid = %5) w)"
                       "  FROM (SELECT %6 AS o) z)"
                       " END FROM (%7) x) END")
            .arg(kSoundMoments, g, NumericOf(QStringLiteral("x.id")), History(), InEffectAt(QStringLiteral("z.o")),
                 WindowOpening(), CandidatesOf(g + QStringLiteral(".\"ID\"")), RunStart());
    return TFieldDef(kLowestPriceField, TFieldType::Integer, 0, false, sql);
}

std::optional<TAmount> LowestPrice(TTable& table) {
    const int i = table.FieldIndex(kLowestPriceField);
    if (i < 0) return std::nullopt;
    return LowestPriceOf(table.FieldByName(kLowestPriceField).Value());
}

std::optional<TAmount> LowestPriceOf(const QVariant& value) {
    if (value.isNull() || value.typeId() != QMetaType::LongLong) return std::nullopt;
    return value.toLongLong();
}

QString LowestPriceText(const QVariant& value) {
    if (value.isNull() || value.typeId() != QMetaType::LongLong) return QString();
    QString text = AmountText(value.toLongLong());
    // A price shows its grosze: "10,00" beside a price written "10,00".
    if (!text.contains(u',')) text += QStringLiteral(",00");
    return text;
}

std::optional<TReduction> ReductionFrom(TAmount reference, TAmount price) {
    if (price < 0 || price >= reference) return std::nullopt;
    TReduction r;
    r.Reference = reference;
    r.Difference = reference - price;
    // Below 100, whatever the amounts; the product is formed in 128 bits.
    r.Percent = static_cast<int>(static_cast<__int128>(r.Difference) * 100 / reference);
    return r;
}

std::optional<TReduction> ReductionOf(const TGoodsRecord& goods) {
    const auto reference = ParseAmount(goods.NAJNIZSZA);
    const auto price = ParseAmount(goods.CENA);
    if (!reference || !price) return std::nullopt;
    return ReductionFrom(*reference, *price);
}

QString ReductionAmountText(TAmount difference) { return FormatAmount2(difference - difference % 100); }
