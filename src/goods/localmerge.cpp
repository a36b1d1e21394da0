// The goods update's merge into the local goods file: the external records are
// staged a batch at a time and merged by the set statements of setmerge.h; what
// is SQLite's own here (the staging table in the temp schema, row ids, the
// savepoint, the price history's statements of this connection) is marked so.
#include "localmerge.h"

#include "goodstable.h"
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
// Unit prices and amounts kept for price and quantity texts already seen (a
// shop's goods share few of them); the cache starts again when full.
constexpr int kPriceCacheSize = 65536;

QString Quote(const QString& name) { return u'"' + name + u'"'; }
QString Column(TGoodsColumn c) { return Quote(GoodsColumnName(c)); }

// ---- SQLite's spelling of the set merge ----

// The blanks QString::trimmed takes off, as the second argument of SQLite's
// trim(): ASCII white space, NEL, the no-break space and Unicode's spaces.
const QString kBlanks = QStringLiteral(" \t\n\v\f\r") + QChar(0x85) + QChar(0xA0) + QChar(0x1680) +
                        QStringLiteral("\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007\u2008\u2009\u200A\u2028\u2029\u202F\u205F\u3000");

QString SqliteTrimmed(const QString& expr) { return QStringLiteral("trim(%1, '%2')").arg(expr, kBlanks); }

TSetMergeDialect SqliteDialect(const QString& goodsTable) {
    TSetMergeDialect d;
    d.Goods = QStringLiteral("main.") + Quote(goodsTable);
    // A temp table is this connection's alone, and never reaches the goods file.
    d.Stage = QStringLiteral("temp.\"prandel_etap\"");
    d.CreateStageTable = QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ");
    d.Trimmed = SqliteTrimmed;
    return d;
}

// What the unit price and the history need of a price and quantity text.
struct TPriceFacts {
    QVariant UnitPrice;  // the unit price as stored: null when none
    QVariant Amount;     // the stored price as an amount: null when no number
};

