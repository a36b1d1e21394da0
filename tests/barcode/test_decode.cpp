// Symbols rendered by the engine and read back by an independent decoder
// (zbar). Every case uses many random texts from a fixed seed.
#include "barcodesymbol.h"
#include "zbar.h"

#include <QRandomGenerator>
#include <functional>
#include <gtest/gtest.h>

namespace {

QString RandomText(QRandomGenerator& rng, const QString& alphabet, int minLength, int maxLength) {
    const int n = rng.bounded(minLength, maxLength + 1);
    QString s;
    for (int i = 0; i < n; ++i) s += alphabet[rng.bounded(int(alphabet.size()))];
    return s;
}

const QString Digits = QStringLiteral("0123456789");

// What zbar should report for a symbol: the acceptable "TYPE:data" lines,
// given the text as the encoder left it and the text as it was set.
using Expectation = std::function<QStringList(const QString& built, const QString& original)>;

void ExpectDecodes(TBarcodeType typ, bool checksum, const QStringList& texts, const Expectation& expected,
                   double ratio = 2.0) {
    QList<QImage> images;
    QStringList built;
    for (const QString& text : texts) {
        TBarcodeSymbol symbol;
        symbol.SetTyp(typ);
        symbol.SetChecksum(checksum);
        symbol.SetModul(2);
        symbol.SetHeight(60);
        symbol.SetText(text);
        symbol.SetRatio(ratio);
        images << RenderForScanner(symbol);
        built << symbol.Text();
    }
    const TDecodeResult result = DecodeWithZbar(images);
    ASSERT_TRUE(result.Ran) << result.Error.toStdString();
    ASSERT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QStringList want = expected(built[i], texts[i]);
        ASSERT_EQ(result.Symbols[i].size(), 1)
            << "type " << typ << " text '" << texts[i].toStdString() << "': " << result.Symbols[i].join("|").toStdString();
        EXPECT_TRUE(want.contains(result.Symbols[i][0]))
            << "type " << typ << " text '" << texts[i].toStdString() << "' read as " << result.Symbols[i][0].toStdString()
            << ", expected " << want.join(" or ").toStdString();
    }
}

QStringList Texts(quint32 seed, int count, const QString& alphabet, int minLength, int maxLength) {
    QRandomGenerator rng(seed);
    QStringList out;
    for (int i = 0; i < count; ++i) out << RandomText(rng, alphabet, minLength, maxLength);
    return out;
}

// EAN-13 numbers that start with 0 are also UPC-A numbers.
QStringList Ean13(const QString& digits) {
    QStringList out{QStringLiteral("EAN-13:") + digits};
    if (digits.startsWith(QLatin1Char('0'))) out << QStringLiteral("UPC-A:") + digits.mid(1);
    return out;
}

// Modulo 10 with weights 3, 1, ... from the right, as the EAN/UPC standard defines it.
QString EanCheck(const QString& digits) {
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += (digits[digits.size() - 1 - i].unicode() - '0') * (i % 2 == 0 ? 3 : 1);
    return QString::number((10 - sum % 10) % 10);
}

TEST(DecodeEan, Ean13WithComputedCheckDigit) {
    ExpectDecodes(bcCodeEAN13, true, Texts(13, 25, Digits, 12, 12),
                  [](const QString&, const QString& t) { return Ean13(t + EanCheck(t)); });
    // EAN is measured in whole modules: a wide/narrow ratio changes nothing.
    for (const double ratio : {1.5, 3.0})
        ExpectDecodes(bcCodeEAN13, true, Texts(133, 5, Digits, 12, 12),
                      [](const QString&, const QString& t) { return Ean13(t + EanCheck(t)); }, ratio);
}

TEST(DecodeEan, Ean13ShortTextsArePaddedWithZeros) {
    QStringList texts = Texts(131, 10, Digits, 1, 11);
    texts << QString() << QStringLiteral("123456789012");
    ExpectDecodes(bcCodeEAN13, true, texts, [](const QString&, const QString& t) {
        const QString d = QString(12 - t.size(), QLatin1Char('0')) + t;
        return Ean13(d + EanCheck(d));
    });
}

