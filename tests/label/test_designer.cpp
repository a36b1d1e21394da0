// The design page as the administrator uses it: toolbars, placing, editing,
// zoom, label size, files and the history, through the scripted prompter.
#include "bitmapdialog.h"
#include "datafolder.h"
#include "designertest.h"
#include "designhistory.h"
#include "layoutpaths.h"
#include "matrixcode.h"
#include "plcolorbox.h"
#include "pricefit.h"
#include "sizeform.h"
#include "units.h"
#include "zbar.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

using namespace designertest;

namespace {

using K = TScriptedPrompter::Kind;

class Designer : public ::testing::Test {
protected:
    TempDataHome Home;
    TScriptedPrompter Script;
    TSettings Settings;
    bool Modified = false;
    int Beeps = 0;
    std::unique_ptr<TDesignPage> Page;

    void SetUp() override {
        Prompter::install(&Script);
        EnsureDataFolder();
        QDir().mkpath(Home.path("LABELS"));
        Settings.Scale = 2;
        Settings.LabelFileName = Home.path("LABELS/projekt.etk");
        Page = std::make_unique<TDesignPage>(Settings, Modified);
        Page->Beep = [this] { ++Beeps; };
        Page->resize(1100, 700);
        Page->show();
    }
    void TearDown() override {
        Page.reset();
        Prompter::install(nullptr);
    }

    TDesignPanel* Panel() const { return Page->plProjDesign; }
    QList<TdcComponent*> Objects() const { return DesignObjects(Panel()); }
    QUndoStack& Steps() const { return Page->History().Stack; }
    TdcComponent* Selected() const {
        if (TdcLabel* l = Page->SelectedLabel()) return l;
        return Page->SelectedImage();
    }
    // A kind button, then a click on the panel at `p`: the new object.
    TdcComponent* Place(TCheckToolButton* kind, QPoint p) {
        kind->click();
        ClickAt(Panel(), p);
        return Selected();
    }
    TdcLabel* PlaceLabel(TCheckToolButton* kind, QPoint p) { return qobject_cast<TdcLabel*>(Place(kind, p)); }
    // The shipped layout of `name` opened as the layout of the settings.
    QString OpenShipped(const QString& name) {
        const QString path = Home.path("LABELS/" + name);
        WriteAll(path, ReadAll(SourceDataDir() + "/LABELS/" + name));
        Settings.LabelFileName = path;
        EXPECT_TRUE(Page->ReloadLayout());
        return path;
    }
};

// ---- Toolbars ----

TEST_F(Designer, EveryControlHasItsNameHintTagAndToolbar) {
    struct Row {
        QWidget* control;
        const char* name;
        const char* hint;
        int tag;
        QToolBar* bar;
    };
    TDesignPage& p = *Page;
    const Row rows[] = {
        {p.tbOpen, "tbOpen", "Otwórz", 0, p.tbMain},
        {p.tbSave, "tbSave", "Zapisz", 0, p.tbMain},
        {p.tbSaveAs, "tbSaveAs", "Zapisz jako...", 0, p.tbMain},
        {p.tbLabelSize, "tbLabelSize", "Rozmiar etykiety", 0, p.tbMain},
        {p.tbShow, "tbShow", "Podgląd wydruku", 0, p.tbMain},
        {p.tbZoomIn, "tbZoomIn", "Powiększ", 0, p.tbMain},
        {p.tbZoomOut, "tbZoomOut", "Pomniejsz", 0, p.tbMain},
        {p.tbUndo, "tbUndo", "Cofnij", 0, p.tbMain},
        {p.tbRedo, "tbRedo", "Ponów", 0, p.tbMain},
        {p.cbFont, "cbFont", "Czcionka", 0, p.tbrLabelProp},
        {p.cbFontSize, "cbFontSize", "Rozmiar czcionki", 0, p.tbrLabelProp},
        {p.cbColors, "cbColors", "Kolor czcionki", 0, p.tbrLabelProp},
        {p.tbLeft, "tbLeft", "Wyrównaj do lewej", 0, p.tbrLabelProp},
        {p.tbCenter, "tbCenter", "Wyrównaj do środka", 2, p.tbrLabelProp},
        {p.tbRight, "tbRight", "Wyrównaj do prawej", 1, p.tbrLabelProp},
        {p.tbBold, "tbBold", "Pogrubienie", 0, p.tbrLabelProp},
        {p.tbItalic, "tbItalic", "Kursywa", 1, p.tbrLabelProp},
        {p.tbUnderline, "tbUnderline", "Podkreślenie", 2, p.tbrLabelProp},
        {p.tbReal, "tbReal", "Rozmiar rzeczywisty", 1, p.tbrLabelProp},
        {p.tbStretch, "tbStretch", "Rozmiar skalowany", 0, p.tbrLabelProp},
        {p.cbSymbol, "cbSymbol", "Rodzaj kodu 2D", 0, p.tbrLabelProp},
        {p.tbGs1, "tbGs1", "Dane GS1 (numer GTIN)", 0, p.tbrLabelProp},
        {p.tbPrice, "tbPrice", "Cena", 0, p.tbrCompo},
        {p.tbName, "tbName", "Nazwa", 1, p.tbrCompo},
        {p.tbU1, "tbU1", "Cena za jednostkę", 2, p.tbrCompo},
        {p.tbU2, "tbU2", "Kod", 3, p.tbrCompo},
        {p.tbULabel, "tbULabel", "Napis", 4, p.tbrCompo},
        {p.tbUBitmap, "tbUBitmap", "Mapa bitowa", 5, p.tbrCompo},
        {p.tbLowestPrice, "tbLowestPrice", "Najniższa cena", 6, p.tbrCompo},
        {p.tbMatrixCode, "tbMatrixCode", "Kod 2D", 7, p.tbrCompo},
        {p.tbReduction, "tbReduction", "Obniżka", 8, p.tbrCompo},
        {p.tbDelete, "tbDelete", "Usuń obiekt", 0, p.tbrCompo},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.control->objectName(), QLatin1String(r.name));
        EXPECT_EQ(r.control->toolTip(), QString::fromUtf8(r.hint));
        EXPECT_EQ(r.control->accessibleName(), QString::fromUtf8(r.hint));
        EXPECT_EQ(Tag(r.control), r.tag);
        EXPECT_EQ(r.control->parentWidget(), r.bar);
        if (auto* b = qobject_cast<QToolButton*>(r.control)) {
            EXPECT_FALSE(b->icon().isNull());
        }
    }
    EXPECT_EQ(p.edLabelFileName->parentWidget(), p.tbMain);
    EXPECT_TRUE(p.edLabelFileName->isReadOnly());
    EXPECT_EQ(Panel()->accessibleName(), QStringLiteral("Projekt etykiety"));
    EXPECT_EQ(p.sbDesign->widget(), Panel());
    // Nothing selected: the property toolbar waits; both zoom buttons start enabled.
    for (QWidget* w : {(QWidget*)p.cbFont, (QWidget*)p.tbBold, (QWidget*)p.tbReal, (QWidget*)p.cbSymbol, (QWidget*)p.tbGs1})
        EXPECT_FALSE(w->isEnabled());
    // The symbologies in the order of SYMBOL's values.
    EXPECT_EQ(p.cbSymbol->itemText(msQR), QStringLiteral("QR"));
    EXPECT_EQ(p.cbSymbol->itemText(msDataMatrix), QStringLiteral("Data Matrix"));
    EXPECT_TRUE(p.tbZoomIn->isEnabled() && p.tbZoomOut->isEnabled());
    EXPECT_FALSE(p.tbUndo->isEnabled());

