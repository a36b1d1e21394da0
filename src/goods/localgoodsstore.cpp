// The goods store of one computer: the SQLite file "towary.db" in the data
// folder's "DB" folder, with its price history beside the goods.
#include "goodsstore.h"

#include "goodstable.h"
#include "pricehistory.h"
#include "silentfailure.h"
#include "tablestatement.h"
#include "views.h"

#include <QFileInfo>

namespace {

// Rows of one transaction of the update: a commit per row would cost the
// disk several syncs each.
constexpr int kBatchRows = 10000;

QString Quote(const QString& name) { return u'"' + name + u'"'; }
QString Column(TGoodsColumn c) { return Quote(GoodsColumnName(c)); }

// What holds the whole table open between the store's calls: the table is
// closed again when the last holder goes.
class THold {
public:
    explicit THold(std::function<void()> release) : Release(std::move(release)) {}
    ~THold() {
        if (Release) Release();
    }
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;

private:
    std::function<void()> Release;
};

class TLocalTransaction : public TGoodsTransaction {
public:
    TLocalTransaction(TTable& table, std::function<void()> release) : Hold(std::move(release)), Tx(table) {}
    void Commit() override { Tx.Commit(); }

private:
    THold Hold;  // released after the transaction ends
    TTableTransaction Tx;
};

// The update's writes: each external record is looked up by its key and
// written only when it is new or differs, through statements prepared once
// on the goods file.
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
        using C = TGoodsColumn;
        const QString table = Quote(QFileInfo(whole.TableName()).completeBaseName());
        Find = std::make_unique<TTableStatement>(
            whole, QStringLiteral("SELECT rowid, %2, %3, %4, %5, %7 FROM %1 WHERE %6 = ?")
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
            whole, QStringLiteral("UPDATE %1 SET %2, %5 = coalesce(?, %5), %3 = 1, %4 = 0 WHERE rowid = ?")
                       .arg(table, written, Column(C::NEW), Column(C::SELECT), Column(C::KROTKITERMIN)));
        Insert = std::make_unique<TTableStatement>(
            whole, QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8, %11, %9, %10) VALUES (?, ?, ?, ?, ?, ?, ?, coalesce(?, 0), 1, 0)")
                       .arg(table, Column(C::ID), Column(C::CENA), Column(C::NAZWA), Column(C::WAGA), Column(C::ABSCENA),
                            Column(C::KODKRESKOWY), Column(C::TYPKODU), Column(C::NEW))
                       .arg(Column(C::SELECT), Column(C::KROTKITERMIN)));
    }

    ~TLocalMerge() override {
        try {
            Commit();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the last batch of the update could not be committed"), e);
        }
    }

    void Add(const TGoodsRecord& record) override {
        try {
            if (Write(record)) ++Done.Changed;
        } catch (const std::exception& e) {
            ++Done.Rejected;
            Error = QString::fromLocal8Bit(e.what());
            if (const auto* engine = dynamic_cast<const TEngineError*>(&e)) Error = engine->Message();
            SilentFailure(lcGoods, QStringLiteral("goods %1 not merged").arg(record.ID), e);
        }
    }

    void Commit() override {
        if (Batch) Batch->Commit();
        Batch.reset();
        InBatch = 0;
    }

    TCounts Counts() const override { return Done; }
    QString LastError() const override { return Error; }

private:
    int Size(TGoodsColumn c) const { return Sizes[static_cast<size_t>(c)]; }

    // True when the record was added or changed; raises when writing failed
    // (the row stays as it was).
    bool Write(const TGoodsRecord& r) {
        using C = TGoodsColumn;
        if (!Batch) Batch = std::make_unique<TTableTransaction>(Table);
        // A text is stored cut to its field; an empty text is stored as null.
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
                   find.Text(3).trimmed() == r.WAGA && find.Text(4).trimmed() == r.KODKRESKOWY &&
                   (!r.KROTKITERMIN || (find.Int64(5) != 0) == *r.KROTKITERMIN);
        }
        find.Reset();
        if (found ? same : r.NAZWA.isEmpty() || r.CENA.isEmpty()) return false;
        const QVariant unit = stored(UnitPriceText(r.CENA, r.WAGA, Symbols), C::ABSCENA);
        TTableStatement& q = found ? *Update : *Insert;
        int i = 1;
        if (!found) q.Bind(i++, key);
        q.Bind(i++, stored(r.CENA, C::CENA));
        q.Bind(i++, stored(r.NAZWA, C::NAZWA));
        q.Bind(i++, stored(r.WAGA, C::WAGA));
        q.Bind(i++, unit);
        q.Bind(i++, stored(r.KODKRESKOWY, C::KODKRESKOWY));
        q.Bind(i++, static_cast<qint64>(r.TYPKODU));
        q.Bind(i++, r.KROTKITERMIN ? QVariant(qint64{*r.KROTKITERMIN}) : QVariant());
        if (found) q.Bind(i++, rowId);
        q.Step();  // an error resets the statement and raises
        q.Reset();
        if (++InBatch >= kBatchRows) {
            Commit();
            LetWaitingWritersIn();
        }
        return true;
    }

    THold Hold;  // released after the statements are gone
    TTable& Table;
    TUnitSymbols Symbols;
    std::array<int, kGoodsColumns.size()> Sizes{};
    std::unique_ptr<TTableStatement> Find, Update, Insert;
    std::unique_ptr<TTableTransaction> Batch;
    int InBatch = 0;
    TCounts Done;
    QString Error;
};

class TLocalGoodsStore : public TGoodsStore {
public:
    TLocalGoodsStore() { SetupGoodsTable(WholeTable, false); }

    QString Location() const override {
        return QFileInfo(GoodsDatabaseFolder() + u'/' + kGoodsTableName).absoluteFilePath();
    }

