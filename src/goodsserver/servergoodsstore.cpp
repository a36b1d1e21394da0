#include "servergoodsstore.h"

#include "goodstable.h"
#include "serverschema.h"
#include "servershop.h"
#include "shopupdatelock.h"
#include "silentfailure.h"
#include "views.h"

#include <QSet>

namespace {

// IDs sent to the server in one statement of a print's stamps.
constexpr qsizetype kStampChunk = 10000;

const QString kLostStamps = QStringLiteral("Liczba wydrukowanych towarów, których już nie ma: %1.");

class TServerTransaction : public TGoodsTransaction {
public:
    explicit TServerTransaction(TServerShop& shop) : Shop(shop) { Shop.Conn.Begin(); }
    ~TServerTransaction() override {
        if (Done) return;
        try {
            Shop.Conn.Rollback();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the goods server's transaction was not rolled back"), e);
        }
    }
    void Commit() override {
        Shop.Conn.Commit();
        Done = true;
        // What was committed is on the server whatever the copy does now.
        try {
            Shop.CatchUp();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the copy of the server's goods did not catch up"), e);
        }
    }

private:
    TServerShop& Shop;
    bool Done = false;
};

// Session-level: the server lets it go when the workstation's link breaks.
class TServerUpdateLock : public TUpdateLock {
public:
    explicit TServerUpdateLock(TServerShop& shop) : Shop(shop) {}
    ~TServerUpdateLock() override {
        if (!Shop.Conn.Connected()) return;
        try {
            UnlockShopUpdate(Shop.Conn, Shop.Shop);
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the goods server's update lock was not released"), e);
        }
    }

private:
    TServerShop& Shop;
};

class TServerGoodsStore : public TGoodsStore {
public:
    explicit TServerGoodsStore(const TGoodsStoreSettings& settings)
        : Shop(settings), Sink(MakeServerRecordSink(Shop)) {
        Bind(WholeTable, TGoodsOrder::Key);
    }

    QString Location() const override { return QStringLiteral("%1, sklep %2").arg(Shop.Params.Place(), Shop.Shop); }

    bool Create() override {
        try {
            Shop.Connect();
            return true;
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the goods server's shop was not prepared"), e);
            return false;
        }
    }

    // Without the server no goods are opened: the copy may be any age.
    QStringList Open(TTable& list) override {
        try {
            Shop.CatchUp();
        } catch (const TEngineError& e) {
            return {e.Message()};
        }
        const QString filter = list.Filter();
        const bool filtered = list.Filtered();
        Bind(list, TGoodsOrder::Name);
        list.SetFilter(filter);
        list.SetFiltered(filtered);
        try {
            list.Open();
        } catch (const TEngineError&) {
            return {QStringLiteral("błąd podczas odczytu bazy danych towarów.")};
        }
        return {};
    }

    void Bind(TTable& table, TGoodsOrder order) override {
        Shop.Mirror.Setup(table, order == TGoodsOrder::Name);
        table.SetRecordSink(Sink);
    }

    TTable& Whole() override { return WholeTable; }

    std::vector<TGoodsRecord> Records(const QString& filter, const Progress& progress) override {
        Shop.CatchUp();
        TTable list;
        Shop.Mirror.Setup(list, true);
        return ReadRecords(list, filter, progress);
    }

    void ClearMarks(const Progress& progress) override {
        Shop.Write([&] {
            Shop.Conn.Exec(QStringLiteral("UPDATE %1 SET \"SELECT\" = false WHERE stanowisko = ? AND \"SELECT\"").arg(Shop.Table("stanowiska_towary")),
                           {Shop.Workstation});
        });
        if (progress) progress();
        Shop.CatchUp();
    }

    int SelectByType(const QString& viewFilter, const QString& checkFilter, const Progress& progress) override {
        Shop.CatchUp();
        const QStringList view = IdsWhere(viewFilter, progress);
        const QStringList checked = IdsWhere(CombineFilters(viewFilter, checkFilter), progress);
        int marked = 0;
        Shop.Write([&] {
            Shop.Conn.Exec(QStringLiteral("UPDATE %1 SET \"SELECT\" = false WHERE stanowisko = ? AND \"SELECT\" AND \"ID\" = ANY(?::text[])")
                               .arg(Shop.Table("stanowiska_towary")),
                           {Shop.Workstation, TServerShop::TextArray(view)});
            marked = Shop.Conn
                         .Scalar(QStringLiteral("WITH m AS (INSERT INTO %1 (stanowisko, \"ID\", \"SELECT\")"
                                                " SELECT ?, \"ID\", true FROM %2 WHERE \"ID\" = ANY(?::text[])"
                                                " ON CONFLICT (stanowisko, \"ID\") DO UPDATE SET \"SELECT\" = true RETURNING 1)"
                                                " SELECT count(*) FROM m")
                                     .arg(Shop.Table("stanowiska_towary"), Shop.Table("towary")),
                                 {Shop.Workstation, TServerShop::TextArray(checked)})
                         .toInt();
        });
        Shop.CatchUp();
        return marked;
    }

    int CountWhere(const QString& filter) override {
        Shop.CatchUp();
        TTable table;
        Shop.Mirror.Setup(table, false);
        table.Open();
        return table.CountWhere(filter);
    }

    int DeleteWhere(const QString& filter, const Progress& progress) override {
        Shop.CatchUp();
        const QStringList ids = IdsWhere(filter, progress);
        int deleted = 0;
        Shop.Write([&] {
            deleted = Shop.Conn
                          .Scalar(QStringLiteral("WITH d AS (DELETE FROM %1 WHERE \"ID\" = ANY(?::text[]) RETURNING 1) SELECT count(*) FROM d")
                                      .arg(Shop.Table("towary")),
                                  {TServerShop::TextArray(ids)})
                          .toInt();
        });
        Shop.CatchUp();
        return deleted;
    }

