// One label drawn into a bitmap: background, frame, price in two sizes, name
// shrinking, barcodes (decoded with zbar) and pictures.
#include "barcodesymbol.h"
#include "pricefit.h"
#include "printtestutil.h"
#include "testsupport.h"
#include "units.h"
#include "zbar.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

constexpr int kDpi = 300;

int Px(int mm) { return MmToPixels(mm, 1, kDpi); }
// The pixel rectangle of an object from its millimetres.
QRect ObjectRect(int l, int t, int r, int b) { return QRect(QPoint(Px(l), Px(t)), QPoint(Px(r) - 1, Px(b) - 1)); }

class DrawLabelTest : public ::testing::Test {
protected:
    TempDataHome Home;
    QString File(const QString& name) const { return Home.root() + u'/' + name; }
    void Layout(TPrintManager& m, const std::vector<TLayoutObject>& objects, int w = 30, int h = 20) {
        LoadInto(m, File(QStringLiteral("l.etk")), w, h, objects);
    }
};

TEST_F(DrawLabelTest, WhiteBoxWithFrameOnItsOutermostPixels) {
    TPrintManager m;
    Layout(m, {});
    m.SetFrameColor(QColor(255, 0, 0));
    const QImage image = RenderLabel(m, Goods("1", "x"), kDpi, QPoint(50, 40), QSize(500, 400), QColor(128, 128, 128));
    const int w = Px(30), h = Px(20);
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255), grey = qRgb(128, 128, 128);
    for (int x = 50; x < 50 + w; ++x) {
        ASSERT_EQ(image.pixel(x, 40), red) << x;
        ASSERT_EQ(image.pixel(x, 40 + h - 1), red) << x;
        ASSERT_EQ(image.pixel(x, 41 + h - 1), grey) << x;
    }
    for (int y = 40; y < 40 + h; ++y) {
        ASSERT_EQ(image.pixel(50, y), red) << y;
        ASSERT_EQ(image.pixel(50 + w - 1, y), red) << y;
        ASSERT_EQ(image.pixel(49, y), grey) << y;
        ASSERT_EQ(image.pixel(50 + w, y), grey) << y;
    }
    EXPECT_EQ(image.pixel(51, 41), white);
    EXPECT_EQ(image.pixel(50 + w - 2, 40 + h - 2), white);
    EXPECT_EQ(image.pixel(0, 0), grey);
    // Black when not set.
    TPrintManager plain;
    Layout(plain, {});
    EXPECT_EQ(RenderLabel(plain, Goods("1", "x"), kDpi).pixel(0, 0), qRgb(0, 0, 0));
}

class PriceTest : public DrawLabelTest {
protected:
    QImage Price(const QString& price, quint8 alignment, bool smallGr, bool alwaysGr = true) {
        TPrintManager m;
        Layout(m, {TextObject(ctPrice, 1, 2, 29, 14, alignment, 28)});
        TPrintOptions o;
        o.SmallGr = smallGr;
        o.AlwaysGr = alwaysGr;
        o.FrameColor = Qt::white;
        m.SetOptions(o);
        return RenderLabel(m, Goods("1", "n", price), kDpi);
    }
    const QRect Box = ObjectRect(1, 2, 29, 14);
};

// The price's ink split into the large integer part and the small fraction:
// clusters of ink columns, the small ones being those clearly lower than the
// tallest.
struct PriceInk {
    QRect Whole, Fraction;
    int Parts = 0;
};
PriceInk SplitPrice(const QImage& image, const QRect& box) {
    PriceInk ink;
    const std::vector<QRect> parts = InkClusters(image, box, 3);
    ink.Parts = static_cast<int>(parts.size());
    int tallest = 0;
    for (const QRect& r : parts) tallest = std::max(tallest, r.height());
    for (const QRect& r : parts) (r.height() > tallest * 8 / 10 ? ink.Whole : ink.Fraction) |= r;
    return ink;
}

