// The headless companion's barcode command, run as a separate process.
#include "barcodesymbol.h"
#include "zbar.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef PRANDEL_CLI

namespace {

struct CliRun {
    int code = -1;
    QString out, err;
};

CliRun Cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(PRANDEL_CLI), QStringList{"barcode"} + args);
    CliRun r;
    if (!p.waitForFinished(30000)) return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(CliBarcode, PatternThenTextAsTheEncoderLeftIt) {
    const CliRun r = Cli({"--type", "22", "--text", "12", "--checksum", "--pattern"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    TBarcodeSymbol s;
    s.SetTyp(bcCodeEAN128C);
    s.SetChecksum(true);
    s.SetText("12");
    const QString pattern = s.BuildPattern();
    EXPECT_EQ(r.out, pattern + "\n0123\n");
}

TEST(CliBarcode, EngineErrorsGoToStandardError) {
    CliRun r = Cli({"--type", "14", "--text", "12a", "--pattern"});
    EXPECT_NE(r.code, 0);
    // Qt may add its own warnings; the program's message is a line of its own.
    EXPECT_TRUE(r.err.split('\n').contains("Barcode must be numeric")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    r = Cli({"--type", "23", "--text", "1"});
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.split('\n').contains("TBarcodeSymbol: wrong BarcodeType")) << r.err.toStdString();
    r = Cli({"--text", "1"});
    EXPECT_NE(r.code, 0);
    r = Cli({"--type", "x", "--text", "1"});
    EXPECT_NE(r.code, 0);
}

TEST(CliBarcode, PngWithQuietZoneReadsBack) {
    QTemporaryDir dir;
    const QString file = dir.filePath("e.png");
    CliRun r = Cli({"--type", "14", "--text", "590123412345", "--checksum", "--modul", "2", "--show-text", "--png", file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
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
    r = Cli({"--type", "8", "--text", "TEST93", "--modul", "3", "--angle", "90", "--png", rotated});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const TDecodeResult d = DecodeWithZbar({image, QImage(rotated)});
    ASSERT_TRUE(d.Ran) << d.Error.toStdString();
    EXPECT_EQ(d.Symbols.value(0), QStringList{"EAN-13:5901234123457"});
    EXPECT_EQ(d.Symbols.value(1), QStringList{"CODE-93:TEST93"});
}

}  // namespace

#endif
