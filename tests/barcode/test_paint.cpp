// Painting: geometry at every quarter turn by pixel inspection, short bars,
// colours, the painter's state, and the legend.
#include "barcodesymbol.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <gtest/gtest.h>

namespace {

const QRgb Background = qRgb(255, 0, 0);
const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);

QImage Canvas(int w = 200, int h = 200) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Background);
    return image;
}

void Paint(TBarcodeSymbol& s, QImage& image) {
    QPainter p(&image);
    s.PaintTo(p);
}

// The rectangle of all painted pixels.
QRect Painted(const QImage& image) {
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != Background) r = r.united(QRect(x, y, 1, 1));
    return r;
}

// EAN-13 with one-pixel modules starts and ends with bar, space, bar.
struct Ean : TBarcodeSymbol {
    Ean(double angle, int left = 0, int top = 0) {
        SetText("5901234123457");
        SetHeight(20);
        SetAngle(angle);
        SetLeft(left);
        SetTop(top);
    }
};

TEST(Paint, UprightCoversWidthByHeight) {
    Ean s(0);
    QImage image = Canvas();
    Paint(s, image);
    EXPECT_EQ(Painted(image), QRect(QPoint(0, 0), QPoint(94, 20)));
    EXPECT_EQ(image.pixel(0, 10), Black);
    EXPECT_EQ(image.pixel(1, 10), White);
    EXPECT_EQ(image.pixel(2, 10), Black);
    EXPECT_EQ(image.pixel(94, 20), Black);
}

TEST(Paint, QuarterTurnReadsBottomToTop) {
    Ean s(90);
    QImage image = Canvas();
    Paint(s, image);
    const QRect r = Painted(image);
    // Within x 0..H and y 0..W, the first element at the bottom.
    EXPECT_EQ(r.left(), 0);
    EXPECT_EQ(r.right(), 20);
    EXPECT_GE(r.top(), 0);
    EXPECT_EQ(r.bottom(), 95);
    EXPECT_EQ(r.height(), 95);
    EXPECT_EQ(image.pixel(10, 95), Black);
    EXPECT_EQ(image.pixel(10, 94), White);
    EXPECT_EQ(image.pixel(10, 93), Black);
}

TEST(Paint, HalfTurnIsUpsideDown) {
    Ean s(180);
    QImage image = Canvas();
    Paint(s, image);
    const QRect r = Painted(image);
    EXPECT_GE(r.left(), 0);
    EXPECT_EQ(r.right(), 95);
    EXPECT_EQ(r.width(), 95);
    EXPECT_EQ(r.top(), 0);
    EXPECT_EQ(r.bottom(), 20);
    EXPECT_EQ(image.pixel(95, 10), Black);
    EXPECT_EQ(image.pixel(94, 10), White);
}

TEST(Paint, ThreeQuarterTurnReadsTopToBottom) {
    Ean s(270);
    QImage image = Canvas();
    Paint(s, image);
    const QRect r = Painted(image);
    EXPECT_EQ(r.left(), 0);
    EXPECT_EQ(r.right(), 20);
    EXPECT_EQ(r.top(), 0);
    EXPECT_LE(r.bottom(), 95);
    EXPECT_EQ(r.height(), 95);
    EXPECT_EQ(image.pixel(10, 0), Black);
    EXPECT_EQ(image.pixel(10, 1), White);
    EXPECT_EQ(image.pixel(10, 2), Black);
}

TEST(Paint, AnyAngleKeepsTheBoundingBoxAtLeftTop) {
    for (const double angle : {30.0, 135.0, 225.0, 315.0, -45.0, 450.0}) {
        Ean s(angle, 60, 70);
        QImage image = Canvas(300, 300);
        Paint(s, image);
        const QRect r = Painted(image);
        EXPECT_NEAR(r.left(), 60, 1) << angle;
        EXPECT_NEAR(r.top(), 70, 1) << angle;
    }
}

TEST(Paint, BitmapsAndOtherDevicesGetTheSamePixels) {
    // Bitmaps take a faster road for upright symbols; a recorded picture
    // (like a printer) takes the element-by-element one.
    for (const double angle : {0.0, 90.0, 180.0, 270.0}) {
        Ean s(angle, 7, 9);
        s.SetModul(2);
        QImage direct = Canvas(250, 250);
        Paint(s, direct);
        QPicture picture;
        {
            QPainter p(&picture);
            s.PaintTo(p);
        }
        QImage replayed = Canvas(250, 250);
        {
            QPainter p(&replayed);
            p.drawPicture(0, 0, picture);
        }
        EXPECT_EQ(direct, replayed) << angle;
    }
}

