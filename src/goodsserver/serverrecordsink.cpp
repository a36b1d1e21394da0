#include "servershop.h"

#include "filterexpr.h"
#include "goodsrecord.h"
#include "silentfailure.h"
#include "unitprice.h"

namespace {

bool IsMark(const QString& name) {
    return name == GoodsColumnName(TGoodsColumn::SELECT) || name == GoodsColumnName(TGoodsColumn::PRINTDATE);
}

// The amount of a price as the program reads it, which the server keeps the
// history by; none when the text is no number.
QVariant AmountOf(const QVariant& price) {
    const std::optional<TAmount> amount = ParseAmount(price.toString());
    return amount ? QVariant(qint64(*amount)) : QVariant();
}

const QString kGone = QStringLiteral("Rekord został usunięty.");

class TServerRecordSink : public TRecordSink {
public:
    explicit TServerRecordSink(TServerShop& shop) : Shop(shop) {}

    qint64 Insert(const TTable& table, const std::vector<QVariant>& values) override {
        qint64 nr = 0;
        Shop.Write([&] {
            QStringList columns, places;
            QVariantList params;
            TMarks marks;
            QString id;
            for (size_t i = 0; i < values.size(); ++i) {
                const QString& name = table.FieldDefs()[i].Name;
                if (name == GoodsColumnName(TGoodsColumn::ID)) id = values[i].toString();
                if (IsMark(name)) {
                    // Nothing to keep for goods neither marked nor printed.
                    if (values[i].isNull() || values[i] == QVariant(false)) continue;
                    marks.Add(name, values[i]);
                    continue;
                }
                columns << QuoteName(name);
                places << QStringLiteral("?");
                params << values[i];
                if (name == GoodsColumnName(TGoodsColumn::CENA)) {
                    columns << QStringLiteral("kwota");
                    places << QStringLiteral("?");
                    params << AmountOf(values[i]);
                }
            }
            nr = Shop.Conn
                     .Scalar(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING nr")
                                 .arg(Shop.Table("towary"), columns.join(u','), places.join(u',')),
                             params)
                     .toLongLong();
            if (!marks.Empty()) WriteMarks(id, marks);
        });
        return nr;
    }

    void Update(const TTable& table, qint64 rowId, const std::vector<QVariant>& values,
                const std::vector<bool>& modified) override {
        bool gone = false;
        try {
            Shop.Write([&] {
                QStringList sets;
                QVariantList params;
                TMarks marks;
                for (size_t i = 0; i < values.size(); ++i) {
                    if (!modified[i]) continue;
                    const QString& name = table.FieldDefs()[i].Name;
                    if (IsMark(name)) {
                        marks.Add(name, values[i]);
                        continue;
                    }
                    // Only what this edit changed: a column another
                    // workstation changed meanwhile keeps its change.
                    sets << QuoteName(name) + QStringLiteral(" = ?");
                    params << values[i];
                    if (name == GoodsColumnName(TGoodsColumn::CENA)) {
                        sets << QStringLiteral("kwota = ?");
                        params << AmountOf(values[i]);
                    }
                }
                params << rowId;
                const TPgResult row =
                    sets.isEmpty()
                        ? Shop.Conn.Exec(QStringLiteral("SELECT \"ID\" FROM %1 WHERE nr = ? FOR KEY SHARE").arg(Shop.Table("towary")), params)
                        : Shop.Conn.Exec(QStringLiteral("UPDATE %1 SET %2 WHERE nr = ? RETURNING \"ID\"").arg(Shop.Table("towary"), sets.join(u',')),
                                         params);
                if (row.Rows() == 0) {
                    gone = true;
                    throw TEngineError(kGone);
                }
                if (!marks.Empty()) WriteMarks(row.Value(0, 0).toString(), marks);
            });
        } catch (const TEngineError&) {
            if (!gone) throw;
            // The copy drops the goods another workstation deleted.
            try {
                Shop.CatchUp();
            } catch (const std::exception& e) {
                SilentFailure(lcGoods, QStringLiteral("the copy of the server's goods did not catch up"), e);
            }
            throw;
        }
    }

    void Delete(const TTable&, qint64 rowId) override {
        Shop.Write([&] { Shop.Conn.Exec(QStringLiteral("DELETE FROM %1 WHERE nr = ?").arg(Shop.Table("towary")), {rowId}); });
    }

private:
    // This workstation's mark and print date of one record, as far as given.
    struct TMarks {
        QStringList Columns;
        QVariantList Values;
        void Add(const QString& name, const QVariant& value) {
            Columns << QuoteName(name);
            Values << value;
        }
        bool Empty() const { return Columns.isEmpty(); }
    };

    void WriteMarks(const QString& id, const TMarks& marks) {
        QStringList places, sets;
        for (const QString& column : marks.Columns) {
            places << QStringLiteral("?");
            sets << column + QStringLiteral(" = EXCLUDED.") + column;
        }
        QVariantList params{Shop.Workstation, id};
        params += marks.Values;
        Shop.Conn.Exec(QStringLiteral("INSERT INTO %1 (stanowisko, \"ID\", %2) VALUES (?, ?, %3)"
                                      " ON CONFLICT (stanowisko, \"ID\") DO UPDATE SET %4")
                           .arg(Shop.Table("stanowiska_towary"), marks.Columns.join(u','), places.join(u','), sets.join(u',')),
                       params);
    }

    TServerShop& Shop;
};

}  // namespace

std::shared_ptr<TRecordSink> MakeServerRecordSink(TServerShop& shop) { return std::make_shared<TServerRecordSink>(shop); }
