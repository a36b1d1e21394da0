// Print jobs into real PDF files through the virtual printer, read back with
// poppler's tools and zbar.
#include "calibrationpage.h"
#include "printer.h"
#include "sheetformats.h"
#include "sheetgrid.h"
#include "printtestutil.h"
#include "testsupport.h"
#include "units.h"
#include "zbar.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

class PrintJobTest : public ::testing::Test {
protected:
    TempDataHome Home;
    QString File(const QString& name) const { return Home.root() + u'/' + name; }
    QString Pdf = File(QStringLiteral("job.pdf"));

    // A manager for the PDF printer with a layout of one name field.
    void Setup(TPrintManager& m, int w = 30, int h = 20, std::vector<TLayoutObject> objects = {}) {
        if (objects.empty()) objects = {TextObject(ctName, 1, 1, w - 1, h - 1, taLeftJustify, 10)};
        LoadInto(m, File(QStringLiteral("l.etk")), w, h, objects);
        m.SelectPrinter(QStringLiteral("PDF"));
        m.PdfFileName = Pdf;
    }
    static TPrintGoodsList Named(const QStringList& names) {
        TPrintGoodsList list;
        for (const QString& n : names) list.push_back(Goods(n, n));
        return list;
    }
    // The words of the job in page order, then top to bottom, left to right.
    std::vector<TPdfWord> Words() const {
        std::vector<TPdfWord> w = PdfWords(Pdf);
        std::stable_sort(w.begin(), w.end(), [](const TPdfWord& a, const TPdfWord& b) {
            if (a.Page != b.Page) return a.Page < b.Page;
            if (std::abs(a.Y - b.Y) > 2) return a.Y < b.Y;
            return a.X < b.X;
        });
        return w;
    }
};

TEST_F(PrintJobTest, EightyFourLabelsToAnA4PageThenANewPage) {
    TPrintManager m;
    Setup(m);
    QStringList names;
    for (int i = 1; i <= 85; ++i) names << QStringLiteral("N%1").arg(i);
    m.PrintList(Named(names), 1);
    ASSERT_EQ(PdfPages(Pdf), 2);
    EXPECT_EQ(PdfInfo(Pdf, QStringLiteral("Title")), kPrintJobTitle);
    const std::vector<TPdfWord> words = Words();
    ASSERT_EQ(words.size(), 85u);
    for (int i = 0; i < 85; ++i) EXPECT_EQ(words[i].Text, names[i]) << i;
    // Six across, fourteen rows, from the top-left of the printable area
    // (5 mm borders); the 85th at the top-left of page 2.
    const double cell = 30 * 72 / 25.4, row = 20 * 72 / 25.4, border = 5 * 72 / 25.4;
    EXPECT_NEAR(words[0].X, border + 1 * 72 / 25.4, 2);
    EXPECT_NEAR(words[5].X - words[0].X, 5 * cell, 1);
    EXPECT_NEAR(words[6].Y - words[0].Y, row, 1);
    EXPECT_NEAR(words[83].Y - words[0].Y, 13 * row, 1);
    EXPECT_EQ(words[84].Page, 2);
    EXPECT_NEAR(words[84].X, words[0].X, 0.5);
    EXPECT_NEAR(words[84].Y, words[0].Y, 0.5);

    // Exactly one page full: no empty page after it.
    names.removeLast();
    m.PrintList(Named(names), 1);
    EXPECT_EQ(PdfPages(Pdf), 1);
}

