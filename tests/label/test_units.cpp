#include "units.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// A paint device with exactly `dpi` logical dots per inch.
QImage DeviceAt(int dpiX, int dpiY) {
    QImage img(1, 1, QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpiX / 0.0254));
    img.setDotsPerMeterY(qRound(dpiY / 0.0254));
    return img;
}

}  // namespace

TEST(Units, ExamplesAt96DpiScale2) {
    const QImage dc = DeviceAt(96, 96);
    ASSERT_EQ(dc.logicalDpiX(), 96);
    EXPECT_EQ(MmToPixelsX(dc, 30, 2), 227);
    EXPECT_EQ(PixelsToMmX(dc, 227, 2), 30);
    EXPECT_EQ(PixelsToMmX(dc, 100, 2), 13);
    EXPECT_EQ(MmToPixelsX(dc, 13, 2), 98);
    // A new object of 170 × 35 pixels at the origin.
    EXPECT_EQ(PixelsToMmX(dc, 170, 2), 22);
    EXPECT_EQ(PixelsToMmY(dc, 35, 2), 5);
}

TEST(Units, Scales1And5At96Dpi) {
    const QImage dc = DeviceAt(96, 96);
    EXPECT_EQ(PixelsToMmX(dc, 170, 1), 45);
    EXPECT_EQ(PixelsToMmY(dc, 35, 1), 9);
    EXPECT_EQ(MmToPixelsX(dc, 30, 1), 113);   // 113.39
    EXPECT_EQ(MmToPixelsY(dc, 20, 1), 76);    // 75.59
    EXPECT_EQ(MmToPixelsX(dc, 30, 5), 567);   // 566.93
    EXPECT_EQ(PixelsToMmX(dc, 567, 5), 30);
    EXPECT_EQ(PixelsToMmY(dc, 100, 5), 5);    // 5.29
}

TEST(Units, EachAxisUsesItsOwnResolution) {
    const QImage dc = DeviceAt(300, 600);
    EXPECT_EQ(MmToPixelsX(dc, 10, 1), 118);  // 118.11
    EXPECT_EQ(MmToPixelsY(dc, 10, 1), 236);  // 236.22
    EXPECT_EQ(PixelsToMmX(dc, 118, 1), 10);
    EXPECT_EQ(PixelsToMmY(dc, 118, 1), 5);
}

TEST(Units, HalvesGoToTheEvenInteger) {
    // 254 dots per inch make one millimetre exactly ten pixels.
    EXPECT_EQ(PixelsToMm(5, 1, 254), 0);
    EXPECT_EQ(PixelsToMm(15, 1, 254), 2);
    EXPECT_EQ(PixelsToMm(25, 1, 254), 2);
    EXPECT_EQ(PixelsToMm(35, 1, 254), 4);
    EXPECT_EQ(PixelsToMm(-25, 1, 254), -2);
    EXPECT_EQ(PixelsToMm(25, 2, 127), 2);
}

TEST(Units, MillimetresSurvivePixelsAndBack) {
    for (int dpi : {72, 96, 120, 300, 600})
        for (int scale = 1; scale <= 5; ++scale)
            for (int mm = -5; mm <= 300; ++mm)
                ASSERT_EQ(PixelsToMm(MmToPixels(mm, scale, dpi), scale, dpi), mm) << dpi << " " << scale;
}

TEST(Units, AbsurdValuesNeitherOverflowNorDivideByZero) {
    EXPECT_EQ(MmToPixels(INT_MAX, 5, 600), INT_MAX);
    EXPECT_EQ(MmToPixels(INT_MIN, 5, 600), INT_MIN);
    EXPECT_EQ(PixelsToMm(100, 0, 96), PixelsToMm(100, 1, 96));
    EXPECT_EQ(PixelsToMm(100, 1, 0), PixelsToMm(100, 1, 1));
}
