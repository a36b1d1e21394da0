#include "printgoods.h"

#include "barcodesymbol.h"
#include "engine.h"
#include "pricehistory.h"

namespace {

QString FieldText(TTable& table, const char* name) {
    return table.FieldByName(QString::fromLatin1(name)).AsString().left(255);
}

}  // namespace

TPrintGoods PrintGoodsFromRecord(TTable& table) {
    TPrintGoods g;
    g.ID = FieldText(table, "ID");
    g.NAZWA = FieldText(table, "NAZWA");
    g.CENA = FieldText(table, "CENA");
    g.ABSCENA = FieldText(table, "ABSCENA");
    g.KODKRESKOWY = FieldText(table, "KODKRESKOWY");
    const TField type = table.FieldByName(QStringLiteral("TYPKODU"));
    g.TYPKODU = type.IsNull() ? static_cast<quint8>(bcCodeEAN13) : static_cast<quint8>(type.AsInteger() & 0xFF);
    if (const auto lowest = LowestPrice(table)) g.NAJNIZSZA = AmountText(*lowest);
    return g;
}

void BuildPrintList(TPrintGoodsList& list, TTable& table, const std::function<void()>& progress) {
    list.clear();
    for (table.First(); !table.Eof(); table.Next()) {
        list.push_back(PrintGoodsFromRecord(table));
        if (progress) progress();
    }
}
