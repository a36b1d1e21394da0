// Two-dimensional symbols on labels: the "Kod 2D" object and the barcode
// object of goods with a 2D type, drawn at printer resolutions and read back
// by zxing-cpp (QR by zbar too); goods without the code a template needs
// leave the object blank; a symbol that does not fit prints its text.
#include "matrixcases.h"
#include "matrixcode.h"
#include "printtestutil.h"
#include "symbolpainting.h"
#include "testsupport.h"
#include "units.h"
#include "zbar.h"
#include "zxing.h"

#include <gtest/gtest.h>

namespace {

// The object's box on the 30 × 20 mm label, beside the name above it.
constexpr int kLeft = 12, kTop = 3, kRight = 29, kBottom = 19;

TLayoutObject CodeObject(quint8 symbol, bool gs1, const QString& text, int left = kLeft, int top = kTop,
                         int right = kRight, int bottom = kBottom) {
    TLayoutObject o = TextObject(ctMatrixCode, left, top, right, bottom, taLeftJustify, 6, text);
    o.Symbol = symbol;
    o.Gs1 = gs1;
    return o;
}

TLayoutObject CodeObjectFor(TBarcodeType type, const QString& text) {
    const bool dataMatrix = type == bcCodeDataMatrix || type == bcCodeGS1DataMatrix;
    return CodeObject(dataMatrix ? msDataMatrix : msQR, IsGs1MatrixType(type), text);
}

QRect Dots(int left, int top, int right, int bottom, int dpi) {
    return ToDots(TMmRect{TMm(left), TMm(top), TMm(right), TMm(bottom)}, TResolution{dpi, dpi});
}

class MatrixLabelTest : public ::testing::Test {
protected:
    TempDataHome Home;
    QImage Draw(const TLayoutObject& o, const TPrintGoods& goods, int dpi, TQrEcc ecc = DefaultQrEcc) {
        TPrintManager m;
        LoadInto(m, Home.root() + QStringLiteral("/l.etk"), 30, 20,
                 {TextObject(ctName, 1, 0, 29, 3, taLeftJustify, 5), o});
        TPrintOptions options;
        options.QrEcc = ecc;
        m.SetOptions(options);
        return RenderLabel(m, goods, dpi);
    }
};

// One way a label carries a symbol, and what a reader must get from it.
struct TLabelCase {
    std::string What;
    TLayoutObject Object;
    TPrintGoods Goods;
    TMatrixCase Expect;
    QString EngineText;  // what the engine encodes: the filled template or the code
};

QList<TLabelCase> LabelCases() {
    QList<TLabelCase> out;
    for (const TMatrixCase& c : MatrixRoundTripCases()) {
        const bool gs1 = IsGs1MatrixType(c.Type);
        // The object: a GS1 one takes the goods' GTIN, the others a fixed
        // text (templates are pinned in the label tests).
        out << TLabelCase{"object", CodeObjectFor(c.Type, gs1 ? QStringLiteral("{gtin}") : c.Text),
                          Goods("1", QStringLiteral("Chleb"), QStringLiteral("3,99"), gs1 ? c.Text : QString(), bcCodeEAN13),
                          c, gs1 ? c.Decoded : c.Text};
        // A barcode object of goods whose code is of that type.
        out << TLabelCase{"barcode", TextObject(ctCode, kLeft, kTop, kRight, kBottom, taLeftJustify, 6),
                          Goods("1", QStringLiteral("Chleb"), QString(), c.Text, static_cast<quint8>(c.Type)), c, c.Text};
    }
    // The designer's Digital Link of goods coded EAN-8, UPC-A and EAN-13.
    const QList<QPair<QString, quint8>> codes{{"96385074", bcCodeEAN8}, {"036000291452", bcCodeUPC_A}, {"5901234123457", bcCodeEAN13}};
    for (const auto& [code, type] : codes) {
        const QString link = QStringLiteral("https://id.gs1.org/01/") + *Gtin14(code, type);
        for (const TBarcodeType kind : {bcCodeQR, bcCodeDataMatrix})
            out << TLabelCase{"digital link", CodeObjectFor(kind, CompoCaption(ctMatrixCode)),
                              Goods("7", QStringLiteral("Chleb"), QStringLiteral("3,99"), code, type), {kind, link, link}, link};
    }
    return out;
}

}  // namespace