    bool Create() override {
        if (!CreateGoodsTable(WholeTable)) return false;
        // A file of an earlier version gets its history now, so that the
        // changes that follow are kept (a failure is logged; the goods are
        // still there, without a lowest price).
        EnsurePriceHistory(WholeTable.FilePath());
        return true;
    }

    QStringList Open(TTable& list) override { return OpenGoodsList(WholeTable, list); }

    void Bind(TTable& table, TGoodsOrder order) override { SetupGoodsTable(table, order == TGoodsOrder::Name); }

    TTable& Whole() override { return WholeTable; }

    std::vector<TGoodsRecord> Records(const QString& filter, const Progress& progress) override {
        TTable list;
        SetupGoodsTable(list, true);
        list.SetFilter(filter);
        list.SetFiltered(!filter.isEmpty());
        list.Open();
        std::vector<TGoodsRecord> records;
        for (list.First(); !list.Eof(); list.Next()) {
            records.push_back(ReadGoodsRecord(list));
            if (progress) progress();
        }
        return records;
    }

    void ClearMarks(const Progress& progress) override {
        const TPass pass(*this);
        TTable none;
        ClearAllSelections(pass.Open(), none, progress);
    }

    int SelectByType(const QString& viewFilter, const QString& checkFilter, const Progress& progress) override {
        const TPass pass(*this);
        TTable none;
        return ::SelectByType(WholeTable, none, viewFilter, checkFilter, progress);
    }

    int CountWhere(const QString& filter) override { return TPass(*this).Open().CountWhere(filter); }

    int DeleteWhere(const QString& filter, const Progress& progress) override {
        return TPass(*this).Open().DeleteWhere(filter, progress);
    }

    qint64 NextFreeId() override { return ::NextFreeId(WholeTable); }

    int StampPrintDates(const QStringList& ids, const QDateTime& moment, bool allOrNone, const Progress& step) override;

    void ClearNewFlags(const Progress& progress) override {
        const TPass pass(*this);
        pass.Open().UpdateWhere(ViewFilter(TViewCode::Changed, {}), {{GoodsColumnName(TGoodsColumn::NEW), false}}, progress);
    }

    std::unique_ptr<TGoodsMerge> BeginMerge(const TUnitSymbols& symbols) override {
        return std::make_unique<TLocalMerge>(Held(), symbols, [this] { Release(); });
    }

    std::unique_ptr<TGoodsTransaction> Transaction() override {
        return std::make_unique<TLocalTransaction>(Held(), [this] { Release(); });
    }

private:
    // One operation on the whole table: opened anew without filter (unless
    // a merge or a transaction holds it open), closed afterwards.
    class TPass {
    public:
        explicit TPass(TLocalGoodsStore& store) : Store(store) { ++Store.Holders; }
        ~TPass() { Store.Release(); }
        TTable& Open() const { return Store.Held(false); }
        TPass(const TPass&) = delete;
        TPass& operator=(const TPass&) = delete;

    private:
        TLocalGoodsStore& Store;
    };

    // The whole table, open without filter; with `hold` it stays open until
    // Release().
    TTable& Held(bool hold = true) {
        if (hold) ++Holders;
        try {
            if (!WholeTable.Active() || WholeTable.Filtered()) {
                WholeTable.Close();
                WholeTable.SetFiltered(false);
                WholeTable.Open();
            }
        } catch (...) {
            if (hold) Release();
            throw;
        }
        return WholeTable;
    }

    void Release() {
        if (--Holders > 0) return;
        Holders = 0;
        try {
            WholeTable.Close();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the whole goods table was not closed"), e);
        }
    }

    int Holders = 0;
    TTable WholeTable;
};

int TLocalGoodsStore::StampPrintDates(const QStringList& ids, const QDateTime& moment, bool allOrNone,
                                      const Progress& step) {
    TTable& whole = WholeTable;
    const QString idField = GoodsColumnName(TGoodsColumn::ID);
    const QString dateField = GoodsColumnName(TGoodsColumn::PRINTDATE);
    const auto cancelPending = [&] {
        try {
            if (whole.DataSetState() == TDataSetState::Edit || whole.DataSetState() == TDataSetState::Insert) whole.Cancel();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("pending print date not cancelled"), e);
        }
    };
    const TPass pass(*this);
    int stamped = 0;
    try {
        pass.Open();
        // One commit for the whole job: a commit per record costs the disk
        // several syncs each.
        TTableTransaction transaction(whole);
        try {
            for (const QString& id : ids) {
                if (whole.Locate(idField, id)) {
                    whole.Edit();
                    whole.FieldByName(dateField).SetAsDateTime(moment);
                    whole.Post();
                    ++stamped;
                }
                if (step) step();
            }
        } catch (const std::exception& e) {
            cancelPending();
            if (allOrNone) throw;
            // The dates written so far stay: they are committed below.
            SilentFailure(lcGoods, QStringLiteral("print dates stamped on %1 goods only").arg(stamped), e);
        }
        if (allOrNone && stamped != ids.size())
            throw TEngineError(QStringLiteral("Liczba wydrukowanych towarów, których już nie ma: %1.").arg(ids.size() - stamped));
        transaction.Commit();
    } catch (const std::exception& e) {
        cancelPending();
        if (allOrNone) {
            if (const auto* engine = dynamic_cast<const TEngineError*>(&e)) throw TEngineError(engine->Message());
            throw TEngineError(QString::fromLocal8Bit(e.what()));
        }
        SilentFailure(lcGoods, QStringLiteral("print dates not stamped"), e);
        return 0;
    }
    return stamped;
}

}  // namespace

std::unique_ptr<TGoodsStore> MakeLocalGoodsStore() { return std::make_unique<TLocalGoodsStore>(); }
