#include "matrixcases.h"

#include "zbar.h"
#include "zxing.h"

#include <gtest/gtest.h>

namespace {

const QString Polish = QStringLiteral("Żółć gęślą jaźń");
// A GS1 Digital Link with a batch, an expiry date and a net weight.
const QString DigitalLink = QStringLiteral("https://id.gs1.org/01/05901234123457/10/PARTIA-2027%2F01?17=271231&3103=000500");

bool IsQrKind(TBarcodeType type) { return type == bcCodeQR || type == bcCodeGS1QR; }

// A reader may give GS1 data with the parentheses of the element string or
// without them.
bool GS1Matches(const QString& read, const QString& gtin) {
    return read == QStringLiteral("01") + gtin || read == QStringLiteral("(01)") + gtin;
}

}  // namespace

const QList<TMatrixCase>& MatrixRoundTripCases() {
    static const QList<TMatrixCase> cases = [] {
        QList<TMatrixCase> out;
        for (const TBarcodeType t : {bcCodeQR, bcCodeDataMatrix}) {
            out << TMatrixCase{t, QStringLiteral("Prandel etykiet 0123"), QStringLiteral("Prandel etykiet 0123")};
            out << TMatrixCase{t, Polish, Polish};
            out << TMatrixCase{t, DigitalLink, DigitalLink};
        }
        for (const TBarcodeType t : {bcCodeGS1QR, bcCodeGS1DataMatrix}) {
            out << TMatrixCase{t, QStringLiteral("96385074"), QStringLiteral("00000096385074")};       // EAN-8
            out << TMatrixCase{t, QStringLiteral("036000291452"), QStringLiteral("00036000291452")};   // UPC-A
            out << TMatrixCase{t, QStringLiteral("5901234123457"), QStringLiteral("05901234123457")};  // EAN-13
            out << TMatrixCase{t, QStringLiteral("15901234123454"), QStringLiteral("15901234123454")}; // GTIN-14
        }
        return out;
    }();
    return cases;
}

void ExpectZxingReads(const QImage& image, const TMatrixCase& c, const std::string& where) {
    const TZxingResult r = DecodeWithZxing(image);
    const std::string what = where + " type " + std::to_string(c.Type) + " text '" + c.Text.toStdString() + "'";
    ASSERT_TRUE(r.Found) << what;
    EXPECT_EQ(r.Format, IsQrKind(c.Type) ? "QRCode" : "DataMatrix") << what;
    EXPECT_FALSE(r.Mirrored) << what;
    // "]Q3" and "]d2": FNC1 first, the mark of GS1 data.
    const bool gs1 = r.Symbology == "]Q3" || r.Symbology == "]d2";
    EXPECT_EQ(gs1, IsGs1MatrixType(c.Type)) << what << " read as " << r.Symbology.toStdString();
    if (IsGs1MatrixType(c.Type))
        EXPECT_TRUE(GS1Matches(r.Text, c.Decoded)) << what << " read as " << r.Text.toStdString();
    else
        EXPECT_EQ(r.Text, c.Decoded) << what;
}

void ExpectZbarReads(const QList<QImage>& images, const QList<TMatrixCase>& cases, const std::string& where) {
    QList<QImage> qr;
    QList<TMatrixCase> qrCases;
    for (qsizetype i = 0; i < cases.size(); ++i) {
        if (!IsQrKind(cases[i].Type)) continue;
        qr << images[i];
        qrCases << cases[i];
    }
    const TDecodeResult d = DecodeQrWithZbar(qr);
    ASSERT_TRUE(d.Ran) << d.Error.toStdString();
    ASSERT_TRUE(d.Error.isEmpty()) << d.Error.toStdString();
    for (qsizetype i = 0; i < qr.size(); ++i) {
        const TMatrixCase& c = qrCases[i];
        const std::string what = where + " type " + std::to_string(c.Type) + " text '" + c.Text.toStdString() + "'";
        ASSERT_EQ(d.Symbols[i].size(), 1) << what << ": " << d.Symbols[i].join("|").toStdString();
        const QString read = d.Symbols[i][0];
        ASSERT_TRUE(read.startsWith("QR-Code:")) << what << ": " << read.toStdString();
        const QString text = read.mid(8);
        if (IsGs1MatrixType(c.Type))
            EXPECT_TRUE(GS1Matches(text, c.Decoded)) << what << " read as " << text.toStdString();
        else
            EXPECT_EQ(text, c.Decoded) << what;
    }
}
