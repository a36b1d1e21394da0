#pragma once
#include "printmanager.h"

class TTable;

// The goods data of the current row of a goods table: texts cut to 255
// characters, TYPKODU kept in 8 bits (0 when empty).
TPrintGoods PrintGoodsFromRecord(TTable& table);

// Empties the list, then appends one record per row of the table, from the
// first row to the end, calling `progress` after each.
void BuildPrintList(TPrintGoodsList& list, TTable& table, const std::function<void()>& progress = {});
