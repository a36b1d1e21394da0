#include "bitmap.h"
#include "testsupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QImage Sample() {
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setPixelColor(1, 1, QColor(255, 0, 0));
    img.setPixelColor(2, 2, QColor(254, 255, 255));  // almost white stays
    // A file's own resolution does not count.
    img.setDotsPerMeterX(qRound(300 / 0.0254));
    img.setDotsPerMeterY(qRound(300 / 0.0254));
    return img;
}

}  // namespace

TEST(LabelBitmap, ReadsBmpPngAndJpegWithWhiteTransparent) {
    QTemporaryDir dir;
    for (const char* format : {"BMP", "PNG"}) {
        const QString path = dir.filePath(QStringLiteral("a.") + QString::fromLatin1(format).toLower());
        ASSERT_TRUE(Sample().save(path, format));
        QImage img;
        ASSERT_TRUE(LoadLabelBitmap(path, img)) << format;
        EXPECT_EQ(img.size(), QSize(6, 4));
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << format;
        EXPECT_EQ(img.pixel(1, 1), qRgba(255, 0, 0, 255)) << format;
        EXPECT_EQ(img.pixel(2, 2), qRgba(254, 255, 255, 255)) << format;
        EXPECT_EQ(img.logicalDpiX(), qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch())) << format;
        EXPECT_EQ(img.logicalDpiY(), img.logicalDpiX()) << format;
    }
    const QString jpeg = dir.filePath("a.jpg");
    ASSERT_TRUE(Sample().save(jpeg, "JPEG"));
    QImage img;
    EXPECT_TRUE(LoadLabelBitmap(jpeg, img));
    EXPECT_EQ(img.size(), QSize(6, 4));
}

TEST(LabelBitmap, ContentDecidesNotTheName) {
    QTemporaryDir dir;
    const QString png = dir.filePath("really-png.bmp");
    ASSERT_TRUE(Sample().save(png, "PNG"));
    QImage img;
    EXPECT_TRUE(LoadLabelBitmap(png, img));

    const QString text = dir.filePath("text.bmp");
    WriteAll(text, "BM this is not a bitmap at all");
    EXPECT_FALSE(LoadLabelBitmap(text, img));
    EXPECT_TRUE(img.isNull());
    EXPECT_FALSE(LoadLabelBitmap(dir.filePath("missing.bmp"), img));
    EXPECT_FALSE(LoadLabelBitmap(QString(), img));
    EXPECT_FALSE(LoadLabelBitmap(dir.path(), img));
}