TEST(DecodeEan, Ean13WithoutChecksumTakesTheTextAsIs) {
    QStringList texts;
    for (const QString& t : Texts(132, 10, Digits, 12, 12)) texts << t + EanCheck(t);
    ExpectDecodes(bcCodeEAN13, false, texts, [](const QString&, const QString& t) { return Ean13(t); });
}

TEST(DecodeEan, Ean8) {
    ExpectDecodes(bcCodeEAN8, true, Texts(8, 25, Digits, 7, 7),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("EAN-8:") + t + EanCheck(t)}; });
}

TEST(DecodeUpc, UpcA) {
    ExpectDecodes(bcCodeUPC_A, true, Texts(15, 25, Digits, 11, 12), [](const QString& built, const QString&) {
        return QStringList{QStringLiteral("UPC-A:") + built, QStringLiteral("EAN-13:0") + built};
    });
}

TEST(DecodeUpc, UpcAKnownNumber) {
    ExpectDecodes(bcCodeUPC_A, true, {QStringLiteral("036000291450")}, [](const QString& built, const QString&) {
        EXPECT_EQ(built, QStringLiteral("036000291452"));
        return QStringList{QStringLiteral("UPC-A:036000291452"), QStringLiteral("EAN-13:0036000291452")};
    });
}

// The UPC-A number a UPC-E symbol of number system 0 stands for, written out
// from the zero-suppression rules independently of the engine.
QString ExpandUpcE(const QString& six) {
    const QString m = six;
    switch (m[5].unicode() - '0') {
    case 0: case 1: case 2: return QStringLiteral("0") + m.left(2) + m[5] + "0000" + m.mid(2, 3);
    case 3: return QStringLiteral("0") + m.left(3) + "00000" + m.mid(3, 2);
    case 4: return QStringLiteral("0") + m.left(4) + "00000" + m[4];
    default: return QStringLiteral("0") + m.left(5) + "0000" + m[5];
    }
}

TEST(DecodeUpc, UpcE0CheckDigitOfTheExpandedNumber) {
    // Every last digit 0..9, since the rule for 0 to 4 is where a check digit
    // over the six digits alone goes wrong.
    QStringList texts = Texts(16, 30, Digits, 6, 6);
    for (int d = 0; d < 10; ++d) texts << QStringLiteral("12345") + QString::number(d) + QStringLiteral("0");
    ExpectDecodes(bcCodeUPC_E0, true, texts, [](const QString& built, const QString& t) {
        // A six-digit text is padded to seven first, so its data digits are
        // a zero and its first five.
        const QString six = t.rightJustified(7, QLatin1Char('0')).left(6);
        EXPECT_EQ(built, six + EanCheck(ExpandUpcE(six)));
        return QStringList{QStringLiteral("UPC-E:0") + built};
    });
}

TEST(DecodeUpc, UpcE0WithoutChecksumTakesItsOwnRightCheckDigit) {
    QStringList texts;
    for (const QString& six : Texts(161, 15, Digits, 6, 6)) texts << six + EanCheck(ExpandUpcE(six));
    ExpectDecodes(bcCodeUPC_E0, false, texts, [](const QString& built, const QString& t) {
        EXPECT_EQ(built, t);
        return QStringList{QStringLiteral("UPC-E:0") + t};
    });
}

