#include "dccomponent.h"
#include "designio.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A shown design panel of the given size.
struct Panel {
    explicit Panel(int w = 400, int h = 200) {
        widget.resize(w, h);
        widget.show();
    }
    TDesignPanel widget;
};

void Press(QWidget* w, QPoint p) { QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, p); }
void Release(QWidget* w, QPoint p) { QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, p); }
// A move with the left button held, in the object's client coordinates.
void Drag(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
// A move with no button held.
void Hover(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Grabs the panel with its objects as they are drawn.
QImage Grab(QWidget& panel) { return panel.grab().toImage().convertToFormat(QImage::Format_RGB32); }

int DarkPixels(const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128) ++n;
    return n;
}

}  // namespace

TEST(DcComponent, NewObjectsTakeTheDesignValues) {
    Panel panel;
    TdcLabel label(&panel.widget, 2);
    EXPECT_EQ(label.Width(), 170);
    EXPECT_EQ(label.Height(), 35);
    EXPECT_EQ(label.FontName(), QStringLiteral("Arial"));
    // Drawn at the size it is saved and printed at: 15 points div 2, times 2.
    EXPECT_EQ(label.FontPointSize(), 14);
    EXPECT_EQ(label.FontSize(), 7);
    EXPECT_EQ(label.AType(), ctPrice);
    EXPECT_TRUE(label.Text().isEmpty());
    EXPECT_EQ(label.DragState(), dsIdle);
    EXPECT_FALSE(label.Select());
    TdcLabel label1(&panel.widget, 1);
    EXPECT_EQ(label1.FontSize(), 15);
    label1.SetFontSize(9);
    EXPECT_EQ(label1.FontPointSize(), 9);

    // Labels come to the front, images go to the back.
    TdcImage image(&panel.widget, 2);
    EXPECT_TRUE(image.RealSize());
    EXPECT_FALSE(image.LoadError());
    const QList<TdcComponent*> order = DesignObjects(&panel.widget);
    ASSERT_EQ(order.size(), 3);
    EXPECT_EQ(order[0], &image);
    EXPECT_EQ(order[1], &label);
    EXPECT_EQ(order[2], &label1);
    label.SetSelect(true);
    EXPECT_EQ(DesignObjects(&panel.widget).last(), &label);
}

TEST(DcComponent, HandlesAndTheirHitOrder) {
    Panel panel;
    TdcLabel label(&panel.widget, 1);
    const TSizeHandle& right = label.Handle(3);
    EXPECT_EQ(right.Left, 166);
    EXPECT_EQ(right.Top, 15);
    EXPECT_EQ(right.Right, 170);
    EXPECT_EQ(right.Bottom, 19);
    EXPECT_EQ(right.Cursor, crSizeWE);
    EXPECT_EQ(label.Handle(1).Left, 83);
    EXPECT_EQ(label.Handle(6).Cursor, crSizeNESW);
    EXPECT_EQ(label.HandleAt({170, 35}), 4);  // bounds are inclusive
    EXPECT_EQ(label.HandleAt({4, 19}), 7);
    EXPECT_EQ(label.HandleAt({50, 20}), -1);

    // Narrower than 8 pixels the handles overlap and the lowest index wins.
    label.resize(6, 35);
    label.UpdateHandles();
    EXPECT_EQ(label.HandleAt({3, 2}), 0);
    EXPECT_EQ(label.HandleAt({5, 2}), 1);
    EXPECT_EQ(label.HandleAt({5, 33}), 4);
}

// The lowest price object shows its template as it prints: wrapped between
// words in its box, not one line cut at the box's edge.
TEST(DcComponent, LowestPriceShowsItsTemplateWrappedInItsBox) {
    Panel panel(400, 300);
    TdcLabel label(&panel.widget, 1);
    label.SetAType(ctLowestPrice);
    label.SetText(CompoCaption(ctLowestPrice));
    label.SetFontSize(10);
    label.setGeometry(10, 10, 120, 200);
    const int line = QFontMetrics(label.PaintFont(), &label).lineSpacing();
    const QImage img = Grab(panel.widget);
    EXPECT_GT(DarkPixels(img, QRect(10, 10 + 2 * line, 120, line)), 20);  // a third line
    EXPECT_EQ(DarkPixels(img, QRect(130, 10, 270, 290)), 0);
}