    qint64 NextFreeId() override {
        Shop.CatchUp();
        return ::NextFreeId(WholeTable);
    }

    int StampPrintDates(const QStringList& ids, const QDateTime& moment, bool allOrNone, const Progress& step) override;

    void ClearNewFlags(const Progress& progress) override {
        Shop.Write([&] { Shop.Conn.Exec(QStringLiteral("UPDATE %1 SET \"NEW\" = false WHERE \"NEW\"").arg(Shop.Table("towary"))); });
        if (progress) progress();
        Shop.CatchUp();
    }

    std::unique_ptr<TGoodsMerge> BeginMerge(const TUnitSymbols& symbols) override { return MakeServerMerge(Shop, symbols); }

    std::unique_ptr<TGoodsTransaction> Transaction() override {
        Shop.Connect();
        return std::make_unique<TServerTransaction>(Shop);
    }

    std::unique_ptr<TUpdateLock> TryLockUpdate() override {
        Shop.Connect();
        if (!TryLockShopUpdate(Shop.Conn, Shop.Shop))
            return nullptr;
        return std::make_unique<TServerUpdateLock>(Shop);
    }

    void CatchUp() override { Shop.CatchUp(); }

    TGoodsStoreReport Report() override {
        Shop.Connect();
        TGoodsStoreReport report;
        report.Kind = TGoodsStoreKind::Server;
        report.Location = Location();
        const TPgResult counts = Shop.Conn.Exec(QStringLiteral("SELECT (SELECT count(*) FROM %1), (SELECT count(*) FROM %2),"
                                                               " (SELECT count(*) FROM %3 WHERE stanowisko = ? AND \"SELECT\")")
                                                    .arg(Shop.Table("towary"), Shop.Table("historia_cen"), Shop.Table("stanowiska_towary")),
                                                {Shop.Workstation});
        report.Goods = counts.Value(0, 0).toLongLong();
        report.History = counts.Value(0, 1).toLongLong();
        report.Marked = counts.Value(0, 2).toLongLong();
        report.SchemaVersion = ShopSchemaVersion(Shop.Conn, Shop.Shop);
        return report;
    }

private:
    // The IDs of the copy's goods under `filter`: the store's passes choose
    // goods by the same filters, views and lowest price as the lists show.
    QStringList IdsWhere(const QString& filter, const Progress& progress) {
        TTable table;
        Shop.Mirror.Setup(table, false);
        table.SetFilter(filter);
        table.SetFiltered(!filter.isEmpty());
        table.Open();
        const int id = table.FieldIndex(GoodsColumnName(TGoodsColumn::ID));
        QStringList ids;
        table.ForEachRecord([&](const std::vector<QVariant>& row) {
            ids << row[size_t(id)].toString();
            if (progress) progress();
        });
        return ids;
    }

    TServerShop Shop;
    std::shared_ptr<TRecordSink> Sink;
    TTable WholeTable;
};

int TServerGoodsStore::StampPrintDates(const QStringList& ids, const QDateTime& moment, bool allOrNone, const Progress& step) {
    int stamped = 0;
    // Without allOrNone each chunk is committed on its own, so that the
    // goods stamped before a failure keep their dates.
    const auto stampChunk = [&](qsizetype from) {
        const QStringList chunk = ids.mid(from, kStampChunk);
        const TPgResult done =
            Shop.Conn.Exec(QStringLiteral("INSERT INTO %1 (stanowisko, \"ID\", \"PRINTDATE\") SELECT ?, \"ID\", ?::timestamp FROM %2"
                                          " WHERE \"ID\" = ANY(?::text[]) ON CONFLICT (stanowisko, \"ID\")"
                                          " DO UPDATE SET \"PRINTDATE\" = EXCLUDED.\"PRINTDATE\" RETURNING \"ID\"")
                               .arg(Shop.Table("stanowiska_towary"), Shop.Table("towary")),
                           {Shop.Workstation, moment, TServerShop::TextArray(chunk)});
        QSet<QString> found;
        for (int r = 0; r < done.Rows(); ++r) found.insert(done.Value(r, 0).toString());
        // An ID printed twice is stamped twice, as on the local file.
        int count = 0;
        for (const QString& id : chunk) {
            if (found.contains(id)) ++count;
            if (step) step();
        }
        return count;
    };
    try {
        if (allOrNone) {
            Shop.Write([&] {
                stamped = 0;
                for (qsizetype from = 0; from < ids.size(); from += kStampChunk) stamped += stampChunk(from);
                if (stamped != ids.size()) throw TEngineError(kLostStamps.arg(ids.size() - stamped));
            });
        } else {
            for (qsizetype from = 0; from < ids.size(); from += kStampChunk) {
                int count = 0;
                Shop.Write([&] { count = stampChunk(from); });
                stamped += count;
            }
        }
    } catch (const TServerLost&) {
        // The labels are out but not their dates: said even without allOrNone.
        throw;
    } catch (const std::exception& e) {
        if (allOrNone) {
            if (const auto* engine = dynamic_cast<const TEngineError*>(&e)) throw TEngineError(engine->Message());
            throw TEngineError(QString::fromLocal8Bit(e.what()));
        }
        SilentFailure(lcGoods, QStringLiteral("print dates stamped on %1 goods only").arg(stamped), e);
    }
    try {
        Shop.CatchUp();
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("the copy of the server's goods did not catch up"), e);
    }
    return stamped;
}

}  // namespace

std::unique_ptr<TGoodsStore> MakeServerGoodsStore(const TGoodsStoreSettings& settings) {
    return std::make_unique<TServerGoodsStore>(settings);
}
