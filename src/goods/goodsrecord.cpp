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

TGoodsRecord ReadGoodsRecord(TTable& table) {
    const auto field = [&](TGoodsColumn c) { return table.FieldByName(GoodsColumnName(c)); };
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
    if (const auto lowest = LowestPrice(table)) r.NAJNIZSZA = AmountText(*lowest);
    // A file the column could not be added to holds no perishable goods.
    const int perishable = table.FieldIndex(GoodsColumnName(TGoodsColumn::KROTKITERMIN));
    r.KROTKITERMIN = perishable >= 0 && table.Fields(perishable).AsBoolean();
    return r;
}