// Each kind with ASCII, Polish UTF-8, a long web address and the GTINs of
// EAN-8, UPC-A, EAN-13 and GTIN-14, as a "Kod 2D" object and as the barcode
// of goods of that type: whole-dot modules, the largest that fit the object's
// box with the quiet zone, centred, and read back.
TEST_F(MatrixLabelTest, SymbolsInLabelsReadBackAtPrinterResolutions) {
    const QList<TLabelCase> cases = LabelCases();
    for (const int dpi : {203, 300, 600}) {
        QList<QImage> images;
        QList<TMatrixCase> expected;
        const QRect box = Dots(kLeft, kTop, kRight, kBottom, dpi);
        for (const TLabelCase& c : cases) {
            const std::string where = std::to_string(dpi) + " dpi " + c.What;
            SCOPED_TRACE(where + " type " + std::to_string(c.Expect.Type) + " '" + c.Expect.Text.toStdString() + "'");
            const QImage label = Draw(c.Object, c.Goods, dpi);
            // Where the symbol must stand: its dark modules reach every edge
            // of the symbol inside its quiet zone (finder patterns).
            const TModuleMatrix m = EncodeMatrix(c.Expect.Type, c.EngineText);
            const std::optional<TMatrixPlacement> p = FitMatrix(m, box, dpi);
            ASSERT_TRUE(p);
            const int q = m.QuietZone * p->Module;
            EXPECT_EQ(InkBox(label, box), p->Area.adjusted(q, q, -q, -q));
            ExpectZxingReads(label, c.Expect, where);
            images << label;
            expected << c.Expect;
        }
        ExpectZbarReads(images, expected, std::to_string(dpi) + " dpi");
    }
}

// The error correction of the settings is what readers find in the symbol;
// one manager drawing label after label gives each goods its own symbol, and
// a new level a new one.
TEST_F(MatrixLabelTest, QrErrorCorrectionOfTheOptions) {
    const QList<TPrintGoods> goods{
        Goods("1", QStringLiteral("Chleb"), QStringLiteral("3,99"), QStringLiteral("5901234123457")),
        Goods("2", QStringLiteral("Mleko"), QStringLiteral("2,49"), QStringLiteral("96385074"), bcCodeEAN8)};
    const QList<QPair<TQrEcc, QString>> levels{{eccL, "L"}, {eccM, "M"}, {eccQ, "Q"}, {eccH, "H"}};
    for (const bool gs1 : {false, true}) {
        TPrintManager m;
        LoadInto(m, Home.root() + QStringLiteral("/l.etk"), 30, 20,
                 {CodeObject(msQR, gs1, gs1 ? QStringLiteral("{gtin}") : CompoCaption(ctMatrixCode))});
        for (const auto& [ecc, name] : levels) {
            TPrintOptions options;
            options.QrEcc = ecc;
            m.SetOptions(options);
            // Each level starts with the goods the last one ended with.
            const QList<TPrintGoods> order = ecc % 2 == 0 ? goods + goods : QList<TPrintGoods>{goods[1], goods[0]} + QList<TPrintGoods>{goods[1], goods[0]};
            for (const TPrintGoods& g : order) {
                SCOPED_TRACE(name.toStdString() + (gs1 ? " GS1 " : " ") + g.KODKRESKOWY.toStdString());
                const TZxingResult r = DecodeWithZxing(RenderLabel(m, g, 300));
                ASSERT_TRUE(r.Found);
                EXPECT_EQ(r.EcLevel, name);
                EXPECT_TRUE(r.Text.endsWith(*Gtin14(g.KODKRESKOWY, g.TYPKODU))) << r.Text.toStdString();
            }
        }
    }
}