// The cells of an A4 page at 600 dpi (printable 4724 × 6780 pixels, 5 mm =
// 118 pixels of border all round): counts, the first and the last cell.
TEST(SheetGrid, MarginsGapsCountsAndOffsets) {
    const QSize printable(4724, 6780);
    const QRect paper(-118, -118, 4961, 7016);
    struct Case {
        const char* what;
        TSheetLayout sheet;
        QPoint offset;
        QSize label;
        int columns, rows;
        QRect first, last;
    };
    const Case cases[] = {
        // All zero: today's page, 6 × 14 labels side by side from the corner.
        {"defaults", {}, {}, {30, 20}, 6, 14, {0, 0, 709, 472}, {3545, 6136, 709, 472}},
        {"margins and gaps", {100, 100, 20, 20, 0, 0}, {}, {30, 20}, 6, 12, {236, 236, 709, 472},
         {236 + 5 * 756, 236 + 11 * 520, 709, 472}},
        // A sheet (columns and rows given) is measured from the paper's
        // edge, as its makers measure it: the printer's border only cuts
        // what lies in it.
        {"counts below what fits", {0, 0, 0, 0, 2, 3}, {}, {30, 20}, 2, 3, {-118, -118, 709, 472},
         {-118 + 709, -118 + 2 * 472, 709, 472}},
        // With counts a sheet reaches to the paper's edge, no farther: seven
        // 30 mm labels across the 210 mm of A4.
        {"counts above what fits", {0, 0, 0, 0, 50, 100}, {}, {30, 20}, 7, 14, {-118, -118, 709, 472},
         {-118 + 6 * 709, -118 + 13 * 472, 709, 472}},
        // 3 × 8 of 70 × 37 fill the paper's width exactly: the pixels of
        // three labels are one more than the paper's, yet three fit.
        {"3 x 8 from the paper's edge", {0, 5, 0, 0, 3, 8}, {}, {70, 37}, 3, 8, {-118, -106, 1654, 874},
         {-118 + 2 * 1654, -106 + 7 * 874, 1654, 874}},
        {"3 x 7 with gaps", {72, 151, 30, 1, 3, 7}, {}, {63, 38}, 3, 7, {52, 239, 1488, 898},
         {52 + 2 * 1559, 239 + 6 * 900, 1488, 898}},
        // The offset corrects the printer's mechanics on a sheet too.
        {"3 x 7 with an offset", {72, 151, 30, 1, 3, 7}, {20, -10}, {63, 38}, 3, 7, {99, 215, 1488, 898},
         {99 + 2 * 1559, 215 + 6 * 900, 1488, 898}},
        // Each axis on its own: columns given, rows as many as the printable
        // area holds from its top.
        {"columns only", {0, 0, 0, 0, 3, 0}, {}, {70, 37}, 3, 7, {-118, 0, 1654, 874},
         {-118 + 2 * 1654, 6 * 874, 1654, 874}},
        // An offset moves the cells and takes room from the last ones.
        {"offset", {}, {40, -20}, {30, 20}, 6, 14, {94, -47, 709, 472}, {94 + 5 * 709, -47 + 13 * 472, 709, 472}},
        {"offset pushing a column out", {}, {40, 30}, {33, 20}, 5, 14, {94, 71, 780, 472},
         {94 + 4 * 780, 71 + 13 * 472, 780, 472}},
        {"offset pushing a row out", {}, {0, 80}, {30, 20}, 6, 13, {0, 189, 709, 472}, {3545, 189 + 12 * 472, 709, 472}},
    };
    for (const Case& c : cases) {
        const TCellGrid g = PageCellGrid(c.sheet, {TMm10(c.offset.x()), TMm10(c.offset.y())},
                                         {TMm(c.label.width()), TMm(c.label.height())}, {600, 600}, printable, paper);
        EXPECT_EQ(g.Columns, c.columns) << c.what;
        EXPECT_EQ(g.Rows, c.rows) << c.what;
        EXPECT_EQ(g.CellsPerPage(), c.columns * c.rows) << c.what;
        EXPECT_EQ(g.CellRect(0, 0), c.first) << c.what;
        EXPECT_EQ(g.CellRect(g.Columns - 1, g.Rows - 1), c.last) << c.what;
        // Row by row, and a new page after the last cell.
        int column = g.Columns - 1, row = 0;
        EXPECT_FALSE(g.Advance(column, row)) << c.what;
        EXPECT_EQ(QPoint(column, row), QPoint(0, std::min(1, g.Rows - 1))) << c.what;
        column = g.Columns - 1;
        row = g.Rows - 1;
        EXPECT_TRUE(g.Advance(column, row)) << c.what;
        EXPECT_EQ(QPoint(column, row), QPoint(0, 0)) << c.what;
    }
    // Every common sheet gives all its labels on the PDF printer's A4 (595 ×
    // 842 points, 5 mm border) without any offset, its first label at the
    // sheet's margins from the paper's corner.
    for (const TSheetFormat& f : SheetFormats()) {
        const QRect a4(-117, -117, 4958, 7017);
        const TCellGrid g =
            PageCellGrid(f.Sheet, {}, {TMm(f.LabelWidth), TMm(f.LabelHeight)}, {600, 600}, {4724, 6783}, a4);
        EXPECT_EQ(g.Columns, f.Sheet.Columns) << f.Name.toStdString();
        EXPECT_EQ(g.Rows, f.Sheet.Rows) << f.Name.toStdString();
        EXPECT_EQ(g.Origin, a4.topLeft() + QPoint(TenthsToPixels(f.Sheet.Left, 600), TenthsToPixels(f.Sheet.Top, 600)))
            << f.Name.toStdString();
    }
}

