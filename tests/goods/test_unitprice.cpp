#include "unitprice.h"

#include <gtest/gtest.h>

namespace {

const QString kNbsp(QChar(0x00A0));

QString Unit(const QString& price, const QString& quantity) { return UnitPriceText(price, quantity, TUnitSymbols{}); }

TEST(ParseAmount, BothDecimalNotationsAndLeadingSeparator) {
    EXPECT_EQ(ParseAmount("4,99"), 49900);
    EXPECT_EQ(ParseAmount("4.99"), 49900);
    EXPECT_EQ(ParseAmount(",5"), 5000);
    EXPECT_EQ(ParseAmount(".5"), 5000);
    EXPECT_EQ(ParseAmount("  12  "), 120000);
    EXPECT_EQ(ParseAmount("-3,5"), -35000);
    EXPECT_EQ(ParseAmount("+2"), 20000);
    EXPECT_EQ(ParseAmount("0"), 0);
    EXPECT_EQ(ParseAmount("4,"), 40000);  // a separator without decimals
    EXPECT_EQ(ParseAmount("1e2"), 1000000);
}

TEST(ParseAmount, MoreThanFourDecimalsRoundHalvesToEven) {
    EXPECT_EQ(ParseAmount("1,00005"), 10000);  // half, even stays
    EXPECT_EQ(ParseAmount("1,00015"), 10002);  // half, odd goes up
    EXPECT_EQ(ParseAmount("1,000051"), 10001);
    EXPECT_EQ(ParseAmount("1,00004999"), 10000);
    EXPECT_EQ(ParseAmount("-1,00015"), -10002);
}

TEST(ParseAmount, RefusesWhatIsNoPlainNumber) {
    for (const char* bad : {"", " ", "1.234,56", "1,234.56", "1 234", "abc", "4,99 zł", "1,2,3", "-", "+", "1e", "--1"})
        EXPECT_FALSE(ParseAmount(QString::fromUtf8(bad)).has_value()) << bad;
    EXPECT_FALSE(ParseAmount("99999999999999999999").has_value());  // beyond the fixed-point range
    EXPECT_EQ(ParseAmount("922337203685477,5807"), std::numeric_limits<TAmount>::max());
    EXPECT_FALSE(ParseAmount("922337203685477,5808").has_value());
}

TEST(AmountText, ExactPriceTextThatReadsBack) {
    const std::pair<TAmount, const char*> cases[] = {
        {49900, "4,99"}, {120000, "12"}, {125000, "12,50"}, {20050, "2,005"}, {1, "0,0001"}, {-5000, "-0,50"}, {0, "0"},
        {46000, "4,60"}, {20051, "2,0051"},
        {std::numeric_limits<TAmount>::max(), "922337203685477,5807"}, {std::numeric_limits<TAmount>::min(), "-922337203685477,5808"},
    };
    for (const auto& [amount, text] : cases) {
        EXPECT_EQ(AmountText(amount), text);
        // The most negative amount has no positive twin to read back.
        if (amount != std::numeric_limits<TAmount>::min()) {
            EXPECT_EQ(ParseAmount(text), amount) << text;
        }
    }
}

TEST(FindQuantity, UnitsAnywhereInTableOrder) {
    auto q = FindQuantity("500 g");
    ASSERT_TRUE(q);
    EXPECT_DOUBLE_EQ(q->Value, 500);
    EXPECT_EQ(q->Unit, "G");
    q = FindQuantity("10 dkg");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->Unit, "DKG");
    EXPECT_DOUBLE_EQ(q->Value, 10);
    q = FindQuantity("1 galon");  // G at position 3 wins before L
    ASSERT_TRUE(q);
    EXPECT_EQ(q->Unit, "G");
    EXPECT_DOUBLE_EQ(q->Value, 1);
    q = FindQuantity("0,5 L");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->Kind, TUnitKind::Volume);
    EXPECT_DOUBLE_EQ(q->Value, 0.5);
    EXPECT_FALSE(FindQuantity("1 kpl"));    // "1 kp" before L is no number
    EXPECT_FALSE(FindQuantity("kg 5"));     // unit at the very start
    EXPECT_FALSE(FindQuantity("2 szt"));
    EXPECT_FALSE(FindQuantity(""));
    // Only the first occurrence of each unit counts: the G of "kg" is preceded
    // by "k", so the later "g" is never reached.
    EXPECT_FALSE(FindQuantity("kg 5 g"));
    q = FindQuantity("kg 5, 2 ml");  // ML is first found after "kg 5, 2", no number
    EXPECT_FALSE(q);
    q = FindQuantity("opak. 250 ml");  // a text before the number is no number either
    EXPECT_FALSE(q);
    q = FindQuantity(" 250 ML ");
    ASSERT_TRUE(q);
    EXPECT_DOUBLE_EQ(q->Value, 250);
}