    // The font list: scalable families, once each, sorted without regard to case.
    const int fonts = p.cbFont->count();
    ASSERT_GT(fonts, 0);
    EXPECT_EQ(p.cbFont->currentIndex(), 0);
    for (int i = 0; i < fonts; ++i) {
        EXPECT_FALSE(p.cbFont->itemText(i).contains('['));  // the face without its foundry
        EXPECT_TRUE(QFontDatabase::isScalable(p.cbFont->itemText(i)));
        if (i > 0) {
            EXPECT_LT(p.cbFont->itemText(i - 1).compare(p.cbFont->itemText(i), Qt::CaseInsensitive), 0);
        }
    }
    QStringList sizes;
    for (int i = 0; i < p.cbFontSize->count(); ++i) sizes << p.cbFontSize->itemText(i);
    EXPECT_EQ(sizes.join(' '), QStringLiteral("4 5 6 7 8 9 10 11 12 14 16 18 20 22 24 26 28 36 48 72"));
    EXPECT_EQ(p.cbFontSize->currentText(), QStringLiteral("24"));
    EXPECT_EQ(p.cbColors->count(), 16);
}

TEST_F(Designer, CheckButtonsToggleByTheirGroupRule) {
    PlaceLabel(Page->tbName, {20, 20});  // enables the property toolbar
    struct Row {
        TCheckToolButton* button;
        bool mouse;  // a real press and release, or a click from the keyboard
        bool downAfterFirst;
        bool downAfterSecond;
    };
    const Row rows[] = {
        {Page->tbBold, true, true, false},        // independent: always toggles
        {Page->tbItalic, false, true, false},
        {Page->tbRight, true, true, true},        // grouped, one must stay down
        {Page->tbLeft, false, true, true},
        {Page->tbPrice, true, true, false},       // kinds: all may be up
        {Page->tbUBitmap, false, true, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.button->objectName().toStdString());
        r.button->SetDown(false);
        for (bool want : {r.downAfterFirst, r.downAfterSecond}) {
            if (r.mouse)
                QTest::mouseClick(r.button, Qt::LeftButton);
            else
                r.button->click();
            EXPECT_EQ(r.button->Down(), want);
        }
    }
    // A press released outside makes no click, and is forgotten.
    Page->tbBold->SetDown(false);
    QTest::mousePress(Page->tbBold, Qt::LeftButton);
    QTest::mouseRelease(Page->tbBold, Qt::LeftButton, Qt::NoModifier, {-5, -5});
    Page->tbBold->SetDown(true);
    Page->tbBold->click();
    EXPECT_FALSE(Page->tbBold->Down());
    // Down in a group raises the others.
    Page->tbCenter->click();
    EXPECT_TRUE(Page->tbCenter->Down());
    EXPECT_FALSE(Page->tbRight->Down() || Page->tbLeft->Down());
    Page->tbName->click();
    Page->tbU2->click();
    EXPECT_EQ(Page->KindGroup->Down(), Page->tbU2);
    EXPECT_TRUE(Page->IsKindButtonDown());
}

// ---- Placing ----

