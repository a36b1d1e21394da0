#include "rounding.h"

#include <cfenv>
#include <climits>
#include <cmath>

long double RoundHalfEvenWide(long double v) {
    // Sizes and positions, the common case, fit a 64-bit integer: the
    // fraction is then exact, and no rounding mode need be read or set.
    if (std::fabs(v) < 0x1p62L) {
        long long i = static_cast<long long>(v);  // toward zero
        const long double fraction = v - static_cast<long double>(i);
        if (fraction > 0.5L || (fraction == 0.5L && (i & 1) != 0)) ++i;
        if (fraction < -0.5L || (fraction == -0.5L && (i & 1) != 0)) --i;
        return static_cast<long double>(i);
    }
    // nearbyint follows the current rounding mode; make sure it is to-nearest.
    const int old = std::fegetround();
    if (old != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    const long double r = std::nearbyint(v);
    if (old != FE_TONEAREST) std::fesetround(old);
    return r;
}

int RoundHalfEven(long double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<long double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<long double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(RoundHalfEvenWide(v));
}

long long RoundRatioHalfEven(long long a, long long num, long long den) {
    long long p = a * num;
    const bool negative = (p < 0) != (den < 0);
    if (p < 0) p = -p;
    if (den < 0) den = -den;
    long long q = p / den;
    const long long r = p % den;
    if (2 * r > den || (2 * r == den && (q % 2) == 1)) ++q;
    return negative ? -q : q;
}