TEST(Paint, ShortBarsStandOnTheBaseline) {
    // PostNet 0: "51" "5151A1A1A1" ... "5" with bars 1 and spaces 2 pixels
    // wide: full bars at x 0, 3 and 6, the first short bar at x 9. Postal
    // scanners read short bars that stand on the baseline with the full ones.
    TBarcodeSymbol s;
    s.SetTyp(bcCodePostNet);
    s.SetText("0");
    s.SetHeight(20);
    QImage image = Canvas();
    Paint(s, image);
    EXPECT_EQ(image.pixel(9, 20), Black);
    EXPECT_EQ(image.pixel(9, 12), Black);  // 20 * 2 div 5 = 8 rows above the bottom row
    EXPECT_EQ(image.pixel(9, 11), Background);
    EXPECT_EQ(image.pixel(9, 0), Background);
    EXPECT_EQ(image.pixel(6, 0), Black);    // the full bar before it
    EXPECT_EQ(image.pixel(6, 20), Black);
    EXPECT_EQ(image.pixel(10, 0), White);   // spaces are full height
    // A quarter turn counter-clockwise puts the baseline on the right.
    s.SetAngle(90);
    QImage turned = Canvas();
    Paint(s, turned);
    const int y = Painted(turned).bottom() - 9;
    EXPECT_EQ(turned.pixel(20, y), Black);
    EXPECT_EQ(turned.pixel(12, y), Black);
    EXPECT_EQ(turned.pixel(11, y), Background);
    EXPECT_EQ(turned.pixel(0, y), Background);
}

TEST(Paint, ColoursAndPainterStateAreKept) {
    Ean s(0);
    s.SetColor(Qt::yellow);
    s.SetColorBar(Qt::blue);
    s.SetShowText(bcoBoth);
    QImage image = Canvas();
    QPainter p(&image);
    const QFont font("DejaVu Serif", 17);
    p.setFont(font);
    p.setPen(QPen(Qt::green, 3));
    p.setBrush(Qt::cyan);
    s.PaintTo(p);
    EXPECT_EQ(p.font(), font);
    EXPECT_EQ(p.pen(), QPen(Qt::green, 3));
    EXPECT_EQ(p.brush(), QBrush(Qt::cyan));
    p.end();
    EXPECT_EQ(image.pixel(0, 15), QColor(Qt::blue).rgb());
    EXPECT_EQ(image.pixel(1, 15), QColor(Qt::yellow).rgb());
}

TEST(Paint, ErrorsPaintNothing) {
    QImage image = Canvas();
    const QImage before = image;
    TBarcodeSymbol s;
    s.SetHeight(20);
    s.SetTyp(TBarcodeType(23));
    EXPECT_THROW(Paint(s, image), TBarcodeError);
    s.SetTyp(bcCode93);
    s.SetText("lower");
    EXPECT_THROW(Paint(s, image), TBarcodeError);
    s.SetTyp(bcCodeEAN13);
    s.SetText("12x");
    EXPECT_THROW(Paint(s, image), TBarcodeError);
    EXPECT_EQ(image, before);
}

// Where painting with a legend differs from painting without it.
QRect LegendArea(TBarcodeSymbol& s, QImage* withLegend = nullptr) {
    QImage plain = Canvas(300, 200);
    const TBarcodeOption option = s.ShowText();
    s.SetShowText(bcoNone);
    Paint(s, plain);
    QImage text = Canvas(300, 200);
    s.SetShowText(option);
    Paint(s, text);
    QRect r;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (plain.pixel(x, y) != text.pixel(x, y)) r = r.united(QRect(x, y, 1, 1));
    if (withLegend) *withLegend = text;
    return r;
}

TEST(Paint, LegendPositions) {
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    const QImage device = Canvas(1, 1);
    const QFontMetrics fm(font, &device);
    const QString text = "5901234123457";
    const int tw = fm.horizontalAdvance(text);
    struct Case {
        TShowTextPosition pos;
        int x, y;
    };
    const int left = 40, top = 50, W = 190, H = 80;
    const Case cases[] = {
        {stpTopLeft, left, top},
        {stpTopRight, left + W - tw, top},
        {stpTopCenter, left + (W - tw) / 2, top},
        {stpBottomLeft, left, top + H - fm.height()},
        {stpBottomRight, left + W - tw, top + H - fm.height()},
        {stpBottomCenter, left + (W - tw) / 2, top + H - fm.height()},
    };
    for (const Case& c : cases) {
        TBarcodeSymbol s;
        s.SetText(text);
        s.SetModul(2);
        s.SetHeight(H);
        s.SetLeft(left);
        s.SetTop(top);
        s.SetShowTextFont(font);
        s.SetShowTextFontColor(Qt::blue);
        s.SetShowText(bcoCode);
        s.SetShowTextPosition(c.pos);
        QImage image;
        const QRect changed = LegendArea(s, &image);
        const QRect box(c.x, c.y, tw, fm.height());
        ASSERT_FALSE(changed.isEmpty()) << c.pos;
        EXPECT_TRUE(box.contains(changed)) << c.pos;
        // The text is written in the font colour, on white.
        bool blue = false, white = false;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor px = image.pixelColor(x, y);
                blue |= px.red() < 80 && px.blue() > 200;
                white |= px.rgb() == White;
            }
        EXPECT_TRUE(blue) << c.pos;
        EXPECT_TRUE(white) << c.pos;
    }
}