TEST_F(PriceTest, SmallFractionRightAlignedNoComma) {
    const QImage image = Price(QStringLiteral("12,5"), taRightJustify, true);
    const PriceInk ink = SplitPrice(image, Box);
    ASSERT_FALSE(ink.Whole.isEmpty());
    ASSERT_FALSE(ink.Fraction.isEmpty());
    // The small 50 sits against the right edge, at the top of the large 12,
    // which ends before it.
    EXPECT_GE(ink.Fraction.right(), Box.right() - 8);
    EXPECT_LT(ink.Fraction.height(), ink.Whole.height() * 3 / 4);
    EXPECT_GT(ink.Fraction.height(), ink.Whole.height() / 2);
    EXPECT_NEAR(ink.Fraction.top(), ink.Whole.top(), ink.Whole.height() / 8);
    EXPECT_LT(ink.Whole.right() + 10, ink.Fraction.left());
    // Two digits each side: 1, 2, 5, 0.
    EXPECT_EQ(ink.Parts, 4);
    // No comma: nothing below the baseline of the digits.
    EXPECT_TRUE(InkBox(image, QRect(Box.left(), ink.Whole.bottom() + 1, Box.width(), 60)).isEmpty());
    // Drawn in one size the comma does reach below it.
    const QImage normal = Price(QStringLiteral("12,5"), taRightJustify, false);
    const PriceInk one = SplitPrice(normal, Box);
    EXPECT_FALSE(InkBox(normal, QRect(Box.left(), one.Whole.bottom() + 1, Box.width(), 60)).isEmpty());
}

TEST_F(PriceTest, SmallFractionLeftAndCentred) {
    const PriceInk left = SplitPrice(Price(QStringLiteral("3.99"), taLeftJustify, true), Box);
    ASSERT_FALSE(left.Fraction.isEmpty());
    EXPECT_LE(left.Whole.left(), Box.left() + 15);
    EXPECT_LT(left.Whole.right(), left.Fraction.left());
    EXPECT_NEAR(left.Fraction.top(), left.Whole.top(), left.Whole.height() / 8);
    EXPECT_LT(left.Fraction.right(), Box.left() + Box.width() * 2 / 3);

    const PriceInk centred = SplitPrice(Price(QStringLiteral("3.99"), taCenter, true), Box);
    ASSERT_FALSE(centred.Fraction.isEmpty());
    EXPECT_NEAR((centred.Whole.left() + centred.Fraction.right()) / 2, Box.center().x(), 12);
    EXPECT_LT(centred.Whole.right(), centred.Fraction.left());
    EXPECT_NEAR(centred.Fraction.top(), centred.Whole.top(), centred.Whole.height() / 8);
}

TEST_F(PriceTest, ThirdDecimalNotDrawnAndNoSeparatorIsOneSize) {
    for (quint8 a : {taLeftJustify, taRightJustify, taCenter})
        EXPECT_EQ(Price(QStringLiteral("12,505"), a, true), Price(QStringLiteral("12,50"), a, true)) << int(a);
    // Without AlwaysGr a whole price has no fraction to make small.
    EXPECT_EQ(Price(QStringLiteral("12"), taCenter, true, false), Price(QStringLiteral("12"), taCenter, false, false));
    EXPECT_NE(Price(QStringLiteral("12"), taCenter, true, true), Price(QStringLiteral("12"), taCenter, false, true));
}

TEST_F(DrawLabelTest, LongNameShrinksOtherFieldsDoNot) {
    const QString name = QStringLiteral("Bardzo długa nazwa towaru spożywczego 1 kg");
    const QRect box = ObjectRect(2, 1, 28, 8);
    auto draw = [&](quint8 type, const QString& text) {
        TPrintManager m;
        Layout(m, {TextObject(type, 2, 1, 28, 8, taCenter, 20, text)});
        m.SetFrameColor(Qt::white);
        return RenderLabel(m, Goods("1", text), kDpi);
    };
    const QImage shrunk = draw(ctName, name);
    const QRect ink = InkBox(shrunk, box);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.left(), box.left());
    EXPECT_LT(ink.right(), box.right());
    EXPECT_GT(ink.width(), box.width() * 8 / 10);
    // The same text as a fixed text keeps its size and is cut at both edges.
    const QRect cut = InkBox(draw(ctUserLabel, name), box);
    EXPECT_LE(cut.left(), box.left() + 1);
    EXPECT_GE(cut.right(), box.right() - 1);
    EXPECT_GT(cut.height(), ink.height());
    // A name that fits is drawn like any text.
    EXPECT_EQ(draw(ctName, QStringLiteral("Mleko")), draw(ctUserLabel, QStringLiteral("Mleko")));
}

