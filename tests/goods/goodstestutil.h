#pragma once
#include "engine.h"
#include "pricehistory.h"

#include <QDateTime>
#include <QString>
#include <optional>

// One goods record for tests.
struct TestGoods {
    TestGoods(const QString& id, const QString& name, const QString& price = QStringLiteral("1,00"), bool isNew = false,
              bool select = false, const QDateTime& printDate = {}, const QString& weight = {},
              std::optional<int> type = 14)
        : Id(id), Name(name), Price(price), New(isNew), Select(select), PrintDate(printDate), Weight(weight), Type(type) {}
    QString Id;
    QString Name;
    QString Price;
    bool New;
    bool Select;
    QDateTime PrintDate;
    QString Weight;
    std::optional<int> Type;  // nullopt: stored without a barcode type
};

inline void AddGoods(TTable& t, const TestGoods& g) {
    t.Insert();
    t.FieldByName("ID").SetAsString(g.Id);
    t.FieldByName("NAZWA").SetAsString(g.Name);
    t.FieldByName("CENA").SetAsString(g.Price);
    t.FieldByName("WAGA").SetAsString(g.Weight);
    if (g.Type)
        t.FieldByName("TYPKODU").SetAsInteger(*g.Type);
    else
        t.FieldByName("TYPKODU").Clear();
    t.FieldByName("PRINTDATE").SetAsDateTime(g.PrintDate);
    t.FieldByName("NEW").SetAsBoolean(g.New);
    t.FieldByName("SELECT").SetAsBoolean(g.Select);
    t.Post();
}

// The values of one field over the whole table in its order, under its filter.
inline QStringList Column(TTable& t, const QString& field) {
    QStringList out;
    for (t.First(); !t.Eof(); t.Next()) out << t.FieldByName(field).AsString();
    return out;
}

// The price history's clock, set by the test for its lifetime.
class TScopedPriceClock {
public:
    explicit TScopedPriceClock(const QDateTime& start) : Now(start) {
        SetPriceClock([this] { return Now; });
    }
    ~TScopedPriceClock() { SetPriceClock({}); }
    TScopedPriceClock(const TScopedPriceClock&) = delete;
    TScopedPriceClock& operator=(const TScopedPriceClock&) = delete;
    void AddDays(qint64 days) { Now = Now.addDays(days); }
    QDateTime Now;
};
