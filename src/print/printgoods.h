#pragma once
#include "goodsrecord.h"

#include <functional>
#include <vector>

// A label prints one goods record: its ID finds the row again after printing
// (empty in the preview), the lowest price is its amount text.
using TPrintGoods = TGoodsRecord;
// The goods of one print job, in print order.
using TPrintGoodsList = std::vector<TGoodsRecord>;

// Empties the list, then appends the record of every row of the table, from
// the first row to the end, calling `progress` after each.
void BuildPrintList(TPrintGoodsList& list, TTable& table, const std::function<void()>& progress = {});