class TLocalMerge : public TGoodsMerge {
public:
    TLocalMerge(TTable& whole, const TUnitSymbols& symbols, std::function<void()> release)
        : Hold(std::move(release)), Table(whole), Symbols(symbols) {
        const auto size = [&](TGoodsColumn c) {
            const QString name = GoodsColumnName(c);
            const int i = whole.FieldIndex(name);
            if (i < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(name));
            const int s = whole.Fields(i).Size();
            return s > 0 ? s : kGoodsColumns[static_cast<size_t>(c)].Size;
        };
        for (const TGoodsColumnDef& c : kGoodsColumns) Sizes[static_cast<size_t>(c.Column)] = size(c.Column);
        Conn = AcquireConnection(whole.FilePath());
        Path = QFileInfo(whole.FilePath()).absoluteFilePath();
        Sql = SqliteDialect(QFileInfo(whole.TableName()).completeBaseName());
        PrepareRowStatements();
        Exec(SetMergeSql::CreateStage(Sql));
        // SQLite: the staged batch stays in memory pages of the temp schema.
        Exec(QStringLiteral("PRAGMA temp.cache_size = -32768"));
        Exec(SetMergeSql::ClearStage(Sql));
        StageRow = std::make_unique<TSqliteStatement>(Conn->Handle, SetMergeSql::InsertStaged(Sql));
        KeepsHistory = HistoryKeptBy(*Conn);
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
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the update's staging table was not emptied"), e);
        }
    }

    void Add(const TGoodsRecord& record) override {
        const QString key = record.ID.left(Size(TGoodsColumn::ID));
        // Goods twice in one batch: the first is merged before the second is
        // compared, as if the rows came one at a time.
        if (Keys.contains(key)) Flush();
        Stage(record, key);
        if (static_cast<int>(Pending.size()) >= kBatchRows) {
            Commit();
            LetWaitingWritersIn();
        }
    }

    void Commit() override {
        Flush();
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

    const TPriceFacts& Facts(const QString& price, const QString& quantity) {
        const QString key = price + QChar(0) + quantity;
        if (const auto it = PriceCache.constFind(key); it != PriceCache.constEnd()) return *it;
        if (PriceCache.size() >= kPriceCacheSize) PriceCache.clear();
        TPriceFacts facts;
        const QString unit = UnitPriceText(price, quantity, Symbols);
        if (!unit.isEmpty()) facts.UnitPrice = unit.left(Size(TGoodsColumn::ABSCENA));
        if (!price.isEmpty())
            if (const auto amount = ParseAmount(price.left(Size(TGoodsColumn::CENA)))) facts.Amount = static_cast<qint64>(*amount);
        return *PriceCache.insert(key, facts);
    }

    // Writes the record into the staging table as it is to be stored.
    void Stage(const TGoodsRecord& r, const QString& key) {
        using C = TGoodsColumn;
        bool cut = false;
        // A text is stored cut to its field; an empty text is stored as null.
        const auto bind = [&](int i, const QString& text, C c) {
            if (text.isEmpty()) return StageRow->BindText(i, QString());
            cut = cut || text.size() > Size(c);
            StageRow->BindText(i, text.left(Size(c)));
        };
        const TPriceFacts& facts = Facts(r.CENA, r.WAGA);
        // The batch's transaction holds the staging too: each staged row
        // would otherwise be a transaction of its own.
        if (!Batch) Batch = std::make_unique<TTableTransaction>(Table);
        StageRow->Bind(1, static_cast<qint64>(Pending.size()));
        StageRow->BindText(2, key);
        bind(3, r.NAZWA, C::NAZWA);
        bind(4, r.CENA, C::CENA);
        bind(5, r.WAGA, C::WAGA);
        StageRow->Bind(6, facts.UnitPrice);
        bind(7, r.KODKRESKOWY, C::KODKRESKOWY);
        StageRow->Bind(8, static_cast<qint64>(r.TYPKODU));
        StageRow->Bind(9, facts.Amount);
        StageRow->Bind(10, static_cast<qint64>(cut ? 1 : 0));
        StageRow->Step();
        StageRow->Reset();
        Pending.push_back(r);
        Keys.insert(key);
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
    }

    // Runs the set statements within a savepoint (SQLite's); returns the rows
    // left to be written alone. Raises, with nothing of the batch written.
    std::vector<qint64> MergeStaged() {
        Exec(QStringLiteral("SAVEPOINT prandel_partia"));
        try {
            // The entries of the batch come from one statement below, not from
            // the statements of this connection that write them row by row.
            if (KeepsHistory) SuspendRowHistory(*Conn);
            Run(SetMergeSql::Classify(Sql));
            qint64 changed = Run(SetMergeSql::UpdateChanged(Sql));
            changed += Run(SetMergeSql::InsertNew(Sql));
            if (KeepsHistory) {
                Run(AddEntriesOfStage(Sql.Stage), {PriceClockNow().toMSecsSinceEpoch()});
                ResumeRowHistory(*Conn, Path);
            }
            std::vector<qint64> alone;
            TSqliteStatement rows(Conn->Handle, SetMergeSql::StagedOf(Sql, TStageAction::RowByRow));
            while (rows.Step()) alone.push_back(rows.Int64(0));
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
        const QString table = Quote(QFileInfo(Table.TableName()).completeBaseName());
        Find = std::make_unique<TTableStatement>(
            Table, QStringLiteral("SELECT rowid, %2, %3, %4, %5 FROM %1 WHERE %6 = ?")
                       .arg(table, Column(C::NAZWA), Column(C::CENA), Column(C::WAGA), Column(C::KODKRESKOWY), Column(C::ID)));
        // The written columns, in the order the values are bound.
        const QString written = QStringList{Column(C::CENA), Column(C::NAZWA), Column(C::WAGA), Column(C::ABSCENA),
                                            Column(C::KODKRESKOWY), Column(C::TYPKODU)}
                                    .join(QStringLiteral(" = ?, ")) +
                                QStringLiteral(" = ?");
        Update = std::make_unique<TTableStatement>(
            Table, QStringLiteral("UPDATE %1 SET %2, %3 = 1, %4 = 0 WHERE rowid = ?").arg(table, written, Column(C::NEW), Column(C::SELECT)));
        Insert = std::make_unique<TTableStatement>(
            Table, QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8, %9, %10) VALUES (?, ?, ?, ?, ?, ?, ?, 1, 0)")
                       .arg(table, Column(C::ID), Column(C::CENA), Column(C::NAZWA), Column(C::WAGA), Column(C::ABSCENA),
                            Column(C::KODKRESKOWY), Column(C::TYPKODU), Column(C::NEW))
                       .arg(Column(C::SELECT)));
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
        const auto stored = [this](const QString& text, C c) { return text.isEmpty() ? QVariant() : QVariant(text.left(Size(c))); };
        const QString key = r.ID.left(Size(C::ID));
        TTableStatement& find = *Find;
        find.Bind(1, key);
        const bool found = find.Step();
        qint64 rowId = -1;
        bool same = false;
        if (found) {
            rowId = find.Int64(0);
            same = find.Text(1).trimmed() == r.NAZWA && find.Text(2).trimmed() == r.CENA &&
                   find.Text(3).trimmed() == r.WAGA && find.Text(4).trimmed() == r.KODKRESKOWY;
        }
        find.Reset();
        if (found ? same : r.NAZWA.isEmpty() || r.CENA.isEmpty()) return false;
        TTableStatement& q = found ? *Update : *Insert;
        int i = 1;
        if (!found) q.Bind(i++, key);
        q.Bind(i++, stored(r.CENA, C::CENA));
        q.Bind(i++, stored(r.NAZWA, C::NAZWA));
        q.Bind(i++, stored(r.WAGA, C::WAGA));
        q.Bind(i++, Facts(r.CENA, r.WAGA).UnitPrice);
        q.Bind(i++, stored(r.KODKRESKOWY, C::KODKRESKOWY));
        q.Bind(i++, static_cast<qint64>(r.TYPKODU));
        if (found) q.Bind(i++, rowId);
        q.Step();  // an error resets the statement and raises
        q.Reset();
        return true;
    }

    THold Hold;  // released after the statements are gone
    TTable& Table;
    TUnitSymbols Symbols;
    std::array<int, kGoodsColumns.size()> Sizes{};
    std::shared_ptr<TSqliteConnection> Conn;
    QString Path;
    TSetMergeDialect Sql;
    bool KeepsHistory = false;
    std::unique_ptr<TTableStatement> Find, Update, Insert;
    std::unique_ptr<TSqliteStatement> StageRow;
    std::unique_ptr<TTableTransaction> Batch;
    std::vector<TGoodsRecord> Pending;  // the staged records, by NR
    QSet<QString> Keys;                 // their keys
    QHash<QString, TPriceFacts> PriceCache;
    TCounts Done;
    QString Error;
};

}  // namespace

std::unique_ptr<TGoodsMerge> MakeLocalMerge(TTable& whole, const TUnitSymbols& symbols, std::function<void()> release) {
    return std::make_unique<TLocalMerge>(whole, symbols, std::move(release));
}