TEST_F(PrintJobTest, FramesOfNeighboursAdjoin) {
    TPrintManager m;
    Setup(m, 30, 20, {TextObject(ctUserLabel, 0, 0, 0, 0)});
    m.PrintList(Named({"A", "B", "C", "D", "E", "F", "G"}), 1);
    QImageReader::setAllocationLimit(512);
    const QImage page = PdfPage(Pdf, 1, 600);
    ASSERT_FALSE(page.isNull());
    // At 600 dpi: the border is about 118 pixels (5 mm), a cell 709 × 472.
    auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
    int left = 100, top = 100;
    while (left < 140 && !dark(left, 400)) ++left;
    while (top < 140 && !dark(400, top)) ++top;
    EXPECT_NEAR(left, 118, 2);
    EXPECT_NEAR(top, 118, 2);
    // Two frames meet between neighbours: the last pixel of one cell, the first of the next.
    for (int k = 1; k < 6; ++k) {
        EXPECT_TRUE(dark(left + k * 709 - 1, top + 200)) << k;
        EXPECT_TRUE(dark(left + k * 709, top + 200)) << k;
        EXPECT_FALSE(dark(left + k * 709 - 2, top + 200)) << k;
        EXPECT_FALSE(dark(left + k * 709 + 1, top + 200)) << k;
    }
    EXPECT_TRUE(dark(left + 6 * 709 - 1, top + 200));
    EXPECT_TRUE(dark(left + 300, top + 471));
    EXPECT_TRUE(dark(left + 300, top + 472));
    EXPECT_FALSE(dark(left + 300, top + 470));
    // Nothing outside the cells that were printed.
    EXPECT_FALSE(dark(left + 300, top + 2 * 472 + 5));
    EXPECT_FALSE(dark(left - 3, top + 200));
}

// A sheet with margins and gaps, the printer's offset and a start cell, on
// the page rasterised at 600 dpi: 5 × 11 cells of 709 × 472 pixels, 827 and
// 567 apart, the first at (189, 425) of the printable area, whose corner
// (5 mm) comes out at pixel (117, 117) of the rasterised page; cell 8 takes
// the first label, and the next page starts at cell 1.
TEST_F(PrintJobTest, SheetMarginsGapsOffsetAndStartCellToThePixel) {
    TPrintManager m;
    Setup(m);
    m.Sheet = {100, 150, 50, 40, 0, 0};
    m.Offset = {-20, 30};
    m.StartCell = 8;
    QStringList names;
    for (int i = 1; i <= 50; ++i) names << QStringLiteral("N%1").arg(i);
    m.PrintList(Named(names), 1);
    ASSERT_EQ(PdfPages(Pdf), 2);
    const std::vector<TPdfWord> words = Words();
    ASSERT_EQ(words.size(), 50u);
    EXPECT_EQ(std::count_if(words.begin(), words.end(), [](const TPdfWord& w) { return w.Page == 1; }), 48);

    QImageReader::setAllocationLimit(512);
    const int left = 117 + 189, top = 117 + 425, stepX = 827, stepY = 567, w = 709, h = 472;
    struct Frame {
        int page, column, row;
        bool printed;
    };
    const Frame frames[] = {{1, 0, 0, false}, {1, 1, 1, false}, {1, 2, 1, true}, {1, 4, 10, true},
                            {2, 0, 0, true},  {2, 1, 0, true},  {2, 2, 0, false}};
    QImage pages[2] = {PdfPage(Pdf, 1, 600), PdfPage(Pdf, 2, 600)};
    for (const Frame& f : frames) {
        const QImage& page = pages[f.page - 1];
        ASSERT_FALSE(page.isNull());
        // The frames are light grey: any ink counts.
        const auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 250; };
        const int x = left + f.column * stepX, y = top + f.row * stepY;
        const QString at = QStringLiteral("page %1 cell %2,%3").arg(f.page).arg(f.column).arg(f.row);
        // Every edge of the frame, and nothing just outside it.
        for (const QPoint& p : {QPoint(x, y + h / 2), QPoint(x + w - 1, y + h / 2), QPoint(x + w / 2, y),
                                QPoint(x + w / 2, y + h - 1)})
            EXPECT_EQ(dark(p.x(), p.y()), f.printed) << at.toStdString() << " " << p.x() << "," << p.y();
        for (const QPoint& p : {QPoint(x - 2, y + h / 2), QPoint(x + w + 1, y + h / 2), QPoint(x + w / 2, y - 2),
                                QPoint(x + w / 2, y + h + 1)})
            EXPECT_FALSE(dark(p.x(), p.y())) << at.toStdString() << " " << p.x() << "," << p.y();
    }
}