TEST(DecodeUpc, SupplementsReadAlone) {
    ExpectDecodes(bcCodeUPC_Supp2, false, Texts(18, 20, Digits, 2, 2),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("EAN-2:") + t}; });
    ExpectDecodes(bcCodeUPC_Supp5, false, Texts(19, 20, Digits, 5, 5),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("EAN-5:") + t}; });
    // With Checksum the text gains a digit that is shown but not encoded.
    ExpectDecodes(bcCodeUPC_Supp5, true, Texts(191, 10, Digits, 5, 5), [](const QString& built, const QString& t) {
        EXPECT_EQ(built.size(), 6);
        return QStringList{QStringLiteral("EAN-5:") + t};
    });
    ExpectDecodes(bcCodeUPC_Supp2, true, Texts(181, 10, Digits, 2, 2),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("EAN-2:") + t}; });
}

const QString Code39Chars = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");

TEST(DecodeCode39, PlainAndWithCheckCharacter) {
    ExpectDecodes(bcCode39, false, Texts(3, 25, Code39Chars, 1, 20),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-39:") + t}; });
    // zbar does not check the optional modulo 43 character: it comes back
    // inside the text.
    ExpectDecodes(bcCode39, true, Texts(31, 25, Code39Chars, 1, 20), [](const QString&, const QString& t) {
        int sum = 0;
        for (const QChar c : t) sum += Code39Chars.indexOf(c);
        return QStringList{QStringLiteral("CODE-39:") + t + Code39Chars[sum % 43]};
    });
}

// The full-ASCII table of Code 39, by ranges of character codes.
QString FullAscii39(const QString& text) {
    QString out;
    for (const QChar ch : text) {
        const int c = ch.unicode();
        if (c == 0) out += "%U";
        else if (c <= 26) out += QStringLiteral("$") + QChar('A' + c - 1);
        else if (c <= 31) out += QStringLiteral("%") + QChar('A' + c - 27);
        else if (c == 32 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) out += ch;
        else if (c <= 47) out += QStringLiteral("/") + QChar('A' + c - 33);
        else if (c == 58) out += "/Z";
        else if (c <= 63) out += QStringLiteral("%") + QChar('F' + c - 59);
        else if (c == 64) out += "%V";
        else if (c <= 95) out += QStringLiteral("%") + QChar('K' + c - 91);
        else if (c == 96) out += "%W";
        else if (c <= 122) out += QStringLiteral("+") + QChar('A' + c - 97);
        else if (c <= 127) out += QStringLiteral("%") + QChar('P' + c - 123);
    }
    return out;
}

QString PrintableAscii() {
    QString s;
    for (int c = 32; c < 127; ++c) s += QChar(c);
    return s;
}

TEST(DecodeCode39, ExtendedGivesTheFullAsciiPairs) {
    // zbar reads the pairs as they stand; the text is left as it was.
    ExpectDecodes(bcCode39Extended, false, Texts(4, 25, PrintableAscii(), 1, 12), [](const QString& built, const QString& t) {
        EXPECT_EQ(built, t);
        return QStringList{QStringLiteral("CODE-39:") + FullAscii39(t)};
    });
}

TEST(DecodeCode93, PlainWithBothCheckCharacters) {
    // Lengths past 15 and 20 wrap both weights; zbar verifies both check
    // characters and drops them.
    ExpectDecodes(bcCode93, false, Texts(8, 30, Code39Chars, 1, 45),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-93:") + t}; });
    ExpectDecodes(bcCode93, false, Texts(81, 5, Code39Chars, 1, 45),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-93:") + t}; }, 3.0);
}

TEST(DecodeCode93, ExtendedReadsBackAsFullAscii) {
    QStringList texts = Texts(9, 30, PrintableAscii(), 1, 25);
    texts << QStringLiteral("a") << QStringLiteral("Hello World!");
    ExpectDecodes(bcCode93Extended, false, texts, [](const QString& built, const QString& t) {
        EXPECT_EQ(built, t);
        return QStringList{QStringLiteral("CODE-93:") + t};
    });
}

TEST(DecodeCode128, SetsAAndB) {
    QString setA;
    for (int c = 32; c < 96; ++c) setA += QChar(c);
    ExpectDecodes(bcCode128A, false, Texts(5, 25, setA, 1, 40),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-128:") + t}; });
    ExpectDecodes(bcCode128B, false, Texts(6, 25, PrintableAscii(), 1, 40),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-128:") + t}; });
    // The control characters of set A, and DEL in set B.
    QString controls;
    for (int c = 0; c < 32; ++c) controls += QChar(c);
    ExpectDecodes(bcCode128A, false, Texts(51, 15, controls + setA, 1, 30),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-128:") + t}; });
    ExpectDecodes(bcCode128B, false, Texts(52, 5, PrintableAscii() + QChar(127), 1, 30),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-128:") + t}; });
    // Code 128 is measured in whole modules: a wide/narrow ratio changes nothing.
    for (const double ratio : {1.5, 3.0})
        ExpectDecodes(bcCode128B, false, Texts(61, 5, PrintableAscii(), 1, 40),
                      [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-128:") + t}; },
                      ratio);
}

TEST(DecodeCode128, SetCPadsOddTexts) {
    ExpectDecodes(bcCode128C, false, Texts(7, 25, Digits, 1, 40), [](const QString& built, const QString& t) {
        EXPECT_EQ(built, t.size() % 2 ? QStringLiteral("0") + t : t);
        return QStringList{QStringLiteral("CODE-128:") + built};
    });
}

TEST(DecodeCode128, Ean128) {
    // zbar takes the leading FNC1 as the GS1 marker and leaves it out of the data.
    QString setA;
    for (int c = 32; c < 96; ++c) setA += QChar(c);
    ExpectDecodes(bcCodeEAN128A, false, Texts(20, 15, setA, 1, 30),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-128:") + t}; });
    ExpectDecodes(bcCodeEAN128B, false, Texts(21, 15, PrintableAscii(), 1, 30),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("CODE-128:") + t}; });
    ExpectDecodes(bcCodeEAN128C, true, Texts(22, 15, Digits, 1, 30), [](const QString& built, const QString& t) {
        // The modulo 10 check digit first, then a leading zero for an odd count.
        QString expect = t + EanCheck(t);
        if (expect.size() % 2) expect.prepend('0');
        EXPECT_EQ(built, expect);
        return QStringList{QStringLiteral("CODE-128:") + built};
    });
    ExpectDecodes(bcCodeEAN128B, true, Texts(211, 10, Digits, 1, 20), [](const QString& built, const QString& t) {
        EXPECT_EQ(built, t + EanCheck(t));
        return QStringList{QStringLiteral("CODE-128:") + built};
    });
}

TEST(DecodeCodabar, StartAndStopComeBack) {
    ExpectDecodes(bcCodeCodabar, false, Texts(12, 25, QStringLiteral("0123456789-$:/.+"), 1, 20),
                  [](const QString&, const QString& t) { return QStringList{QStringLiteral("Codabar:A") + t + "B"}; });
}

TEST(DecodeInterleaved2of5, PairsOfDigits) {
    ExpectDecodes(bcCode_2_5_interleaved, false, Texts(0, 30, Digits, 2, 30), [](const QString& built, const QString& t) {
        // An odd count gets a leading zero, so that every digit is encoded.
        const QString expect = t.size() % 2 ? QStringLiteral("0") + t : t;
        EXPECT_EQ(built, expect);
        return QStringList{QStringLiteral("I2/5:") + expect};
    });
}

TEST(DecodeRotated, EveryQuarterTurnReads) {
    for (const double angle : {90.0, 180.0, 270.0}) {
        TBarcodeSymbol symbol;
        symbol.SetModul(2);
        symbol.SetHeight(60);
        symbol.SetAngle(angle);
        symbol.SetText(QStringLiteral("5901234123457"));
        const TDecodeResult r = DecodeWithZbar({RenderForScanner(symbol)});
        ASSERT_TRUE(r.Ran);
        EXPECT_EQ(r.Symbols.value(0), QStringList{QStringLiteral("EAN-13:5901234123457")}) << angle;
    }
}

}  // namespace