TEST_F(DrawLabelTest, FitNameToWidthStepsByPointNeverBelowOne) {
    TPrintManager m;
    Layout(m, {TextObject(ctName, 0, 0, 30, 20, taLeftJustify, 20)});
    QImage image(10, 10, QImage::Format_RGB32);
    const int dpm = static_cast<int>(std::lround(kDpi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    QPainter p(&image);
    const QString text = QStringLiteral("Ser żółty gouda plastry");
    auto pixelsFor = [](int points) { return (points * kDpi + 36) / 72; };
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelsFor(20));
    p.setFont(f);
    // The field's font size is what the label drawing set last.
    m.DrawLabel(Goods("1", QStringLiteral("x")), p);
    const QRect rect(0, 0, 300, 50);
    m.Renderer().FitNameToWidth(rect, text, p);
    const int size = p.font().pixelSize();
    EXPECT_LT(size, pixelsFor(20));
    EXPECT_LE(p.fontMetrics().horizontalAdvance(text), rect.width());
    int points = 20;
    while (pixelsFor(points) != size && points > 1) --points;
    QFont larger = p.font();
    larger.setPixelSize(pixelsFor(points + 1));
    EXPECT_GT(QFontMetrics(larger, &image).horizontalAdvance(text), rect.width());
    m.Renderer().FitNameToWidth(QRect(0, 0, 1, 1), text, p);
    EXPECT_EQ(p.font().pixelSize(), pixelsFor(1));
}

// The label placed on a larger white sheet, so the scanner sees a quiet zone
// and no frame right next to the bars.
QImage OnSheet(const QImage& label) {
    QImage sheet(label.width() + 200, label.height() + 200, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.drawImage(100, 100, label.copy(label.rect().adjusted(1, 1, -1, -1)));
    return sheet;
}

class BarcodeFieldTest : public DrawLabelTest {
protected:
    QImage Draw(quint8 fieldType, const QString& code, quint8 typ, int dpi = kDpi, quint8 alignment = taCenter,
                const QString& text = QString()) {
        TPrintManager m;
        Layout(m, {TextObject(ctName, 1, 0, 29, 5, taCenter, 8), TextObject(fieldType, 2, 7, 28, 20, alignment, 7, text)});
        TPrintOptions o;
        m.SetOptions(o);
        return RenderLabel(m, Goods("1", QStringLiteral("Chleb"), QString(), code, typ), dpi);
    }
};

TEST_F(BarcodeFieldTest, BarcodesInLabelsDecode) {
    struct Case {
        QString code;
        quint8 typ;
        int dpi;
        quint8 alignment;
        QString expected;
    };
    const Case cases[] = {
        {"5901234123457", bcCodeEAN13, 300, taCenter, "EAN-13:5901234123457"},
        {"5901234123457", bcCodeEAN13, 600, taLeftJustify, "EAN-13:5901234123457"},
        {"96385074", bcCodeEAN8, 300, taRightJustify, "EAN-8:96385074"},
        {"PL-1", bcCode128B, 300, taCenter, "CODE-128:PL-1"},
        {"AB1", bcCode39, 300, taLeftJustify, "CODE-39:AB1"},
        // 0.25 mm modules would run past the label's edge: the module narrows
        // to 5 dots (0.21 mm), whole and still readable.
        {"PL-1234", bcCode128B, 600, taCenter, "CODE-128:PL-1234"},
        // Ten characters of Code 128 on a 30 mm label: 145 modules fit the
        // 26 mm box at 2 dots (300 dpi) and 4 dots (600 dpi), 0.169 mm, the
        // 0.17 mm module of those printers; not printed as text.
        {"PL-1234567", bcCode128B, 300, taCenter, "CODE-128:PL-1234567"},
        {"PL-1234567", bcCode128B, 600, taLeftJustify, "CODE-128:PL-1234567"},
    };
    QList<QImage> images;
    for (const Case& c : cases) {
        const QImage label = Draw(ctCode, c.code, c.typ, c.dpi, c.alignment);
        // Whole within its box: nothing between the box and the frame.
        const auto px = [&](int mm) { return MmToPixels(mm, 1, c.dpi); };
        const QRect right(px(28), px(7), label.width() - 1 - px(28), px(20) - px(7) - 1);
        EXPECT_TRUE(InkBox(label, right).isEmpty()) << c.code.toStdString() << " " << c.dpi;
        images << OnSheet(label);
    }
    const TDecodeResult r = DecodeWithZbar(images);
    ASSERT_TRUE(r.Ran) << r.Error.toStdString();
    for (int i = 0; i < images.size(); ++i)
        EXPECT_EQ(r.Symbols[i], QStringList{cases[i].expected}) << i;
}

TEST_F(BarcodeFieldTest, LegendFollowsAlignment) {
    // The digits are written on white over the top of the bars: in the first
    // row the bars show only where the text is not.
    const QRect box = ObjectRect(2, 7, 28, 20);
    const int symbolWidth = 95 * 3;  // EAN-13 at a module of 0.25 mm
    const auto firstRow = [&](quint8 alignment) {
        return InkBox(Draw(ctCode, QStringLiteral("5901234123457"), bcCodeEAN13, kDpi, alignment),
                      QRect(box.left(), box.top(), box.width(), 1));
    };
    const QRect left = firstRow(taLeftJustify), right = firstRow(taRightJustify), centre = firstRow(taCenter);
    ASSERT_FALSE(left.isEmpty());
    ASSERT_FALSE(right.isEmpty());
    ASSERT_FALSE(centre.isEmpty());
    EXPECT_GT(left.left(), box.left() + 100);
    EXPECT_EQ(left.right(), box.left() + symbolWidth - 1);
    EXPECT_EQ(right.left(), box.left());
    EXPECT_LT(right.right(), box.left() + symbolWidth - 100);
    EXPECT_EQ(centre.left(), box.left());
    EXPECT_EQ(centre.right(), box.left() + symbolWidth - 1);
    // Without the digits the whole first row is bars.
    TPrintManager m;
    Layout(m, {TextObject(ctCode, 2, 7, 28, 20, taLeftJustify, 7)});
    m.SetBarcodeShowText(false);
    const QImage bare = RenderLabel(m, Goods("1", "n", QString(), QStringLiteral("5901234123457"), bcCodeEAN13), kDpi);
    EXPECT_EQ(InkBox(bare, QRect(box.left(), box.top(), box.width(), 1)).left(), box.left());
}

TEST_F(BarcodeFieldTest, RejectedDataIsPrintedAsText) {
    // Letters for EAN-13, a type code beyond the last symbology, a wrong
    // length, a symbol wider than its box even with the narrowest module a
    // scanner reads (2 dots at 300 dpi: 156 modules of Code 128 are 312
    // dots, the box 307): each comes out as the plain text of a fixed-text
    // field, never as a cut symbol.
    const struct {
        QString code;
        quint8 typ;
    } cases[] = {{"ABCDEF", bcCodeEAN13}, {"5901234123457", 200}, {"12A", bcCodeEAN8}, {"PL-12345678", bcCode128B}};
    for (const auto& c : cases) {
        const QImage asCode = Draw(ctCode, c.code, c.typ);
        EXPECT_EQ(asCode, Draw(ctUserLabel, QString(), 14, kDpi, taCenter, c.code)) << c.code.toStdString();
        const TDecodeResult r = DecodeWithZbar({OnSheet(asCode)});
        ASSERT_TRUE(r.Ran);
        EXPECT_TRUE(r.Symbols[0].isEmpty());
    }
}

TEST_F(BarcodeFieldTest, EmptyCodeLeavesTheBoxBlank) {
    const QImage image = Draw(ctCode, QString(), bcCodeEAN13);
    EXPECT_TRUE(InkBox(image, ObjectRect(2, 7, 28, 20).adjusted(0, 0, 0, -2)).isEmpty());
    EXPECT_FALSE(InkBox(image, ObjectRect(1, 0, 29, 5)).isEmpty());
}

class PictureTest : public DrawLabelTest {
protected:
    QString RedPicture(int w, int h, int dpi = 96) {
        QImage p(w, h, QImage::Format_RGB32);
        p.fill(QColor(255, 0, 0));
        const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
        p.setDotsPerMeterX(dpm);
        p.setDotsPerMeterY(dpm);
        const QString path = File(QStringLiteral("red%1x%2.bmp").arg(w).arg(h));
        EXPECT_TRUE(p.save(path, "BMP"));
        return path;
    }
    static bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
};

TEST_F(PictureTest, PicturesLieUnderTextWhateverTheOrder) {
    TPrintManager m;
    Layout(m, {TextObject(ctUserLabel, 1, 1, 29, 19, taLeftJustify, 30, QStringLiteral("XX")),
               PictureObject(RedPicture(20, 20), 1, 1, 29, 19, false)});
    const QImage image = RenderLabel(m, Goods("1", "n"), kDpi);
    const QRect box = ObjectRect(1, 1, 29, 19);
    // Stretched over the whole box, and the text still shows on it.
    EXPECT_EQ(InkBox(image, box, IsRed), box);
    const QRect text = InkBox(image, box, [](QRgb c) { return qGray(c) < 40; });
    EXPECT_FALSE(text.isEmpty());
}

TEST_F(PictureTest, RealSizeScalesByResolutionAndIsCut) {
    TPrintManager m;
    const QString picture = RedPicture(100, 50, 96);
    Layout(m, {PictureObject(picture, 1, 1, 29, 19, true), PictureObject(picture, 1, 1, 6, 4, true)}, 30, 20);
    const QImage image = RenderLabel(m, Goods("1", "n"), kDpi);
    const QRect red = InkBox(image, image.rect(), IsRed);
    // 100 × 50 pixels at 96 dpi are 312.5 × 156.25 pixels at 300 dpi.
    EXPECT_EQ(red, QRect(Px(1), Px(1), 312, 156));

    TPrintManager small;
    Layout(small, {PictureObject(picture, 2, 2, 7, 5, true)}, 30, 20);
    EXPECT_EQ(InkBox(RenderLabel(small, Goods("1", "n"), kDpi), QRect(0, 0, Px(30), Px(20)), IsRed),
              ObjectRect(2, 2, 7, 5));
}

TEST_F(PictureTest, MissingOrBrokenPictureLeavesItsBoxBlank) {
    const QString broken = File(QStringLiteral("broken.bmp"));
    WriteAll(broken, "BM this is not a bitmap");
    TPrintManager m;
    Layout(m, {PictureObject(File(QStringLiteral("none.bmp")), 1, 1, 15, 10, false),
               PictureObject(broken, 15, 1, 29, 10, false), PictureObject(QString(), 1, 1, 29, 10, true),
               TextObject(ctPrice, 1, 11, 29, 19, taLeftJustify, 12)});
    m.SetAlwaysGr(true);
    const QImage image = RenderLabel(m, Goods("1", "n", QStringLiteral("9,99")), kDpi);
    EXPECT_TRUE(InkBox(image, ObjectRect(1, 1, 29, 10)).isEmpty());
    EXPECT_FALSE(InkBox(image, ObjectRect(1, 11, 29, 19)).isEmpty());
}

TEST_F(DrawLabelTest, UnknownKindsAndAlignmentsDrawSafely) {
    TPrintManager m;
    // Kinds beyond the last (the reduction, 8) print nothing, whatever their text.
    Layout(m, {TextObject(9, 1, 1, 29, 9, taLeftJustify, 12, QStringLiteral("nic")),
               TextObject(10, 1, 1, 29, 9, taLeftJustify, 12, QStringLiteral("https://id.gs1.org/01/{gtin}")),
               TextObject(255, 1, 1, 29, 9, taLeftJustify, 12, QStringLiteral("nic")),
               TextObject(ctUserLabel, 1, 10, 29, 19, 7, 12, QStringLiteral("Tekst")),
               TextObject(ctUserLabel, 20, 10, 10, 5, taLeftJustify, 0, QStringLiteral("odwrócony"))});
    m.SetFrameColor(Qt::white);
    const QImage image = RenderLabel(m, Goods("1", "n"), kDpi);
    EXPECT_TRUE(InkBox(image, ObjectRect(1, 1, 29, 9)).isEmpty());
    const QRect text = InkBox(image, ObjectRect(1, 10, 29, 19));
    ASSERT_FALSE(text.isEmpty());
    EXPECT_LT(text.left(), Px(1) + 10);  // an unknown alignment is left
}

// The lowest price field draws exactly as a fixed text holding its template
// filled with the price, formatted as the price field formats it, where that
// fits its box on one line; goods without a reduction leave its box blank.
// So does the reduction field, with the percent, the difference and the
// reference price, against the price 3,99.
TEST_F(DrawLabelTest, LowestPriceFieldFillsItsTemplateOrStaysBlank) {
    struct Case {
        const char* Lowest;    // TPrintGoods::NAJNIZSZA
        const char* Template;  // the object's text
        bool AlwaysGr, DotSeparator;
        const char* Drawn;  // as a fixed text; empty for a blank box
        quint8 Type = ctLowestPrice;
    };
    const Case cases[] = {
        // The default template as a layout file holds it: the en dash for the minus sign.
        {"4,99", "–{procent}%", false, false, "–20%", ctReduction},
        {"4,99", "taniej o {kwota} zł", false, false, "taniej o 1,00 zł", ctReduction},
        {"12", "Było {cena} zł, –{procent} %, {kwota} mniej", true, true, "Było 12.00 zł, –66 %, 8.01 mniej", ctReduction},
        {"", "", false, false, "", ctReduction},
        {"3,99", "", false, false, "", ctReduction},  // no reduction against the lowest price
        {"3,50", "taniej o {kwota} zł", false, false, "", ctReduction},
        {"", "", false, false, ""},
        {"", "Było {cena} zł", true, false, ""},
        {"4,60", "", false, false, "Najniższa cena z 30 dni przed obniżką: 4,60 zł"},
        {"12", "Było {cena} zł", true, false, "Było 12,00 zł"},
        {"12", "Było {cena} zł", false, false, "Było 12 zł"},
        {"4,60", "{CENA} / {cena}", false, true, "4.60 / 4.60"},
        {"4,60", "Promocja", false, false, "Promocja"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Lowest) + " " + c.Template);
        TPrintGoods goods = Goods("1", "n", QStringLiteral("3,99"));
        goods.NAJNIZSZA = QString::fromUtf8(c.Lowest);
        auto draw = [&](quint8 type, const QString& text) {
            TPrintManager m;
            Layout(m, {TextObject(type, 1, 1, 59, 19, taLeftJustify, 5, text)}, 60);
            m.SetAlwaysGr(c.AlwaysGr);
            m.SetDotSeparator(c.DotSeparator);
            return RenderLabel(m, goods, kDpi);
        };
        const QImage field = draw(c.Type, QString::fromUtf8(c.Template));
        if (*c.Drawn) {
            EXPECT_FALSE(InkBox(field, ObjectRect(1, 1, 59, 19)).isEmpty());
            EXPECT_EQ(field, draw(ctUserLabel, QString::fromUtf8(c.Drawn)));
        } else {
            EXPECT_TRUE(InkBox(field, ObjectRect(1, 1, 59, 19)).isEmpty());
        }
    }
}

// A template that does not fit its box wraps between words; when that is not
// enough its font shrinks, down to the smallest size, and then the words
// before the price go, never the price. The designer's new lowest price
// object prints its default template whole at its own font.
TEST_F(DrawLabelTest, LowestPriceShrinksThenLosesWordsButNeverThePrice) {
    struct Case {
        const char* What;
        int Width, Height;  // of the box, in millimetres
        quint8 Alignment;
        const char* Template;
        const char* Lowest;
        const char* Drawn;
        int Points;  // of what is drawn
    };
    const int w = kLowestPriceWidthMm, h = kLowestPriceHeightMm, big = kLowestPricePoints, small = kLowestPriceMinPoints;
    const Case cases[] = {
        {"the designer's box: two lines", w, h, taLeftJustify, "", "4,60", "Najniższa cena z 30 dni przed obniżką: 4,60 zł", big},
        {"a long price", w, h, taRightJustify, "", "1234,56", "Najniższa cena z 30 dni przed obniżką: 1234,56 zł", big},
        {"a narrower box: one size smaller", 20, 8, taCenter, "", "12", "Najniższa cena z 30 dni przed obniżką: 12,00 zł", 6},
        {"narrower and lower: the smallest size", 20, 6, taCenter, "", "12", "Najniższa cena z 30 dni przed obniżką: 12,00 zł", small},
        {"one line: words go", w, 3, taLeftJustify, "", "4,60", "Najniższa cena z 30 dni… 4,60 zł", small},
        {"room for the price only", 8, 3, taLeftJustify, "", "4,60", "4,60 zł", small},
        {"no room at all: the price stays whole", 3, 3, taLeftJustify, "", "4,60", "4,60 zł", small},
        {"what follows the price stays", 16, 3, taLeftJustify, "Było {cena} zł, teraz mniej", "9,99", "9,99 zł, teraz mniej", small},
        {"a template without a price", 12, 3, taLeftJustify, "Promocja tygodnia w sklepie", "9,99", "Promocja…", small},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TLayoutObject o = TextObject(ctLowestPrice, 1, 1, 1 + c.Width, 1 + c.Height, c.Alignment, big, QString::fromUtf8(c.Template));
        o.FontName = QStringLiteral("Arial");  // the designer's font
        TPrintManager m;
        Layout(m, {o}, 40);
        m.SetAlwaysGr(true);
        m.SetFrameColor(Qt::white);
        TPrintGoods goods = Goods("1", "n", QStringLiteral("3,99"));
        goods.NAJNIZSZA = QString::fromUtf8(c.Lowest);
        const QImage field = RenderLabel(m, goods, kDpi);
        // The same text drawn by hand, wrapped at the size.
        const QString drawn = QString::fromUtf8(c.Drawn);
        TPrintManager empty;
        Layout(empty, {}, 40);
        empty.SetFrameColor(Qt::white);
        QImage want = RenderLabel(empty, goods, kDpi);
        {
            QPainter p(&want);
            QFont f(o.FontName);
            f.setPixelSize(qRound(c.Points * kDpi / 72.0));
            p.setFont(f);
            p.drawText(ObjectRect(1, 1, 1 + c.Width, 1 + c.Height), int(AlignmentFlags(c.Alignment)) | Qt::TextWordWrap, drawn);
        }
        EXPECT_EQ(field, want) << drawn.toStdString();
        // Within its box, unless even the price alone is wider.
        const QRect ink = InkBox(field, field.rect());
        if (c.Width > 3) EXPECT_TRUE(ObjectRect(1, 1, 1 + c.Width, 1 + c.Height).contains(ink));
    }
}

TEST_F(DrawLabelTest, HugeFontSizesPrintAtTheLargestPrintSize) {
    // A mistyped FONTSIZE of 15000 or 20000 points took seconds a label or
    // drew empty boxes; it prints as the largest size the designer shows.
    const auto draw = [&](quint8 type, int points) {
        TPrintManager m;
        Layout(m, {TextObject(type, 1, 1, 29, 19, taLeftJustify, points, QStringLiteral("Ser żółty"))});
        m.SetFrameColor(Qt::white);
        m.SetBarcodeShowText(true);
        return RenderLabel(m, Goods("1", QStringLiteral("Ser żółty"), QString(), QStringLiteral("96385074"), bcCodeEAN8),
                           kDpi);
    };
    for (quint8 type : {ctName, ctUserLabel, ctCode}) {
        const QImage largest = draw(type, kMaxPrintFontPoints);
        for (int points : {15000, 20000}) EXPECT_EQ(draw(type, points), largest) << int(type) << " " << points;
    }
    // A name still shrinks until it fits, from the largest size.
    const QRect name = InkBox(draw(ctName, 20000), ObjectRect(1, 1, 29, 19));
    ASSERT_FALSE(name.isEmpty());
    EXPECT_GT(name.width(), ObjectRect(1, 1, 29, 19).width() * 8 / 10);
}

TEST_F(DrawLabelTest, FontThatIsNotInstalledIsSubstituted) {
    TLayoutObject o = TextObject(ctUserLabel, 1, 1, 29, 19, taLeftJustify, 12, QStringLiteral("Cena promocyjna"));
    o.FontName = QStringLiteral("Czcionka, której nie ma");
    TPrintManager m;
    Layout(m, {o});
    m.SetFrameColor(Qt::white);
    const QRect ink = InkBox(RenderLabel(m, Goods("1", "n"), kDpi), ObjectRect(1, 1, 29, 19));
    // Text, not empty boxes: a line about as high as 12 points at 300 dpi.
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 25);
    EXPECT_LT(ink.height(), 60);
    EXPECT_GT(ink.width(), 150);
}

}  // namespace
