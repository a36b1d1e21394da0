// The goods store of one computer: the SQLite file "towary.db" in the data
// folder's "DB" folder, with its price history beside the goods.
#include "goodsstore.h"
#include "localmerge.h"

#include "filterexpr.h"
#include "goodstable.h"
#include "pricehistory.h"
#include "silentfailure.h"
#include "tablestatement.h"
#include "views.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

class TLocalTransaction : public TGoodsTransaction {
public:
    TLocalTransaction(TTable& table, std::function<void()> release) : Hold(std::move(release)), Tx(table) {}
    void Commit() override { Tx.Commit(); }

private:
    THold Hold;  // released after the transaction ends
    TTableTransaction Tx;
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
        return ReadRecords(list, filter, progress);
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
        return MakeLocalMerge(Held(), symbols, [this] { Release(); });
    }

    std::unique_ptr<TGoodsTransaction> Transaction() override {
        return std::make_unique<TLocalTransaction>(Held(), [this] { Release(); });
    }

    // One computer: its updates already follow one another, and the file's
    // write lock keeps two processes' batches apart.
    std::unique_ptr<TUpdateLock> TryLockUpdate() override { return std::make_unique<TUpdateLock>(); }

    void CatchUp() override {}

    TGoodsStoreReport Report() override;

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

TGoodsStoreReport TLocalGoodsStore::Report() {
    if (!Create()) throw TEngineError(QStringLiteral("błąd podczas tworzenia bazy danych towarów."));
    TGoodsStoreReport report;
    report.Kind = TGoodsStoreKind::Local;
    report.Location = Location();
    try {
        const TPass pass(*this);
        TTable& whole = pass.Open();
        report.Goods = whole.CountWhere(QString());
        report.Marked = whole.CountWhere(ViewFilter(TViewCode::Marked, {}));
        // A history that could not be made counts no entries: the goods are
        // there all the same.
        QSqlQuery q(QSqlDatabase::database(whole.ConnectionName()));
        if (q.exec(QStringLiteral("SELECT count(*) FROM main.%1").arg(QuoteName(kPriceHistoryTable))) && q.next())
            report.History = q.value(0).toLongLong();
        else
            SilentFailure(lcGoods, QStringLiteral("the price history was not counted"));
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("the goods were not counted"), e);
        throw TEngineError(QStringLiteral("błąd podczas odczytu bazy danych towarów."));
    }
    return report;
}

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
