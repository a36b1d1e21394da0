#include "plcolorbox.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

struct Standard {
    int r, g, b;
    const char* name;
    bool blackBorder;
};

const Standard kStandard[16] = {
    {0, 0, 0, "Czarny", false},        {128, 0, 0, "Kasztanowy", false}, {0, 128, 0, "Zielony", false},
    {128, 128, 0, "Oliwkowy", false},  {0, 0, 128, "Granatowy", false},  {128, 0, 128, "Purpurowy", false},
    {0, 128, 128, "Zielonomodry", false}, {128, 128, 128, "Szary", false}, {192, 192, 192, "Srebrny", false},
    {255, 0, 0, "Czerwony", true},     {0, 255, 0, "Limonowy", true},    {255, 255, 0, "Żółty", true},
    {0, 0, 255, "Niebieski", true},    {255, 0, 255, "Fuksja", true},    {0, 255, 255, "Akwamaryna", true},
    {255, 255, 255, "Biały", true},
};

QImage DrawnItem(const TPLColorBox& box, int index, bool selected, QSize size = {200, 20}) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    box.DrawItem(p, index, QRect(QPoint(0, 0), size), selected);
    return img;
}

}  // namespace

TEST(PLColorBox, ListsTheSixteenStandardColoursWithPolishNames) {
    TPLColorBox box;
    ASSERT_EQ(box.count(), 16);
    for (int i = 0; i < 16; ++i) {
        const Standard& s = kStandard[i];
        EXPECT_EQ(box.ItemColor(i), s.r + 256 * s.g + 65536 * s.b) << s.name;
        EXPECT_EQ(box.itemText(i), QString::fromUtf8(s.name));
        EXPECT_EQ(TPLColorBox::ColorName(i), QString::fromUtf8(s.name));
        EXPECT_EQ(TPLColorBox::ColorNameValue(i), box.ItemColor(i));
    }
    EXPECT_EQ(TPLColorBox::ColorNameCount(), 49);
    EXPECT_EQ(TPLColorBox::ColorName(16), QStringLiteral("clMoneyGreen"));
    EXPECT_EQ(TPLColorBox::ColorName(48), QStringLiteral("clWindowText"));
    for (int i = 16; i < 49; ++i) EXPECT_TRUE(TPLColorBox::ColorName(i).startsWith(QStringLiteral("cl"))) << i;
    EXPECT_TRUE(TPLColorBox::ColorName(49).isEmpty());
    EXPECT_TRUE(TPLColorBox::ColorName(-1).isEmpty());
}

TEST(PLColorBox, SelectingByValue) {
    TPLColorBox box;
    int changes = 0;
    QObject::connect(&box, &QComboBox::currentIndexChanged, [&] { ++changes; });
    box.SetSelected(255);
    EXPECT_EQ(box.currentText(), QStringLiteral("Czerwony"));
    EXPECT_EQ(box.Selected(), 255);
    box.SetSelected(8388608);  // a loaded label's font colour
    EXPECT_EQ(box.currentText(), QStringLiteral("Granatowy"));
    EXPECT_EQ(changes, 2);
    box.SetSelected(0x123456);
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.Selected(), clNone);
}

TEST(PLColorBox, SwatchBordersFollowTheBrightParts) {
    TPLColorBox box;
    for (int i = 0; i < 16; ++i) {
        const Standard& s = kStandard[i];
        const QColor c(s.r, s.g, s.b);
        SCOPED_TRACE(s.name);
        if (s.blackBorder) {
            EXPECT_EQ(TPLColorBox::SwatchBorder(c, false), QColor(Qt::black));
            EXPECT_EQ(TPLColorBox::SwatchBorder(c, true), QColor(Qt::black));
        } else {
            EXPECT_EQ(TPLColorBox::SwatchBorder(c, false), c);
            EXPECT_EQ(TPLColorBox::SwatchBorder(c, true), QColor(Qt::white));
        }
    }
}

TEST(PLColorBox, DrawsSwatchBorderAndName) {
    TPLColorBox box;
    const QColor highlight = box.palette().color(QPalette::Highlight);
    const QColor base = box.palette().color(QPalette::Base);

    // "Srebrny" selected: highlight background, silver swatch, white border.
    QImage img = DrawnItem(box, 8, true);
    EXPECT_EQ(img.pixelColor(0, 0), highlight);
    EXPECT_EQ(img.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(18, 18), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(10, 10), QColor(192, 192, 192));
    EXPECT_EQ(img.pixelColor(19, 10), highlight);
    // Not selected: the border in the swatch's own colour.
    img = DrawnItem(box, 8, false);
    EXPECT_EQ(img.pixelColor(0, 0), base);
    EXPECT_EQ(img.pixelColor(1, 1), QColor(192, 192, 192));
    // "Żółty": black border either way.
    img = DrawnItem(box, 11, true);
    EXPECT_EQ(img.pixelColor(1, 1), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(10, 10), QColor(255, 255, 0));

    // The name starts five pixels right of the swatch and stays in the item.
    img = DrawnItem(box, 0, false);
    int inked = 0, before = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 20; x < 200; ++x)
            if (img.pixelColor(x, y) != base) (x < 25 ? before : inked)++;
    EXPECT_GT(inked, 10);
    EXPECT_EQ(before, 0);
    // Nothing is drawn outside the item's rectangle.
    QImage big(220, 40, QImage::Format_RGB32);
    big.fill(Qt::magenta);
    {
        QPainter p(&big);
        box.DrawItem(p, 1, QRect(10, 10, 60, 20), false);
    }
    for (int x = 0; x < 220; ++x) {
        EXPECT_EQ(big.pixelColor(x, 9), QColor(Qt::magenta));
        EXPECT_EQ(big.pixelColor(x, 30), QColor(Qt::magenta));
    }
    EXPECT_EQ(big.pixelColor(70, 20), QColor(Qt::magenta));
}

TEST(PLColorBox, ClosedBoxShowsTheSelectedSwatch) {
    TPLColorBox box;
    box.resize(160, 26);
    box.SetSelected(255);
    const QImage img = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == QColor(255, 0, 0)) ++red;
    EXPECT_GT(red, 30);
}

TEST(PLColorBox, SpecialValuesUseTheirSubstituteColours) {
    TPLColorBox box;
    box.SetDefaultColorColor(QColor(1, 2, 3));
    box.SetNoneColorColor(QColor(4, 5, 6));
    EXPECT_EQ(box.SwatchColor(clDefault), QColor(1, 2, 3));
    EXPECT_EQ(box.SwatchColor(clNone), QColor(4, 5, 6));
    EXPECT_EQ(box.SwatchColor(32896), QColor(128, 128, 0));
    EXPECT_EQ(box.SwatchColor(TPLColorBox::ColorNameValue(46)), box.palette().color(QPalette::Base));  // clWindow
}