// Goods without the code the template names leave the object blank; a
// symbol that the engine refuses, or whose module would be below 0.25 mm,
// prints its text instead, as the linear codes do.
TEST_F(MatrixLabelTest, BlankForGoodsWithoutTheCodeTextWhereNoSymbolFits) {
    enum TDrawn { Blank, Symbol, Text };
    const QString link = CompoCaption(ctMatrixCode);
    const struct {
        const char* What;
        TLayoutObject Object;
        const char* Code;
        quint8 Type;
        TDrawn Drawn;
        const char* Shown;  // the text printed, or what a reader gets
    } cases[] = {
        {"no code", CodeObject(msQR, false, link), "", bcCodeEAN13, Blank, ""},
        {"not a GTIN", CodeObject(msQR, false, link), "PL-1", bcCode128B, Blank, ""},
        {"wrong check digit", CodeObject(msDataMatrix, true, "{gtin}"), "5901234123458", bcCodeEAN13, Blank, ""},
        {"UPC-E", CodeObject(msQR, false, link), "04252614", bcCodeUPC_E0, Blank, ""},
        {"code of blanks", CodeObject(msQR, false, "https://sklep.example/{kod}"), "   ", bcCodeEAN13, Blank, ""},
        {"empty template, no GTIN", CodeObject(msQR, false, ""), "PL-1", bcCode128B, Blank, ""},
        {"empty template", CodeObject(msQR, false, ""), "5901234123457", bcCodeEAN13, Symbol,
         "https://id.gs1.org/01/05901234123457"},
        {"no code named", CodeObject(msQR, false, "https://sklep.example/p/{id}"), "", bcCodeEAN13, Symbol,
         "https://sklep.example/p/42"},
        {"too low for 0.25 mm", CodeObject(msQR, false, "{kod}", 1, 14, 29, 18), "5901234123457", bcCodeEAN13, Text,
         "5901234123457"},
        {"GS1 of a web address", CodeObject(msQR, true, "{kod}/{id}", 1, 4, 29, 19), "5901234123457", bcCodeEAN13, Text,
         "5901234123457/42"},
        {"barcode refused", TextObject(ctCode, kLeft, kTop, kRight, kBottom, taLeftJustify, 6), "PL-1", bcCodeGS1QR,
         Text, "PL-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const TPrintGoods goods = Goods("42", QStringLiteral("Chleb"), QStringLiteral("3,99"), QString::fromLatin1(c.Code), c.Type);
        const QImage label = Draw(c.Object, goods, 300);
        const QRect box = Dots(c.Object.Left.Value(), c.Object.Top.Value(), c.Object.Right.Value(), c.Object.Bottom.Value(), 300);
        const TZxingResult read = DecodeWithZxing(label);
        switch (c.Drawn) {
        case Blank:
            EXPECT_TRUE(InkBox(label, box).isEmpty());
            break;
        case Symbol:
            ASSERT_TRUE(read.Found);
            EXPECT_EQ(read.Text, QString::fromLatin1(c.Shown));
            break;
        case Text: {
            EXPECT_FALSE(read.Found);
            TLayoutObject plain = c.Object;
            plain.Type = ctUserLabel;
            plain.Text = QString::fromLatin1(c.Shown);
            EXPECT_EQ(label, Draw(plain, goods, 300));
            break;
        }
        }
    }
}

// The shipped layout with both codes: the EAN-13 for today's tills and the
// Digital Link QR for tomorrow's and for phones, both read from one label at
// the resolutions of label printers and of a page printer.
TEST_F(MatrixLabelTest, ShippedLayoutCarriesAnEan13AndAQr) {
    TPrintManager m;
    m.LayoutFileName = SourceDataDir() + QStringLiteral("/LABELS/30x20-qr.etk");
    m.LoadLayout();
    TPrintOptions options;
    m.SetOptions(options);
    const TPrintGoods goods = Goods("7", QString::fromUtf8("Masło ekstra 200 g"), QStringLiteral("7,49"),
                                    QStringLiteral("5901234123457"), bcCodeEAN13, QString::fromUtf8("37,45 zł/kg"));
    QList<QImage> labels;
    for (const int dpi : {203, 300, 600}) labels << RenderLabel(m, goods, dpi);
    const TDecodeResult r = DecodeWithZbar(labels);
    ASSERT_TRUE(r.Ran) << r.Error.toStdString();
    for (qsizetype i = 0; i < labels.size(); ++i) {
        QStringList read = r.Symbols[i];
        read.sort();
        EXPECT_EQ(read, QStringList({"EAN-13:5901234123457", "QR-Code:https://id.gs1.org/01/05901234123457"})) << i;
    }
}
