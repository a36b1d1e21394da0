// What roll printing decides without a printer: the driver's darkness
// choice, the media's name, the label printer hint, and the page drawn in
// black and white at a label printer's resolution.
#include "printers.h"
#include "printtestutil.h"
#include "rollpage.h"
#include "testsupport.h"
#include "units.h"
#include "zbar.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

TEST(RollPage, DarknessChoiceOfTheDriversOptions) {
    const QStringList zebra{"-1", "1", "2", "3", "10", "15", "20", "29", "30"};
    const QStringList dymo{"Light", "Medium", "Normal", "Dark"};
    const struct {
        QStringList choices;
        int level;
        std::optional<QString> choice;
    } cases[] = {
        {zebra, 0, std::nullopt},   // the printer's own setting: no option at all
        {zebra, 1, "1"},
        {zebra, 15, "15"},
        {zebra, 16, "15"},          // the nearest number, the lower one on a tie
        {zebra, 30, "30"},
        {zebra, 31, "30"},
        {dymo, 1, "Light"},
        {dymo, 15, "Medium"},
        {dymo, 20, "Normal"},
        {dymo, 30, "Dark"},
        {{"PrinterDefault", "Low", "High"}, 30, "High"},
        {{"Default"}, 10, std::nullopt},
        {{}, 10, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DarknessChoice(c.choices, c.level), c.choice) << c.choices.join(' ').toStdString() << " " << c.level;
}

TEST(RollPage, MediaIsTheDriversOwnSizeOrACustomOne) {
    const std::vector<TDriverPageSize> sizes{{"w90h18", 90, 18}, {"w142h227", 142, 227}, {"Custom.WIDTHxHEIGHT", 85, 57},
                                             {"30x20mm", 85.04, 56.69}};
    const struct {
        QSize mm;
        QString media;
    } cases[] = {
        {{30, 20}, "30x20mm"},
        {{50, 80}, "w142h227"},  // 50.09 × 80.08 mm
        {{32, 6}, "Custom.32x6mm"},  // 31.75 × 6.35 mm is not 32 × 6
        {{20, 30}, "Custom.20x30mm"},
        {{58, 40}, "Custom.58x40mm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RollMediaName(sizes, {TMm(c.mm.width()), TMm(c.mm.height())}), c.media)
            << c.mm.width() << "x" << c.mm.height();
    EXPECT_EQ(RollMediaName({}, {TMm(30), TMm(20)}), "Custom.30x20mm");
}

TEST(RollPage, LabelPrintersAreToldByNameOrDriver) {
    const struct {
        const char *name, *driver;
        bool label;
    } cases[] = {
        {"Zebra_GK420d", "", true},
        {"magazyn", "Zebra ZPL Label Printer", true},
        {"kasa", "DYMO LabelWriter 450", true},
        {"Brother_QL-820NWB", "", true},
        {"biuro", "Brother QL-700 CUPS", true},
        {"TSC_TDP-225", "", true},
        {"Drukarka etykiet", "", true},
        {"HP_LaserJet_M404", "HP LaserJet Pro M404-M405, hpcups 3.22", false},
        {"Canon_iP7200", "Canon iP7200 series", false},
        {"qlaser", "Generic PCL Laser Printer", false},
        {"PDF", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LooksLikeLabelPrinter(QString::fromUtf8(c.name), QString::fromUtf8(c.driver)), c.label) << c.name;
}

// A page drawn for a label printer has only black and white dots, however
// coloured and small its text, and its barcode scans at 203 and 300 dpi; the
// raster lines carry its dots in the driver's bits.
TEST(RollPage, PageInBlackAndWhiteAtThePrintersResolution) {
    TempDataHome home;
    for (const int dpi : {203, 300}) {
        SCOPED_TRACE(dpi);
        TPrintManager m;
        LoadInto(m, home.root() + QStringLiteral("/l.etk"), 30, 20,
                 {TextObject(ctName, 1, 0, 29, 4, taCenter, 5), TextObject(ctPrice, 1, 4, 29, 10, taCenter, 14),
                  TextObject(ctAbsPrice, 1, 10, 29, 13, taCenter, 5), TextObject(ctCode, 2, 13, 28, 20, taCenter, 6)});
        m.Roll = true;
        QImage page = RollPageImage(QSize(MmToPixels(30, 1, dpi), MmToPixels(20, 1, dpi)), dpi, dpi);
        ASSERT_EQ(page.logicalDpiX(), dpi);
        {
            QPainter canvas(&page);
            PrepareRollCanvas(canvas);
            m.DrawLabel(Goods("1", "Masło extra 200 g", "7,99", "5901234123457", 14, "39,95 zł/kg"), canvas);
        }
        int grey = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb p = page.pixel(x, y);
                if (p != qRgb(0, 0, 0) && p != qRgb(255, 255, 255)) ++grey;
            }
        EXPECT_EQ(grey, 0);
        const TDecodeResult decoded = DecodeWithZbar({page});
        ASSERT_TRUE(decoded.Ran) << decoded.Error.toStdString();
        EXPECT_EQ(decoded.Symbols.value(0), QStringList{"EAN-13:5901234123457"});
        // The frame's top row: every dot set (K) or clear (W), 8 bits a dot too.
        const int bytes = (page.width() + 7) / 8;
        EXPECT_EQ(RasterLine(page, 0, 1, true, bytes).left(page.width() / 8), QByteArray(page.width() / 8, '\xff'));
        EXPECT_EQ(RasterLine(page, 0, 1, false, bytes).left(page.width() / 8), QByteArray(page.width() / 8, '\0'));
        EXPECT_EQ(RasterLine(page, 1, 8, true, page.width()).left(2), QByteArray("\xff\0", 2));
    }
    // Colours count as ink, light grey does not.
    const struct {
        QRgb pixel;
        bool ink;
    } dots[] = {{qRgb(255, 0, 0), true}, {qRgb(255, 255, 0), true}, {qRgb(0, 0, 255), true},
                {qRgb(200, 200, 200), false}, {qRgb(127, 127, 127), true}, {qRgb(255, 255, 255), false}};
    for (const auto& d : dots) EXPECT_EQ(IsInkDot(d.pixel), d.ink) << std::hex << d.pixel;
}

}  // namespace
