// The whole road of a label: the administrator builds a 58 × 40 mm layout on
// the design page of the real main window with the mouse and the keyboard,
// saves it under a new name and prints the marked goods of the demonstration
// shop with it into a PDF, which must show every object where the panel showed
// it.
#include "datafolder.h"
#include "designertest.h"
#include "engine.h"
#include "goodspage.h"
#include "inifile.h"
#include "loginforms.h"
#include "mainform.h"
#include "printtestutil.h"
#include "plcolorbox.h"
#include "splashform.h"
#include "units.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace designertest;

namespace {

constexpr double kMarginMm = 5;  // the PDF printer's unprintable border

class DesignerEndToEnd : public ::testing::Test {
protected:
    TempDataHome Home;
    TScriptedPrompter Script;
    DesignerEndToEnd() {
        Prompter::install(&Script);
        EnsureDataFolder();
    }
    ~DesignerEndToEnd() override { Prompter::install(nullptr); }

    // First start on the demonstration shop, its goods read, logged in as
    // the administrator (none is set), on the design page.
    void Start(TMainForm& form) {
        TSplashScreenForm splash(&form);
        splash.FormActivate();
        TIniFile(Home.path("settings.ini")).WriteString("DATABASE", "TYPE", QString::fromUtf8("Sklep demonstracyjny"));
        form.LoadingStep();
        form.DeferredInit();
        Script.answer(true);
        Script.answerDialog([](QObject& o) { return dynamic_cast<QDialog&>(o).exec(); });
        form.sbtnRefresh->click();
        Script.answerDialog([](QObject& d) {
            auto& login = dynamic_cast<TLogForm&>(d);
            login.edUserName->clear();
            login.edPasswd->clear();
            return int(QDialog::Accepted);
        });
        form.sbtnLoginClick();
        form.show();
        form.sbtnProject->click();
        ASSERT_EQ(form.CurrentPage(), 1);
        Script.clear();
    }
};

// The font of the layout: one the fonts of the test machine have.
QString LabelFont() {
    const QStringList families = QFontDatabase::families();
    return families.contains(QStringLiteral("Liberation Sans")) ? QStringLiteral("Liberation Sans")
                                                                : QStringLiteral("DejaVu Sans");
}

// Picks the box's item with the keyboard: Home, then Down to it.
void PickWithKeys(QComboBox* box, const QString& item) {
    const int index = box->findText(item);
    ASSERT_GE(index, 0) << item.toStdString();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(box, Qt::Key_Down);
}

// A new size typed into the size box and confirmed.
void TypeSize(TDesignPage& page, const QString& size) {
    QLineEdit* edit = page.cbFontSize->lineEdit();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, size);
    QTest::keyClick(edit, Qt::Key_Return);
}

// A rectangle of the panel in pixels of the page rasterised at `dpi`.
QRect OnPage(const QRect& panelBox, double panelMmPerPixel, int dpi) {
    const double k = dpi / 25.4;
    return QRectF((kMarginMm + panelBox.x() * panelMmPerPixel) * k, (kMarginMm + panelBox.y() * panelMmPerPixel) * k,
                  panelBox.width() * panelMmPerPixel * k, panelBox.height() * panelMmPerPixel * k)
        .toAlignedRect();
}