TEST_F(Designer, PlacingEveryKindWithItsDialogs) {
    const QString bmp = WritePicture(Home.path("logo.bmp"), {40, 30}, QColor(0, 128, 0));
    WriteAll(Home.path("broken.bmp"), "BM not a picture");
    struct Row {
        TCheckToolButton* TDesignPage::*button;
        std::function<void(TScriptedPrompter&)> answer;
        bool created;
        QString text;  // of a label; empty for a picture
        QString error;
    };
    const Row rows[] = {
        {&TDesignPage::tbPrice, {}, true, "Cena", {}},
        {&TDesignPage::tbName, {}, true, "Nazwa", {}},
        {&TDesignPage::tbU1, {}, true, QString::fromUtf8("Cena za jednostkę"), {}},
        {&TDesignPage::tbU2, {}, true, "Kod", {}},
        {&TDesignPage::tbLowestPrice, {}, true, QString::fromUtf8("Najniższa cena z 30 dni przed obniżką: {cena} zł"), {}},
        {&TDesignPage::tbMatrixCode, {}, true, "https://id.gs1.org/01/{gtin}", {}},
        {&TDesignPage::tbReduction, {}, true, QString::fromUtf8("−{procent}%"), {}},
        {&TDesignPage::tbULabel, [](TScriptedPrompter& s) { AnswerText(s, QStringLiteral(" Promocja ")); }, true,
         " Promocja ", {}},
        {&TDesignPage::tbULabel, [](TScriptedPrompter& s) { AnswerText(s, std::nullopt); }, false, {}, {}},
        {&TDesignPage::tbULabel, [](TScriptedPrompter& s) { AnswerText(s, QStringLiteral("   ")); }, false, {}, {}},
        {&TDesignPage::tbUBitmap, [&](TScriptedPrompter& s) { AnswerBitmap(s, bmp); }, true, {}, {}},
        {&TDesignPage::tbUBitmap, [](TScriptedPrompter& s) { AnswerBitmap(s, {}); }, false, {}, {}},
        {&TDesignPage::tbUBitmap, [&](TScriptedPrompter& s) { AnswerBitmap(s, Home.path("broken.bmp")); }, false, {},
         QString::fromUtf8("Wystąpił błąd podczas odczytu pliku: \"%1\"").arg(Home.path("broken.bmp"))},
    };
    const QPoint at(30, 40);
    for (const Row& r : rows) {
        SCOPED_TRACE((Page.get()->*r.button)->objectName().toStdString() + " " + r.text.toStdString());
        qDeleteAll(Objects());
        Script.clear();
        Modified = false;
        if (r.answer) r.answer(Script);
        TdcComponent* made = Place(Page.get()->*r.button, at);
        EXPECT_TRUE(Modified);  // also when nothing was made
        EXPECT_FALSE(Page->IsKindButtonDown());
        EXPECT_EQ(Script.messages(K::Error), r.error.isEmpty() ? QStringList() : QStringList{r.error});
        ASSERT_EQ(Objects().size(), r.created ? 1 : 0);
        if (!r.created) continue;
        ASSERT_EQ(made, Objects().first());
        EXPECT_EQ(made->pos(), at);
        EXPECT_EQ(made->Scale(), 2);
        EXPECT_EQ(QCursor::pos(), Panel()->mapToGlobal(at));  // the pointer is put back
        if (auto* label = qobject_cast<TdcLabel*>(made)) {
            EXPECT_EQ(label->Text(), r.text);
            EXPECT_EQ(label->accessibleName(), r.text);
            EXPECT_EQ(label->AType(), Tag(Page.get()->*r.button));
            if (label->AType() == ctLowestPrice) {
                // A box its long template fits at the field's font, wrapped,
                // as the designer shows it and as it prints.
                EXPECT_EQ(label->size(), QSize(MmToPixelsX(*label, kLowestPriceWidthMm, 2), MmToPixelsY(*label, kLowestPriceHeightMm, 2)));
                const TFittedPriceText shown =
                    FitPriceTemplate(label->Text(), QStringLiteral("{cena}"), label->FontSize(), label->size(), 0,
                                     [&](int points) { return QFontMetrics(label->PaintFont(points * 2), label); });
                EXPECT_EQ(shown.Text, r.text);
                EXPECT_EQ(shown.Points, kLowestPricePoints);
            } else if (label->AType() == ctMatrixCode) {
                // A square the symbol fits.
                EXPECT_EQ(label->size(), QSize(MmToPixelsX(*label, kMatrixCodeSideMm, 2), MmToPixelsY(*label, kMatrixCodeSideMm, 2)));
            } else {
                EXPECT_EQ(label->size(), QSize(170, 35));
            }
            // Design size 15 (14 for the lowest price) at scale 2; the 2D
            // code's text, printed where its symbol does not fit, smaller.
            const int points = label->AType() == ctMatrixCode ? kMatrixCodePoints : 7;
            EXPECT_EQ(label->FontSize(), points);
            EXPECT_TRUE(Page->cbFont->isEnabled());
            EXPECT_FALSE(Page->tbReal->isEnabled());
            EXPECT_EQ(Page->cbSymbol->isEnabled(), label->AType() == ctMatrixCode);
            EXPECT_EQ(Page->tbGs1->isEnabled(), label->AType() == ctMatrixCode);
            EXPECT_EQ(Page->cbFontSize->currentText(), QString::number(points));
        } else {
            auto* image = qobject_cast<TdcImage*>(made);
            EXPECT_EQ(image->size(), QSize(40, 30));  // the picture's pixels
            EXPECT_EQ(image->accessibleName(), QStringLiteral("Mapa bitowa: logo.bmp"));
            EXPECT_FALSE(Page->cbFont->isEnabled());
            EXPECT_TRUE(Page->tbReal->isEnabled() && Page->tbReal->Down());
        }
    }
    // The picture dialog: its title, the Windows bitmaps first, the data
    // folder, and a preview of the file under the cursor.
    Script.answerDialog([&](QObject& d) {
        auto& dialog = dynamic_cast<TBitmapDialog&>(d);
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Wybierz mapę bitową..."));
        EXPECT_EQ(dialog.nameFilters().first(), QStringLiteral("Pliki map bitowych (*.bmp)"));
        EXPECT_EQ(QDir(dialog.directory()).absolutePath() + '/', GetDataFolder());
        emit dialog.currentChanged(bmp);
        EXPECT_FALSE(dialog.lbPreview->pixmap().isNull());
        emit dialog.currentChanged(Home.path("broken.bmp"));
        EXPECT_TRUE(dialog.lbPreview->pixmap().isNull());
        return int(QDialog::Rejected);
    });
    Place(Page->tbUBitmap, at);
    // The text dialog starts with "Napis".
    QString initial;
    Script.answerDialog([&](QObject& d) {
        initial = d.findChild<QLineEdit*>("edText")->text();
        return int(QDialog::Rejected);
    });
    Place(Page->tbULabel, at);
    EXPECT_EQ(initial, QStringLiteral("Napis"));
}

