// The goods update's merge into a shop's goods on the server: the external
// records are staged a batch at a time (COPY into a temporary table of the
// store's session) and merged by the set statements of setmerge.h, each batch
// one server transaction. The server's trigger keeps the price history; the
// unit price and the amount of each price are the program's own, worked out
// here before staging. Changed goods lose their marks on every workstation.
#include "goodsrecord.h"
#include "servershop.h"
#include "setmerge.h"
#include "silentfailure.h"
#include "unitprice.h"

#include <QHash>
#include <array>
#include <QSet>

namespace {

// Rows staged and merged in one server transaction: a batch is sent in one
// COPY and sorted and written by a few statements, and a batch in flight
// when the link breaks is all that is lost.
constexpr int kBatchRows = 10000;
// Unit prices kept for the price and quantity texts already seen (a shop's
// goods share few of them); the cache starts again when full.
constexpr int kPriceCacheSize = 65536;

int Size(TGoodsColumn c) { return kGoodsColumns[size_t(c)].Size; }
QString Column(TGoodsColumn c) { return u'"' + GoodsColumnName(c) + u'"'; }

QString PgTrimmed(const QString& expr) { return QStringLiteral("btrim(%1, '%2')").arg(expr, kBlanks); }

TSetMergeDialect PgDialect(const QString& goods) {
    TSetMergeDialect d;
    d.Goods = goods;
    // A temporary table is the session's alone and gone with it.
    d.Stage = QStringLiteral("pg_temp.prandel_etap");
    d.CreateStageTable = QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ");
    d.Trimmed = PgTrimmed;
    d.UnitPrice = QStringLiteral("s.\"ABSCENA\"");
    d.Is = QStringLiteral("IS NOT DISTINCT FROM");
    d.IsNot = QStringLiteral("IS DISTINCT FROM");
    // The marks are each workstation's, in a table of their own.
    d.MarksInGoods = false;
    d.StageExtra = QStringLiteral(", \"ABSCENA\" VARCHAR(255), \"KWOTA\" BIGINT");
    d.Derived = {{QStringLiteral("kwota"), QStringLiteral("s.\"KWOTA\"")}};
    return d;
}

// Whether a failure ends the batch's transaction rather than sending its
// rows to be written alone: a lost link, or a transaction the server ended
// (a deadlock), which is then run again whole.
bool EndsTheBatch(const TServerError& e) {
    return dynamic_cast<const TServerLost*>(&e) || e.SqlState() == QLatin1String("40P01") ||
           e.SqlState() == QLatin1String("40001");
}

// A text as stored: cut to its field, an empty text null.
QVariant Stored(const QString& text, TGoodsColumn c) { return text.isEmpty() ? QVariant() : QVariant(text.left(Size(c))); }

// The amount of a price as the program reads it, which the server keeps the
// history by; none when the text is no number.
QVariant AmountOf(const QVariant& price) {
    if (price.isNull()) return {};
    const std::optional<TAmount> amount = ParseAmount(price.toString());
    return amount ? QVariant(qint64(*amount)) : QVariant();
}

QVariant Perishable(const TGoodsRecord& r) { return r.KROTKITERMIN ? QVariant(*r.KROTKITERMIN) : QVariant(); }

class TServerMerge : public TGoodsMerge {
public:
    TServerMerge(TServerShop& shop, const TUnitSymbols& symbols) : Shop(shop), Symbols(symbols) {
        Shop.Connect();
        Sql = PgDialect(Shop.Table("towary"));
        Marks = Shop.Table("stanowiska_towary");
    }

    ~TServerMerge() override {
        try {
            Commit();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the last batch of the update could not be committed"), e);
        }
    }

    void Add(const TGoodsRecord& record) override {
        const QString key = record.ID.left(Size(TGoodsColumn::ID));
        // Goods twice in one batch: the first is merged before the second is
        // compared, as if the rows came one at a time.
        if (Keys.contains(key)) Flush();
        Pending.push_back(record);
        Keys.insert(key);
        if (int(Pending.size()) >= kBatchRows) Flush();
    }

