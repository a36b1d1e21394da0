// Price texts, print options from settings.ini, reading layouts for printing,
// choosing the printer and the cell walk over a page.
#include "barcodesymbol.h"
#include "inifile.h"
#include "printer.h"
#include "printers.h"
#include "printtestutil.h"
#include "sheetgrid.h"
#include "settings.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

struct PriceCase {
    const char* in;
    bool alwaysGr, doubleGr, dot;
    const char* out;
};

TEST(FormatPrice, DefaultsAndEachOption) {
    const PriceCase cases[] = {
        {"12", true, true, false, "12,00"},     {"12.5", true, true, false, "12,50"},
        {"12,5", true, true, false, "12,50"},   {"12,99", true, true, false, "12,99"},
        {"12,505", true, true, false, "12,505"}, {"12,", true, true, false, "12,"},
        {"12.", true, true, false, "12,"},      {",5", true, true, false, ",50"},
        {"", true, true, false, ",00"},          {"12,5", true, true, true, "12.50"},
        {"12", true, true, true, "12.00"},      {"12.5", true, true, true, "12.50"},
        {"12", false, true, false, "12"},       {"12,5", false, false, false, "12,5"},
        {"12.5", false, false, false, "12,5"},  {"1,234.5", true, true, false, "1,234,5"},
        {"1.234,5", true, true, true, "1.234.50"}, {"1.2.3", true, true, false, "1,2.3"},
        {"abc", true, true, false, "abc,00"},
    };
    for (const PriceCase& c : cases)
        EXPECT_EQ(FormatPrice(QString::fromUtf8(c.in), c.alwaysGr, c.doubleGr, c.dot), QString::fromUtf8(c.out))
            << c.in << " " << c.alwaysGr << c.doubleGr << c.dot;
}

TEST(PrintOptions, DefaultsAndSettingsKeys) {
    TempDataHome home;
    const QString path = home.root() + QStringLiteral("/settings.ini");
    {
        const TPrintOptions o = PrintOptionsOf(ReadSettingsOrDefaults(path));
        EXPECT_TRUE(o.AlwaysGr);
        EXPECT_TRUE(o.DoubleGr);
        EXPECT_FALSE(o.DotSeparator);
        EXPECT_FALSE(o.SmallGr);
        EXPECT_TRUE(o.BarcodeShowText);
        EXPECT_EQ(o.FrameColor, QColor(Qt::black));
        EXPECT_EQ(o.QrEcc, eccM);
    }
    WriteAll(path, "[price]\nALWAYSGR=0\nDoubleGr=0\nDOTSEPARATOR=1\nSMALLGR=1\n[BARCODE]\nSHOWTEXT=0\nQRECC=H\n"
                   "[LABEL]\nFRAMECOLOR=255\n");
    const TPrintOptions o = PrintOptionsOf(ReadSettingsOrDefaults(path));
    EXPECT_FALSE(o.AlwaysGr);
    EXPECT_FALSE(o.DoubleGr);
    EXPECT_TRUE(o.DotSeparator);
    EXPECT_TRUE(o.SmallGr);
    EXPECT_FALSE(o.BarcodeShowText);
    EXPECT_EQ(o.FrameColor, QColor(255, 0, 0));
    EXPECT_EQ(o.QrEcc, eccH);
    // QR error correction: exactly one of the four letters, else M.
    const QList<QPair<QByteArray, TQrEcc>> levels{{"L", eccL}, {"Q", eccQ}, {"h", eccM}, {"X", eccM}, {"", eccM}, {"HH", eccM}};
    for (const auto& [text, ecc] : levels) {
        WriteAll(path, "[BARCODE]\nQRECC=" + text + "\n");
        EXPECT_EQ(PrintOptionsOf(ReadSettingsOrDefaults(path)).QrEcc, ecc) << text.toStdString();
    }
}

TEST(PrintManager, OwnDefaultsAndShowTextFollowsTheBarcodeSymbol) {
    TPrintManager m;
    EXPECT_FALSE(m.AlwaysGr());
    EXPECT_FALSE(m.DoubleGr());
    EXPECT_FALSE(m.DotSeparator());
    EXPECT_TRUE(m.SmallGr());
    EXPECT_FALSE(m.BarcodeShowText());
    EXPECT_EQ(m.BarcodeSymbol().ShowText(), bcoNone);
    m.SetBarcodeShowText(true);
    EXPECT_EQ(m.BarcodeSymbol().ShowText(), bcoCode);
    EXPECT_EQ(m.FrameColor(), QColor(Qt::black));
    EXPECT_EQ(m.Orientation(), 0);
}

