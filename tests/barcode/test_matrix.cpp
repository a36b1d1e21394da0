// Two-dimensional symbols: the module matrix from the engine, refused data,
// the module that fits a box, and the drawing at printer resolutions read
// back by zxing-cpp (and zbar for QR).
#include "barcodesymbol.h"
#include "matrixcases.h"
#include "symbolpainting.h"
#include "zxing.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

TModuleMatrix Encode(TBarcodeType type, const QString& text, TQrEcc ecc = DefaultQrEcc) {
    TBarcodeSymbol s;
    s.SetTyp(type);
    s.SetText(text);
    s.SetQrEcc(ecc);
    return s.BuildMatrix();
}

// The message the engine refuses with; empty when it encodes.
QString Refusal(TBarcodeType type, const QString& text, TQrEcc ecc = DefaultQrEcc) {
    try {
        Encode(type, text, ecc);
        return QString();
    } catch (const TBarcodeError& e) {
        return e.message();
    }
}

TEST(Matrix, SizesQuietZonesAndFinderPatterns) {
    // Version 1 QR: 21 modules; the smallest square Data Matrix: 10.
    const TModuleMatrix qr = Encode(bcCodeQR, "Hello");
    EXPECT_EQ(qr.Columns, 21);
    EXPECT_EQ(qr.Rows, 21);
    EXPECT_EQ(qr.QuietZone, 4);
    const QStringList rows = qr.RowTexts();
    ASSERT_EQ(rows.size(), 21);
    // Finder patterns top left, top right and bottom left, none bottom right.
    EXPECT_TRUE(rows[0].startsWith("1111111") && rows[0].endsWith("1111111")) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith("1000001") && rows[1].endsWith("1000001")) << rows[1].toStdString();
    EXPECT_TRUE(rows[20].startsWith("1111111")) << rows[20].toStdString();
    EXPECT_FALSE(rows[20].endsWith("1111111")) << rows[20].toStdString();
    const TModuleMatrix dm = Encode(bcCodeDataMatrix, "1234");
    EXPECT_EQ(dm.Columns, 10);
    EXPECT_EQ(dm.Rows, 10);
    EXPECT_EQ(dm.QuietZone, 1);
    // Solid left and bottom edges, alternating top and right.
    const QStringList d = dm.RowTexts();
    EXPECT_EQ(d[0], "1010101010");
    EXPECT_EQ(d[9], "1111111111");
    for (int r = 0; r < 10; ++r) {
        EXPECT_TRUE(dm.IsDark(0, r)) << r;
        EXPECT_EQ(dm.IsDark(9, r), r % 2 == 1) << r;
    }
    // Every text of the round trips is a square symbol.
    for (const TMatrixCase& c : MatrixRoundTripCases()) {
        const TModuleMatrix m = Encode(c.Type, c.Text);
        EXPECT_EQ(m.Rows, m.Columns) << c.Type << " " << c.Text.toStdString();
    }
}

TEST(Matrix, Gs1ElementStringOfAGtin) {
    const QList<QPair<QString, QString>> cases{
        {"96385074", "(01)00000096385074"},
        {"036000291452", "(01)00036000291452"},
        {"5901234123457", "(01)05901234123457"},
        {"15901234123454", "(01)15901234123454"},
        {"00000000", "(01)00000000000000"},
    };
    for (const auto& [gtin, element] : cases) EXPECT_EQ(Gs1ElementString(gtin), element) << gtin.toStdString();

    // The GTIN of a goods code, whatever symbology the goods print it in,
    // except UPC-E, whose eight digits are no EAN-8.
    const struct {
        const char* Code;
        int Type;
        const char* Gtin;  // empty: none
    } goods[] = {
        {"5901234123457", bcCodeEAN13, "05901234123457"},
        {" 5901234123457 ", bcCode128B, "05901234123457"},
        {"96385074", bcCodeEAN8, "00000096385074"},
        {"036000291452", bcCodeUPC_A, "00036000291452"},
        {"15901234123454", bcCodeEAN128C, "15901234123454"},
        {"5901234123457", bcCodeQR, "05901234123457"},
        {"5901234123458", bcCodeEAN13, ""},  // wrong check digit
        {"590123412345", bcCodeEAN13, ""},   // twelve digits, not a UPC-A number
        {"590123412345A", bcCodeEAN13, ""},
        {"PL-1", bcCode128B, ""},
        {"", bcCodeEAN13, ""},
        {"04252614", bcCodeUPC_E0, ""},
        {"96385074", bcCodeUPC_E1, ""},
        {"123456789012345", bcCodeEAN128C, ""},
    };
    for (const auto& g : goods)
        EXPECT_EQ(Gtin14(QString::fromLatin1(g.Code), g.Type).value_or(QString()), QString::fromLatin1(g.Gtin))
            << g.Code << " type " << g.Type;
}

