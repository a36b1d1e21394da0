#pragma once
#include <QString>
#include <functional>
#include <vector>

class TTable;

// The goods data of one label.
struct TPrintGoods {
    QString ID;           // finds the row again after printing; empty in the preview
    QString NAZWA;
    QString CENA;         // price as stored
    QString KODKRESKOWY;
    quint8 TYPKODU = 0;   // barcode type code
    QString ABSCENA;      // unit price text as stored
    QString NAJNIZSZA;    // lowest price of the 30 days before a reduction (AmountText); empty without one
};
// The goods of one print job, in print order.
using TPrintGoodsList = std::vector<TPrintGoods>;

// The goods data of the current row of a goods table: texts cut to 255
// characters, TYPKODU kept in 8 bits; a record without a type prints as
// EAN-13, the default type code everywhere. The lowest price comes from the
// table's calculated field NAJNIZSZA; a table without it gives none.
TPrintGoods PrintGoodsFromRecord(TTable& table);

// Empties the list, then appends one record per row of the table, from the
// first row to the end, calling `progress` after each.
void BuildPrintList(TPrintGoodsList& list, TTable& table, const std::function<void()>& progress = {});
