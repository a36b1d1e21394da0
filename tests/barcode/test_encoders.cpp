// Exact patterns worked out by hand from the published symbology tables.
// Pattern alphabet: "0".."3" spaces and "5".."8" bars of 1..4 modules (or
// narrow/wide for two-width codes), "A" a short bar.
#include "barcodesymbol.h"
#include "eanupccommon.h"
#include "encoders.h"

#include <gtest/gtest.h>

namespace {

struct Built {
    QString pattern;
    QString text;
};

Built Build(TBarcodeType typ, const QString& text, bool checksum = false) {
    TBarcodeSymbol s;
    s.SetTyp(typ);
    s.SetChecksum(checksum);
    s.SetText(text);
    Built b;
    b.pattern = s.BuildPattern();
    b.text = s.Text();
    return b;
}

QString P(const char* s) { return QString::fromLatin1(s); }

TEST(TwoOfFive, Interleaved) {
    // 1 = WNNNW gives the bars, 2 = NWNNW the spaces: 6 0 5 1 5 0 5 0 6 1;
    // 3 = WWNNN bars, 4 = NNWNW spaces: 6 0 6 0 5 1 5 0 5 1.
    const QString expected = P("5050") + P("6051505061") + P("6060515051") + P("605");
    EXPECT_EQ(Build(bcCode_2_5_interleaved, "1234").pattern, expected);
    EXPECT_EQ(Build(bcCode_2_5_interleaved, "12345").pattern, expected);
}

TEST(TwoOfFive, Industrial) {
    // Every element a bar followed by a narrow space: 1 = WNNNW, 2 = NWNNW.
    EXPECT_EQ(Build(bcCode_2_5_industrial, "12").pattern,
              P("606050") + P("6050505060") + P("5060505060") + P("605060"));
}

TEST(TwoOfFive, Matrix) {
    // Bar, space, bar, space, bar from the five flags, then a narrow gap.
    EXPECT_EQ(Build(bcCode_2_5_matrix, "12").pattern, P("705050") + P("605060") + P("515060") + P("70505"));
    TBarcodeSymbol s;
    s.SetTyp(bcCode_2_5_matrix);
    s.SetModul(4);
    s.BuildPattern();
    EXPECT_DOUBLE_EQ(s.Ratio(), 2.25);
    EXPECT_EQ(s.WidthClass(1), 9);
}

TEST(Code39, TableEntriesAndSkippedCharacters) {
    const QString star = P("515060605");
    EXPECT_EQ(Build(bcCode39, "0").pattern, star + "0" + P("505160605") + "0" + star);
    // Lower-case letters are not Code 39 characters: start and stop only.
    EXPECT_EQ(Build(bcCode39, "abc").pattern, star + "0" + star);
    // A has value 10, so its check character is A again.
    const QString a = P("605051506");
    EXPECT_EQ(Build(bcCode39, "A", true).pattern, star + "0" + a + "0" + a + "0" + star);
}

TEST(Code39, ExtendedUsesFullAsciiPairsAndKeepsTheText) {
    const Built lower = Build(bcCode39Extended, "a");
    EXPECT_EQ(lower.pattern, Build(bcCode39, "+A").pattern);
    EXPECT_EQ(lower.text, "a");
    EXPECT_EQ(Build(bcCode39Extended, QString::fromUtf8("x\u00e9\u0142y")).pattern, Build(bcCode39, "+X+Y").pattern);
    EXPECT_EQ(Build(bcCode39Extended, QString(QChar(0))).pattern, Build(bcCode39, "%U").pattern);
    EXPECT_EQ(Build(bcCode39Extended, "-.").pattern, Build(bcCode39, "/M/N").pattern);
}

TEST(Code128, SetBCheckValue) {
    // Start B 104; H = 40, i = 73; (104 + 40 + 2 * 73) mod 103 = 84.
    // Runs 211214 231113 142112 124112 2331112 as bar/space characters.
    EXPECT_EQ(Build(bcCode128B, "Hi").pattern, P("605153") + P("625052") + P("536051") + P("518051") + P("6270506"));
    EXPECT_EQ(WidthsToPattern("2331112"), "6270506");
}

TEST(Code128, SetCPadsAnOddText) {
    const Built b = Build(bcCode128C, "123");
    EXPECT_EQ(b.text, "0123");
    // 105 + 1 * 1 + 2 * 23 = 152, mod 103 = 49.
    EXPECT_EQ(b.pattern, WidthsToPattern("211232" "222122" "312131" "211331" "2331112"));
}

TEST(Code128, CharactersOutsideTheSetCountAsBlanks) {
    EXPECT_EQ(Build(bcCode128A, "a").pattern, Build(bcCode128A, " ").pattern);
    EXPECT_EQ(Build(bcCode128B, QString::fromUtf8("\u0105\t")).pattern, Build(bcCode128B, "  ").pattern);
}

TEST(Code128, Ean128CheckDigitIsAppendedOnce) {
    TBarcodeSymbol s;
    s.SetTyp(bcCodeEAN128C);
    s.SetChecksum(true);
    s.SetText("12");
    const QString first = s.BuildPattern();
    EXPECT_EQ(s.Text(), "0123");
    // Start C, FNC1 with weight 1, then 01 and 23 with weights 2 and 3:
    // 105 + 102 + 2 + 69 = 278, mod 103 = 72.
    EXPECT_EQ(first, WidthsToPattern("211232" "411131" "222122" "312131" "122411" "2331112"));
    EXPECT_EQ(s.BuildPattern(), first);
    EXPECT_EQ(s.Text(), "0123");
    EXPECT_EQ(s.Width(), s.Width());
    EXPECT_EQ(s.Text(), "0123");
    // A new text, type or checksum setting gets its check digit again.
    s.SetText("12");
    s.BuildPattern();
    EXPECT_EQ(s.Text(), "0123");
    s.SetChecksum(false);
    s.SetChecksum(true);
    s.BuildPattern();
    // 0123 gets check digit 6 (3*3 + 2 + 1*3 + 0 = 14), then a leading zero.
    EXPECT_EQ(s.Text(), "001236");
}

TEST(Code128, Ean128WithCheckDigitNeedsDigits) {
    TBarcodeSymbol s;
    s.SetTyp(bcCodeEAN128A);
    s.SetChecksum(true);
    s.SetText("AB1");
    try {
        s.BuildPattern();
        FAIL() << "letters cannot get a modulo 10 check digit";
    } catch (const TBarcodeError& e) {
        EXPECT_TRUE(e.message().contains("not a valid integer")) << e.message().toStdString();
    }
    s.SetCheckSumMethod(csmNone);
    s.SetText("AB");
    EXPECT_NO_THROW(s.BuildPattern());
    EXPECT_EQ(s.Text(), "AB");
}

TEST(Code93, CheckCharactersOfTest93) {
    // C: 3*1 + 9*2 + 29*3 + 28*4 + 14*5 + 29*6 = 464, mod 47 = 41 ("+");
    // K: 3*2 + 9*3 + 29*4 + 28*5 + 14*6 + 29*7 + 41*1 = 617, mod 47 = 6.
    // "+" 113121, "6" 121311, stop 1111411.
    EXPECT_TRUE(Build(bcCode93, "TEST93").pattern.endsWith(P("507060") + P("515250") + P("5050805")));
    EXPECT_TRUE(Build(bcCode93, "0").pattern.startsWith(P("505080") + P("525051")));
}

TEST(Code93, BadDataAndTheFullAsciiVariant) {
    TBarcodeSymbol s;
    s.SetTyp(bcCode93);
    s.SetText("a");
    try {
        s.BuildPattern();
        FAIL() << "lower case is not Code 93 data";
    } catch (const TBarcodeError& e) {
        EXPECT_EQ(e.message(), "TBarcodeSymbol:Code93 bad Data <a>");
    }
    const Built ext = Build(bcCode93Extended, "a");
    EXPECT_EQ(ext.pattern, Build(bcCode93, "}A").pattern);
    EXPECT_EQ(ext.text, "a");
    // Characters above 127 are dropped, not an error.
    EXPECT_EQ(Build(bcCode93Extended, QString::fromUtf8("\u017cA")).pattern, Build(bcCode93, "A").pattern);
}

TEST(Msi, CheckDigitCountsFromTheRight) {
    // Bits 0001 0010 0011 0100, check 4 (2 and 4 doubled: 48 -> 12, + 1 + 3 = 16).
    EXPECT_EQ(Build(bcCodeMSI, "1234").pattern,
              P("60") + P("51515160") + P("51516051") + P("51516060") + P("51605151") + P("51605151") + P("515"));
    // 12: 2 doubled = 4, + 1 = 5, check 5 (0101).
    EXPECT_EQ(Build(bcCodeMSI, "12").pattern, P("60") + P("51515160") + P("51516051") + P("51605160") + P("515"));
    // Odd digit counts: the rightmost digit is doubled. 123: 6 + 2 + 2 = 10,
    // check 0; the published example 1234567 has check 4; 5 alone: 10 -> 1, check 9.
    EXPECT_EQ(MsiCheckDigit("123"), 0);
    EXPECT_EQ(MsiCheckDigit("1234567"), 4);
    EXPECT_EQ(MsiCheckDigit("5"), 9);
    EXPECT_EQ(MsiCheckDigit(""), 0);
    EXPECT_TRUE(Build(bcCodeMSI, "123").pattern.endsWith(P("51515151") + P("515")));
    EXPECT_EQ(Build(bcCodeMSI, "12", true).pattern, Build(bcCodeMSI, "12", false).pattern);
}

TEST(PostNet, ShortAndFullBars) {
    EXPECT_EQ(Build(bcCodePostNet, "0").pattern, P("51") + P("5151A1A1A1") + P("5"));
    // 1 = 1 + 0 (bars four and five), 2 = 2 + 0 (three and five).
    EXPECT_EQ(Build(bcCodePostNet, "12").pattern, P("51") + P("A1A1A15151") + P("A1A151A151") + P("5"));
}

TEST(Codabar, StartAStopBAndUnknownCharactersLeftOut) {
    // 1 = NNNNWWN, A = NNWWNWN, B = NWNWNNW (bar, space, ... alternately).
    EXPECT_EQ(Build(bcCodeCodabar, "1").pattern, P("5061515") + "0" + P("5050615") + "0" + P("5151506"));
    EXPECT_EQ(Build(bcCodeCodabar, "1x\u00e92").pattern, Build(bcCodeCodabar, "12").pattern);
}

TEST(Ean13, DigitSetsAndGuards) {
    // 0 in set A is L-code 0001101 = "2605", in set C R-code 1110010 = "7150";
    // first digit 0 means six digits in set A.
    QString zeros = P("505");
    for (int i = 0; i < 6; ++i) zeros += P("2605");
    zeros += P("05050");
    for (int i = 0; i < 6; ++i) zeros += P("7150");
    zeros += P("505");
    EXPECT_EQ(Build(bcCodeEAN13, "0000000000000").pattern, zeros);
    EXPECT_EQ(Build(bcCodeEAN13, "").pattern, zeros);
}

TEST(Ean13, CheckDigitRules) {
    const Built b = Build(bcCodeEAN13, "123456789012", true);
    EXPECT_EQ(b.pattern, Build(bcCodeEAN13, "1234567890128").pattern);
    EXPECT_EQ(b.text, "123456789012");
    // Thirteen digits keep their own last digit, right or wrong.
    EXPECT_EQ(Build(bcCodeEAN13, "1234567890120", true).pattern, Build(bcCodeEAN13, "1234567890120").pattern);
    // Twelve digits without a check digit are shifted by a leading zero.
    EXPECT_EQ(Build(bcCodeEAN13, "123456789012").pattern, Build(bcCodeEAN13, "0123456789012").pattern);
    // With no check digit method the check step adds nothing: the text is
    // then taken as it is, like without Checksum.
    TBarcodeSymbol s;
    s.SetChecksum(true);
    s.SetCheckSumMethod(csmNone);
    s.SetText("123456789012");
    EXPECT_EQ(s.BuildPattern(), Build(bcCodeEAN13, "0123456789012").pattern);
}

TEST(Ean8, CheckDigitRules) {
    // 6385074: 4*3 + 7 + 0*3 + 5 + 8*3 + 3 + 6*3 = 69, check 1.
    EXPECT_EQ(Build(bcCodeEAN8, "96385074", true).pattern, Build(bcCodeEAN8, "63850741").pattern);
    EXPECT_EQ(Build(bcCodeEAN8, "").pattern, Build(bcCodeEAN8, "00000000").pattern);
}

TEST(UpcA, CheckDigitAndPadding) {
    EXPECT_EQ(Build(bcCodeUPC_A, "036000291450", true).text, "036000291452");
    // Eleven digits: padded to twelve, then the last gives way to the check digit.
    EXPECT_EQ(Build(bcCodeUPC_A, "36000291452", true).text, "036000291452");
    EXPECT_EQ(Build(bcCodeUPC_A, "7", false).text, "000000000007");
}

TEST(UpcE, CheckDigitOfTheUpcANumber) {
    // 123456 expands to 0 12345 0000 6; its UPC-A check digit is 5.
    EXPECT_EQ(Build(bcCodeUPC_E0, "1234560", true).text, "1234565");
    EXPECT_EQ(Build(bcCodeUPC_E0, "123456", true).text, "0123457");
    // 123450 expands to 0 12 0 0000 345: check 5 (over the six digits alone it would be 3).
    EXPECT_EQ(Build(bcCodeUPC_E0, "1234500", true).text, "1234505");
    EXPECT_EQ(UpcEToUpcA(0, "123450"), "01200000345");
    EXPECT_EQ(UpcEToUpcA(0, "123453"), "01230000045");
    EXPECT_EQ(UpcEToUpcA(0, "123454"), "01234000005");
    EXPECT_EQ(UpcEToUpcA(1, "123457"), "11234500007");
}

TEST(UpcE, ParityPatterns) {
    // E0, check digit 5, parities E o o E E o: G1 L2 L3 G4 G5 L6.
    EXPECT_EQ(Build(bcCodeUPC_E0, "1234560", true).pattern,
              P("505") + P("0616") + P("1516") + P("0805") + P("1705") + P("0715") + P("0508") + P("050505"));
    // E1: 1 12345 0000 6 has check digit 2 (odd sum 13 * 3 + even sum 9 = 48);
    // the row of 2 is E E o o E o, reversed for number system 1: L1 L2 G3 G4 L5 G6.
    const Built e1 = Build(bcCodeUPC_E1, "1234560", true);
    EXPECT_EQ(e1.text, "1234562");
    EXPECT_EQ(e1.pattern, P("505") + P("1615") + P("1516") + P("0535") + P("1705") + P("0625") + P("3505") + P("050505"));
    // Without Checksum the seventh digit is not encoded, the parity still comes
    // from the computed digit.
    EXPECT_EQ(Build(bcCodeUPC_E1, "1234569").pattern, e1.pattern);
}

TEST(UpcSupplements, FiveDigits) {
    // 52495: 3 * (5 + 4 + 5) + 9 * (2 + 9) = 141, check 1, parities E o E o o.
    const Built b = Build(bcCodeUPC_Supp5, "52495", true);
    EXPECT_EQ(b.text, "524951");
    EXPECT_EQ(b.pattern, P("506") + P("0715") + "05" + P("1516") + "05" + P("1705") + "05" + P("2506") + "05" + P("0625"));
    TBarcodeSymbol s;
    s.SetTyp(bcCodeUPC_Supp5);
    s.SetChecksum(true);
    s.SetText("52495");
    const QString first = s.BuildPattern();
    EXPECT_EQ(s.BuildPattern(), first);
    EXPECT_EQ(s.Text(), "524951");
}

TEST(UpcSupplements, TwoDigits) {
    // 34 mod 4 = 2: "Eo", G3 then L4.
    EXPECT_EQ(Build(bcCodeUPC_Supp2, "34").pattern, P("506") + P("0535") + "05" + P("0526"));
    // The shown check digit (4 * 3 + 3 * 9 = 39 -> 9) must not change the
    // parity when the symbol is built again.
    TBarcodeSymbol s;
    s.SetTyp(bcCodeUPC_Supp2);
    s.SetChecksum(true);
    s.SetText("34");
    const QString first = s.BuildPattern();
    EXPECT_EQ(s.Text(), "349");
    EXPECT_EQ(s.BuildPattern(), first);
    EXPECT_EQ(first, Build(bcCodeUPC_Supp2, "34").pattern);
}

}  // namespace