TEST(DcComponent, RescalingTruncatesBeforeMultiplying) {
    Panel panel;
    TdcLabel label(&panel.widget, 2);
    label.setGeometry(5, 9, 171, 35);
    label.SetScale(3);
    EXPECT_EQ(label.Left(), 6);
    EXPECT_EQ(label.Top(), 12);
    EXPECT_EQ(label.Width(), 255);
    EXPECT_EQ(label.Height(), 51);
    EXPECT_EQ(label.FontPointSize(), 21);  // 15 div 2 × 3
    EXPECT_EQ(label.FontSize(), 7);
    EXPECT_EQ(label.Handle(4).Right, 255);
}

TEST(DcComponent, KeepInsideParentPullsBackOnlyOverRightAndBottom) {
    Panel panel(300, 100);
    TdcLabel label(&panel.widget, 1);
    label.move(200, 90);
    label.KeepInsideParent();
    EXPECT_EQ(label.Left(), 300 - 1 - 170);
    EXPECT_EQ(label.Top(), 100 - 1 - 35);
    label.move(-20, -5);
    label.KeepInsideParent();
    EXPECT_EQ(label.Left(), -20);
    EXPECT_EQ(label.Top(), -5);
}

TEST(DcComponent, PressOnUnselectedObjectMovesAtOnceAndSelectsOnRelease) {
    Panel panel;
    TdcLabel label(&panel.widget, 1);
    label.move(50, 40);
    int selects = 0, changes = 0;
    label.OnSelect = [&](TdcComponent* c) { EXPECT_EQ(c, &label); ++selects; };
    label.OnChange = [&](TdcComponent*) { ++changes; };

    Press(&label, {20, 10});
    EXPECT_EQ(label.DragState(), dsMoving);
    EXPECT_EQ(label.GrabPoint(), QPoint(20, 10));
    Drag(&label, {30, 15});  // pointer now at panel (80, 55)
    EXPECT_EQ(label.Left(), 60);
    EXPECT_EQ(label.Top(), 45);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(selects, 0);
    Release(&label, {20, 10});
    EXPECT_EQ(label.DragState(), dsSelected);
    EXPECT_EQ(selects, 1);
}

TEST(DcComponent, ReleaseOutsideLeavesSelectedWithoutEvent) {
    Panel panel;
    TdcLabel label(&panel.widget, 1);
    int selects = 0;
    label.OnSelect = [&](TdcComponent*) { ++selects; };
    Press(&label, {5, 5});
    Release(&label, {500, 5});
    EXPECT_EQ(label.DragState(), dsSelected);
    EXPECT_EQ(selects, 0);
}

TEST(DcComponent, MoveLimits) {
    Panel panel(300, 100);
    TdcLabel label(&panel.widget, 1);
    label.move(50, 20);
    Press(&label, {10, 10});
    Drag(&label, {-200, -200});
    EXPECT_EQ(label.Left(), 0);
    EXPECT_EQ(label.Top(), 0);
    Drag(&label, {500, 500});
    EXPECT_EQ(label.Left(), 300 - 170 - 1);
    EXPECT_EQ(label.Top(), 100 - 35 - 1);
    Release(&label, {10, 10});

    // Wider than the panel: the left edge is pinned at 0. Taller: the top goes
    // negative, the bottom limit being applied last.
    label.setGeometry(10, 10, 400, 150);
    Press(&label, {10, 10});
    Drag(&label, {40, 30});
    EXPECT_EQ(label.Left(), 0);
    EXPECT_EQ(label.Top(), 100 - 150 - 1);
}

