// Label printers through a CUPS scheduler of the test's own: CUPS's ZPL
// label driver writes each job to a file, whose bitmaps are decoded back and
// read by zbar, as a thermal printer would print them.
#include "clirunner.h"
#include "cupsserver.h"
#include "engine.h"
#include "goodstable.h"
#include "inifile.h"
#include "testsupport.h"
#include "zbar.h"
#include "zplgraphics.h"

#include <QFile>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

// Qt may add its own warnings before the program's message.
QString LastLine(const QString& text) { return text.trimmed().split('\n').last().trimmed(); }

struct TGoodsRow {
    const char *Id, *Name, *Barcode;
};
// Three goods with EAN-13 codes, in name order.
const TGoodsRow kGoods[] = {
    {"1", "Chleb wiejski", "5901234123457"},
    {"2", "Masło extra", "4006381333931"},
    {"3", "Ser gouda", "9780201379624"},
};

class LabelPrinterTest : public ::testing::Test {
protected:
    TempDataHome Home;
    QString Layout = SourceDataDir() + QStringLiteral("/LABELS/30x20.etk");

    void SetUp() override {
        TTable t;
        ASSERT_TRUE(CreateGoodsTable(t));
        SetupGoodsTable(t, false);
        t.Open();
        for (const TGoodsRow& g : kGoods) {
            t.Insert();
            t.FieldByName("ID").SetAsString(QString::fromUtf8(g.Id));
            t.FieldByName("NAZWA").SetAsString(QString::fromUtf8(g.Name));
            t.FieldByName("CENA").SetAsString(QStringLiteral("4,99"));
            t.FieldByName("KODKRESKOWY").SetAsString(QString::fromUtf8(g.Barcode));
            t.FieldByName("TYPKODU").SetAsInteger(14);
            t.FieldByName("SELECT").SetAsBoolean(true);
            t.FieldByName("NEW").SetAsBoolean(false);
            t.Post();
        }
        t.Close();
    }
    // The companion's view of the last print: the IDs.
    QStringList LastPrinted() {
        const TCliResult r = RunCli(Home.dataFolder(), {"goods", "list", "--view", "4"});
        QStringList ids;
        for (const QString& line : r.Out.split('\n', Qt::SkipEmptyParts).mid(1)) ids << line.section('\t', 0, 0);
        return ids;
    }
};

TEST_F(LabelPrinterTest, ThreeGoodsTwoCopiesAreSixLabelsOfTheLabelsSizeThatScan) {
    TCupsServer cups;
    if (!cups.started()) GTEST_SKIP() << "Nie można uruchomić serwera CUPS: " << cups.error().toStdString();
    const struct {
        QString queue;
        int dpi;
        QStringList options;
        int darkness;
    } printers[] = {
        {QStringLiteral("Etykiety203"), 203, {}, 0},
        {QStringLiteral("Etykiety300"), 300, {QStringLiteral("Resolution=300dpi")}, 20},
    };
    {
        TIniFile ini(Home.path(QStringLiteral("settings.ini")));
        for (const auto& p : printers) {
            ASSERT_TRUE(cups.AddQueue(p.queue, QStringLiteral("drv:///sample.drv/zebra.ppd"), p.options))
                << cups.error().toStdString();
            ini.WriteString(QStringLiteral("PRINTER ") + p.queue, QStringLiteral("ROLL"), QStringLiteral("1"));
            ini.WriteString(QStringLiteral("PRINTER ") + p.queue, QStringLiteral("DARKNESS"), QString::number(p.darkness));
        }
        ASSERT_TRUE(ini.UpdateFile());
    }
    for (const auto& p : printers) {
        SCOPED_TRACE(p.queue.toStdString());
        const TCliResult r = RunCli(Home.dataFolder(), {"print", "--printer", p.queue, "--copies", "2", "--layout", Layout,
                                                        "--start-cell", "5"});
        ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
        ASSERT_TRUE(cups.WaitForJobs()) << cups.error().toStdString();
        const QByteArray zpl = ReadAll(cups.OutputFile(p.queue));
        const QList<QImage> labels = DecodeZplGraphics(zpl);
        ASSERT_EQ(labels.size(), 6) << zpl.left(300).toStdString();
        // The driver's darkness: Zebra's ~SD of the level, or none at all.
        EXPECT_EQ(zpl.contains("~SD"), p.darkness > 0);
        if (p.darkness > 0) {
            EXPECT_TRUE(zpl.contains("~SD" + QByteArray::number(p.darkness)));
        }
        const double width = 30 / 25.4 * p.dpi, height = 20 / 25.4 * p.dpi;
        QStringList expected;
        for (const TGoodsRow& g : kGoods) expected << QStringLiteral("EAN-13:") + g.Barcode << QStringLiteral("EAN-13:") + g.Barcode;
        QStringList read;
        const TDecodeResult decoded = DecodeWithZbar(labels);
        ASSERT_TRUE(decoded.Ran) << decoded.Error.toStdString();
        for (int i = 0; i < labels.size(); ++i) {
            // Rows are whole bytes wide: the width is the driver's ^PW.
            EXPECT_NEAR(labels[i].height(), height, 1.0) << i;
            EXPECT_LE(labels[i].width() - 8, width) << i;
            read << decoded.Symbols.value(i).join(u' ');
        }
        EXPECT_TRUE(zpl.contains("^PW" + QByteArray::number(std::lround(width))));
        EXPECT_EQ(read, expected);
        std::printf("[ ZPL %d dpi ] %lld bytes, %lld labels of %d x %d dots; zbar: %s\n", p.dpi,
                    static_cast<long long>(zpl.size()), static_cast<long long>(labels.size()), labels[0].width(),
                    labels[0].height(), qPrintable(read.join(QStringLiteral(", "))));
        EXPECT_EQ(LastPrinted(), (QStringList{"1", "2", "3"}));
        QFile::remove(cups.OutputFile(p.queue));
    }

    // A queue that is not there, is paused or rejects jobs: the program's
    // message, no job and no print date.
    const QString before = ReadAll(Home.path(QStringLiteral("settings.ini")));
    ASSERT_TRUE(cups.Run(QStringLiteral("cupsdisable"), {printers[0].queue})) << cups.error().toStdString();
    ASSERT_TRUE(cups.Run(QStringLiteral("cupsreject"), {printers[1].queue})) << cups.error().toStdString();
    const struct {
        QString queue, message;
    } refused[] = {
        {QStringLiteral("Nieznana"), QStringLiteral("Brak drukarki: \"Nieznana\"")},
        {printers[0].queue, QStringLiteral("Drukarka \"Etykiety203\" jest wstrzymana. Wznów ją i spróbuj ponownie.")},
        {printers[1].queue,
         QStringLiteral("Drukarka \"Etykiety300\" nie przyjmuje zadań. Włącz ich przyjmowanie i spróbuj ponownie.")},
    };
    for (const auto& c : refused) {
        const TCliResult r = RunCli(Home.dataFolder(), {"print", "--printer", c.queue, "--layout", Layout});
        EXPECT_EQ(r.Code, 1) << c.queue.toStdString();
        EXPECT_EQ(LastLine(r.Err), c.message) << r.Err.toStdString();
        EXPECT_FALSE(QFile::exists(cups.OutputFile(c.queue))) << c.queue.toStdString();
    }
    EXPECT_EQ(ReadAll(Home.path(QStringLiteral("settings.ini"))), before);
}

}  // namespace