TEST(Matrix, RefusedInputsGiveTheEngineMessage) {
    const char* numeric = "Barcode must be numeric";
    const char* check = "Barcode check digit is wrong";
    const char* gtin = "Kod GS1 musi być numerem GTIN (8, 12, 13 lub 14 cyfr)";
    // Fits QR at L but not at H: the error correction level is what counts.
    const QString fitsAtL(2500, QLatin1Char('x'));
    const struct {
        TBarcodeType Type;
        QString Text;
        const char* Message;  // empty: encoded
        TQrEcc Ecc = DefaultQrEcc;
    } cases[] = {
        {bcCodeGS1QR, "590123412345A", numeric},
        {bcCodeGS1DataMatrix, "5901234 123457", numeric},
        {bcCodeGS1QR, "Żółć", numeric},
        {bcCodeGS1QR, "(01)05901234123457", numeric},
        {bcCodeGS1QR, "5901234123458", check},
        {bcCodeGS1DataMatrix, "96385075", check},
        {bcCodeGS1QR, "036000291450", check},
        {bcCodeGS1DataMatrix, "15901234123455", check},
        {bcCodeGS1QR, "", gtin},
        {bcCodeGS1DataMatrix, "1234567", gtin},          // EAN-8 without its check digit
        {bcCodeGS1QR, "03600029145", gtin},              // UPC-A without its check digit
        {bcCodeGS1DataMatrix, "590123412345712", gtin},  // 15 digits
        {bcCodeGS1QR, " 5901234123457\t", ""},           // blanks around are trimmed
        {bcCodeQR, "", "Kod QR nie może być pusty"},
        {bcCodeDataMatrix, "", "Kod Data Matrix nie może być pusty"},
        {bcCodeQR, QString(8000, QLatin1Char('7')), "Tekst za długi dla kodu QR"},
        {bcCodeDataMatrix, QString(3200, QLatin1Char('x')), "Tekst za długi dla kodu Data Matrix"},
        {bcCodeQR, fitsAtL, "", eccL},
        {bcCodeQR, fitsAtL, "Tekst za długi dla kodu QR", eccH},
        // Any character goes into QR and Data Matrix: controls, NUL, beyond Latin-1.
        {bcCodeQR, QString("a\x01\tb") + QChar(0) + QString::fromUtf8("€ąß"), ""},
        {bcCodeDataMatrix, QString("\x1d\r\n") + QString::fromUtf8("Ż"), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Refusal(c.Type, c.Text, c.Ecc), QString::fromUtf8(c.Message))
            << "type " << c.Type << " text '" << c.Text.left(40).toStdString() << "' ecc " << c.Ecc;
    // The engine itself, without a symbol: no trimming there.
    EXPECT_THROW(EncodeMatrix(bcCodeGS1QR, " 5901234123457"), TBarcodeError);
    EXPECT_NO_THROW(EncodeMatrix(bcCodeGS1QR, "5901234123457"));
}

TEST(Matrix, QrErrorCorrectionLevelIsWhatReadersSee) {
    const struct {
        TQrEcc Ecc;
        const char* Name;
    } levels[] = {{eccL, "L"}, {eccM, "M"}, {eccQ, "Q"}, {eccH, "H"}};
    TModuleMatrix previous;
    for (const auto& l : levels) {
        EXPECT_EQ(QrEccFromText(QString::fromLatin1(l.Name)), l.Ecc);
        const TModuleMatrix m = Encode(bcCodeQR, "https://id.gs1.org/01/05901234123457", l.Ecc);
        // More correction, never a smaller symbol.
        EXPECT_GE(m.Columns, previous.Columns) << l.Name;
        previous = m;
        QImage image((m.Columns + 8) * 4, (m.Rows + 8) * 4, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintMatrixAt(painter, m, QPoint(0, 0), 4);
        painter.end();
        const TZxingResult r = DecodeWithZxing(image);
        ASSERT_TRUE(r.Found) << l.Name;
        EXPECT_EQ(r.EcLevel, QString::fromLatin1(l.Name));
    }
    for (const char* bad : {"", "m", "MM", "X", "0"}) EXPECT_FALSE(QrEccFromText(QString::fromLatin1(bad))) << bad;
}

TEST(Matrix, ModuleFitsTheBoxWithItsQuietZone) {
    // 0.25 mm in whole dots, a hair short allowed: 305 dpi gives 3 dots of
    // 0.2498 mm; at 330 dpi 3 dots are 0.231 mm, too small.
    const QList<QPair<int, int>> minimum{{96, 1}, {203, 2}, {300, 3}, {305, 3}, {330, 4}, {600, 6}, {1200, 12}, {0, 1}, {-5, 1}};
    for (const auto& [dpi, dots] : minimum) EXPECT_EQ(MinMatrixModule(dpi), dots) << dpi;

    const TModuleMatrix qr = Encode(bcCodeQR, "Hello");       // 21 + 2 × 4 = 29 modules
    const TModuleMatrix dm = Encode(bcCodeDataMatrix, "1234");  // 10 + 2 × 1 = 12 modules
    ASSERT_EQ(qr.Columns, 21);
    ASSERT_EQ(dm.Columns, 10);
    const struct {
        const TModuleMatrix* Matrix;
        QRect Box;
        int Dpi;
        int Module;  // 0: does not fit
        QRect Area;
    } cases[] = {
        {&qr, QRect(0, 0, 58, 58), 203, 2, QRect(0, 0, 58, 58)},
        {&qr, QRect(0, 0, 57, 58), 203, 0, {}},
        {&qr, QRect(0, 0, 58, 57), 203, 0, {}},
        // The largest module that fits, centred: the narrower side decides.
        {&qr, QRect(0, 0, 86, 300), 203, 2, QRect(14, 121, 58, 58)},
        {&qr, QRect(10, 20, 300, 87), 203, 3, QRect(10 + 106, 20, 87, 87)},
        {&qr, QRect(0, 0, 87, 87), 300, 3, QRect(0, 0, 87, 87)},
        {&qr, QRect(0, 0, 86, 86), 300, 0, {}},
        {&qr, QRect(0, 0, 87, 87), 305, 3, QRect(0, 0, 87, 87)},
        {&qr, QRect(0, 0, 87, 87), 330, 0, {}},
        {&qr, QRect(0, 0, 174, 174), 600, 6, QRect(0, 0, 174, 174)},
        {&qr, QRect(0, 0, 173, 400), 600, 0, {}},
        {&dm, QRect(0, 0, 24, 24), 203, 2, QRect(0, 0, 24, 24)},
        {&dm, QRect(0, 0, 23, 24), 203, 0, {}},
        {&dm, QRect(5, 5, 100, 40), 300, 3, QRect(5 + 32, 5 + 2, 36, 36)},
        {&dm, QRect(0, 0, 0, 0), 203, 0, {}},
        {&dm, QRect(0, 0, -30, 40), 203, 0, {}},
    };
    for (const auto& c : cases) {
        const std::optional<TMatrixPlacement> p = FitMatrix(*c.Matrix, c.Box, c.Dpi);
        const std::string what = "box " + std::to_string(c.Box.width()) + "x" + std::to_string(c.Box.height()) + " at " +
                                 std::to_string(c.Dpi) + " dpi";
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::gray);
        const QImage before = image;
        QPainter painter(&image);
        const bool painted = PaintMatrix(painter, *c.Matrix, c.Box, c.Dpi);
        painter.end();
        if (c.Module == 0) {
            EXPECT_FALSE(p) << what;
            EXPECT_FALSE(painted) << what;
            EXPECT_EQ(image, before) << what << ": painted although it does not fit";
            continue;
        }
        ASSERT_TRUE(p) << what;
        EXPECT_TRUE(painted) << what;
        EXPECT_EQ(p->Module, c.Module) << what;
        EXPECT_EQ(p->Area, c.Area) << what;
    }
}

// Every module a square of whole dots at its place, the quiet zone light,
// nothing outside the symbol touched.
void ExpectModulesAt(const QImage& image, const TModuleMatrix& m, const TMatrixPlacement& p, const QRgb outside,
                     const std::string& what) {
    const int q = m.QuietZone;
    int wrong = 0;
    for (int y = 0; y < image.height() && wrong < 5; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width() && wrong < 5; ++x) {
            QRgb want = outside;
            if (p.Area.contains(x, y)) {
                const int c = (x - p.Area.left()) / p.Module - q, r = (y - p.Area.top()) / p.Module - q;
                const bool dark = c >= 0 && r >= 0 && c < m.Columns && r < m.Rows && m.IsDark(c, r);
                want = dark ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            }
            if ((line[x] & 0xffffff) != (want & 0xffffff)) {
                ++wrong;
                ADD_FAILURE() << what << ": pixel " << x << "," << y;
            }
        }
    }
}