TEST(DcComponent, ResizeFromHandlesWithMinimumSizes) {
    Panel panel(400, 200);
    TdcLabel label(&panel.widget, 1);
    label.setGeometry(100, 50, 100, 40);
    label.UpdateHandles();
    label.SetSelect(true);

    // Hovering a handle of a selected object shows its cursor.
    Hover(&label, {2, 20});
    EXPECT_EQ(label.CursorId(), crSizeWE);
    EXPECT_EQ(label.ActiveHandle(), 7);
    Press(&label, {2, 20});
    EXPECT_EQ(label.DragState(), dsResizing);
    Drag(&label, {-20, 20});  // left edge to panel x 80
    EXPECT_EQ(label.Left(), 80);
    EXPECT_EQ(label.Width(), 120);
    Drag(&label, {105, 20});  // panel x 185: would leave 15 pixels
    EXPECT_EQ(label.Left(), 185);
    EXPECT_EQ(label.Width(), 15);
    Drag(&label, {5, 20});  // panel x 190: would leave 10, refused
    EXPECT_EQ(label.Left(), 185);
    EXPECT_EQ(label.Width(), 15);
    Release(&label, {5, 20});
    EXPECT_EQ(label.DragState(), dsSelected);

    // Bottom-right corner: both edges follow, down to 10 pixels.
    label.setGeometry(100, 50, 100, 40);
    label.UpdateHandles();
    Hover(&label, {99, 39});
    EXPECT_EQ(label.ActiveHandle(), 4);
    EXPECT_EQ(label.CursorId(), crSizeNWSE);
    Press(&label, {99, 39});
    Drag(&label, {150, 60});
    EXPECT_EQ(label.Width(), 150);
    EXPECT_EQ(label.Height(), 60);
    Drag(&label, {10, 10});
    EXPECT_EQ(label.Width(), 10);
    EXPECT_EQ(label.Height(), 10);
    Drag(&label, {9, 9});
    EXPECT_EQ(label.Width(), 10);
    EXPECT_EQ(label.Height(), 10);
    Drag(&label, {301, 140});  // right edge at 401: beyond the panel
    EXPECT_EQ(label.Width(), 10);
    EXPECT_EQ(label.Height(), 140);
    Drag(&label, {20, 151});  // bottom edge at 201: beyond the panel
    EXPECT_EQ(label.Width(), 20);
    EXPECT_EQ(label.Height(), 140);
    Release(&label, {0, 0});

    // Top edge: stops before the height drops below 10.
    label.setGeometry(100, 50, 100, 40);
    label.UpdateHandles();
    Hover(&label, {50, 1});
    EXPECT_EQ(label.ActiveHandle(), 1);
    Press(&label, {50, 1});
    Drag(&label, {50, 30});
    EXPECT_EQ(label.Top(), 80);
    EXPECT_EQ(label.Height(), 10);
    Drag(&label, {50, 1});
    EXPECT_EQ(label.Top(), 80);
    EXPECT_EQ(label.Height(), 10);
    Release(&label, {50, 1});

    // Off the handles the cursor goes back to the default and a press moves.
    Hover(&label, {50, 5});
    EXPECT_EQ(label.CursorId(), crDefault);
}

TEST(DcComponent, UnselectedObjectShowsNoSizeCursor) {
    Panel panel;
    TdcLabel label(&panel.widget, 1);
    Hover(&label, {2, 2});
    EXPECT_EQ(label.CursorId(), crDefault);
    Press(&label, {2, 2});
    EXPECT_EQ(label.DragState(), dsMoving);
}

TEST(DcComponent, PressAfterDoubleClickNeitherMovesNorResizes) {
    Panel panel;
    TdcLabel label(&panel.widget, 1);
    label.move(50, 50);
    int doubles = 0, selects = 0;
    label.OnDblClick = [&](TdcComponent*) {
        ++doubles;
        EXPECT_NE(label.DragState(), dsMoving);
    };
    label.OnSelect = [&](TdcComponent*) { ++selects; };

    // The toolkit's order: press, release, press, double click, release.
    Press(&label, {20, 20});
    Release(&label, {20, 20});
    EXPECT_EQ(selects, 1);
    Press(&label, {20, 20});
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(20, 20), label.mapToGlobal(QPointF(20, 20)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&label, &dbl);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(label.DragState(), dsSelected);
    EXPECT_FALSE(label.IgnoreNextPress());
    Drag(&label, {60, 60});
    EXPECT_EQ(label.pos(), QPoint(50, 50));
    Release(&label, {60, 60});
    EXPECT_EQ(selects, 1);  // the release of a double click is no click
    EXPECT_EQ(label.DragState(), dsSelected);

    // The ignored press is the double click's own: the press after it moves.
    QTest::mouseDClick(&label, Qt::LeftButton, Qt::NoModifier, {20, 20});
    EXPECT_EQ(doubles, 2);
    EXPECT_FALSE(label.IgnoreNextPress());
    Release(&label, {20, 20});
    Press(&label, {20, 20});
    EXPECT_EQ(label.DragState(), dsMoving);
    Drag(&label, {40, 40});
    EXPECT_EQ(label.pos(), QPoint(70, 70));
}

