// The companion's render command, run as a separate process.
#include "goodstable.h"
#include "goodstestutil.h"
#include "printtestutil.h"
#include "clirunner.h"
#include "testsupport.h"
#include "zbar.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

class RenderCliTest : public ::testing::Test {
protected:
    TempDataHome Home;
    QString Layout = Home.root() + QStringLiteral("/l.etk");
    QString Png = Home.root() + QStringLiteral("/out.png");

    void SetUp() override {
        TLabelLayout l;
        l.Width = TMm(30);
        l.Height = TMm(20);
        l.Objects = {TextObject(ctName, 1, 0, 29, 4, taCenter, 6), TextObject(ctPrice, 1, 4, 29, 10, taCenter, 14),
                     TextObject(ctAbsPrice, 1, 10, 29, 13, taCenter, 5), TextObject(ctCode, 2, 13, 28, 20, taCenter, 6)};
        ASSERT_TRUE(SaveLayoutFile(Layout, l));
    }
    TCliResult Run(const QStringList& args) {
        return RunCli(Home.dataFolder(), QStringList{QStringLiteral("render")} + args);
    }
    QStringList Values(const QString& barcode = QStringLiteral("5901234123457")) const {
        return {"--layout", Layout, "--png",        Png,           "--name",    "Masło extra 200 g", "--price",
                "5.5",      "--unit-price",         "27,50 zł/kg", "--barcode", barcode,             "--type", "14"};
    }
};

QImage OnSheet(const QImage& label) {
    QImage sheet(label.width() + 200, label.height() + 200, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.drawImage(100, 100, label.copy(label.rect().adjusted(1, 1, -1, -1)));
    return sheet;
}

TEST_F(RenderCliTest, ValuesGiveALabelOfExactlyTheLabelSize) {
    TCliResult r = Run(Values());
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    QImage image(Png);
    EXPECT_EQ(image.size(), QSize(354, 236));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    const TDecodeResult d = DecodeWithZbar({OnSheet(image)});
    ASSERT_TRUE(d.Ran);
    EXPECT_EQ(d.Symbols[0], QStringList{"EAN-13:5901234123457"});

    r = Run(Values() + QStringList{"--dpi", "600"});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(QImage(Png).size(), QSize(709, 472));
}

TEST_F(RenderCliTest, SettingsOfTheDataFolderApply) {
    ASSERT_EQ(Run(Values()).Code, 0);
    const QImage before(Png);
    WriteAll(Home.path(QStringLiteral("settings.ini")), "[LABEL]\nFRAMECOLOR=255\n[BARCODE]\nSHOWTEXT=0\n");
    ASSERT_EQ(Run(Values()).Code, 0);
    const QImage after(Png);
    EXPECT_EQ(after.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_NE(before.copy(30, 160, 290, 20), after.copy(30, 160, 290, 20));
}

TEST_F(RenderCliTest, RecordByIdFromTheGoodsTable) {
    {
        TTable t;
        ASSERT_TRUE(CreateGoodsTable(t));
        SetupGoodsTable(t, false);
        t.Open();
        AddGoods(t, TestGoods("7", "Masło extra 200 g", "5.5"));
        ASSERT_TRUE(t.Locate("ID", QStringLiteral("7")));
        t.Edit();
        t.FieldByName("ABSCENA").SetAsString(QStringLiteral("27,50 zł/kg"));
        t.FieldByName("KODKRESKOWY").SetAsString(QStringLiteral("5901234123457"));
        t.Post();
        // The same goods without a barcode type: EAN-13, the default type.
        AddGoods(t, TestGoods("9", "Masło extra 200 g", "5.5"));
        ASSERT_TRUE(t.Locate("ID", QStringLiteral("9")));
        t.Edit();
        t.FieldByName("ABSCENA").SetAsString(QStringLiteral("27,50 zł/kg"));
        t.FieldByName("KODKRESKOWY").SetAsString(QStringLiteral("5901234123457"));
        t.FieldByName("TYPKODU").Clear();
        t.Post();
        t.Close();
    }
    ASSERT_EQ(Run(Values()).Code, 0);
    const QImage byValues(Png);
    for (const char* id : {"7", "9"}) {
        const TCliResult r = Run({"--layout", Layout, "--png", Png, "--id", id});
        ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
        EXPECT_EQ(QImage(Png), byValues) << id;
    }
    const TCliResult missing = Run({"--layout", Layout, "--png", Png, "--id", "8"});
    EXPECT_NE(missing.Code, 0);
    EXPECT_TRUE(missing.Err.contains(QStringLiteral("8")));
}

TEST_F(RenderCliTest, BadInputIsReported) {
    TCliResult r = Run({"--layout", Home.root() + "/none.etk", "--png", Png, "--name", "x"});
    EXPECT_NE(r.Code, 0);
    // The program's message last, what is wrong with the file above it.
    const QStringList lines = r.Err.trimmed().split(u'\n');
    EXPECT_EQ(lines.last(), QStringLiteral("Wystąpił błąd podczas otczytu pliku wyglądu etykiety."));  // sic
    EXPECT_TRUE(lines.first().contains(QStringLiteral("none.etk"))) << r.Err.toStdString();
    WriteAll(Layout, "[LABEL1]\nTYPE=1\n");
    r = Run({"--layout", Layout, "--png", Png, "--name", "x"});
    EXPECT_NE(r.Code, 0);
    EXPECT_FALSE(r.Err.isEmpty());
    EXPECT_NE(Run({"--png", Png}).Code, 0);
    EXPECT_NE(Run({"--layout", Layout}).Code, 0);
    EXPECT_NE(Run(Values() + QStringList{"--dpi", "zero"}).Code, 0);
    // Data the symbology refuses is a label with the code as text, not a failure.
    SetUp();
    EXPECT_EQ(Run(Values(QStringLiteral("ABC"))).Code, 0);
}

}  // namespace