TEST(Paint, TypeNameGoesAboveBySignedFontHeight) {
    // A character height of 10 pixels is the signed height -10: the name is
    // written at Top + R(-10 * 2.5) = Top - 25.
    QFont font("DejaVu Sans");
    font.setPixelSize(10);
    TBarcodeSymbol s;
    s.SetText("5901234123457");
    s.SetHeight(40);
    s.SetLeft(20);
    s.SetTop(100);
    s.SetShowTextFont(font);
    s.SetShowText(bcoTyp);
    const QFontMetrics fm(font);
    const QRect changed = LegendArea(s);
    EXPECT_TRUE(QRect(20, 75, fm.horizontalAdvance("EAN13"), fm.height()).contains(changed)) << changed.x() << ","
                                                                                         << changed.y();
    EXPECT_FALSE(changed.isEmpty());
}

// What the print side asks before it draws: the painted width for a module,
// for every symbology, angle and legend, against the pixels painted.
TEST(Paint, PaintedWidthIsTheWidthOfThePaintedPixels) {
    const QList<QPair<TBarcodeType, QString>> symbols{
        {bcCode_2_5_interleaved, "123"}, {bcCode_2_5_industrial, "12"}, {bcCode_2_5_matrix, "12"},
        {bcCode39, "A1"}, {bcCode39Extended, "a"}, {bcCode128A, "AB"}, {bcCode128B, "ab"}, {bcCode128C, "123"},
        {bcCode93, "AB"}, {bcCode93Extended, "ab"}, {bcCodeMSI, "12"}, {bcCodePostNet, "12345"},
        {bcCodeCodabar, "12"}, {bcCodeEAN8, "96385074"}, {bcCodeEAN13, "5901234123457"},
        {bcCodeUPC_A, "36000291452"}, {bcCodeUPC_E0, "1234565"}, {bcCodeUPC_E1, "1234562"},
        {bcCodeUPC_Supp2, "34"}, {bcCodeUPC_Supp5, "52495"}, {bcCodeEAN128A, "AB"}, {bcCodeEAN128B, "ab"},
        {bcCodeEAN128C, "12"}};
    ASSERT_EQ(symbols.size(), LinearBarcodeTypeCount);
    QFont font("DejaVu Sans");
    font.setPixelSize(14);
    struct Legend {
        TBarcodeOption option;
        TShowTextPosition position;
    };
    // A long legend sticks out of a narrow symbol on one side or both.
    const Legend legends[] = {{bcoNone, stpTopLeft},      {bcoCode, stpTopLeft},      {bcoCode, stpBottomRight},
                              {bcoCode, stpBottomCenter}, {bcoTyp, stpTopLeft},       {bcoBoth, stpTopRight}};
    for (const auto& [typ, text] : symbols) {
        for (const double angle : {0.0, 90.0, 180.0, 270.0}) {
            for (const Legend& legend : legends) {
                for (const int modul : {1, 3}) {
                    TBarcodeSymbol s;
                    s.SetTyp(typ);
                    s.SetText(text);
                    s.SetHeight(40);
                    s.SetLeft(150);
                    s.SetTop(150);
                    s.SetAngle(angle);
                    s.SetShowTextFont(font);
                    s.SetShowText(legend.option);
                    s.SetShowTextPosition(legend.position);
                    QImage image = Canvas(700, 500);
                    int notified = 0;
                    s.OnChange = [&](QObject*) { ++notified; };
                    const QString before = s.Text();
                    const int asked = s.PaintedWidth(modul, &image);
                    // Nothing changes and nothing is drawn by asking.
                    EXPECT_EQ(notified, 0);
                    EXPECT_EQ(s.Modul(), 1);
                    EXPECT_EQ(s.Text(), before);
                    EXPECT_EQ(image, Canvas(700, 500));
                    s.SetModul(modul);
                    Paint(s, image);
                    EXPECT_EQ(asked, Painted(image).width())
                        << "type " << typ << " angle " << angle << " option " << legend.option << " position "
                        << legend.position << " modul " << modul;
                }
            }
        }
    }
    // Errors come as they would from painting.
    TBarcodeSymbol s;
    s.SetText("5901234123458");
    EXPECT_THROW(s.PaintedWidth(2), TBarcodeError);
    s.SetTyp(TBarcodeType(BarcodeTypeCount));
    EXPECT_THROW(s.PaintedWidth(2), TBarcodeError);
}

}  // namespace
