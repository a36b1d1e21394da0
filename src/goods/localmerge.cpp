// The goods update's merge into the local goods file: the external records are
// staged a batch at a time and merged by the set statements of setmerge.h; what
// is SQLite's own here (the staging table in the temp schema, row ids, the
// savepoint, the price history's statements of this connection) is marked so.
#include "localmerge.h"

#include "goodstable.h"
#include "knowngoods.h"
#include "pricehistory.h"
#include "setmerge.h"
#include "silentfailure.h"
#include "sqliteconnection.h"
#include "tablestatement.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <sqlite3.h>

namespace {

// Rows merged by one pass of the set statements, and written in one
// transaction: a commit per row would cost the disk several syncs each, and
// the statements' own cost is paid once per batch.
constexpr int kBatchRows = 50000;
// Unit prices kept for the price and quantity texts already seen (a shop's
// goods share few of them); the cache starts again when full.
constexpr int kPriceCacheSize = 65536;

QString Quote(const QString& name) { return u'"' + name + u'"'; }
QString Column(TGoodsColumn c) { return Quote(GoodsColumnName(c)); }

// ---- SQLite's spelling of the set merge ----

QString SqliteTrimmed(const QString& expr) { return QStringLiteral("trim(%1, '%2')").arg(expr, kBlanks); }

TSetMergeDialect SqliteDialect(const QString& goodsTable) {
    TSetMergeDialect d;
    d.Goods = QStringLiteral("main.") + Quote(goodsTable);
    // A temp table is this connection's alone, and never reaches the goods file.
    d.Stage = QStringLiteral("temp.\"prandel_etap\"");
    d.CreateStageTable = QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ");
    d.Trimmed = SqliteTrimmed;
    d.UnitPrice = QStringLiteral("prandel_cena_jednostkowa(s.\"CENA\", s.\"WAGA\")");
    return d;
}


// The unit prices of one merge: UnitPriceText of a price and quantity text,
// cut to ABSCENA's field; null when there is none.
class TUnitPrices {
public:
    TUnitPrices(const TUnitSymbols& symbols, int size) : Symbols(symbols), Size(size) {}

    const QVariant& Of(const QString& price, const QString& quantity) {
        std::pair<QString, QString> key(price, quantity);
        if (const auto it = Cache.constFind(key); it != Cache.constEnd()) return *it;
        if (Cache.size() >= kPriceCacheSize) Cache.clear();
        const QString unit = UnitPriceText(price, quantity, Symbols);
        return *Cache.insert(std::move(key), unit.isEmpty() ? QVariant() : QVariant(unit.left(Size)));
    }

    // ---- SQLite: the unit price as an SQL function of this merge's connection ----