// A sheet with a count of labels is laid from the paper's corner and reaches
// to its edge: 3 × 8 labels of 70 × 37 mm fill A4 on the PDF printer, whose
// 5 mm border only cuts the outer labels (it used to push the grid in and the
// third column off the paper: 14 labels a page); an offset pushing the third
// column more than half a millimetre off the paper leaves two.
TEST_F(PrintJobTest, SheetCountsReachThePapersEdge) {
    const struct {
        QPoint offset;
        int perPage;
    } cases[] = {{{0, 0}, 24}, {{30, 0}, 16}};
    for (const auto& c : cases) {
        TPrintManager m;
        Setup(m, 70, 37);
        m.Sheet = {0, 5, 0, 0, 3, 8};
        m.Offset = c.offset;
        QStringList names;
        for (int i = 1; i <= c.perPage + 1; ++i) names << QStringLiteral("N%1").arg(i);
        m.PrintList(Named(names), 1);
        EXPECT_EQ(PdfPages(Pdf), 2) << c.perPage;
        const std::vector<TPdfWord> words = Words();
        ASSERT_EQ(words.size(), names.size());
        EXPECT_EQ(words[c.perPage - 1].Page, 1) << c.perPage;
        EXPECT_EQ(words[c.perPage].Page, 2) << c.perPage;
        // The name 1 mm into its label, the labels 70 mm apart, from the
        // paper's corner plus the offset.
        const double mm = 72 / 25.4;
        EXPECT_NEAR(words[0].X, (1 + c.offset.x() / 10.0) * mm, 2) << c.perPage;
        EXPECT_NEAR(words[1].X - words[0].X, 70 * mm, 1) << c.perPage;
        EXPECT_NEAR(words[c.perPage / 8].Y - words[0].Y, 37 * mm, 1) << c.perPage;
    }
}

// The calibration page on the PDF printer, rasterised at 600 dpi: the centre
// of the first and the last crosshair (20 / 20 mm and 180 / 270 mm on A4 of
// 209 × 297 whole millimetres) lies at its millimetres plus the offset from
// the paper's corner, whatever the printer's border.
TEST_F(PrintJobTest, CalibrationCrosshairsWhereTheirCaptionsSay) {
    const struct {
        QPoint offset;
        QPoint first, last;  // pixels of the page from the paper's corner
    } cases[] = {
        {{0, 0}, {472, 472}, {4252, 6378}},
        {{-50, 30}, {354, 543}, {4134, 6449}},
    };
    EXPECT_EQ(CalibrationCrosses({209, 297}), (std::vector<QPoint>{{20, 20}, {180, 20}, {20, 270}, {180, 270}}));
    QImageReader::setAllocationLimit(512);
    for (const auto& c : cases) {
        TPrinter printer;
        printer.SetPrinterName(QStringLiteral("PDF"));
        printer.SetOutputFileName(Pdf);
        PrintCalibrationPage(printer, QStringLiteral("PDF"), c.offset);
        EXPECT_EQ(PdfPages(Pdf), 1);
        const QImage page = PdfPage(Pdf, 1, 600);
        ASSERT_FALSE(page.isNull());
        // The middle of the ink across an arm 4 mm (94 pixels) from the centre.
        const auto middle = [&](QPoint from, QPoint step) {
            int sum = 0, count = 0;
            for (int k = -30; k <= 30; ++k) {
                const QPoint p = from + k * step;
                if (qGray(page.pixel(p)) < 128) {
                    sum += k;
                    ++count;
                }
            }
            return count ? QPointF(from) + QPointF(step) * (double(sum) / count) : QPointF(-1, -1);
        };
        for (const QPoint& centre : {c.first, c.last}) {
            const QPoint& at = centre;
            const QPointF vertical = middle(at + QPoint(0, 94), {1, 0});
            const QPointF horizontal = middle(at + QPoint(94, 0), {0, 1});
            EXPECT_NEAR(vertical.x(), at.x(), 1) << c.offset.x() << " " << centre.x();
            EXPECT_NEAR(horizontal.y(), at.y(), 1) << c.offset.y() << " " << centre.y();
        }
        QStringList words;
        for (const TPdfWord& w : PdfWords(Pdf)) words << w.Text;
        EXPECT_TRUE(words.contains(QStringLiteral("kalibracyjna"))) << words.join(' ').toStdString();
    }
}

TEST_F(PrintJobTest, CopiesAreConsecutiveCells) {
    TPrintManager m;
    Setup(m);
    m.PrintList(Named({"A", "B", "C"}), 2);
    QStringList order;
    for (const TPdfWord& w : Words()) order << w.Text;
    EXPECT_EQ(order, (QStringList{"A", "A", "B", "B", "C", "C"}));
    EXPECT_EQ(PdfPages(Pdf), 1);

    // A record whose copies run over a page break continues on the next one.
    m.PrintList(Named({"A", "B"}), 50);
    const std::vector<TPdfWord> words = Words();
    ASSERT_EQ(words.size(), 100u);
    EXPECT_EQ(PdfPages(Pdf), 2);
    EXPECT_EQ(words[83].Text, QStringLiteral("B"));
    EXPECT_EQ(words[83].Page, 1);
    EXPECT_EQ(words[84].Page, 2);
}

