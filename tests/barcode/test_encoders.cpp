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

Built Build(TBarcodeType typ, const QString& text, bool checksum = false, double ratio = 2.0) {
    TBarcodeSymbol s;
    s.SetTyp(typ);
    s.SetChecksum(checksum);
    s.SetText(text);
    s.SetRatio(ratio);
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
    // An odd count gets a leading zero instead of losing its last digit:
    // 0 = NNWWN with 1 = WNNNW, 2 = NWNNW with 3 = WWNNN, 4 = NNWNW with 5 = WNWNN.
    const Built odd = Build(bcCode_2_5_interleaved, "12345");
    EXPECT_EQ(odd.pattern, P("5050") + P("5150606051") + P("5161505060") + P("5150615060") + P("605"));
    EXPECT_EQ(odd.text, "012345");
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

TEST(Code39, TableEntriesAndCheckCharacter) {
    const QString star = P("515060605");
    EXPECT_EQ(Build(bcCode39, "0").pattern, star + "0" + P("505160605") + "0" + star);
    // Lower-case letters are not Code 39 characters: rejected (table below).
    // A has value 10, so its check character is A again.
    const QString a = P("605051506");
    EXPECT_EQ(Build(bcCode39, "A", true).pattern, star + "0" + a + "0" + a + "0" + star);
}

TEST(Code39, ExtendedUsesFullAsciiPairsAndKeepsTheText) {
    const Built lower = Build(bcCode39Extended, "a");
    EXPECT_EQ(lower.pattern, Build(bcCode39, "+A").pattern);
    EXPECT_EQ(lower.text, "a");
    EXPECT_EQ(Build(bcCode39Extended, "xy").pattern, Build(bcCode39, "+X+Y").pattern);
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

TEST(Code128, ControlCharactersInSetAAndDelInSetB) {
    // Set A: NUL is value 64, HT 73, US 95; start A 103: 103 + 64 + 2 * 73 +
    // 3 * 95 = 598, mod 103 = 83.
    EXPECT_EQ(Build(bcCode128A, QString(QChar(0)) + "\t\x1f").pattern,
              WidthsToPattern("211412" "111422" "142112" "114113" "114212" "2331112"));
    // Set B: DEL is value 95; 104 + 95 = 199, mod 103 = 96.
    EXPECT_EQ(Build(bcCode128B, "\x7f").pattern, WidthsToPattern("211214" "114113" "114311" "2331112"));
    // Characters outside the set are rejected (table below).
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
    // The width is that of the same six symbols (11 modules each, the stop
    // 13): asking it does not add the check digit again.
    EXPECT_EQ(s.Width(), (5 * 11 + 13) * s.Modul());
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
    // Characters above 127 have no full-ASCII pair: rejected (table below).
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

TEST(PostNet, ShortAndFullBarsAndTheCorrectionDigit) {
    // The correction digit makes the digit sum a multiple of ten: 0 for 0.
    EXPECT_EQ(Build(bcCodePostNet, "0").pattern, P("51") + P("5151A1A1A1") + P("5151A1A1A1") + P("5"));
    // 1 = 1 + 0 (bars four and five), 2 = 2 + 0 (three and five); 1 + 2 = 3,
    // correction 7 = 7 + 0 (bars one and five).
    EXPECT_EQ(Build(bcCodePostNet, "12").pattern, P("51") + P("A1A1A15151") + P("A1A151A151") + P("51A1A1A151") + P("5"));
    // ZIP+4 55555-1237: digit sum 38, correction digit 2 before the frame bar.
    const Built zip = Build(bcCodePostNet, "555551237");
    EXPECT_TRUE(zip.pattern.endsWith(P("A1A151A151") + P("5"))) << zip.pattern.toStdString();
    EXPECT_EQ(zip.pattern.size(), 2 + 10 * 10 + 1);
    EXPECT_EQ(zip.text, "555551237");
    EXPECT_EQ(Build(bcCodePostNet, "12", true).pattern, Build(bcCodePostNet, "12").pattern);
}

TEST(Codabar, StartAStopB) {
    // 1 = NNNNWWN, A = NNWWNWN, B = NWNWNNW (bar, space, ... alternately).
    EXPECT_EQ(Build(bcCodeCodabar, "1").pattern, P("5061515") + "0" + P("5050615") + "0" + P("5151506"));
    // Characters outside the set, and A to D inside the data, are rejected
    // (table below).
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
    // With Checksum, thirteen digits keep their own last digit: the bars of
    // 1234567890128 with the R-code of 0 ("7150") in place of that of 8.
    QString own = Build(bcCodeEAN13, "1234567890128").pattern;
    own.replace(3 + 6 * 4 + 5 + 5 * 4, 4, P("7150"));
    EXPECT_EQ(Build(bcCodeEAN13, "1234567890120", true).pattern, own);
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
    // Without Checksum the text brings its check digit: 0000 1234567 0.
    EXPECT_EQ(Build(bcCodeUPC_A, "12345670", false).text, "000012345670");
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
    // Without Checksum the seventh digit is not encoded but must be the one
    // the parities stand for.
    EXPECT_EQ(Build(bcCodeUPC_E1, "1234562").pattern, e1.pattern);
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

// The engine's message for a text, or nothing when the symbol is built.
QString Rejection(TBarcodeType typ, const QString& text, bool checksum = false, TCheckSumMethod method = csmModulo10) {
    TBarcodeSymbol s;
    s.SetTyp(typ);
    s.SetChecksum(checksum);
    s.SetCheckSumMethod(method);
    s.SetText(text);
    try {
        s.BuildPattern();
        return QString();
    } catch (const TBarcodeError& e) {
        return e.message();
    }
}

struct RejectionCase {
    TBarcodeType typ;
    QString text;
    const char* message;  // empty: built
    bool checksum = false;
    TCheckSumMethod method = csmModulo10;
};

void ExpectRejections(const QList<RejectionCase>& cases) {
    for (const RejectionCase& c : cases)
        EXPECT_EQ(Rejection(c.typ, c.text, c.checksum, c.method), QString::fromUtf8(c.message))
            << "type " << c.typ << " text '" << c.text.toStdString() << "' checksum " << c.checksum << " method "
            << c.method;
}

TEST(EanUpc, WithoutTheCheckStepTheTextMustBringTheRightCheckDigit) {
    const char* wrong = "Barcode check digit is wrong";
    const char* tooLong = "Barcode is too long";
    ExpectRejections({
        {bcCodeEAN13, "5901234123457", ""},
        {bcCodeEAN13, "5901234123458", wrong},
        // Twelve digits get a leading zero, which moves every digit.
        {bcCodeEAN13, "590123412345", wrong},
        // A UPC-A number is the EAN-13 number with a leading zero.
        {bcCodeEAN13, "036000291452", ""},
        {bcCodeEAN13, "", ""},
        {bcCodeEAN13, "59012341234570", tooLong},
        {bcCodeEAN13, "5901234123458", wrong, true, csmNone},
        {bcCodeEAN13, "5901234123457", "", true, csmNone},
        // The check step leaves the text's own digits as they always were.
        {bcCodeEAN13, "590123412345", "", true},
        {bcCodeEAN13, "5901234123458", "", true},
        {bcCodeEAN8, "96385074", ""},
        {bcCodeEAN8, "96385075", wrong},
        {bcCodeEAN8, "1", wrong},
        {bcCodeEAN8, "963850743", tooLong},
        {bcCodeEAN8, "9638507", "", true},
        {bcCodeUPC_A, "036000291452", ""},
        {bcCodeUPC_A, "036000291450", wrong},
        {bcCodeUPC_A, "7", wrong},
        {bcCodeUPC_A, "0360002914520", tooLong},
        {bcCodeUPC_A, "036000291450", "", true},
        {bcCodeUPC_A, "036000291450", wrong, true, csmNone},
        // UPC-E: the check digit of the UPC-A number 0 12345 0000 6 is 5; it
        // is written only in the parities, so a wrong one scans as 1234565.
        {bcCodeUPC_E0, "1234565", ""},
        {bcCodeUPC_E0, "1234560", wrong},
        {bcCodeUPC_E0, "123456", wrong},  // 0123456: the check digit of 0 12345 would be 7
        {bcCodeUPC_E0, "0123457", ""},
        {bcCodeUPC_E0, "12345650", tooLong},
        {bcCodeUPC_E0, "1234560", "", true},
        {bcCodeUPC_E1, "1234562", ""},
        {bcCodeUPC_E1, "1234569", wrong},
        {bcCodeUPC_E1, "1234569", wrong, true, csmNone},
    });
}

TEST(Symbologies, CharactersTheyCannotCarryAreRejected) {
    QString controls;
    for (int c = 0; c < 32; ++c) controls += QChar(c);
    ExpectRejections({
        {bcCode39, "ABC-1 $/+%.", ""},
        {bcCode39, "abc", "TBarcodeSymbol:Code39 bad Data <abc>"},
        {bcCode39, "AB*C", "TBarcodeSymbol:Code39 bad Data <AB*C>"},
        {bcCode39, "ZA\u017b\u00d3\u0141\u0106", "TBarcodeSymbol:Code39 bad Data <ZA\u017b\u00d3\u0141\u0106>"},
        {bcCode39, "a", "TBarcodeSymbol:Code39 bad Data <a>", true},
        {bcCode39Extended, "abc" + controls, ""},
        {bcCode39Extended, "x\u00e9\u0142y", "TBarcodeSymbol:Code39 bad Data <x\u00e9\u0142y>"},
        {bcCode93, "\u017b", "TBarcodeSymbol:Code93 bad Data <\u017b>"},
        {bcCode93Extended, "\u017cA", "TBarcodeSymbol:Code93 bad Data <\u017cA>"},
        {bcCode128A, "AZ_ 09" + controls, ""},
        {bcCode128A, "a", "TBarcodeSymbol:Code128 bad Data <a>"},
        {bcCode128A, "\x7f", "TBarcodeSymbol:Code128 bad Data <\x7f>"},
        {bcCode128A, "\u0105", "TBarcodeSymbol:Code128 bad Data <\u0105>"},
        {bcCode128B, "az~\x7f", ""},
        {bcCode128B, "\u0105\t", "TBarcodeSymbol:Code128 bad Data <\u0105\t>"},
        {bcCode128B, "\t", "TBarcodeSymbol:Code128 bad Data <\t>"},
        {bcCodeEAN128A, "a1", "TBarcodeSymbol:Code128 bad Data <a1>"},
        {bcCodeEAN128B, "\u0142", "TBarcodeSymbol:Code128 bad Data <\u0142>"},
        {bcCodeEAN128C, "12\u0105", "Barcode must be numeric"},
        {bcCodeCodabar, "0123456789-$:/.+", ""},
        {bcCodeCodabar, "1x2", "TBarcodeSymbol:Codabar bad Data <1x2>"},
        {bcCodeCodabar, "1\u00e92", "TBarcodeSymbol:Codabar bad Data <1\u00e92>"},
        {bcCodeCodabar, "a", "TBarcodeSymbol:Codabar bad Data <a>"},
        // A to D start and stop the symbol; inside the data they would end it.
        {bcCodeCodabar, "A123", "TBarcodeSymbol:Codabar bad Data <A123>"},
        {bcCodeCodabar, "12D", "TBarcodeSymbol:Codabar bad Data <12D>"},
    });
}

}  // namespace
