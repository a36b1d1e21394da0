#include "rounding.h"

#include <cfenv>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

// Halves go to the even neighbour on both sides of zero, whatever the
// rounding mode in force; everything else to the nearest integer.
TEST(Rounding, HalvesToEvenOthersToTheNearest) {
    struct Case {
        long double Value;
        long double Rounded;
    };
    const Case cases[] = {
        {0.5L, 0},          {1.5L, 2},          {2.5L, 2},           {-0.5L, 0},           {-1.5L, -2},
        {-2.5L, -2},        {2.4999999L, 2},    {2.5000001L, 3},     {-2.5000001L, -3},    {0.0L, 0},
        {-0.0L, 0},         {7.0L, 7},          {-7.0L, -7},         {0x1p61L + 0.5L, 0x1p61L}, {0x1p62L + 2, 0x1p62L + 2},
        {1e30L, 1e30L},     {-1e30L, -1e30L},   {11.811023622047244L, 12},
    };
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        for (const Case& c : cases) {
            EXPECT_EQ(RoundHalfEvenWide(c.Value), c.Rounded) << static_cast<double>(c.Value) << " mode " << mode;
            if (std::fabs(c.Rounded) < INT_MAX) EXPECT_EQ(RoundHalfEven(c.Value), static_cast<int>(c.Rounded));
        }
        EXPECT_EQ(std::fegetround(), mode);
    }
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<long double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundHalfEven(1e30L), INT_MAX);
    EXPECT_EQ(RoundHalfEven(-1e30L), INT_MIN);
}

}  // namespace