TEST_F(PrintJobTest, AbortAfterTheSecondRecord) {
    TPrintManager m;
    Setup(m);
    QStringList reported;
    m.OnRecordPrinted = [&](TPrintManager* sender, const QString& id, bool& abort) {
        EXPECT_EQ(sender, &m);
        EXPECT_FALSE(abort);
        reported << id;
        abort = reported.size() == 2;
    };
    m.PrintList(Named({"A", "B", "C", "D"}), 2);
    EXPECT_EQ(reported, (QStringList{"A", "B"}));
    QStringList order;
    for (const TPdfWord& w : Words()) order << w.Text;
    EXPECT_EQ(order, (QStringList{"A", "A", "B", "B"}));
    EXPECT_EQ(PdfPages(Pdf), 1);

    // When the second record filled the page, the new page was already begun.
    reported.clear();
    m.PrintList(Named({"A", "B", "C"}), 42);
    EXPECT_EQ(PdfPages(Pdf), 2);
    EXPECT_EQ(Words().size(), 84u);
}

TEST_F(PrintJobTest, OversizedAndEmptyLabels) {
    {
        // Wider than the page: one label per row.
        TPrintManager m;
        Setup(m, 250, 20);
        m.PrintList(Named({"A", "B", "C"}), 1);
        const std::vector<TPdfWord> w = Words();
        ASSERT_EQ(w.size(), 3u);
        EXPECT_EQ(PdfPages(Pdf), 1);
        EXPECT_NEAR(w[1].X, w[0].X, 0.5);
        EXPECT_NEAR(w[1].Y - w[0].Y, 20 * 72 / 25.4, 1);
    }
    {
        // Larger than the page both ways: one label per page, cut by it.
        TPrintManager m;
        Setup(m, 300, 400);
        m.PrintList(Named({"A", "B", "C"}), 1);
        EXPECT_EQ(PdfPages(Pdf), 3);
    }
    {
        // Absurd numbers: huge coordinates are simply outside the label.
        TPrintManager m;
        Setup(m, 30, 20,
              {TextObject(ctName, 2000000000, -2000000000, 2100000000, 2100000000),
               TextObject(ctCode, -2000000000, 0, 2000000000, 10), TextObject(ctUserLabel, 1, 1, 29, 19, 0, 10, "ok")});
        m.PrintList({Goods("1", "A", "1", "5901234123457"), Goods("2", "B", "2", "ABC")}, 1);
        EXPECT_EQ(PdfPages(Pdf), 1);
        QStringList texts;
        for (const TPdfWord& w : Words()) texts << w.Text;
        EXPECT_EQ(texts, (QStringList{"ok", "ok"}));
    }
    // A label without width or height (a negative size too) would put every
    // label into one empty cell: blank pages reported as printed. The layout
    // is refused as unreadable and no job starts, not even when the size was
    // never read.
    const struct {
        int w, h;
    } sizeless[] = {{0, 0}, {-30, -20}, {30, 0}, {0, 20}};
    const QString none = File(QStringLiteral("sizeless.pdf"));
    for (const auto& z : sizeless) {
        TPrintManager m;
        EXPECT_THROW(Setup(m, z.w, z.h, {TextObject(ctName, 0, 0, 10, 10)}), TPrintManagerException) << z.w << "x" << z.h;
        m.SelectPrinter(QStringLiteral("PDF"));
        m.PdfFileName = none;
        int reported = 0;
        m.OnRecordPrinted = [&](TPrintManager*, const QString&, bool&) { ++reported; };
        try {
            m.PrintList(Named({"A", "B", "C"}), 3);
            ADD_FAILURE() << z.w << "x" << z.h;
        } catch (const TPrintManagerException& e) {
            EXPECT_EQ(e.Outcome, TPrintOutcome::LayoutUnreadable);
        }
        EXPECT_EQ(reported, 0);
        EXPECT_FALSE(QFileInfo::exists(none));
    }
}

TEST_F(PrintJobTest, LandscapeTakesMoreLabelsAcross) {
    TPrintManager m;
    Setup(m);
    m.SetOrientation(1);
    QStringList names;
    for (int i = 1; i <= 10; ++i) names << QStringLiteral("N%1").arg(i);
    m.PrintList(Named(names), 1);
    EXPECT_TRUE(PdfInfo(Pdf, QStringLiteral("Page size")).startsWith(QStringLiteral("842 x 595")))
        << PdfInfo(Pdf, QStringLiteral("Page size")).toStdString();
    const std::vector<TPdfWord> w = Words();
    ASSERT_EQ(w.size(), 10u);
    // 287 mm across: nine labels in the first row.
    EXPECT_NEAR(w[8].Y, w[0].Y, 0.5);
    EXPECT_GT(w[9].Y, w[0].Y + 10);
}

