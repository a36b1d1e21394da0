// The headless companion's barcode command, run as a separate process.
#include "barcodesymbol.h"
#include "clirunner.h"
#include "zbar.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(CliBarcode, PatternThenTextAsTheEncoderLeftIt) {
    const TCliResult r = RunCli(QStringList{"barcode"} + QStringList{"--type", "22", "--text", "12", "--checksum", "--pattern"});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    TBarcodeSymbol s;
    s.SetTyp(bcCodeEAN128C);
    s.SetChecksum(true);
    s.SetText("12");
    const QString pattern = s.BuildPattern();
    EXPECT_EQ(r.Out, pattern + "\n0123\n");
}

TEST(CliBarcode, EngineErrorsGoToStandardError) {
    TCliResult r = RunCli(QStringList{"barcode"} + QStringList{"--type", "14", "--text", "12a", "--pattern"});
    EXPECT_NE(r.Code, 0);
    // Qt may add its own warnings; the program's message is a line of its own.
    EXPECT_TRUE(r.Err.split('\n').contains("Barcode must be numeric")) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.isEmpty());
    r = RunCli(QStringList{"barcode"} + QStringList{"--type", "23", "--text", "1"});
    EXPECT_NE(r.Code, 0);
    EXPECT_TRUE(r.Err.split('\n').contains("TBarcodeSymbol: wrong BarcodeType")) << r.Err.toStdString();
    r = RunCli(QStringList{"barcode"} + QStringList{"--text", "1"});
    EXPECT_NE(r.Code, 0);
    r = RunCli(QStringList{"barcode"} + QStringList{"--type", "x", "--text", "1"});
    EXPECT_NE(r.Code, 0);
}

TEST(CliBarcode, PngWithQuietZoneReadsBack) {
    QTemporaryDir dir;
    const QString file = dir.filePath("e.png");
    TCliResult r = RunCli(QStringList{"barcode"} + QStringList{"--type", "14", "--text", "590123412345", "--checksum", "--modul", "2", "--show-text", "--png", file});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    const QImage image(file);
    ASSERT_FALSE(image.isNull());
    // Ten modules of white on each side of the 95-module symbol.
    EXPECT_GE(image.width(), 95 * 2 + 2 * 20);
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(image.pixel(x, image.height() / 2), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(image.width() - 1 - x, image.height() / 2), qRgb(255, 255, 255));
    }
    EXPECT_EQ(image.pixel(20, image.height() / 2), qRgb(0, 0, 0));
    const QString rotated = dir.filePath("r.png");
    r = RunCli(QStringList{"barcode"} + QStringList{"--type", "8", "--text", "TEST93", "--modul", "3", "--angle", "90", "--png", rotated});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    const TDecodeResult d = DecodeWithZbar({image, QImage(rotated)});
    ASSERT_TRUE(d.Ran) << d.Error.toStdString();
    EXPECT_EQ(d.Symbols.value(0), QStringList{"EAN-13:5901234123457"});
    EXPECT_EQ(d.Symbols.value(1), QStringList{"CODE-93:TEST93"});
}

}  // namespace

