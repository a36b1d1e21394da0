#pragma once
#include "goodsrecord.h"

#include <vector>

// A label prints one goods record: its ID finds the row again after printing
// (empty in the preview), the lowest price is its amount text.
using TPrintGoods = TGoodsRecord;
// The goods of one print job, in print order.
using TPrintGoodsList = std::vector<TGoodsRecord>;