TEST_F(PrintJobTest, BarcodesInThePdfDecodeAndStaySmall) {
    TPrintManager m;
    Setup(m, 40, 25,
          {TextObject(ctName, 1, 0, 39, 5, taCenter, 8), TextObject(ctPrice, 1, 5, 39, 11, taCenter, 14),
           TextObject(ctCode, 4, 12, 36, 25, taCenter, 7)});
    TPrintOptions o;
    m.SetOptions(o);
    TPrintGoodsList list;
    // The third goods' code is a QR: its modules are one fill too.
    const QStringList codes{"5901234123457", "4006381333931", "https://sklep.example/p/9780201379624"};
    const quint8 types[] = {bcCodeEAN13, bcCodeEAN13, bcCodeQR};
    for (int i = 0; i < 44; ++i) list.push_back(Goods(QString::number(i), "Towar", "2,5", codes[i % 3], types[i % 3]));
    m.PrintList(list, 1);
    ASSERT_EQ(PdfPages(Pdf), 1);
    // Four labels across at 40 mm (945 pixels of 4724); a quiet zone needs the gap inside the label,
    // so decode one label cut out of the page at a time.
    const QImage page = PdfPage(Pdf, 1, 300);
    ASSERT_FALSE(page.isNull());
    const int border = 59, cw = 472, ch = 295;
    QList<QImage> labels;
    for (int i = 0; i < 3; ++i) {
        QImage sheet(cw + 200, ch + 200, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        p.drawImage(100, 100, page.copy(border + i * cw + 3, border + 3, cw - 6, ch - 6));
        p.end();
        labels << sheet;
    }
    const TDecodeResult r = DecodeWithZbar(labels);
    ASSERT_TRUE(r.Ran) << r.Error.toStdString();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.Symbols[i], QStringList{(i < 2 ? "EAN-13:" : "QR-Code:") + codes[i]}) << i;
    // A barcode is a few fills (spaces, bars, the legend's box), not one per
    // bar; a QR one for its quiet zone and one for its modules, not one per run.
    const auto fills = [](const QByteArray& content) { return content.count("\nf\n") + content.count("\nf*\n"); };
    const qsizetype withCodes = fills(PdfStreams(Pdf));
    for (TPrintGoods& g : list) g.KODKRESKOWY.clear();
    m.PrintList(list, 1);
    const qsizetype withoutCodes = fills(PdfStreams(Pdf));
    EXPECT_GT(withoutCodes, 0);
    EXPECT_GT(withCodes, withoutCodes);
    EXPECT_LE(withCodes - withoutCodes, 44 * 3);
}

TEST_F(PrintJobTest, FailuresEndTheDocumentWithCodeTwo) {
    TPrintManager m;
    Setup(m);
    // The printer went away before the job.
    TPrinter gone;
    gone.SetPrinterName(QStringLiteral("Drukarka, której już nie ma"));
    try {
        m.PrintList(Named({"A"}), 1, gone);
        ADD_FAILURE();
    } catch (const TPrintManagerException& e) {
        EXPECT_EQ(e.Outcome, TPrintOutcome::PrinterFailed);
    }
    // A PDF that cannot be written.
    m.PdfFileName = File(QStringLiteral("no/such/folder/x.pdf"));
    try {
        m.PrintList(Named({"A"}), 1);
        ADD_FAILURE();
    } catch (const TPrintManagerException& e) {
        EXPECT_EQ(e.Outcome, TPrintOutcome::PrinterFailed);
    }
    // An error half-way: what was drawn is still a complete document.
    m.PdfFileName = Pdf;
    m.OnRecordPrinted = [](TPrintManager*, const QString& id, bool&) {
        if (id == QLatin1String("B")) throw std::runtime_error("stop");
    };
    try {
        m.PrintList(Named({"A", "B", "C"}), 1);
        ADD_FAILURE();
    } catch (const TPrintManagerException& e) {
        EXPECT_EQ(e.Outcome, TPrintOutcome::PrinterFailed);
    }
    EXPECT_EQ(PdfPages(Pdf), 1);
    QStringList order;
    for (const TPdfWord& w : Words()) order << w.Text;
    EXPECT_EQ(order, (QStringList{"A", "B"}));
}