TEST(DcComponent, LabelPaintsItsTextAlignedAndTheSelectionFrame) {
    Panel panel(400, 200);
    TdcLabel label(&panel.widget, 1);
    label.setGeometry(10, 10, 300, 40);
    label.SetText(QStringLiteral("MMMM"));
    label.SetFontSize(12);
    QImage img = Grab(panel.widget);
    const QRect leftThird(10, 10, 100, 40), rightThird(210, 10, 100, 40);
    EXPECT_GT(DarkPixels(img, leftThird), 20);
    EXPECT_EQ(DarkPixels(img, rightThird), 0);
    EXPECT_EQ(img.pixel(11, 11), qRgb(255, 255, 255));  // no frame while idle

    label.SetAlignment(taRightJustify);
    img = Grab(panel.widget);
    EXPECT_EQ(DarkPixels(img, leftThird), 0);
    EXPECT_GT(DarkPixels(img, rightThird), 20);

    label.SetAlignment(taCenter);
    label.SetFontColor(255);
    img = Grab(panel.widget);
    EXPECT_EQ(DarkPixels(img, leftThird), 0);
    EXPECT_EQ(DarkPixels(img, rightThird), 0);
    bool red = false;
    for (int x = 110; x < 210 && !red; ++x)
        for (int y = 10; y < 50 && !red; ++y) red = img.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_TRUE(red);

    // Selected: red frame, black handles.
    label.SetSelect(true);
    img = Grab(panel.widget);
    EXPECT_EQ(img.pixel(50, 10), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(309, 40), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(309, 30), qRgb(0, 0, 0));  // right-edge handle
    EXPECT_EQ(img.pixel(11, 11), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(308, 48), qRgb(0, 0, 0));

    // While moving only the frame and handles are drawn.
    label.SetAlignment(taLeftJustify);
    label.SetFontColor(0);
    Press(&label, {150, 20});
    img = Grab(panel.widget);
    EXPECT_EQ(DarkPixels(img, QRect(20, 16, 80, 20)), 0);
    Release(&label, {150, 20});
}

TEST(DcComponent, ImageLoadsStretchesAndKeepsWhiteTransparent) {
    QTemporaryDir dir;
    QImage bmp(20, 10, QImage::Format_RGB32);
    bmp.fill(Qt::white);
    QPainter(&bmp).fillRect(0, 0, 10, 10, QColor(0, 0, 255));
    const QString path = dir.filePath("pic.bmp");
    ASSERT_TRUE(bmp.save(path, "BMP"));

    Panel panel(300, 100);
    TdcLabel behind(&panel.widget, 2);
    behind.setGeometry(0, 0, 300, 100);
    behind.SetText(QStringLiteral("██████████████████"));
    TdcImage image(&panel.widget, 2);
    image.move(100, 5);
    image.SetFileName(path);
    ASSERT_FALSE(image.LoadError());
    EXPECT_EQ(image.FileName(), path);
    EXPECT_EQ(image.size(), QSize(20, 10));  // the picture's pixels, not scaled

    // Real size at scale 2 paints 40 × 20, cut to the 20 × 10 box.
    image.raise();
    QImage img = Grab(panel.widget);
    EXPECT_EQ(img.pixel(105, 10), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(119, 14), qRgb(0, 0, 255));

    // Stretched: the blue half fills the left half of the box; white shows
    // what lies behind.
    image.resize(80, 40);
    image.SetRealSize(false);
    behind.SetText(QString());
    img = Grab(panel.widget);
    EXPECT_EQ(img.pixel(130, 35), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(170, 35), qRgb(255, 255, 255));
    behind.SetText(QStringLiteral("██████████████████"));
    img = Grab(panel.widget);
    EXPECT_EQ(img.pixel(130, 12), qRgb(0, 0, 255));
    EXPECT_LT(qGray(img.pixel(170, 12)), 128);  // the text behind shows through

    // A picture wider than the room right of Left is cut to the panel.
    TdcImage wide(&panel.widget, 1);
    wide.move(290, 95);
    wide.SetFileName(path);
    EXPECT_EQ(wide.Width(), 10);
    EXPECT_EQ(wide.Height(), 5);
}

TEST(DcComponent, UnreadablePictureSetsLoadErrorAndKeepsTheSize) {
    QTemporaryDir dir;
    const QString junk = dir.filePath("junk.bmp");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    Panel panel;
    TdcImage image(&panel.widget, 1);
    for (const QString& path : {junk, dir.filePath("missing.bmp")}) {
        image.SetFileName(path);
        EXPECT_TRUE(image.LoadError());
        EXPECT_TRUE(image.FileName().isEmpty());
        EXPECT_TRUE(image.Bitmap().isNull());
        EXPECT_EQ(image.size(), QSize(170, 35));
    }
}
