#pragma once
#include <QtGlobal>

// Rounding to the nearest integer with halves to the even neighbour, the rule
// for every value the program rounds without saying more.

// `v` rounded; NaN gives 0 and values beyond the int range are clamped to it.
int RoundHalfEven(long double v);
// `v` rounded, still as a floating value (for callers with a wider range).
long double RoundHalfEvenWide(long double v);
// a × num / den rounded, in integers only (den must not be 0).
long long RoundRatioHalfEven(long long a, long long num, long long den);