TEST_F(PrintJobTest, VirtualPrinterPageAndMisuse) {
    TPrinter printer;
    EXPECT_FALSE(printer.Printing());
    EXPECT_THROW(printer.NewPage(), TPrinterError);
    EXPECT_THROW(printer.Canvas(), TPrinterError);
    printer.SetPrinterName(QStringLiteral("PDF"));
    EXPECT_THROW(printer.BeginDoc(), TPrinterError);  // no file named
    printer.SetOutputFileName(Pdf);
    printer.SetTitle(kPrintJobTitle);
    printer.BeginDoc();
    ASSERT_TRUE(printer.Printing());
    // A4 less 5 mm all round at 600 dpi.
    EXPECT_NEAR(printer.PageWidth(), 4724, 3);
    EXPECT_NEAR(printer.PageHeight(), 6780, 3);
    EXPECT_EQ(printer.Canvas().device()->logicalDpiX(), 600);
    EXPECT_THROW(printer.BeginDoc(), TPrinterError);
    printer.NewPage();
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    printer.EndDoc();  // ending twice is harmless
    EXPECT_EQ(PdfPages(Pdf), 2);
    EXPECT_EQ(PdfInfo(Pdf, QStringLiteral("Title")), kPrintJobTitle);
}

TEST_F(PrintJobTest, NothingToPrintStartsNoJob) {
    TPrintManager m;
    Setup(m);
    int calls = 0;
    m.OnRecordPrinted = [&](TPrintManager*, const QString&, bool&) { ++calls; };
    m.PrintList({}, 1);
    m.PrintList(Named({"A"}), 0);
    m.PrintList(Named({"A"}), -3);
    EXPECT_FALSE(QFileInfo::exists(Pdf));
    EXPECT_EQ(calls, 0);
}

// Goods of every kind the labels show: long and short names with Polish
// letters, prices with and without separators, unit prices, EAN-13, EAN-8,
// Code 128, data a symbology rejects, unknown types, empty fields.
TPrintGoodsList VariedGoods(int n) {
    static const char* const names[] = {"Mleko UHT 3,2% 1 l", "Chleb żytni razowy Złota Łąka", "Ser",
                                        "Żurek śląski w butelce Mazurski Dwór Premium XXL", "", "Ćwikła z chrzanem",
                                        "Woda mineralna niegazowana Rozlewnia Źródło Family"};
    static const char* const prices[] = {"4,99", "12", "12.5", "0,5", "1234,00", "7,505", "", "3.4"};
    static const char* const units[] = {"9,98 zł/kg", "", "1,25 zł/litr", "250,00 zł/kg", "0,99 zł/m2"};
    struct Code {
        const char* Text;
        quint8 Type;
    };
    static const Code codes[] = {{"5901234123457", 14}, {"4006381333931", 14}, {"96385074", 13},
                                 {"TOW-00001234", 6},   {"ABCDEF", 14},         {"", 14},
                                 {"5901234123457", 200}, {"Bardzo długi kod Code 128 nie mieści się", 6}};
    TPrintGoodsList list;
    for (int i = 0; i < n; ++i) {
        const Code& c = codes[i % 8];
        list.push_back(Goods(QString::number(i), QString::fromUtf8(names[i % 7]) + (i % 3 ? QStringLiteral(" %1").arg(i) : QString()),
                             QString::fromLatin1(prices[i % 8]), QString::fromUtf8(c.Text), c.Type,
                             QString::fromUtf8(units[i % 5])));
    }
    return list;
}

// Differing pixels of two grey images; the first one's place in `at`.
int DifferingPixels(const QImage& a, const QImage& b, QPoint& at) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && n++ == 0) at = QPoint(x, y);
    return n;
}

