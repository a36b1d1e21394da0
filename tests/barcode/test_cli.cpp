// The headless companion's barcode command, run as a separate process.
#include "barcodesymbol.h"
#include "clirunner.h"
#include "matrixcases.h"
#include "zbar.h"

#include <QFile>
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
    r = RunCli(QStringList{"barcode"} + QStringList{"--type", "27", "--text", "1"});
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

// Two-dimensional kinds: --pattern prints the engine's module matrix, --png
// writes it with its quiet zone, and both readers give the text back.
TEST(CliBarcode, MatrixPngWithQuietZoneReadsBack) {
    QTemporaryDir dir;
    QList<QImage> images;
    int n = 0;
    for (const TMatrixCase& c : MatrixRoundTripCases()) {
        const std::string what = "type " + std::to_string(c.Type) + " text '" + c.Text.toStdString() + "'";
        const QString file = dir.filePath(QStringLiteral("m%1.png").arg(n++));
        const TCliResult r = RunCli({"barcode", "--type", QString::number(c.Type), "--text", c.Text, "--pattern", "--png", file});
        ASSERT_EQ(r.Code, 0) << what << ": " << r.Err.toStdString();
        TBarcodeSymbol s;
        s.SetTyp(c.Type);
        s.SetText(c.Text);
        const TModuleMatrix m = s.BuildMatrix();
        EXPECT_EQ(r.Out, m.RowTexts().join('\n') + '\n') << what;
        const QImage image(file);
        ASSERT_FALSE(image.isNull()) << what;
        // Four dots a module unless told otherwise, the quiet zone all round.
        const int q = m.QuietZone * 4;
        ASSERT_EQ(image.size(), QSize((m.Columns + 2 * m.QuietZone) * 4, (m.Rows + 2 * m.QuietZone) * 4)) << what;
        bool quiet = true;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (x < q || y < q || x >= image.width() - q || y >= image.height() - q)
                    quiet &= image.pixel(x, y) == qRgb(255, 255, 255);
        EXPECT_TRUE(quiet) << what;
        EXPECT_EQ(image.pixel(q, q), qRgb(0, 0, 0)) << what;  // the first module of both kinds is dark
        ExpectZxingReads(image, c, "companion PNG");
        images << image;
    }
    ExpectZbarReads(images, MatrixRoundTripCases(), "companion PNG");

    // --modul and --ecc.
    const QString file = dir.filePath("h.png");
    TCliResult r = RunCli({"barcode", "--type", "23", "--text", "Hello", "--modul", "3", "--ecc", "H", "--png", file});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.isEmpty());
    EXPECT_EQ(QImage(file).size(), QSize((21 + 8) * 3, (21 + 8) * 3));
    r = RunCli({"barcode", "--type", "23", "--text", "Hello", "--ecc", "X"});
    EXPECT_EQ(r.Code, 2);
    EXPECT_TRUE(r.Err.split('\n').contains("--ecc: oczekiwano L, M, Q lub H.")) << r.Err.toStdString();
}

TEST(CliBarcode, MatrixRefusalsGiveTheEngineMessage) {
    const struct {
        const char* Type;
        QString Text;
        const char* Message;
    } cases[] = {
        {"25", "59012341234x7", "Barcode must be numeric"},
        {"26", "5901234123458", "Barcode check digit is wrong"},
        {"25", "12345", "Kod GS1 musi być numerem GTIN (8, 12, 13 lub 14 cyfr)"},
        {"24", "", "Kod Data Matrix nie może być pusty"},
        {"23", QString(8000, QLatin1Char('7')), "Tekst za długi dla kodu QR"},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString file = dir.filePath("x.png");
        const TCliResult r = RunCli({"barcode", "--type", c.Type, "--text", c.Text, "--png", file});
        EXPECT_EQ(r.Code, 1) << c.Type << " " << c.Text.left(20).toStdString();
        EXPECT_TRUE(r.Err.split('\n').contains(QString::fromUtf8(c.Message))) << r.Err.toStdString();
        EXPECT_TRUE(r.Out.isEmpty());
        EXPECT_FALSE(QFile::exists(file));
    }
}

}  // namespace