TEST_F(DesignerEndToEnd, ANewLayoutBuiltWithMouseAndKeyboardPrintsAsThePanelShowsIt) {
    TMainForm form;
    Start(form);
    TDesignPage& page = *form.DesignPage;
    TDesignPanel* panel = page.plProjDesign;
    const int scale = DesignScale(form.Settings);

    // From an empty layout: every object of the default one deleted.
    while (!DesignObjects(panel).isEmpty()) {
        Key(panel, Qt::Key_Tab);
        Key(panel, Qt::Key_Delete);
    }
    // 30 × 20 mm becomes 58 × 40 mm.
    AnswerLabelSize(Script, 20, 28, true);
    page.tbLabelSize->click();
    ASSERT_EQ(page.lbStatus->text().left(21), QString::fromUtf8("Etykieta: 58 × 40 mm,"));

    const QString font = LabelFont();
    const auto px = [&](int mm) { return MmToPixelsX(*panel, mm, quint8(scale)); };
    const auto at = [&](QPoint mm) { return QPoint(px(mm.x()), px(mm.y())); };
    struct Field {
        TCheckToolButton* kind;
        QPoint at;         // where it is placed, in millimetres
        int widthMm;       // dragged by its right handle to this width
        QString size;
        QString colour;
        TCheckToolButton* alignment;
        TCheckToolButton* style;
    };
    const Field fields[] = {
        {page.tbName, {2, 1}, 54, "10", QString::fromUtf8("Czarny"), page.tbLeft, page.tbBold},
        {page.tbPrice, {22, 8}, 34, "22", QString::fromUtf8("Czerwony"), page.tbRight, page.tbBold},
        {page.tbU1, {22, 19}, 34, "7", QString::fromUtf8("Czarny"), page.tbCenter, nullptr},
        {page.tbU2, {3, 25}, 40, "7", QString::fromUtf8("Czarny"), page.tbCenter, nullptr},
        {page.tbULabel, {2, 8}, 18, "9", QString::fromUtf8("Granatowy"), page.tbLeft, page.tbItalic},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.kind->objectName().toStdString());
        if (f.kind == page.tbULabel) AnswerText(Script, QStringLiteral("Promocja"));
        QTest::mouseClick(f.kind, Qt::LeftButton);
        ClickAt(panel, at(f.at));
        TdcLabel* label = page.SelectedLabel();
        ASSERT_TRUE(label);
        DragHandle(label, {label->Width() - 2, label->Height() / 2}, {px(f.widthMm) - label->Width(), 0});
        if (f.kind == page.tbU2) DragHandle(label, {label->Width() / 2, label->Height() - 2}, {0, px(8)});
        PickWithKeys(page.cbFont, font);
        TypeSize(page, f.size);
        PickWithKeys(page.cbColors, f.colour);
        QTest::mouseClick(f.alignment, Qt::LeftButton);
        if (f.style) QTest::mouseClick(f.style, Qt::LeftButton);
        EXPECT_EQ(label->FontName(), font);
        EXPECT_EQ(label->FontSize(), f.size.toInt());
        EXPECT_EQ(page.cbColors->currentText(), f.colour);
    }
    // A picture: red in its top-left corner, green elsewhere. Its file says
    // 300 dpi; the panel shows it pixel for pixel, and so must the paper.
    QImage picture(80, 60, QImage::Format_RGB32);
    picture.fill(QColor(0, 160, 0));
    picture.setDotsPerMeterX(qRound(300 / 0.0254));
    picture.setDotsPerMeterY(qRound(300 / 0.0254));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) picture.setPixel(x, y, qRgb(220, 0, 0));
    const QString bmp = Home.path("logo.bmp");
    ASSERT_TRUE(picture.save(bmp, "BMP"));
    AnswerBitmap(Script, bmp);
    QTest::mouseClick(page.tbUBitmap, Qt::LeftButton);
    ClickAt(panel, at({45, 27}));
    ASSERT_TRUE(page.SelectedImage());
    EXPECT_TRUE(Script.messages().isEmpty()) << Script.messages().join('|').toStdString();
    ASSERT_EQ(DesignObjects(panel).size(), 6);
    EXPECT_TRUE(form.LayoutModified);

    // Saved under a new name, which becomes the layout of the settings.
    const QString saved = Home.path("LABELS/promocja58x40.etk");
    Script.answerPath(Home.path("LABELS/promocja58x40"));
    page.tbSaveAs->click();
    EXPECT_EQ(form.Settings.LabelFileName, saved);
    EXPECT_EQ(form.edLabelFileName->text(), QStringLiteral("promocja58x40.etk"));
    EXPECT_FALSE(form.LayoutModified);
    // Opened again it is the same layout, byte for byte.
    Script.answerPath(saved);
    page.tbOpen->click();
    ASSERT_TRUE(page.SaveLayoutTo(Home.path("again.etk")));
    EXPECT_EQ(ReadAll(Home.path("again.etk")), ReadAll(saved));

    // The panel as the administrator last saw it, without the selection.
    page.DeselectAllExcept(nullptr);
    const QImage shown = panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    struct Box {
        QRect panelRect;
        TLayoutObject mm;  // as the file holds it, and the print clips it
        TdcLabel* label;   // or none for the picture
    };
    std::vector<Box> boxes;
    for (TdcComponent* c : DesignObjects(panel))
        boxes.push_back({c->geometry(), c->ToLayoutObject(), qobject_cast<TdcLabel*>(c)});

    // The preview draws the design on the panel through a scratch layout
    // that is gone afterwards.
    Script.clear();
    Script.answerDialog([](QObject& o) { return int(o.objectName() == "ShowLableForm"); });
    page.tbShow->click();
    EXPECT_EQ(Script.calls().size(), 1u);
    EXPECT_TRUE(Script.messages().isEmpty()) << Script.messages().join('|').toStdString();
    EXPECT_FALSE(QFileInfo::exists(Home.path("$$$$le.etk")));
    Script.clear();

    // Three goods marked, printed with the new layout.
    form.sbtnPrint->click();
    EXPECT_TRUE(Script.messages().isEmpty()) << Script.messages().join('|').toStdString();
    TTable& t = form.GoodsPage->tbLocal;
    t.Open();
    t.First();
    for (int i = 0; i < 3; ++i, t.Next()) {
        t.Edit();
        t.FieldByName("SELECT").SetAsBoolean(true);
        t.Post();
    }
    t.Close();
    form.Settings.PrinterName = "PDF";
    form.cbPrinterName->setCurrentIndex(form.cbPrinterName->findText("PDF"));
    const QString pdf = Home.root() + "/etykiety.pdf";
    Script.answerDialog([](QObject& o) { return dynamic_cast<QDialog&>(o).exec(); });
    Script.answer(true);
    Script.answerPath(pdf);
    form.GoodsPage->sbtnDoPrint->click();
    ASSERT_EQ(Script.messages(),
              QStringList{QString::fromUtf8("Liczba etykiet do druku: 3.\rPotwierdzasz operację drukowania?")});

    // The first label of the page against the panel, both at the panel's
    // resolution: every edge within a millimetre (the layout holds whole
    // millimetres).
    const int dpi = panel->logicalDpiX() * scale;
    const double mmPerPixel = 25.4 / dpi;
    const int tol = dpi / 25 + 1;
    const QImage paper = PdfPage(pdf, 1, dpi);
    ASSERT_FALSE(paper.isNull());
    const QPoint origin = OnPage(QRect(0, 0, 1, 1), mmPerPixel, dpi).topLeft();
    const auto red = [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90; };
    const auto ink = [](QRgb c) { return qGray(c) < 200; };
    for (const Box& b : boxes) {
        const QRect onPaper = QRectF((kMarginMm + b.mm.Left.Value()) * dpi / 25.4, (kMarginMm + b.mm.Top.Value()) * dpi / 25.4,
                                     b.mm.Width().Value() * dpi / 25.4, b.mm.Height().Value() * dpi / 25.4)
                                  .toAlignedRect();
        const bool picture = !b.label;
        const std::function<bool(QRgb)> isInk =
            picture ? std::function<bool(QRgb)>(red) : std::function<bool(QRgb)>(ink);
        const QRect want = InkBox(shown, b.panelRect, isInk);
        const QRect got = InkBox(paper, onPaper, isInk).translated(-origin);
        SCOPED_TRACE(picture ? std::string("picture") : b.label->Text().toStdString());
        ASSERT_FALSE(want.isEmpty());
        ASSERT_FALSE(got.isEmpty());
        const quint8 kind = picture ? quint8(ctUserBitmap) : b.label->AType();
        if (kind == ctCode) {
            // The bars start at the box's left; the panel shows the word "Kod".
            EXPECT_NEAR(got.left(), b.panelRect.left(), tol);
            EXPECT_NEAR(got.top(), b.panelRect.top(), tol);
            continue;
        }
        EXPECT_NEAR(got.top(), want.top(), tol);
        if (picture || kind == ctUserLabel) {
            // The same content: the same ink.
            EXPECT_NEAR(got.left(), want.left(), tol);
            EXPECT_NEAR(got.right(), want.right(), tol);
            EXPECT_NEAR(got.bottom(), want.bottom(), tol);
        } else if (b.label->Alignment() == taLeftJustify) {
            EXPECT_NEAR(got.left(), want.left(), tol);
        } else if (b.label->Alignment() == taRightJustify) {
            EXPECT_NEAR(got.right(), want.right(), tol);
        } else {
            EXPECT_NEAR(got.center().x(), want.center().x(), tol);
        }
    }

    // Every word of the first label lies in the box of an object.
    const double pt = 72.0 / 25.4;
    int words = 0;
    QStringList texts;
    for (const TPdfWord& w : PdfWords(pdf)) {
        if (w.Page != 1 || w.X > (kMarginMm + 58) * pt || w.Y > (kMarginMm + 40) * pt) continue;
        ++words;
        texts << w.Text;
        const bool inside = std::any_of(boxes.begin(), boxes.end(), [&](const Box& b) {
            const QRectF box((kMarginMm + b.panelRect.x() * mmPerPixel) * pt,
                             (kMarginMm + b.panelRect.y() * mmPerPixel) * pt, b.panelRect.width() * mmPerPixel * pt,
                             b.panelRect.height() * mmPerPixel * pt);
            return box.adjusted(-pt, -pt, pt, pt).contains(QPointF(w.X, w.Y));
        });
        EXPECT_TRUE(inside) << w.Text.toStdString() << " at " << w.X << ", " << w.Y;
    }
    EXPECT_GE(words, 5);
    EXPECT_TRUE(texts.contains(QStringLiteral("Promocja"))) << texts.join(' ').toStdString();
}

}  // namespace
