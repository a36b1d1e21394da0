#include "goodsstorecopy.h"

#include "filterexpr.h"
#include "goodsstore.h"
#include "goodstable.h"
#include "pricehistory.h"
#include "serverconnectioncheck.h"
#include "serverschema.h"
#include "shopupdatelock.h"
#include "silentfailure.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

const QString kStopped = QStringLiteral("Przerwano kopiowanie towarów na serwer: nic nie skopiowano.");

// The moment as the server's timestamp reads it, whatever the locale.
QVariant MomentText(const QVariant& moment) {
    if (moment.isNull() || !moment.toDateTime().isValid()) return {};
    return moment.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

bool WholeNumber(const QVariant& v) { return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int; }

// The goods file as it is on disk, its price history beside it; the goods
// table without the lowest price, which the copy has no use for.
class TLocalSource {
public:
    TLocalSource() {
        if (!MakeLocalGoodsStore()->Create()) throw TEngineError(QStringLiteral("błąd podczas tworzenia bazy danych towarów."));
        Goods.SetDatabaseName(GoodsDatabaseFolder());
        Goods.SetTableName(kGoodsTableName);
        Goods.SetConnectionSetup(PreparePriceHistory);
        Goods.Open();
        Hold = std::make_unique<TTableTransaction>(Goods);
    }

    qint64 GoodsCount() { return Goods.CountWhere(QString()); }
    qint64 HistoryCount() {
        QSqlQuery q = History(QStringLiteral("count(*)"), QString());
        return q.next() ? q.value(0).toLongLong() : 0;
    }
    // The entries in the file's order: ID, KWOTA, CHWILA.
    QSqlQuery History(const QString& columns, const QString& order) {
        QSqlQuery q(QSqlDatabase::database(Goods.ConnectionName()));
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT %1 FROM main.%2%3").arg(columns, QuoteName(kPriceHistoryTable), order)))
            throw TEngineError(QStringLiteral("błąd podczas odczytu bazy danych towarów."));
        return q;
    }

    TTable Goods;

private:
    std::unique_ptr<TTableTransaction> Hold;
};

class TCopy {
public:
    TCopy(TPgConnection& conn, TLocalSource& source, const QString& schema, const TGoodsCopyStep& step)
        : Conn(conn), Source(source), Schema(schema), Step(step) {}

    void Run(const QString& workstation) {
        Total = Source.GoodsCount() + Source.HistoryCount();
        CopyHistory();
        CopyGoods();
        CopyMarks(workstation);
    }

    TGoodsCopyCounts Counts;

private:
    void Done() {
        ++Rows;
        if (Step && !Step(Rows, Total)) throw TEngineError(kStopped);
    }

    // Entries keep their moments and their order (which decides between two
    // entries of one moment); an entry the file cannot date is no entry the
    // server can keep, and the copy stops rather than drop it.
    void CopyHistory() {
        QSqlQuery q = Source.History(QStringLiteral("\"ID\", \"KWOTA\", \"CHWILA\""), QStringLiteral(" ORDER BY rowid"));
        Conn.CopyIn(QStringLiteral("COPY %1.historia_cen (\"ID\", \"KWOTA\", \"CHWILA\") FROM STDIN").arg(Schema),
                    [&](const TPgConnection::TCopyPut& put) {
                        while (q.next()) {
                            const QVariant id = q.value(0), amount = q.value(1), moment = q.value(2);
                            if (!WholeNumber(moment) || (!amount.isNull() && !WholeNumber(amount)))
                                throw TEngineError(QStringLiteral("Historia cen towaru %1 w pliku towarów ma nieprawidłowy wpis: nic "
                                                                  "nie skopiowano.")
                                                       .arg(id.toString()));
                            put(TPgConnection::CopyRow({id, amount, moment}));
                            ++Counts.History;
                            Done();
                        }
                    });
    }

    // The goods with the amount of their price, as the program writes them.
    void CopyGoods() {
        TTable& goods = Source.Goods;
        const auto field = [&](TGoodsColumn c) { return goods.FieldIndex(GoodsColumnName(c)); };
        const int id = field(TGoodsColumn::ID), price = field(TGoodsColumn::CENA);
        const int texts[] = {id, field(TGoodsColumn::NAZWA), price, field(TGoodsColumn::WAGA), field(TGoodsColumn::ABSCENA),
                             field(TGoodsColumn::KODKRESKOWY), field(TGoodsColumn::TYPKODU)};
        const int fresh = field(TGoodsColumn::NEW), shortLived = field(TGoodsColumn::KROTKITERMIN);
        Conn.CopyIn(QStringLiteral("COPY %1.towary (\"ID\", \"NAZWA\", \"CENA\", \"WAGA\", \"ABSCENA\", \"KODKRESKOWY\", \"TYPKODU\","
                                   " \"NEW\", \"KROTKITERMIN\", kwota) FROM STDIN")
                        .arg(Schema),
                    [&](const TPgConnection::TCopyPut& put) {
                        goods.ForEachRecord([&](const std::vector<QVariant>& row) {
                            QVariantList values;
                            for (const int i : texts) values << row[size_t(i)];
                            values << row[size_t(fresh)].toBool() << row[size_t(shortLived)].toBool();
                            const auto amount = ParseAmount(row[size_t(price)].toString());
                            values << (amount ? QVariant(qint64(*amount)) : QVariant());
                            put(TPgConnection::CopyRow(values));
                            ++Counts.Goods;
                            Done();
                        });
                    });
    }

    // Only goods marked or printed here have a row of this workstation.
    void CopyMarks(const QString& workstation) {
        TTable& goods = Source.Goods;
        const int id = goods.FieldIndex(GoodsColumnName(TGoodsColumn::ID));
        const int marked = goods.FieldIndex(GoodsColumnName(TGoodsColumn::SELECT));
        const int printed = goods.FieldIndex(GoodsColumnName(TGoodsColumn::PRINTDATE));
        Conn.CopyIn(QStringLiteral("COPY %1.stanowiska_towary (stanowisko, \"ID\", \"SELECT\", \"PRINTDATE\") FROM STDIN").arg(Schema),
                    [&](const TPgConnection::TCopyPut& put) {
                        goods.ForEachRecord([&](const std::vector<QVariant>& row) {
                            const QVariant moment = MomentText(row[size_t(printed)]);
                            const bool mark = row[size_t(marked)].toBool();
                            if (mark || !moment.isNull()) put(TPgConnection::CopyRow({workstation, row[size_t(id)], mark, moment}));
                        });
                    });
    }

    TPgConnection& Conn;
    TLocalSource& Source;
    QString Schema;
    TGoodsCopyStep Step;
    qint64 Rows = 0, Total = 0;
};

}  // namespace