    void Commit() override {
        Flush();
        if (!Written) return;
        Written = false;
        // Every batch is committed: the other workstations hear of the update
        // as a whole, and this one's copy catches up.
        try {
            Shop.Conn.Exec(QStringLiteral("SELECT pg_notify('prandel_' || oid::text, 'aktualizacja') FROM pg_namespace WHERE nspname = ?"),
                           {Shop.Shop});
            Shop.CatchUp();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the copy of the server's goods did not catch up after the update"), e);
        }
    }

    TCounts Counts() const override { return Done; }
    QString LastError() const override { return Error; }

private:
    // Merges the held records in one server transaction: staged, sorted and
    // written by the set statements, then the rows the server may refuse one
    // at a time. A batch whose set statements fail is merged row by row, so
    // that only the rows at fault are refused.
    void Flush() {
        if (Pending.empty()) return;
        // The batch in flight goes whatever happens to it: when its
        // transaction fails, nothing of it was written.
        const std::vector<TGoodsRecord> batch = std::move(Pending);
        Pending.clear();
        Keys.clear();
        TCounts counts;
        QString error;
        Shop.Write([&] {
            counts = {};
            error.clear();
            Stage(batch);
            std::vector<qint64> alone;
            Shop.Conn.Exec(QStringLiteral("SAVEPOINT prandel_partia"));
            try {
                alone = MergeStaged(counts);
                Shop.Conn.Exec(QStringLiteral("RELEASE SAVEPOINT prandel_partia"));
            } catch (const TServerError& e) {
                if (EndsTheBatch(e)) throw;
                Shop.Conn.Exec(QStringLiteral("ROLLBACK TO SAVEPOINT prandel_partia"));
                Shop.Conn.Exec(QStringLiteral("RELEASE SAVEPOINT prandel_partia"));
                SilentFailure(lcGoods, QStringLiteral("a batch of the update is merged row by row"), e);
                counts.Changed = 0;
                alone.clear();
                for (size_t i = 0; i < batch.size(); ++i) alone.push_back(qint64(i));
            }
            for (const qint64 nr : alone) WriteAlone(batch[size_t(nr)], counts, error);
            Shop.Conn.Exec(SetMergeSql::ClearStage(Sql));
        });
        Done.Changed += counts.Changed;
        Done.Rejected += counts.Rejected;
        if (!error.isEmpty()) Error = error;
        Written = true;
    }

    // Writes the records into the staging table (emptied first) as they are
    // to be stored, with their unit price and the amount of their price.
    void Stage(const std::vector<TGoodsRecord>& batch) {
        using C = TGoodsColumn;
        Shop.Conn.Exec(SetMergeSql::CreateStage(Sql));
        Shop.Conn.Exec(SetMergeSql::ClearStage(Sql));
        Shop.Conn.CopyIn(
            QStringLiteral("COPY %1 (\"NR\", \"ID\", \"NAZWA\", \"CENA\", \"WAGA\", \"KODKRESKOWY\", \"TYPKODU\", \"KROTKITERMIN\","
                           " \"CIETE\", \"AKCJA\", \"ABSCENA\", \"KWOTA\") FROM STDIN")
                .arg(Sql.Stage),
            [&](const TPgConnection::TCopyPut& put) {
                for (size_t i = 0; i < batch.size(); ++i) {
                    const TGoodsRecord& r = batch[i];
                    bool cut = false;
                    const auto text = [&](const QString& t, C c) {
                        cut = cut || t.size() > Size(c);
                        return Stored(t, c);
                    };
                    const QVariant price = text(r.CENA, C::CENA), quantity = text(r.WAGA, C::WAGA);
                    put(TPgConnection::CopyRow({qint64(i), r.ID.left(Size(C::ID)), text(r.NAZWA, C::NAZWA), price, quantity,
                                                text(r.KODKRESKOWY, C::KODKRESKOWY), int(r.TYPKODU), Perishable(r), cut ? 1 : 0, 0,
                                                UnitPrice(price.toString(), quantity.toString()), AmountOf(price)}));
                }
            });
        // The planner then knows the batch's size.
        Shop.Conn.Exec(QStringLiteral("ANALYZE %1").arg(Sql.Stage));
    }