TEST(LoadLayout, MissingUnreadableOrSizelessFileIsUnreadable) {
    TempDataHome home;
    TPrintManager m;
    // A file without PANEL, a damaged one and a label of no size would print
    // blank pages: they are refused like a missing file.
    const QString noPanel = home.root() + "/nopanel.etk", damaged = home.root() + "/damaged.etk",
                  flat = home.root() + "/flat.etk";
    WriteAll(noPanel, "[LABEL1]\nTYPE=1\n");
    WriteAll(damaged, QByteArray("\x00\x01\xff\xfe\x00garbage\x7f", 13));
    WriteAll(flat, "[PANEL]\nWIDTH=30\nHEIGHT=-20\n");
    for (const QString& path : {QString(), home.root() + "/none.etk", home.root(), noPanel, damaged, flat}) {
        m.LayoutFileName = path;
        try {
            m.LoadLayout();
            ADD_FAILURE() << "no exception for " << path.toStdString();
        } catch (const TPrintManagerException& e) {
            EXPECT_EQ(e.Outcome, TPrintOutcome::LayoutUnreadable);
            EXPECT_STREQ(e.what(), "Wystąpił błąd podczas otczytu pliku wyglądu etykiety.");  // sic
        }
    }
}

TEST(LoadLayout, PrintDefaultsPrefixesAndCuts) {
    TempDataHome home;
    const QString path = home.root() + "/a.etk";
    const QByteArray longText(300, 'x');
    WriteAll(path, "[LABEL]\nLEFT=1\n[label1]\nLEFT=2\n[XLABEL1]\nLEFT=3\n[LABELx]\nTYPE=260\nTEXT=" + longText +
                       "\nALIGNMENT=258\nFONTCOLOR=255\nFONTBOLD=1\nFONTUNDERLINE=1\n[IMAGE7]\nFILENAME=p.bmp\n"
                       "[IMAGEs]\nREALSIZE=0\n[PANEL]\nWIDTH=30\nHEIGHT=20\n");
    TPrintManager m;
    m.LayoutFileName = path;
    m.LoadLayout();
    EXPECT_EQ(m.LabelWidth(), 30);
    EXPECT_EQ(m.LabelHeight(), 20);
    ASSERT_EQ(m.Objects().size(), 4u);
    const TLayoutObject& a = m.Objects()[0];
    EXPECT_EQ(a.Kind, LayoutObjectKind::Label);
    EXPECT_EQ(a.Left, TMm(1));
    EXPECT_EQ(a.Type, 0);  // price when TYPE is missing
    EXPECT_EQ(a.FontName, QStringLiteral("Arial"));
    EXPECT_EQ(a.FontSize, 10);
    EXPECT_EQ(a.Alignment, 0);
    EXPECT_TRUE(a.Text.isEmpty());
    const TLayoutObject& b = m.Objects()[1];
    EXPECT_EQ(b.Type, 4);  // 260 kept in 8 bits
    EXPECT_EQ(b.Alignment, 2);
    EXPECT_EQ(b.Text.size(), 255);
    EXPECT_EQ(ColorFromValue(b.FontColor), QColor(255, 0, 0));
    EXPECT_TRUE(b.FontBold);
    EXPECT_TRUE(b.FontUnderline);
    EXPECT_FALSE(b.FontItalic);
    EXPECT_EQ(m.Objects()[2].Kind, LayoutObjectKind::Image);
    EXPECT_EQ(m.Objects()[2].FileName, QStringLiteral("p.bmp"));
    EXPECT_TRUE(m.Objects()[2].RealSize);
    EXPECT_FALSE(m.Objects()[3].RealSize);

    // A second load replaces the objects; a file without PANEL keys is 0 × 0,
    // which the manager refuses to print.
    WriteAll(path, "[LABEL1]\nTYPE=1\n");
    EXPECT_THROW(m.LoadLayout(), TPrintManagerException);
    EXPECT_EQ(m.LabelWidth(), 0);
    EXPECT_EQ(m.LabelHeight(), 0);
    ASSERT_EQ(m.Objects().size(), 1u);
    EXPECT_EQ(m.Objects()[0].Type, 1);
}

TEST(LoadLayout, TenThousandObjects) {
    TempDataHome home;
    QByteArray text = "[PANEL]\nWIDTH=30\nHEIGHT=20\n";
    for (int i = 1; i <= 10000; ++i) text += "[LABEL" + QByteArray::number(i) + "]\nTYPE=4\nTEXT=t\nRIGHT=30\nBOTTOM=20\n";
    const QString path = home.root() + "/many.etk";
    WriteAll(path, text);
    TPrintManager m;
    m.LayoutFileName = path;
    m.LoadLayout();
    EXPECT_EQ(m.Objects().size(), 10000u);
    // And every one of them is drawn without trouble.
    const QImage image = RenderLabel(m, Goods("1", "n"), 100);
    EXPECT_FALSE(InkBox(image, image.rect().adjusted(2, 2, -2, -2)).isEmpty());
}