QString GoodsCopyText(const TGoodsCopyCounts& counts) {
    return QStringLiteral("Skopiowano towarów: %1, wpisów historii cen: %2.").arg(counts.Goods).arg(counts.History);
}

TGoodsCopyCounts CopyGoodsToServer(const TGoodsStoreSettings& settings, const TGoodsCopyStep& step) {
    TLocalSource source;
    TPgConnection conn;
    conn.Connect(GoodsServerParams(settings));
    PrepareShopSchema(conn, settings.Shop);
    const QString schema = conn.Identifier(settings.Shop);
    conn.Begin();
    try {
        if (!TryLockShopUpdateInTransaction(conn, settings.Shop)) throw TEngineError(kUpdateBusy);
        // Writers of the goods wait for the copy; readers go on.
        conn.Exec(QStringLiteral("LOCK TABLE %1.towary IN EXCLUSIVE MODE").arg(schema));
        if (conn.Scalar(QStringLiteral("SELECT EXISTS (SELECT FROM %1.towary) OR EXISTS (SELECT FROM %1.historia_cen)").arg(schema))
                .toBool())
            throw TEngineError(QStringLiteral("Sklep %1 na serwerze ma już towary: nic nie skopiowano.").arg(settings.Shop));
        // The history comes as it was: the goods add none of their own; their
        // amounts are the program's own reading of their prices.
        conn.Exec(QStringLiteral("SET LOCAL prandel.kopia = on"));
        conn.Exec(QStringLiteral("SET LOCAL prandel.program = on"));
        TCopy copy(conn, source, schema, step);
        copy.Run(settings.WorkstationName());
        conn.Commit();
        qCInfo(lcGoods).noquote() << "Goods copied to" << GoodsServerParams(settings).Place() << "shop" << settings.Shop << ":"
                                  << copy.Counts.Goods << "goods," << copy.Counts.History << "price history entries";
        return copy.Counts;
    } catch (...) {
        conn.Rollback();
        throw;
    }
}