    // Runs the set statements over the staged batch, adding the goods
    // written to `counts`; returns the rows left to be written alone.
    std::vector<qint64> MergeStaged(TCounts& counts) {
        Shop.Conn.Exec(SetMergeSql::Classify(Sql));
        // The statements of actions that no row has are left out.
        std::array<int, 4> staged{};
        const TPgResult actions =
            Shop.Conn.Exec(QStringLiteral("SELECT \"AKCJA\", count(*) FROM %1 GROUP BY \"AKCJA\"").arg(Sql.Stage));
        for (int i = 0; i < actions.Rows(); ++i) {
            const int action = actions.Value(i, 0).toInt();
            if (action >= 0 && action < int(staged.size())) staged[size_t(action)] = actions.Value(i, 1).toInt();
        }
        const auto has = [&](TStageAction a) { return staged[size_t(a)] > 0; };
        const auto written = [this](const QString& statement) {
            return Shop.Conn.Scalar(QStringLiteral("WITH w AS (%1 RETURNING 1) SELECT count(*) FROM w").arg(statement)).toInt();
        };
        if (has(TStageAction::Update)) {
            counts.Changed += written(SetMergeSql::UpdateChanged(Sql, false));
            counts.Changed += written(SetMergeSql::UpdateChanged(Sql, true));
            // Changed goods are unmarked on every workstation.
            Shop.Conn.Exec(QStringLiteral("UPDATE %1 AS m SET \"SELECT\" = FALSE FROM %2 s WHERE m.\"ID\" = s.\"ID\" AND s.\"AKCJA\" = %3"
                                          " AND m.\"SELECT\"")
                               .arg(Marks, Sql.Stage)
                               .arg(int(TStageAction::Update)));
        }
        if (has(TStageAction::Insert)) counts.Changed += written(SetMergeSql::InsertNew(Sql));
        std::vector<qint64> alone;
        if (has(TStageAction::RowByRow)) {
            const TPgResult rows = Shop.Conn.Exec(SetMergeSql::StagedOf(Sql, TStageAction::RowByRow));
            for (int i = 0; i < rows.Rows(); ++i) alone.push_back(rows.Value(i, 0).toLongLong());
        }
        return alone;
    }

    // One record alone, under a savepoint: a refusal is counted with the
    // server's word on it, and the rest of the batch goes on.
    void WriteAlone(const TGoodsRecord& record, TCounts& counts, QString& error) {
        Shop.Conn.Exec(QStringLiteral("SAVEPOINT prandel_wiersz"));
        try {
            if (Write(record)) ++counts.Changed;
            Shop.Conn.Exec(QStringLiteral("RELEASE SAVEPOINT prandel_wiersz"));
        } catch (const TServerError& e) {
            if (EndsTheBatch(e)) throw;
            Shop.Conn.Exec(QStringLiteral("ROLLBACK TO SAVEPOINT prandel_wiersz"));
            Shop.Conn.Exec(QStringLiteral("RELEASE SAVEPOINT prandel_wiersz"));
            ++counts.Rejected;
            error = e.Message();
            SilentFailure(lcGoods, QStringLiteral("goods %1 not merged").arg(record.ID), e);
        }
    }

