#include "codepage.h"

#include <QProcess>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {

TEST(CodePage, EveryByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    EXPECT_EQ(ToWin1250(FromWin1250(all)), all);
}

TEST(CodePage, AgreesWithTheSystemConverter) {
    // iconv's CP1250 is an independent table; compare every defined byte.
    QByteArray defined;
    for (int b = 0x20; b < 256; ++b)
        if (b != 0x7F && b != 0x81 && b != 0x83 && b != 0x88 && b != 0x90 && b != 0x98) defined.append(char(b));
    QProcess iconv;
    iconv.start("iconv", {"-f", "CP1250", "-t", "UTF-8"});
    if (!iconv.waitForStarted()) GTEST_SKIP() << "iconv is not installed";
    iconv.write(defined);
    iconv.closeWriteChannel();
    ASSERT_TRUE(iconv.waitForFinished());
    EXPECT_EQ(FromWin1250(defined), QString::fromUtf8(iconv.readAllStandardOutput()));
}

TEST(CodePage, PolishLettersAndStandIns) {
    EXPECT_EQ(ToWin1250(QString::fromUtf8("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ")),
              QByteArray("\xb9\xe6\xea\xb3\xf1\xf3\x9c\x9f\xbf \xa5\xc6\xca\xa3\xd1\xd3\x8c\x8f\xaf"));
    EXPECT_EQ(ToWin1250(QString::fromUtf8("mañana")), QByteArray("manana"));
    EXPECT_EQ(ToWin1250(QString::fromUtf8("−20%")), QByteArray("\x96" "20%"));
    EXPECT_EQ(ToWin1250(QString::fromUtf8("€ 5 ☃ 日")), QByteArray("\x80 5 ? ?"));
    EXPECT_EQ(ToWin1250(QString::fromUtf8("😀x")), QByteArray("?x"));
    EXPECT_TRUE(FitsWin1250(QString::fromUtf8("Żółw €")));
    EXPECT_FALSE(FitsWin1250(QString::fromUtf8("mañana")));
}

}  // namespace
