// The preview of one label: its window size, the scratch layout and failures.
#include "designio.h"
#include "goodssession.h"
#include "goodstable.h"
#include "goodstestutil.h"
#include "printcommandui.h"
#include "printtestutil.h"
#include "prompter.h"
#include "settings.h"
#include "showlabelform.h"
#include "testsupport.h"
#include "units.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class PreviewTest : public ::testing::Test {
protected:
    TempDataHome Home;
    TScriptedPrompter Prompter_;
    TGoodsSession Goods;
    TTable& tbLocal = Goods.tbLocal;
    TTable& tbLocalShow = Goods.tbLocalShow;
    TSettings Settings;
    TDesignPanel Panel;

    void SetUp() override {
        Prompter::install(&Prompter_);
        // The program's price and barcode defaults.
        Settings.AlwaysGr = Settings.DoubleGr = Settings.BarcodeShowText = true;
        ASSERT_TRUE(CreateGoodsTable(tbLocal));
    }
    void TearDown() override { Prompter::install(nullptr); }

    void Design(int width, int height) {
        const QString path = Home.root() + QStringLiteral("/design.etk");
        TLabelLayout l;
        l.Width = TMm(width);
        l.Height = TMm(height);
        l.Objects = {TextObject(ctName, 1, 1, width - 1, 8, taCenter, 10), TextObject(ctCode, 1, 9, width - 1, 19, taCenter, 8)};
        ASSERT_TRUE(SaveLayoutFile(path, l));
        ASSERT_TRUE(LoadDesign(&Panel, path, 1));
    }
    TPrintPieces Pieces() {
        TPrintPieces p(Goods, Settings);
        p.SaveDesign = [this](const QString& path) { return SaveDesign(&Panel, path, 1); };
        return p;
    }
    void OpenList(const std::vector<TestGoods>& goods) {
        SetupGoodsTable(tbLocal, false);
        tbLocal.Open();
        for (const TestGoods& g : goods) AddGoods(tbLocal, g);
        tbLocal.Close();
        SetupGoodsTable(tbLocalShow, true);
        tbLocalShow.Open();
    }
};

TEST_F(PreviewTest, SmallLabelIsShownWholeAndTheScratchLayoutIsGone) {
    OpenList({TestGoods("1", "Masło", "5,50")});
    Design(40, 20);
    QSize client, bitmap;
    int w = 0, h = 0, panel = 0;
    bool scratchDuringShow = true;
    Prompter_.answerDialog([&](QObject& d) {
        auto& f = static_cast<TShowLableForm&>(d);
        client = f.size();
        bitmap = f.Bitmap.size();
        w = MmToPixelsX(*f.PaintBox1, 40, 1);
        h = MmToPixelsY(*f.PaintBox1, 20, 1);
        panel = f.Panel2->sizeHint().height();
        scratchDuringShow = QFile::exists(PreviewLayoutPath());
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Podgląd wydruku..."));
        // The label carries ink: its name was drawn (no barcode data given).
        EXPECT_FALSE(InkBox(f.Bitmap, f.Bitmap.rect()).isEmpty());
        return int(QDialog::Accepted);
    });
    tbShowClick(Pieces());
    EXPECT_TRUE(Prompter_.messages().isEmpty()) << Prompter_.messages().join("|").toStdString();
    EXPECT_EQ(bitmap, QSize(w, h));
    EXPECT_EQ(client, QSize(w + 16, panel + h + 16));
    EXPECT_FALSE(scratchDuringShow);
    EXPECT_FALSE(QFile::exists(PreviewLayoutPath()));
}

// A roll printer's preview is the label's page: the label on it moved by
// the printer's offset and cut at the page's edges; a sheet printer's
// offset moves nothing in the preview.
TEST_F(PreviewTest, RollPrinterShowsTheLabelsPageWithItsOffset) {
    OpenList({TestGoods("1", "Masło", "5,50")});
    Design(40, 20);
    Settings.Papers.Set(QStringLiteral("Zebra"), {true, 0});
    Settings.Calibrations.Set(QStringLiteral("Zebra"), {50, 0});
    Settings.Calibrations.Set(QStringLiteral("Biuro"), {50, 0});
    const struct {
        QString printer;
        bool moved;
    } cases[] = {{QStringLiteral("Zebra"), true}, {QStringLiteral("Biuro"), false}};
    for (const auto& c : cases) {
        QImage bitmap;
        int shift = 0;
        Prompter_.answerDialog([&](QObject& d) {
            auto& f = static_cast<TShowLableForm&>(d);
            bitmap = f.Bitmap;
            shift = MmToPixelsX(*f.PaintBox1, 5, 1);
            return int(QDialog::Accepted);
        });
        TPrintPieces p = Pieces();
        p.PrinterBoxText = [&] { return c.printer; };
        tbShowClick(p);
        ASSERT_FALSE(bitmap.isNull()) << c.printer.toStdString();
        const QRect ink = InkBox(bitmap, bitmap.rect());
        EXPECT_EQ(ink.left(), c.moved ? shift : 0) << c.printer.toStdString();
        EXPECT_EQ(ink.right(), bitmap.width() - 1) << c.printer.toStdString();
    }
}

TEST_F(PreviewTest, LargeLabelIsCutAtTheWindowLimit) {
    OpenList({TestGoods("1", "Masło", "5,50")});
    Design(400, 300);
    QSize client;
    Prompter_.answerDialog([&](QObject& d) {
        client = static_cast<TShowLableForm&>(d).size();
        return int(QDialog::Accepted);
    });
    tbShowClick(Pieces());
    EXPECT_TRUE(Prompter_.messages().isEmpty());
    EXPECT_EQ(client, QSize(640, 480));
    EXPECT_FALSE(QFile::exists(PreviewLayoutPath()));
}

TEST_F(PreviewTest, FailuresGiveTheirMessages) {
    // An empty list has no current record.
    OpenList({});
    tbShowClick(Pieces());
    EXPECT_EQ(Prompter_.messages(), QStringList{"Nie ma wybranego rekordu bazy danych do wydrukowania."});

    // A scratch layout that could not be written.
    Prompter_.clear();
    tbLocalShow.Close();
    OpenList({TestGoods("1", "Masło")});
    TPrintPieces p = Pieces();
    p.SaveDesign = [](const QString&) { return false; };
    tbShowClick(p);
    EXPECT_EQ(Prompter_.messages(), QStringList{"Wystąpił błąd podczas generowania podglądu etykiety."});
}

}  // namespace