TEST(SelectPrinter, ExactTrimmedNameOrTheDefault) {
    TPrintManager m;
    m.SelectPrinter(QStringLiteral("  PDF "));
    EXPECT_EQ(m.PrinterName(), QStringLiteral("PDF"));
    EXPECT_EQ(m.CurrentPrinter(), QStringLiteral("PDF"));
    m.SelectPrinter(QStringLiteral("pdf"));  // names compare with case
    EXPECT_EQ(m.PrinterName(), QStringLiteral("PDF"));
    EXPECT_EQ(m.CurrentPrinter(), TPrinter::DefaultPrinter());
    TPrintManager fresh;
    fresh.SelectPrinter(QStringLiteral("Nie ma takiej drukarki"));
    EXPECT_TRUE(fresh.PrinterName().isEmpty());
    EXPECT_EQ(fresh.CurrentPrinter(), TPrinter::DefaultPrinter());
    EXPECT_EQ(TPrinter::Printers().last(), QStringLiteral("PDF"));

    // A queue of the print system called "PDF" (cups-pdf) is listed as itself
    // and keeps its name; the virtual printer steps aside as "Plik PDF" and
    // still writes the file.
    struct Case {
        QStringList queues;
        QStringList listed;
        QString defaultPrinter;
    };
    const Case cases[] = {
        {{}, {"PDF"}, "PDF"},
        {{"Biuro", "PDF"}, {"Biuro", "PDF", "Plik PDF"}, "Biuro"},
        {{"PDF"}, {"PDF", "Plik PDF"}, "PDF"},
    };
    for (const Case& c : cases) {
        SetPrintQueuesForTests(c.queues);
        EXPECT_EQ(TPrinter::Printers(), c.listed) << c.queues.join(',').toStdString();
        EXPECT_EQ(TPrinter::DefaultPrinter(), c.defaultPrinter) << c.queues.join(',').toStdString();
        EXPECT_EQ(VirtualPdfPrinterName(), c.listed.last());
    }
    TempDataHome home;
    TPrinter printer;
    printer.SetPrinterName(QStringLiteral("Plik PDF"));
    printer.SetOutputFileName(home.root() + QStringLiteral("/plik.pdf"));
    printer.BeginDoc();
    printer.EndDoc();
    EXPECT_GT(QFileInfo(home.root() + QStringLiteral("/plik.pdf")).size(), 0);
    SetPrintQueuesForTests(std::nullopt);
}

// The grid of cells cw × ch side by side from (0, 0) on a page of pw × ph
// pixels, as a page without a sheet is laid out.
TCellGrid SideBySide(int cw, int ch, int pw, int ph) {
    TCellGrid g;
    g.Cell = g.Step = QSize(cw, ch);
    g.Columns = CellsThatFit(0, cw, cw, pw);
    g.Rows = CellsThatFit(0, ch, ch, ph);
    return g;
}

// Cells visited on one page until it is full.
int CellsPerPage(int cw, int ch, int pw, int ph, std::vector<QPoint>* cells = nullptr) {
    const TCellGrid g = SideBySide(cw, ch, pw, ph);
    int column = 0, row = 0;
    for (int n = 1; n < 100000; ++n) {
        if (cells) cells->push_back(g.CellRect(column, row).topLeft());
        if (g.Advance(column, row)) {
            EXPECT_EQ(g.CellRect(column, row).topLeft(), QPoint(0, 0));
            return n;
        }
    }
    return -1;
}

TEST(CellGrid, RowsThenPagesAndOversizedLabels) {
    // 30 × 20 mm at 600 dpi on 200 × 287 mm.
    std::vector<QPoint> cells;
    EXPECT_EQ(CellsPerPage(709, 472, 4724, 6780, &cells), 84);
    EXPECT_EQ(cells[5], QPoint(5 * 709, 0));
    EXPECT_EQ(cells[6], QPoint(0, 472));
    EXPECT_EQ(cells[83], QPoint(5 * 709, 13 * 472));
    // Exactly fitting cells fill the page.
    EXPECT_EQ(CellsPerPage(100, 100, 300, 200), 6);
    // Wider than the page: one per row.
    cells.clear();
    EXPECT_EQ(CellsPerPage(500, 100, 300, 350, &cells), 3);
    EXPECT_EQ(cells[1], QPoint(0, 100));
    // Taller than the page: one per column.
    cells.clear();
    EXPECT_EQ(CellsPerPage(100, 500, 350, 300, &cells), 3);
    EXPECT_EQ(cells[2], QPoint(200, 0));
    // Larger both ways: one per page.
    EXPECT_EQ(CellsPerPage(500, 500, 300, 300), 1);
    // A 0 × 0 label never fills a page.
    const TCellGrid empty = SideBySide(0, 0, 300, 300);
    int column = 0, row = 0;
    for (int i = 0; i < 1000; ++i) ASSERT_FALSE(empty.Advance(column, row));
    EXPECT_EQ(empty.CellRect(column, row).topLeft(), QPoint(0, 0));
}

}  // namespace