TEST_F(Designer, ClicksOnThePanelAndOnObjects) {
    TdcComponent* first = Place(Page->tbName, {10, 10});
    Modified = false;
    // No kind button: the selection stays.
    ClickAt(Panel(), {400, 300});
    EXPECT_TRUE(first->Select());
    EXPECT_FALSE(Modified);
    EXPECT_EQ(Objects().size(), 1);

    // A kind button down: a click on the object places the new one there.
    first->SetSelect(false);
    Page->tbPrice->click();
    ClickAt(first, {50, 12});
    ASSERT_EQ(Objects().size(), 2);
    TdcComponent* made = Selected();
    EXPECT_NE(made, first);
    EXPECT_EQ(made->pos(), QPoint(60, 22));
    EXPECT_FALSE(first->Select());
    EXPECT_TRUE(Modified);

    // Pushed back over the right and bottom edges only.
    const QSize panel = Panel()->size();
    struct Row {
        QPoint at;
        QPoint want;
    };
    const Row rows[] = {
        {{panel.width() - 20, 100}, {panel.width() - 1 - 170, 100}},
        {{100, panel.height() - 5}, {100, panel.height() - 1 - 35}},
        {{2, 3}, {2, 3}},
        {{0, 0}, {0, 0}},
    };
    for (const Row& r : rows) EXPECT_EQ(Place(Page->tbName, r.at)->pos(), r.want);
}

// ---- Zoom and label size ----

TEST_F(Designer, ZoomStopsAtItsLimitsAndLosesPixels) {
    TdcComponent* label = Place(Page->tbName, {5, 9});
    label->resize(171, 35);
    Panel()->resize(757, 379);
    Modified = false;
    Page->tbZoomIn->click();
    EXPECT_EQ(Settings.Scale, 3);
    EXPECT_EQ(Panel()->size(), QSize(1134, 567));
    EXPECT_EQ(label->geometry(), QRect(6, 12, 255, 51));
    Page->tbZoomOut->click();
    EXPECT_EQ(Settings.Scale, 2);
    EXPECT_EQ(Panel()->size(), QSize(756, 378));  // a pixel lost each way
    EXPECT_EQ(label->geometry(), QRect(4, 8, 170, 34));
    EXPECT_FALSE(Modified);

    for (int i = 0; i < 5; ++i) Page->ZoomBy(true);
    EXPECT_EQ(Settings.Scale, 5);
    EXPECT_FALSE(Page->tbZoomIn->isEnabled());
    const QSize at5 = Panel()->size();
    Page->ZoomBy(true);
    EXPECT_EQ(Panel()->size(), at5);
    for (int i = 0; i < 5; ++i) Page->ZoomBy(false);
    EXPECT_EQ(Settings.Scale, 1);
    EXPECT_FALSE(Page->tbZoomOut->isEnabled());
    EXPECT_TRUE(Page->tbZoomIn->isEnabled());
    EXPECT_FALSE(Modified);
}

TEST_F(Designer, SizeBoxStepsWithinItsLimitsAndShowsCentimetres) {
    struct Row {
        int start, steps, value;
        const char* text;
    };
    const Row rows[] = {
        {5, 0, 5, "0,5 cm"},    {5, 1, 10, "1,0 cm"},    {300, 1, 300, "30,0 cm"}, {10, -1, 10, "1,0 cm"},
        {205, 0, 205, "20,5 cm"}, {30, 0, 30, "3,0 cm"}, {400, -2, 299, "29,9 cm"}, {12, -5, 10, "1,0 cm"},
    };
    for (const Row& r : rows) {
        TMmBox box;
        box.SetValue(r.start);
        box.stepBy(r.steps);
        EXPECT_EQ(box.Value(), r.value) << r.start << " " << r.steps;
        EXPECT_EQ(box.text(), QString::fromUtf8(r.text));
    }

    TdcComponent* label = Place(Page->tbName, {300, 100});
    const QRect before = label->geometry();
    QStringList shown;
    Modified = false;
    AnswerLabelSize(Script, -2, 3, false, &shown);
    Page->tbLabelSize->click();
    EXPECT_EQ(shown, QStringList({"5,0 cm", "10,0 cm", "4,8 cm", "10,3 cm"}));
    EXPECT_FALSE(Modified);
    AnswerLabelSize(Script, -20, -50, true);
    Page->tbLabelSize->click();
    EXPECT_TRUE(Modified);
    EXPECT_EQ(Panel()->width(), MmToPixelsX(*Panel(), 50, 2));
    EXPECT_EQ(Panel()->height(), MmToPixelsY(*Panel(), 30, 2));
    EXPECT_EQ(label->geometry(), before);  // left outside the label
}

