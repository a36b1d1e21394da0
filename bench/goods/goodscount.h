#pragma once
#include <QtGlobal>

// The number of goods the goods benchmarks fill their table with: 100,000, or
// PRANDEL_BENCH_GOODS (e.g. 1000000 for a shop of a million goods; filling
// the table then takes most of a minute).
inline int BenchGoodsCount() {
    const int n = qEnvironmentVariableIntValue("PRANDEL_BENCH_GOODS");
    return n > 0 ? n : 100000;
}
