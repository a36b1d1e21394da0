#include "goodsrecord.h"

#include "pricehistory.h"

QString GoodsColumnName(TGoodsColumn column) {
    return QString::fromLatin1(kGoodsColumns[static_cast<size_t>(column)].Name);
}

std::vector<TFieldDef> GoodsFieldDefs() {
    std::vector<TFieldDef> defs;
    for (const TGoodsColumnDef& c : kGoodsColumns) {
        defs.emplace_back(QString::fromLatin1(c.Name), c.Type, c.Size, c.Required);
        if (c.Default) defs.back().Default = QString::fromLatin1(c.Default);
    }
    return defs;
}

qint64 BarcodeTypeCode(const TField& typkodu) { return typkodu.IsNull() ? kDefaultBarcodeType : typkodu.AsInteger(); }

namespace {

// A goods record of `table`'s fields as `fieldOf` gives them by name.
template <class FieldOf>
TGoodsRecord GoodsRecordOf(TTable& table, const FieldOf& fieldOf) {
    const auto field = [&](TGoodsColumn c) { return fieldOf(GoodsColumnName(c)); };
    const auto text = [&](TGoodsColumn c) { return field(c).AsString().left(255); };
    TGoodsRecord r;
    r.ID = text(TGoodsColumn::ID);
    r.NAZWA = text(TGoodsColumn::NAZWA);
    r.CENA = text(TGoodsColumn::CENA);
    r.WAGA = text(TGoodsColumn::WAGA);
    r.ABSCENA = text(TGoodsColumn::ABSCENA);
    r.KODKRESKOWY = text(TGoodsColumn::KODKRESKOWY);
    r.TYPKODU = static_cast<quint8>(BarcodeTypeCode(field(TGoodsColumn::TYPKODU)) & 0xFF);
    const TField printed = field(TGoodsColumn::PRINTDATE);
    if (!printed.IsNull()) r.PRINTDATE = printed.AsDateTime();
    r.NEW = field(TGoodsColumn::NEW).AsBoolean();
    r.SELECT = field(TGoodsColumn::SELECT).AsBoolean();
    if (table.FieldIndex(kLowestPriceField) >= 0)
        if (const auto lowest = LowestPriceOf(fieldOf(kLowestPriceField).Value())) r.NAJNIZSZA = AmountText(*lowest);
    // A file the column could not be added to holds no perishable goods.
    const QString perishable = GoodsColumnName(TGoodsColumn::KROTKITERMIN);
    r.KROTKITERMIN = table.FieldIndex(perishable) >= 0 && fieldOf(perishable).AsBoolean();
    return r;
}

}  // namespace

TGoodsRecord ReadGoodsRecord(TTable& table) {
    return GoodsRecordOf(table, [&](const QString& name) { return table.FieldByName(name); });
}

TGoodsRecord GoodsRecordOfRow(TTable& table, const std::vector<QVariant>& row) {
    return GoodsRecordOf(table, [&](const QString& name) { return table.FieldOf(row, name); });
}