// ---- Property edits ----

TEST_F(Designer, PropertyEditsChangeTheSelectedTextOnly) {
    TdcLabel* other = PlaceLabel(Page->tbPrice, {10, 100});
    TdcLabel* label = PlaceLabel(Page->tbName, {10, 10});
    const QString font = Page->cbFont->itemText(Page->cbFont->count() - 1);
    struct Row {
        const char* what;
        std::function<void()> edit;
        std::function<bool()> done;
    };
    const Row rows[] = {
        {"font", [&] { Page->cbFont->setCurrentIndex(Page->cbFont->count() - 1); },
         [&] { return label->FontName() == font; }},
        {"size", [&] { Page->cbFontSize->setEditText("12"); }, [&] { return label->FontSize() == 12; }},
        {"colour", [&] { Page->cbColors->setCurrentIndex(9); }, [&] { return label->FontColor() == 255; }},
        {"right", [&] { Page->tbRight->click(); }, [&] { return label->Alignment() == taRightJustify; }},
        {"centre", [&] { QTest::mouseClick(Page->tbCenter, Qt::LeftButton); },
         [&] { return label->Alignment() == taCenter; }},
        {"bold", [&] { Page->tbBold->click(); }, [&] { return label->FontBold(); }},
        {"italic", [&] { Page->tbItalic->click(); }, [&] { return label->FontItalic(); }},
        {"underline", [&] { Page->tbUnderline->click(); }, [&] { return label->FontUnderline(); }},
        {"bold off", [&] { Page->tbBold->click(); }, [&] { return !label->FontBold(); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Modified = false;
        const int steps = Steps().count();
        r.edit();
        EXPECT_TRUE(r.done());
        EXPECT_TRUE(Modified);
        EXPECT_EQ(Steps().count(), steps + 1);
    }
    EXPECT_EQ(other->FontName(), QStringLiteral("Arial"));
    EXPECT_FALSE(other->FontBold());
    EXPECT_EQ(other->Alignment(), taLeftJustify);

    // Selecting shows the object in the toolbars without editing anything; a
    // font that is not in the list leaves the box as it was.
    other->SetFontName(QStringLiteral("Nie ma takiej czcionki"));
    Modified = false;
    const int steps = Steps().count();
    ClickAt(other, {5, 5});
    EXPECT_EQ(Page->cbFont->currentText(), font);
    EXPECT_EQ(Page->cbFontSize->currentText(), QStringLiteral("7"));
    EXPECT_EQ(Page->cbColors->Selected(), 0);
    EXPECT_TRUE(Page->tbLeft->Down());
    EXPECT_FALSE(Page->tbBold->Down() || Page->tbItalic->Down() || Page->tbUnderline->Down());
    ClickAt(label, {5, 5});
    EXPECT_TRUE(Page->tbCenter->Down() && Page->tbItalic->Down() && Page->tbUnderline->Down());
    EXPECT_EQ(Page->cbColors->currentText(), QStringLiteral("Czerwony"));
    EXPECT_FALSE(Modified);
    EXPECT_EQ(Steps().count(), steps);

    // A size typed key by key is one step; "abc" beeps and changes nothing.
    Page->cbFontSize->lineEdit()->selectAll();
    QTest::keyClicks(Page->cbFontSize->lineEdit(), "18");
    EXPECT_EQ(label->FontSize(), 18);
    EXPECT_EQ(Steps().count(), steps + 1);
    Page->cbFontSize->lineEdit()->selectAll();
    Modified = false;
    QTest::keyClicks(Page->cbFontSize->lineEdit(), "abc");
    EXPECT_EQ(Beeps, 3);
    EXPECT_EQ(label->FontSize(), 18);
    EXPECT_TRUE(Modified);

    // With nothing selected every edit still marks the layout.
    Page->DeselectAllExcept(nullptr);
    Modified = false;
    Page->tbDeleteClick();
    EXPECT_TRUE(Modified);
    EXPECT_EQ(Objects().size(), 2);
}

// A 2D code's symbology and GS1 data: one step each, for the selected code
// only; GS1 turns the default web address into the GTIN and back. The panel
// shows the symbol of sample goods, as it will print.
TEST_F(Designer, MatrixCodeSymbologyAndGs1) {
    TdcLabel* name = PlaceLabel(Page->tbName, {10, 10});
    TdcLabel* code = PlaceLabel(Page->tbMatrixCode, {10, 60});
    const QString link = QStringLiteral("https://id.gs1.org/01/{gtin}");
    struct Row {
        const char* what;
        std::function<void()> edit;
        quint8 symbol;
        bool gs1;
        QString text;
        const char* read;  // zbar's reading of the panel; empty: no QR shown
    };
    const Row rows[] = {
        {"Data Matrix", [&] { Page->cbSymbol->setCurrentIndex(1); }, msDataMatrix, false, link, ""},
        {"GS1 on", [&] { Page->tbGs1->click(); }, msDataMatrix, true, "{gtin}", ""},
        {"QR", [&] { Page->cbSymbol->setCurrentIndex(0); }, msQR, true, "{gtin}", "QR-Code:0105901234123457"},
        {"GS1 off", [&] { Page->tbGs1->click(); }, msQR, false, link, "QR-Code:https://id.gs1.org/01/05901234123457"},
        {"own text", [&] { code->SetText(QStringLiteral("{kod}")); }, msQR, false, "{kod}", "QR-Code:5901234123457"},
        {"GS1 on, own text stays", [&] { Page->tbGs1->click(); }, msQR, true, "{kod}", "QR-Code:0105901234123457"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Modified = false;
        const int steps = Steps().count();
        r.edit();
        EXPECT_EQ(code->Symbol(), r.symbol);
        EXPECT_EQ(code->Gs1(), r.gs1);
        EXPECT_EQ(code->Text(), r.text);
        if (std::string_view(r.what) != "own text") {
            EXPECT_TRUE(Modified);
            EXPECT_EQ(Steps().count(), steps + 1);
        }
        const TDecodeResult shown = DecodeQrWithZbar({code->grab().toImage()});
        ASSERT_TRUE(shown.Ran) << shown.Error.toStdString();
        EXPECT_EQ(shown.Symbols[0], *r.read ? QStringList{QString::fromLatin1(r.read)} : QStringList());
    }
    // Back step by step: the GS1 flag and the text it changed together.
    Steps().undo();
    EXPECT_FALSE(code->Gs1());
    EXPECT_EQ(code->Text(), QStringLiteral("{kod}"));
    Steps().undo();
    Steps().undo();
    EXPECT_TRUE(code->Gs1());
    EXPECT_EQ(code->Text(), QStringLiteral("{gtin}"));

    // Another kind: the controls wait and its properties stay as they are.
    ClickAt(name, {5, 5});
    EXPECT_FALSE(Page->cbSymbol->isEnabled() || Page->tbGs1->isEnabled());
    Page->cbSymbol->setCurrentIndex(1);
    EXPECT_EQ(name->Properties().Symbol, msQR);
    // Selecting the code shows its symbology without an edit.
    code->SetSymbol(msDataMatrix);
    Modified = false;
    ClickAt(code, {5, 5});
    EXPECT_TRUE(Page->cbSymbol->isEnabled() && Page->tbGs1->isEnabled());
    EXPECT_EQ(Page->cbSymbol->currentIndex(), 1);
    EXPECT_TRUE(Page->tbGs1->Down());
    EXPECT_FALSE(Modified);
}

TEST_F(Designer, PictureSizeModeAndDelete) {
    const QString bmp = WritePicture(Home.path("p.bmp"), {20, 10}, Qt::blue);
    TdcLabel* label = PlaceLabel(Page->tbName, {100, 10});
    AnswerBitmap(Script, bmp);
    auto* image = qobject_cast<TdcImage*>(Place(Page->tbUBitmap, {10, 10}));
    ASSERT_TRUE(image);
    // Pictures stay behind texts, as they are printed.
    EXPECT_EQ(Objects(), QList<TdcComponent*>({image, label}));
    Page->tbStretch->click();
    EXPECT_FALSE(image->RealSize());
    EXPECT_EQ(image->size(), QSize(20, 10));
    Page->tbReal->click();
    EXPECT_TRUE(image->RealSize());
    Page->tbDelete->click();
    EXPECT_EQ(Objects(), QList<TdcComponent*>({label}));
    // The toolbars stay as they were.
    EXPECT_TRUE(Page->tbReal->isEnabled());
}

TEST_F(Designer, DoubleClickEditsAFixedText) {
    AnswerText(Script, QStringLiteral("Stara"));
    TdcLabel* fixed = PlaceLabel(Page->tbULabel, {10, 10});
    TdcLabel* name = PlaceLabel(Page->tbName, {10, 100});
    TdcLabel* lowest = PlaceLabel(Page->tbLowestPrice, {10, 200});
    TdcLabel* code = PlaceLabel(Page->tbMatrixCode, {200, 200});
    TdcLabel* reduction = PlaceLabel(Page->tbReduction, {10, 300});
    struct Row {
        TdcLabel* label;
        std::optional<QString> answer;
        QString want;
        bool modified;
    };
    const Row rows[] = {
        {fixed, QStringLiteral("Nowa"), "Nowa", true},
        {fixed, std::nullopt, "Nowa", false},
        {name, QStringLiteral("x"), "Nazwa", false},  // no dialog at all
        {lowest, QStringLiteral("Było {cena} zł"), QString::fromUtf8("Było {cena} zł"), true},  // its template
        {code, QStringLiteral("https://sklep.example/p/{kod}"), "https://sklep.example/p/{kod}", true},
        {reduction, QStringLiteral("taniej o {kwota} zł"), QString::fromUtf8("taniej o {kwota} zł"), true},
    };
    for (const Row& r : rows) {
        Script.clear();
        Modified = false;
        if (r.label != name) AnswerText(Script, r.answer);
        QTest::mouseDClick(r.label, Qt::LeftButton, Qt::NoModifier, {20, 10});
        EXPECT_EQ(r.label->Text(), r.want);
        EXPECT_EQ(Modified, r.modified) << r.want.toStdString();
        EXPECT_EQ(Script.calls().size(), r.label != name ? 1u : 0u);
    }
    EXPECT_EQ(fixed->pos(), QPoint(10, 10));  // the double click moved nothing
}

// ---- Files ----

TEST_F(Designer, SaveOpenAndTheNamesShown) {
    Place(Page->tbName, {10, 10});
    // An empty layout path: Save is Save As, which adds the extension.
    Settings.LabelFileName = "  ";
    Script.answerPath(Home.path("LABELS/nowa"));
    Page->tbSave->click();
    ASSERT_EQ(Script.calls().size(), 1u);
    EXPECT_EQ(Script.calls()[0].kind, K::SaveFile);
    EXPECT_EQ(Script.calls()[0].text, QString::fromUtf8("Zapisz plik wyglądu etykiety jako..."));
    EXPECT_EQ(Script.calls()[0].detail, LayoutsFolder());
    EXPECT_EQ(Settings.LabelFileName, Home.path("LABELS/nowa.etk"));
    EXPECT_TRUE(QFileInfo::exists(Settings.LabelFileName));
    EXPECT_FALSE(Modified);

    struct Row {
        QString path;
        QString shown;
    };
    const QString outside = Home.root() + "/inne/poza.etk";
    QDir().mkpath(Home.root() + "/inne");
    QDir().mkpath(Home.path("LABELS/sub"));
    const Row rows[] = {
        {Home.path("LABELS/w.etk"), "w.etk"},
        {outside, outside},
        {Home.path("LABELS/sub/s.etk"), Home.path("LABELS/sub/s.etk")},
    };
    for (const Row& r : rows) {
        Script.clear();
        Script.answerPath(r.path);
        Page->tbSaveAs->click();
        EXPECT_EQ(Page->edLabelFileName->text(), r.shown);
        Page->edLabelFileName->clear();
        Script.answerPath(r.path);
        Page->tbOpen->click();
        EXPECT_EQ(Script.calls().back().detail, LayoutsFolder() + QFileInfo(r.path).fileName());
        EXPECT_EQ(Page->edLabelFileName->text(), r.shown);
        EXPECT_EQ(Objects().size(), 1);
    }

    // A failed open names the file, and Save then writes that file.
    const QString bad = Home.path("LABELS/zly.etk");
    QDir().mkpath(bad);
    Script.clear();
    Script.answerPath(bad);
    Page->tbOpen->click();
    EXPECT_EQ(Script.messages(K::Error),
              QStringList{QString::fromUtf8("Wystąpił błąd podczas odczytu pliku: \"%1\".").arg(bad)});
    EXPECT_EQ(Settings.LabelFileName, bad);
    EXPECT_EQ(Page->edLabelFileName->text(), Home.path("LABELS/sub/s.etk"));  // as before
    QDir().rmdir(bad);
    Page->tbSave->click();
    EXPECT_TRUE(QFileInfo(bad).isFile());

    // A folder that cannot be written: the message, the flag kept, the name kept.
    Modified = true;
    Script.clear();
    Script.answerPath("/proc/prandel.etk");
    Page->tbSaveAs->click();
    EXPECT_EQ(Script.messages(K::Error),
              QStringList{QString::fromUtf8("Wystąpił błąd podczas zapisu pliku: \"/proc/prandel.etk\".")});
    EXPECT_TRUE(Modified);
    EXPECT_EQ(Settings.LabelFileName, bad);
    Settings.LabelFileName = "/proc/prandel.etk";
    Script.clear();
    Page->tbSave->click();
    EXPECT_EQ(Script.messages(K::Error),
              QStringList{QString::fromUtf8("Wystąpił błąd podczas zapisu pliku: \"/proc/prandel.etk\".")});
}

TEST_F(Designer, OpenOffersToSaveAModifiedLayoutFirst) {
    int asked = 0;
    QObject::connect(Page.get(), &TDesignPage::SaveQuestion, [&] { ++asked; });
    Modified = false;
    Page->tbOpen->click();
    EXPECT_EQ(asked, 0);
    Modified = true;
    Page->tbOpen->click();  // cancelled: nothing else happens
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(Modified);
    int previews = 0;
    QObject::connect(Page.get(), &TDesignPage::PreviewRequested, [&] { ++previews; });
    Page->tbShow->click();
    EXPECT_EQ(previews, 1);
}

// ---- History and keyboard ----

TEST_F(Designer, UndoOfADragAnEditAndADeleteGivesTheSavedFileBackByteForByte) {
    // Every shipped layout, opened and saved again, gives the same bytes.
    for (const QString& name : QDir(SourceDataDir() + "/LABELS").entryList({"*.etk"})) {
        const QString path = OpenShipped(name);
        const QByteArray before = ReadAll(path);
        Page->tbSave->click();
        EXPECT_EQ(ReadAll(path), before) << name.toStdString();
    }
    const QString path = OpenShipped("58x40.etk");
    const QByteArray saved = ReadAll(path);
    EXPECT_EQ(Steps().count(), 0);

    const QList<TdcComponent*> objects = Objects();
    ASSERT_EQ(objects.size(), 5);
    DragObject(objects[2], {10, 10}, {40, 30});
    EXPECT_TRUE(Modified);
    EXPECT_EQ(Steps().count(), 1);  // the whole drag
    ClickAt(objects[1], {5, 5});
    Page->tbItalic->click();
    Key(Panel(), Qt::Key_Delete);
    EXPECT_EQ(Objects().size(), 4);
    EXPECT_EQ(Steps().count(), 3);

    const QString copy = Home.path("LABELS/kopia.etk");
    for (int undone = 1; undone <= 3; ++undone) {
        Page->tbUndo->click();
        EXPECT_EQ(Modified, undone < 3) << undone;
    }
    // The survivors are the same objects; the deleted one comes back as a new
    // object in its old place (its address may be reused, or not).
    const QList<TdcComponent*> after = Objects();
    ASSERT_EQ(after.size(), objects.size());
    for (qsizetype i = 0; i < after.size(); ++i)
        if (i != 1) {
            EXPECT_EQ(after[i], objects[i]) << i;
        }
    ASSERT_TRUE(Page->SaveLayoutTo(copy));
    QByteArray back = ReadAll(copy);
    EXPECT_EQ(back, saved);
    EXPECT_FALSE(Page->tbUndo->isEnabled());

    for (int i = 0; i < 3; ++i) Page->acRedo->trigger();
    EXPECT_TRUE(Modified);
    EXPECT_EQ(Objects().size(), 4);
    EXPECT_TRUE(qobject_cast<TdcLabel*>(Objects()[0]) && !Page->tbRedo->isEnabled());
    Page->tbSave->click();
    Page->acUndo->trigger();
    EXPECT_TRUE(Modified);
    Page->tbRedo->click();
    EXPECT_FALSE(Modified);

    // Opening a layout forgets the history.
    Script.answerPath(path);
    Page->tbOpen->click();
    EXPECT_EQ(Steps().count(), 0);
    EXPECT_FALSE(Page->tbUndo->isEnabled());
}

TEST_F(Designer, KeyboardMovesDeletesAndSelectsAndEachStepUndoes) {
    TdcComponent* a = Place(Page->tbName, {100, 100});
    TdcComponent* b = Place(Page->tbPrice, {300, 100});
    Page->tbSave->click();
    const int saved = Steps().index();
    struct Row {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool held;
        QPoint want;
        int steps;
    };
    const Row rows[] = {
        {Qt::Key_Right, Qt::NoModifier, false, {301, 100}, 1},
        {Qt::Key_Right, Qt::NoModifier, true, {302, 100}, 1},  // held: the same step
        {Qt::Key_Down, Qt::ShiftModifier, false, {302, 110}, 2},
        {Qt::Key_Left, Qt::ShiftModifier, true, {292, 110}, 2},
        {Qt::Key_Up, Qt::NoModifier, false, {292, 109}, 3},
    };
    for (const Row& r : rows) {
        Key(Panel(), r.key, r.modifiers, r.held);
        EXPECT_EQ(b->pos(), r.want);
        EXPECT_EQ(Steps().index(), saved + r.steps);
    }
    EXPECT_TRUE(Modified);
    Page->tbUndoClick();
    EXPECT_EQ(b->pos(), QPoint(292, 110));
    Page->tbUndoClick();
    EXPECT_EQ(b->pos(), QPoint(302, 100));
    Page->tbUndoClick();
    EXPECT_EQ(b->pos(), QPoint(300, 100));
    EXPECT_FALSE(Modified);  // nothing was saved, and nothing is left of the changes since

    // A step recorded before a zoom comes back rescaled as the zoom rescales.
    Page->tbRedoClick();
    Page->ZoomBy(true);
    EXPECT_EQ(b->pos(), QPoint(453, 150));  // 302 at scale 2
    Page->tbUndoClick();
    EXPECT_EQ(b->pos(), QPoint(450, 150));
    Page->ZoomBy(false);

    // A drag cannot leave the panel; nor can the keyboard.
    b->move(0, 0);
    Key(Panel(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(b->pos(), QPoint(0, 0));

    // Tab walks the objects; Delete removes the selected one.
    Key(Panel(), Qt::Key_Tab);
    EXPECT_TRUE(a->Select() && !b->Select());
    Key(Panel(), Qt::Key_Tab);
    EXPECT_TRUE(b->Select());
    Key(Panel(), Qt::Key_Delete);
    EXPECT_EQ(Objects(), QList<TdcComponent*>({a}));
    Page->tbUndoClick();
    EXPECT_EQ(Objects().size(), 2);
    EXPECT_EQ(Page->SelectedLabel()->Text(), QStringLiteral("Cena"));

    // Hundreds of steps are kept.
    const int before = Steps().index();
    for (int i = 0; i < 150; ++i) Key(Panel(), i % 2 ? Qt::Key_Left : Qt::Key_Right);
    EXPECT_EQ(Steps().index(), before + 150);
    EXPECT_GE(TDesignHistory::Limit, 100);
}

TEST_F(Designer, ShortcutsOfTheHistory) {
    EXPECT_TRUE(Page->acUndo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
    EXPECT_TRUE(Page->acRedo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    EXPECT_TRUE(Page->acRedo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    TdcComponent* a = Place(Page->tbName, {100, 100});
    Page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Page.get()));
    Panel()->setFocus();
    QTest::keyClick(Panel(), Qt::Key_Right);
    QTest::keyClick(Panel(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(a->pos(), QPoint(100, 100));
    QTest::keyClick(Panel(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(a->pos(), QPoint(101, 100));
    QTest::keyClick(Panel(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Panel(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(a->pos(), QPoint(101, 100));
}

TEST_F(Designer, StatusLineShowsTheLabelAndTheSelectedObjectInMillimetres) {
    OpenShipped("58x40.etk");
    EXPECT_EQ(Page->lbStatus->text(),
              QString::fromUtf8("Etykieta: 58 × 40 mm, skala 2   Zaznaczony obiekt: x 2 mm, y 1 mm, 54 × 6 mm"));
    Page->ZoomBy(true);
    EXPECT_TRUE(Page->lbStatus->text().startsWith(QString::fromUtf8("Etykieta: 58 × 40 mm, skala 3")));
}

}  // namespace