// Labels look exactly as they did before the drawing was made faster: jobs
// of varied goods (the shipped layout with the settings' defaults; a layout
// with pictures, fixed texts and prices in two sizes in every alignment), each
// page rasterised in grey, and labels drawn into a bitmap at 300 dpi, compared
// pixel by pixel with pictures of the code before. PRANDEL_WRITE_REFERENCE=1
// writes the pictures instead. They are drawn with the tests' own fonts,
// exactly the files of the two font packages make.sh installs, whatever else
// the machine has (another oblique DejaVu Sans of fonts-dejavu-extra moved
// every italic text).
TEST_F(PrintJobTest, VariedGoodsLookAsTheReferencePictures) {
    // Qt adds its names of the generic families.
    ASSERT_EQ(QFontDatabase::families().join(u',').toStdString(),
              "DejaVu Sans,DejaVu Sans Mono,DejaVu Serif,Liberation Mono,Liberation Sans,Liberation Serif,"
              "Monospace,Sans Serif,Serif");
    ASSERT_EQ(QFontDatabase::styles(QStringLiteral("DejaVu Sans")).join(u',').toStdString(), "Bold,Book");
    const QString refs = QDir::cleanPath(SourceDataDir() + QStringLiteral("/../tests/print/reference"));
    const bool write = qEnvironmentVariableIntValue("PRANDEL_WRITE_REFERENCE") == 1;
    QImage picture(60, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) picture.setPixel(x, y, qRgb(x * 4, y * 6, (x + y) % 2 ? 255 : 0));
    const QString bmp = File(QStringLiteral("logo.bmp"));
    ASSERT_TRUE(picture.save(bmp, "BMP"));
    std::vector<TLayoutObject> rich = {
        PictureObject(bmp, 30, 1, 56, 12, false), PictureObject(bmp, 1, 28, 20, 39, true),
        TextObject(ctName, 2, 1, 40, 7, taLeftJustify, 10), TextObject(ctUserLabel, 2, 8, 20, 12, taLeftJustify, 7, QStringLiteral("Cena brutto:")),
        TextObject(ctPrice, 20, 7, 56, 20, taRightJustify, 28), TextObject(ctPrice, 2, 12, 20, 20, taCenter, 12),
        TextObject(ctPrice, 40, 1, 56, 7, taLeftJustify, 12), TextObject(ctAbsPrice, 20, 20, 56, 24, taRightJustify, 7),
        TextObject(ctCode, 2, 25, 40, 39, taLeftJustify, 7), TextObject(ctCode, 40, 25, 57, 39, taRightJustify, 6)};
    rich[3].FontItalic = true;
    rich[3].FontUnderline = true;
    rich[3].FontColor = 0x0000C0;
    rich[4].FontBold = true;
    struct Job {
        const char* Name;
        QString Layout;
        std::vector<TLayoutObject> Objects;  // with Layout empty
        bool SmallGr, DotSeparator;
        QColor Frame;
        int Goods;
    };
    const Job jobs[] = {{"shipped-30x20", SourceDataDir() + QStringLiteral("/LABELS/30x20.etk"), {}, false, false, Qt::black, 100},
                        {"rich-58x40", QString(), rich, true, true, QColor(200, 0, 0), 25}};
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.Name);
        TPrintManager m;
        if (job.Layout.isEmpty()) {
            LoadInto(m, File(QStringLiteral("rich.etk")), 58, 40, job.Objects);
        } else {
            m.LayoutFileName = job.Layout;
            m.LoadLayout();
        }
        TPrintOptions o;
        o.SmallGr = job.SmallGr;
        o.DotSeparator = job.DotSeparator;
        o.FrameColor = job.Frame;
        m.SetOptions(o);
        m.SelectPrinter(QStringLiteral("PDF"));
        m.PdfFileName = Pdf;
        const TPrintGoodsList goods = VariedGoods(job.Goods);
        m.PrintList(goods, 1);
        ASSERT_EQ(PdfPages(Pdf), 2);
        std::vector<std::pair<QString, QImage>> pictures;
        for (int page = 1; page <= 2; ++page)
            pictures.emplace_back(QStringLiteral("%1-page%2.png").arg(QLatin1String(job.Name)).arg(page),
                                  PdfPage(Pdf, page, 100).convertToFormat(QImage::Format_Grayscale8));
        // The bitmap path (preview, render): twelve labels side by side.
        const int w = MmToPixels(m.LabelWidth(), 1, 300), h = MmToPixels(m.LabelHeight(), 1, 300);
        QImage sheet(4 * w, 3 * h, QImage::Format_RGB32);
        sheet.setDotsPerMeterX(11811);
        sheet.setDotsPerMeterY(11811);
        sheet.fill(Qt::white);
        {
            QPainter p(&sheet);
            for (int i = 0; i < 12; ++i) {
                p.setClipRect(QRect((i % 4) * w, (i / 4) * h, w, h));
                m.DrawLabel(goods[static_cast<size_t>(i)], p);
            }
        }
        pictures.emplace_back(QStringLiteral("%1-bitmap.png").arg(QLatin1String(job.Name)),
                              sheet.convertToFormat(QImage::Format_Grayscale8));
        for (const auto& [name, image] : pictures) {
            ASSERT_FALSE(image.isNull()) << name.toStdString();
            const QString path = refs + u'/' + name;
            if (write) {
                QDir().mkpath(refs);
                ASSERT_TRUE(image.save(path, "PNG", 0)) << path.toStdString();
                continue;
            }
            const QImage reference = QImage(path).convertToFormat(QImage::Format_Grayscale8);
            ASSERT_FALSE(reference.isNull()) << "no reference picture " << path.toStdString();
            QPoint at;
            const int differing = DifferingPixels(image, reference, at);
            // The picture drawn now stays beside the test program for a look.
            if (differing != 0) image.save(QFileInfo(name).completeBaseName() + QStringLiteral(".actual.png"));
            EXPECT_EQ(differing, 0) << name.toStdString() << ": first at " << at.x() << "," << at.y();
        }
    }
}

}  // namespace