TEST(UnitPriceText, ExamplesOfTheTable) {
    EXPECT_EQ(Unit("4,99", "500 g"), "9,98 zł/kg");
    EXPECT_EQ(Unit("3.50", "0,5 L"), "7,00 zł/litr");
    EXPECT_EQ(Unit("12", "250 ml"), "48,00 zł/litr");
    EXPECT_EQ(Unit("10", "4 dkg"), "250,00 zł/kg");
    EXPECT_EQ(Unit("20", "4 mkw"), "5,00 zł/m2");
    EXPECT_EQ(Unit("20", "4 m2"), "5,00 zł/m2");
    EXPECT_EQ(Unit("1", "3 g"), "333,33 zł/kg");
    EXPECT_EQ(Unit("5", "2 szt"), "");
}

TEST(UnitPriceText, EdgeCases) {
    EXPECT_EQ(Unit("5", "1 galon"), "5" + kNbsp + "000,00 zł/kg");  // read as one gram
    EXPECT_EQ(Unit("5", "1 kpl"), "");
    EXPECT_EQ(Unit("5", "kg 5"), "");
    EXPECT_EQ(Unit("1.234,56", "1 kg"), "");
    EXPECT_EQ(Unit("-4,99", "500 g"), "-9,98 zł/kg");
    EXPECT_EQ(Unit("2,005", "1 kg"), "2,01 zł/kg");  // R = 20050, half away from zero
    EXPECT_EQ(Unit("-2,005", "1 kg"), "-2,01 zł/kg");
    EXPECT_EQ(Unit("5", "0 g"), "");   // division by zero
    EXPECT_EQ(Unit("abc", "1 kg"), "");
    EXPECT_EQ(Unit("", "1 kg"), "");
    EXPECT_EQ(Unit("5", "1,5,5 kg"), "");
    // 1 for 6 g: R = 1666666.67 rounds to 1666667 ten-thousandths, shown 166,67.
    EXPECT_EQ(Unit("1", "6 g"), "166,67 zł/kg");
}

TEST(UnitPriceText, LargeValuesGroupAndStayWithinRange) {
    EXPECT_EQ(Unit("1234567", "1 kg"), "1" + kNbsp + "234" + kNbsp + "567,00 zł/kg");
    EXPECT_EQ(Unit("900000000000000", "1 g"), "");  // too large for the fixed-point range
    // More than ten significant digits are rounded at the tenth.
    EXPECT_EQ(Unit("123456789012", "1 kg"), "123" + kNbsp + "456" + kNbsp + "789" + kNbsp + "000,00 zł/kg");
}

TEST(UnitPriceText, SymbolsComeFromTheCaller) {
    const TUnitSymbols s{"PLN", "KG", "l", "m²"};
    EXPECT_EQ(UnitPriceText("4,99", "500 g", s), "9,98 PLN/KG");
    EXPECT_EQ(UnitPriceText("3", "1 l", s), "3,00 PLN/l");
    EXPECT_EQ(UnitPriceText("3", "1 m2", "zł", "kg", "litr", "m²"), "3,00 zł/m²");
}

}  // namespace