    // prandel_cena_jednostkowa(CENA, WAGA).
    // The texts as SQLite holds them are the cache's keys here, and the unit
    // price its value as SQLite takes it: no conversion when it is known.
    static void SqlFunction(sqlite3_context* context, int, sqlite3_value** argv) {
        try {
            auto* self = static_cast<TUnitPrices*>(sqlite3_user_data(context));
            const auto bytes = [](sqlite3_value* v) {
                if (sqlite3_value_type(v) == SQLITE_NULL) return QByteArray();
                const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
                return p ? QByteArray::fromRawData(p, sqlite3_value_bytes(v)) : QByteArray("");
            };
            std::pair<QByteArray, QByteArray> key(bytes(argv[0]), bytes(argv[1]));
            auto it = self->Utf8.constFind(key);
            if (it == self->Utf8.constEnd()) {
                const auto text = [](const QByteArray& b) { return b.isNull() ? QString() : QString::fromUtf8(b); };
                const QVariant& unit = self->Of(text(key.first), text(key.second));
                if (self->Utf8.size() >= kPriceCacheSize) self->Utf8.clear();
                // The keys deep: the raw bytes are SQLite's, for this call only.
                const auto own = [](const QByteArray& b) { return b.isNull() ? QByteArray() : QByteArray(b.constData(), b.size()); };
                it = self->Utf8.insert({own(key.first), own(key.second)}, unit.isNull() ? QByteArray() : unit.toString().toUtf8());
            }
            const QByteArray& utf8 = *it;
            if (utf8.isNull()) return sqlite3_result_null(context);
            sqlite3_result_text64(context, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        } catch (...) {
            sqlite3_result_error(context, "prandel_cena_jednostkowa failed", -1);
        }
    }
    void Register(sqlite3* db) {
        if (sqlite3_create_function_v2(db, "prandel_cena_jednostkowa", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, this, SqlFunction,
                                       nullptr, nullptr, nullptr) != SQLITE_OK)
            throw TEngineError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    static void Unregister(sqlite3* db) {
        sqlite3_create_function_v2(db, "prandel_cena_jednostkowa", 2, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr, nullptr);
    }

private:
    TUnitSymbols Symbols;
    int Size;
    QHash<std::pair<QString, QString>, QVariant> Cache;
    QHash<std::pair<QByteArray, QByteArray>, QByteArray> Utf8;
};

// ---- SQLite: the indexes set aside while a bulk load fills an empty store ----

// The indexes of the goods and history tables that the file's schema holds as
// statements (not those of a primary key), dropped and made again.
class TSetAsideIndexes {
public:
    // Drops them; `conn` in a transaction.
    void Drop(TSqliteConnection& conn, const QStringList& tables) {
        QSqlQuery q = RunQuery(conn, QStringLiteral("SELECT name, sql FROM main.sqlite_master WHERE type = 'index' AND sql IS NOT NULL"
                                                    " AND lower(tbl_name) IN (%1)")
                                         .arg(QStringList(tables.size(), QStringLiteral("lower(?)")).join(u',')),
                               QVariantList(tables.cbegin(), tables.cend()));
        std::vector<std::pair<QString, QString>> found;
        while (q.next()) found.emplace_back(q.value(0).toString(), q.value(1).toString());
        q.finish();
        for (const auto& [name, sql] : found) {
            RunQuery(conn, QStringLiteral("DROP INDEX main.%1").arg(Quote(name)));
            Statements << sql;
        }
    }
    // Makes them again, each sorted once over the whole table.
    void Restore(TSqliteConnection& conn) {
        // The sort may take a second core.
        RunQuery(conn, QStringLiteral("PRAGMA threads = 2"));
        for (const QString& sql : std::as_const(Statements)) RunQuery(conn, sql);
        RunQuery(conn, QStringLiteral("PRAGMA threads = 0"));
        Statements.clear();
    }

private:
    QStringList Statements;
};

class TLocalMerge : public TGoodsMerge {
    // Goods as a look-up found them.
    struct TFound {
        qint64 RowId = -1;      // -1 when there are none
        bool Same = false;      // their texts, blanks at their ends aside, are the record's
        bool NameKept = false;  // their name is the record's as it stands
    };

public:
    TLocalMerge(TTable& whole, const TUnitSymbols& symbols, std::function<void()> release)
        : Hold(std::move(release)), Table(whole), Units(symbols, 0) {
        const auto size = [&](TGoodsColumn c) {
            const QString name = GoodsColumnName(c);
            const int i = whole.FieldIndex(name);
            if (i < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(name));
            const int s = whole.Fields(i).Size();
            return s > 0 ? s : kGoodsColumns[static_cast<size_t>(c)].Size;
        };
        for (const TGoodsColumnDef& c : kGoodsColumns) Sizes[static_cast<size_t>(c.Column)] = size(c.Column);
        Units = TUnitPrices(symbols, Size(TGoodsColumn::ABSCENA));
        Conn = AcquireConnection(whole.FilePath());
        Path = QFileInfo(whole.FilePath()).absoluteFilePath();
        GoodsTable = QFileInfo(whole.TableName()).completeBaseName();
        Sql = SqliteDialect(GoodsTable);
        PrepareRowStatements();
        Exec(SetMergeSql::CreateStage(Sql));
        // SQLite: the staged batch stays in memory pages of the temp schema.
        Exec(QStringLiteral("PRAGMA temp.cache_size = -32768"));
        Exec(SetMergeSql::ClearStage(Sql));
        StageRow = std::make_unique<TSqliteStatement>(Conn->Handle, SetMergeSql::InsertStagedSorted(Sql));
        Units.Register(Conn->Handle);
        KeepsHistory = HistoryKeptBy(*Conn);
        // An empty store (no goods, no history) is filled as a bulk load.
        Bulk = IsEmpty(Sql.Goods) && (!KeepsHistory || IsEmpty(Quote(kPriceHistoryTable)));
    }

    ~TLocalMerge() override {
        try {
            Commit();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the last batch of the update could not be committed"), e);
        }
        try {
            StageRow.reset();
            Exec(SetMergeSql::ClearStage(Sql));
            TUnitPrices::Unregister(Conn->Handle);
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the update's staging table was not emptied"), e);
        }
    }

    void Add(const TGoodsRecord& record) override {
        const QString key = record.ID.left(Size(TGoodsColumn::ID));
        if ((Bulk || BulkOn) && Load(record, key)) return;
        // The batch's transaction holds the look-ups and the staging too:
        // each would otherwise be a transaction of its own, with its locks.
        if (!Batch) Batch = std::make_unique<TTableTransaction>(Table);
        if (!Known.Loaded() && WorthKnowing()) LoadKnown();
        // Most goods of a nightly update are as they were: known so, they are
        // left at once (goods staged in this run are forgotten).
        const TKnownGoods::TVerdict known = Known.Compare(key, record);
        if (known == TKnownGoods::TVerdict::Unchanged) return;
        // Goods twice in one batch: the first is merged before the second is
        // compared, as if the rows came one at a time.
        if (known == TKnownGoods::TVerdict::Unknown && Keys.contains(key)) Flush();
        // Goods known changed are staged at once; the others are looked up by
        // the key (a seek in this file). Only those that change anything are
        // staged, already sorted.
        TFound found;
        if (known == TKnownGoods::TVerdict::Unknown) {
            ++LookedUp;
            found = Lookup(record, key);
            if (found.Same) return;
        } else {
            found = {0, false, known == TKnownGoods::TVerdict::Changed};
        }
        Stage(record, key, found);
        if (static_cast<int>(Pending.size()) >= kBatchRows) {
            Commit();
            LetWaitingWritersIn();
            // What another connection wrote meanwhile is not known.
            if (Known.Loaded() && DataVersion() != KnownVersion) Known.Clear();
        }
    }

    void Expect(qint64 rows) override { Expected = rows; }

    void Commit() override {
        Flush();
        EndBulk();
        if (Batch) Batch->Commit();
        Batch.reset();
    }

    TCounts Counts() const override { return Done; }
    QString LastError() const override { return Error; }

private:
    int Size(TGoodsColumn c) const { return Sizes[static_cast<size_t>(c)]; }

    void Exec(const QString& sql) {
        char* message = nullptr;
        if (sqlite3_exec(Conn->Handle, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            const QString text = message ? QString::fromUtf8(message) : QStringLiteral("SQLite");
            sqlite3_free(message);
            throw TEngineError(text);
        }
    }

    // One statement of the set merge: rows changed.
    qint64 Run(const QString& sql, const QVariantList& binds = {}) {
        TSqliteStatement st(Conn->Handle, sql);
        for (int i = 0; i < binds.size(); ++i) st.Bind(i + 1, binds[i]);
        st.Step();
        return sqlite3_changes64(Conn->Handle);
    }

    qint64 Number(const QString& sql) {
        TSqliteStatement st(Conn->Handle, sql);
        return st.Step() ? st.Int64(0) : 0;
    }

    bool IsEmpty(const QString& table) { return Number(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 LIMIT 1)").arg(table)) == 0; }

    // The perishable flag as written: null when the record does not know it.
    static QVariant Perishable(const TGoodsRecord& r) { return r.KROTKITERMIN ? QVariant(qint64{*r.KROTKITERMIN}) : QVariant(); }

    // Writes the record into the staging table as it is to be stored, with
    // what it is to the goods as its look-up found them.
    void Stage(const TGoodsRecord& r, const QString& key, const TFound& found) {
        using C = TGoodsColumn;
        const bool missing = r.NAZWA.isEmpty() || r.CENA.isEmpty();
        // New goods without a name or a price are not added: nothing to stage.
        if (found.RowId < 0 && missing) return;
        bool cut = false;
        // A text is stored cut to its field; an empty text is stored as null.
        const auto bind = [&](int i, const QString& text, C c) {
            if (text.isEmpty()) return StageRow->BindText(i, QString());
            cut = cut || text.size() > Size(c);
            StageRow->BindText(i, text.left(Size(c)));
        };
        StageRow->Bind(1, static_cast<qint64>(Pending.size()));
        StageRow->BindText(2, key);
        bind(3, r.NAZWA, C::NAZWA);
        bind(4, r.CENA, C::CENA);
        bind(5, r.WAGA, C::WAGA);
        bind(6, r.KODKRESKOWY, C::KODKRESKOWY);
        StageRow->Bind(7, static_cast<qint64>(r.TYPKODU));
        StageRow->Bind(8, Perishable(r));
        StageRow->Bind(9, static_cast<qint64>(cut ? 1 : 0));
        // As SetMergeSql::Classify sorts them.
        const TStageAction action = cut || (found.RowId >= 0 && missing) ? TStageAction::RowByRow
                                    : found.RowId >= 0                   ? TStageAction::Update
                                                                         : TStageAction::Insert;
        StageRow->Bind(10, static_cast<qint64>(action));
        ++Staged[static_cast<size_t>(action)];
        if (action == TStageAction::Update && !found.NameKept) ++Renamed;
        StageRow->Step();
        StageRow->Reset();
        Pending.push_back(r);
        Keys.insert(key);
        Known.Forget(key);
    }

    // ---- The goods as the file held them (SQLite) ----

    qint64 DataVersion() { return Number(QStringLiteral("PRAGMA main.data_version")); }

    // Reading the goods whole costs a fraction of a look-up per goods: it
    // pays when the update brings a good part of them (as far as it says how
    // many it brings, or has brought so far).
    bool WorthKnowing() {
        if (KnownFailed) return false;
        if (StoreRows < 0) StoreRows = Number(QStringLiteral("SELECT coalesce(max(rowid), 0) FROM %1").arg(Sql.Goods));
        return std::max(Expected, LookedUp) >= StoreRows / 8;
    }

    void LoadKnown() {
        try {
            Known.Load(Conn->Handle, Sql.Goods);
            KnownVersion = DataVersion();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the update looks each goods up"), e);
            Known.Clear();
            KnownFailed = true;  // not tried again
            return;
        }
        // Staged goods are not written yet: what the file holds of them is old.
        for (const QString& key : std::as_const(Keys)) Known.Forget(key);
    }

    // ---- The bulk load of an empty store (SQLite) ----
    //
    // Goods that come into an empty store are all new: each is inserted as
    // it comes, with no staging, no look-up and no comparison. The indexes of
    // the goods and the history and the statements that keep the history row
    // by row are set aside meanwhile, the whole load one transaction; at its
    // end the indexes are made again (an index sorted once costs a fraction
    // of one grown row by row) and every good loaded gets its first history
    // entry in one statement. Goods that come twice (the second a change, not
    // a new good) end it: from there on the merge is the usual one.

    // True when the record was loaded or, new without a name or a price,
    // left out; false when the bulk load has ended and the record is still to
    // be merged.
    bool Load(const TGoodsRecord& r, const QString& key) {
        if (!BulkOn && !StartBulk()) return false;
        if (r.NAZWA.isEmpty() || r.CENA.isEmpty()) return true;
        try {
            WriteRow(r, key, -1);
        } catch (const std::exception&) {
            // The goods are there already (or the store refuses the row): the
            // usual merge decides.
            EndBulk();
            return false;
        }
        ++Done.Changed;
        ++Loaded;
        return true;
    }

    // False when the load could not start: the merge is then the usual one.
    bool StartBulk() {
        Bulk = false;
        if (!Batch) Batch = std::make_unique<TTableTransaction>(Table);
        try {
            Aside.Drop(*Conn, {GoodsTable, kPriceHistoryTable});
            if (KeepsHistory) SuspendRowHistory(*Conn, true);
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the first update of an empty store is merged as any other"), e);
            Batch.reset();  // the indexes and statements set aside come back
            Aside = TSetAsideIndexes();
            return false;
        }
        BulkOn = true;
        return true;
    }

    void EndBulk() {
        if (!BulkOn) return;
        BulkOn = false;
        try {
            // The entries first, so that the history's index too is sorted
            // once rather than grown entry by entry.
            if (KeepsHistory) Run(AddFirstEntries(GoodsTable), {PriceClockNow().toMSecsSinceEpoch()});
            Aside.Restore(*Conn);
            if (KeepsHistory) ResumeRowHistory(*Conn, Path);
        } catch (...) {
            // Goods without their indexes or history are no store: the load
            // goes whole, and the store is empty as it was.
            Batch.reset();
            Done.Changed -= Loaded;
            Loaded = 0;
            throw;
        }
    }

    // Merges the staged batch: the set statements, then the rows the store
    // may refuse one at a time. A batch whose set statements fail is merged
    // row by row, so that only the rows at fault are refused.
    void Flush() {
        if (Pending.empty()) return;
        if (!Batch) Batch = std::make_unique<TTableTransaction>(Table);
        std::vector<qint64> alone;
        try {
            alone = MergeStaged();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("a batch of the update is merged row by row"), e);
            alone.clear();
            for (size_t i = 0; i < Pending.size(); ++i) alone.push_back(static_cast<qint64>(i));
        }
        for (const qint64 nr : alone) WriteAlone(Pending[static_cast<size_t>(nr)]);
        Exec(SetMergeSql::ClearStage(Sql));
        Pending.clear();
        Keys.clear();
        Staged = {};
        Renamed = 0;
    }

    // Runs the set statements within a savepoint (SQLite's); returns the rows
    // left to be written alone. Raises, with nothing of the batch written.
    std::vector<qint64> MergeStaged() {
        Exec(QStringLiteral("SAVEPOINT prandel_partia"));
        try {
            // The entries of the batch come from one statement below, not from
            // the statements of this connection that write them row by row.
            if (KeepsHistory) SuspendRowHistory(*Conn);
            // The rows were sorted as they were staged; the statements of
            // actions that no row has are left out.
            const auto has = [this](TStageAction a) { return Staged[static_cast<size_t>(a)] > 0; };
            qint64 changed = 0;
            if (has(TStageAction::Update)) {
                changed += Run(SetMergeSql::UpdateChanged(Sql, false));
                if (Renamed > 0) changed += Run(SetMergeSql::UpdateChanged(Sql, true));
            }
            if (has(TStageAction::Insert)) changed += Run(SetMergeSql::InsertNew(Sql));
            if (KeepsHistory) {
                if (has(TStageAction::Update) || has(TStageAction::Insert)) Run(AddEntriesOfStage(Sql.Stage), {PriceClockNow().toMSecsSinceEpoch()});
                ResumeRowHistory(*Conn, Path);
            }
            std::vector<qint64> alone;
            if (has(TStageAction::RowByRow)) {
                TSqliteStatement rows(Conn->Handle, SetMergeSql::StagedOf(Sql, TStageAction::RowByRow));
                while (rows.Step()) alone.push_back(rows.Int64(0));
            }
            Exec(QStringLiteral("RELEASE prandel_partia"));
            Done.Changed += static_cast<int>(changed);
            return alone;
        } catch (...) {
            try {
                Exec(QStringLiteral("ROLLBACK TO prandel_partia"));
                Exec(QStringLiteral("RELEASE prandel_partia"));
            } catch (const std::exception& e) {
                SilentFailure(lcGoods, QStringLiteral("a failed batch of the update was not rolled back"), e);
            }
            throw;
        }
    }

    // ---- One record alone, through the statements that keep the history row by row ----

    void PrepareRowStatements() {
        using C = TGoodsColumn;
        const QString table = Quote(GoodsTable);
        Find = std::make_unique<TTableStatement>(
            Table, QStringLiteral("SELECT rowid, %2, %3, %4, %5, %7 FROM %1 WHERE %6 = ?")
                       .arg(table, Column(C::NAZWA), Column(C::CENA), Column(C::WAGA), Column(C::KODKRESKOWY), Column(C::ID),
                            Column(C::KROTKITERMIN)));
        // The written columns, in the order the values are bound.
        const QString written = QStringList{Column(C::CENA), Column(C::NAZWA), Column(C::WAGA), Column(C::ABSCENA),
                                            Column(C::KODKRESKOWY), Column(C::TYPKODU)}
                                    .join(QStringLiteral(" = ?, ")) +
                                QStringLiteral(" = ?");
        // The perishable flag last; a record that does not know it (null)
        // leaves the goods' own, and new goods get 0.
        Update = std::make_unique<TTableStatement>(
            Table, QStringLiteral("UPDATE %1 SET %2, %5 = coalesce(?, %5), %3 = 1, %4 = 0 WHERE rowid = ?")
                       .arg(table, written, Column(C::NEW), Column(C::SELECT), Column(C::KROTKITERMIN)));
        Insert = std::make_unique<TTableStatement>(
            Table, QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8, %11, %9, %10) VALUES (?, ?, ?, ?, ?, ?, ?, coalesce(?, 0), 1, 0)")
                       .arg(table, Column(C::ID), Column(C::CENA), Column(C::NAZWA), Column(C::WAGA), Column(C::ABSCENA),
                            Column(C::KODKRESKOWY), Column(C::TYPKODU), Column(C::NEW))
                       .arg(Column(C::SELECT), Column(C::KROTKITERMIN)));
    }

    void WriteAlone(const TGoodsRecord& record) {
        try {
            if (Write(record)) ++Done.Changed;
        } catch (const std::exception& e) {
            ++Done.Rejected;
            Error = QString::fromLocal8Bit(e.what());
            if (const auto* engine = dynamic_cast<const TEngineError*>(&e)) Error = engine->Message();
            SilentFailure(lcGoods, QStringLiteral("goods %1 not merged").arg(record.ID), e);
        }
    }

    // True when the record was added or changed; raises when writing failed
    // (the row stays as it was).
    bool Write(const TGoodsRecord& r) {
        using C = TGoodsColumn;
        const QString key = r.ID.left(Size(C::ID));
        const TFound found = Lookup(r, key);
        if (found.RowId >= 0 ? found.Same : r.NAZWA.isEmpty() || r.CENA.isEmpty()) return false;
        WriteRow(r, key, found.RowId);
        return true;
    }

    // The goods of `key` as the file holds them.
    TFound Lookup(const TGoodsRecord& r, const QString& key) {
        TTableStatement& find = *Find;
        find.BindText(1, key.isNull() ? QStringLiteral("") : key);  // an empty key is a text, never NULL
        // A stored text is the record's when, trimmed, it reads the same.
        // Most are the very same text: compared as SQLite holds it, with no
        // conversion, unless the record's own text has blanks at an end.
        const auto same = [&find](int column, const QString& text) {
            const bool trimmed = text.isEmpty() || (!text.front().isSpace() && !text.back().isSpace());
            if (trimmed && QAnyStringView::equal(find.Utf8View(column), text)) return true;
            return find.TextView(column).trimmed() == text;
        };
        TFound out;
        if (find.Step())
            out = {find.Int64(0),
                   same(1, r.NAZWA) && same(2, r.CENA) && same(3, r.WAGA) && same(4, r.KODKRESKOWY) &&
                       (!r.KROTKITERMIN || (find.Int64(5) != 0) == *r.KROTKITERMIN),
                   !r.NAZWA.isEmpty() && QAnyStringView::equal(find.Utf8View(1), r.NAZWA)};
        find.Reset();
        return out;
    }

    // Updates the row `rowId` with the record, or inserts it with the key
    // when rowId is -1. Raises when writing failed (the row stays as it was).
    void WriteRow(const TGoodsRecord& r, const QString& key, qint64 rowId) {
        using C = TGoodsColumn;
        const bool found = rowId >= 0;
        TTableStatement& q = found ? *Update : *Insert;
        // Texts bound as SQLite keeps them (UTF-8): nothing to convert inside.
        const auto stored = [&](int i, const QString& text, C c) { q.BindText(i, text.isEmpty() ? QString() : text.left(Size(c))); };
        int i = 1;
        if (!found) q.Bind(i++, key);
        stored(i++, r.CENA, C::CENA);
        stored(i++, r.NAZWA, C::NAZWA);
        stored(i++, r.WAGA, C::WAGA);
        const QVariant& unit = Units.Of(r.CENA, r.WAGA);
        q.BindText(i++, unit.isNull() ? QString() : unit.toString());
        stored(i++, r.KODKRESKOWY, C::KODKRESKOWY);
        q.Bind(i++, static_cast<qint64>(r.TYPKODU));
        q.Bind(i++, Perishable(r));
        if (found) q.Bind(i++, rowId);
        q.Step();  // an error resets the statement and raises
        q.Reset();
    }

    THold Hold;  // released after the statements are gone
    TTable& Table;
    TUnitPrices Units;
    std::array<int, kGoodsColumns.size()> Sizes{};
    std::shared_ptr<TSqliteConnection> Conn;
    QString Path;
    QString GoodsTable;
    TSetMergeDialect Sql;
    bool KeepsHistory = false;
    bool Bulk = false;    // the store was empty: the first record starts a bulk load
    bool BulkOn = false;  // the indexes are set aside
    int Loaded = 0;       // records the bulk load inserted
    TSetAsideIndexes Aside;
    std::unique_ptr<TTableStatement> Find, Update, Insert;
    std::unique_ptr<TSqliteStatement> StageRow;
    std::unique_ptr<TTableTransaction> Batch;
    TKnownGoods Known;       // the goods as the file held them
    qint64 KnownVersion = 0;  // the file's data version when they were read
    qint64 Expected = 0;     // records the update says it brings
    qint64 LookedUp = 0;     // records looked up one at a time so far
    qint64 StoreRows = -1;   // about how many goods the file holds
    bool KnownFailed = false;
    std::vector<TGoodsRecord> Pending;  // the staged records, by NR
    std::array<int, 4> Staged{};        // of them, by their action
    int Renamed = 0;                    // of those to update, the ones whose name changes
    QSet<QString> Keys;                 // their keys
    TCounts Done;
    QString Error;
};

}  // namespace

std::unique_ptr<TGoodsMerge> MakeLocalMerge(TTable& whole, const TUnitSymbols& symbols, std::function<void()> release) {
    return std::make_unique<TLocalMerge>(whole, symbols, std::move(release));
}