TEST(Matrix, DrawnAtPrinterResolutionsReadsBack) {
    const QRgb outside = qRgb(200, 200, 200);
    for (const int dpi : {203, 300, 600}) {
        // A 20 × 16 mm object box.
        const QSize box(qRound(20 / 25.4 * dpi), qRound(16 / 25.4 * dpi));
        QList<QImage> images;
        for (const TMatrixCase& c : MatrixRoundTripCases()) {
            const std::string what = std::to_string(dpi) + " dpi type " + std::to_string(c.Type) + " '" + c.Text.toStdString() + "'";
            const TModuleMatrix m = Encode(c.Type, c.Text);
            QImage image(box, QImage::Format_RGB32);
            image.setDotsPerMeterX(qRound(dpi / 0.0254));
            image.setDotsPerMeterY(qRound(dpi / 0.0254));
            image.fill(outside);
            QPainter painter(&image);
            ASSERT_TRUE(PaintMatrix(painter, m, QRect(QPoint(0, 0), box), image.logicalDpiX())) << what;
            painter.end();
            const std::optional<TMatrixPlacement> p = FitMatrix(m, QRect(QPoint(0, 0), box), dpi);
            ASSERT_TRUE(p) << what;
            EXPECT_GE(p->Module, MinMatrixModule(dpi)) << what;
            // The largest module: one dot more would not fit.
            const int side = std::max(m.Columns, m.Rows) + 2 * m.QuietZone;
            EXPECT_GT((p->Module + 1) * side, std::min(box.width(), box.height())) << what;
            ExpectModulesAt(image, m, *p, outside, what);
            // On a white label.
            QImage label(box, QImage::Format_RGB32);
            label.fill(Qt::white);
            QPainter(&label).drawImage(p->Area.topLeft(), image.copy(p->Area));
            ExpectZxingReads(label, c, std::to_string(dpi) + " dpi");
            images << label;
        }
        ExpectZbarReads(images, MatrixRoundTripCases(), std::to_string(dpi) + " dpi");
    }
}

}  // namespace