    // True when the record was added or changed, as the local store compares
    // and writes a record alone.
    bool Write(const TGoodsRecord& r) {
        using C = TGoodsColumn;
        const QString key = r.ID.left(Size(C::ID));
        const TPgResult found = Shop.Conn.Exec(QStringLiteral("SELECT %2, %3, %4, %5, %6 FROM %1 WHERE %7 = ? FOR UPDATE")
                                                   .arg(Sql.Goods, Column(C::NAZWA), Column(C::CENA), Column(C::WAGA),
                                                        Column(C::KODKRESKOWY), Column(C::KROTKITERMIN), Column(C::ID)),
                                               {key});
        const QVariant price = Stored(r.CENA, C::CENA);
        // The written columns, in the order the values are bound; the
        // perishable flag of a record that does not know it is the goods' own
        // (new goods: off).
        QVariantList values{price,        Stored(r.NAZWA, C::NAZWA), Stored(r.WAGA, C::WAGA), UnitPrice(r.CENA, r.WAGA),
                            Stored(r.KODKRESKOWY, C::KODKRESKOWY), int(r.TYPKODU), Perishable(r), AmountOf(price)};
        const QString written = QStringList{Column(C::CENA),        Column(C::NAZWA),   Column(C::WAGA),         Column(C::ABSCENA),
                                            Column(C::KODKRESKOWY), Column(C::TYPKODU), Column(C::KROTKITERMIN), QStringLiteral("kwota")}
                                    .join(QStringLiteral(", "));
        if (found.Rows() == 0) {
            // New goods without a name or a price are not added.
            if (r.NAZWA.isEmpty() || r.CENA.isEmpty()) return false;
            Shop.Conn.Exec(QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES (?, ?, ?, ?, ?, ?, COALESCE(?::boolean, FALSE), ?, ?, TRUE)")
                               .arg(Sql.Goods, written, Column(C::ID), Column(C::NEW)),
                           values << key);
            return true;
        }
        // A stored text is the record's when, trimmed, it reads the same.
        const auto same = [&](int column, const QString& text) { return found.Value(0, column).toString().trimmed() == text; };
        if (same(0, r.NAZWA) && same(1, r.CENA) && same(2, r.WAGA) && same(3, r.KODKRESKOWY) &&
            (!r.KROTKITERMIN || found.Value(0, 4).toBool() == *r.KROTKITERMIN))
            return false;
        Shop.Conn.Exec(QStringLiteral("UPDATE %1 SET (%2) = (?, ?, ?, ?, ?, ?, COALESCE(?::boolean, %3), ?), %4 = TRUE WHERE %5 = ?")
                           .arg(Sql.Goods, written, Column(C::KROTKITERMIN), Column(C::NEW), Column(C::ID)),
                       values << key);
        // Changed goods are unmarked on every workstation.
        Shop.Conn.Exec(QStringLiteral("UPDATE %1 SET \"SELECT\" = FALSE WHERE \"ID\" = ? AND \"SELECT\"").arg(Marks), {key});
        return true;
    }

    // UnitPriceText of a price and quantity text, cut to ABSCENA's field;
    // null when there is none.
    QVariant UnitPrice(const QString& price, const QString& quantity) {
        std::pair<QString, QString> key(price, quantity);
        if (const auto it = Units.constFind(key); it != Units.constEnd()) return *it;
        if (Units.size() >= kPriceCacheSize) Units.clear();
        const QString unit = UnitPriceText(price, quantity, Symbols);
        return *Units.insert(std::move(key), unit.isEmpty() ? QVariant() : QVariant(unit.left(Size(TGoodsColumn::ABSCENA))));
    }

    TServerShop& Shop;
    TUnitSymbols Symbols;
    TSetMergeDialect Sql;
    QString Marks;  // the workstations' marks table
    QHash<std::pair<QString, QString>, QVariant> Units;
    std::vector<TGoodsRecord> Pending;  // the records held, in arrival order
    QSet<QString> Keys;                 // their keys
    bool Written = false;               // a batch committed since the last Commit
    TCounts Done;
    QString Error;
};

}  // namespace

std::unique_ptr<TGoodsMerge> MakeServerMerge(TServerShop& shop, const TUnitSymbols& symbols) {
    return std::make_unique<TServerMerge>(shop, symbols);
}
