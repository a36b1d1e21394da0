// The goods list page: marking, counter, views with check types, deleting,
// adding, the record dialog, search, the "Edycja" menu and the grid drawing.
#include "barcodetypes.h"
#include "datetimetext.h"
#include "editmenu.h"
#include "editrecordform.h"
#include "goodslistmodel.h"
#include "rounding.h"
#include "goodspage.h"
#include "goodstable.h"
#include "goodstestutil.h"
#include "prompter.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>
#include <QStyle>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

const QDateTime kLastPrint(QDate(2026, 3, 4), QTime(5, 6, 7));

class GoodsPageTest : public ::testing::Test {
protected:
    void SetUp() override { Prompter::install(&Prompt); }
    void TearDown() override {
        Page.reset();
        Prompter::install(nullptr);
    }

    void Fill(const std::vector<TestGoods>& goods) {
        TTable t;
        ASSERT_TRUE(CreateGoodsTable(t));
        t.Open();
        for (const auto& g : goods) AddGoods(t, g);
    }

    // The page as the main window's start leaves it: list open, view 0 applied.
    TGoodsPage& Open() {
        TGoodsPageContext context;
        context.LastPrintDate = [this] { return LastPrint; };
        context.Loading = [this] { return Loading; };
        Page = std::make_unique<TGoodsPage>(Session, context);
        Page->resize(900, 500);
        Page->show();
        EXPECT_TRUE(Page->OpenGoodsList().isEmpty());
        Page->ShowView(0);
        return *Page;
    }

    // Marks of the whole table by ID.
    QMap<QString, bool> Marks() {
        QMap<QString, bool> out;
        TTable t;
        SetupGoodsTable(t, false);
        t.Open();
        for (t.First(); !t.Eof(); t.Next()) out[t.FieldByName("ID").AsString()] = t.FieldByName("SELECT").AsBoolean();
        return out;
    }
    QStringList MarkedIds() {
        QStringList out;
        const auto m = Marks();
        for (auto it = m.begin(); it != m.end(); ++it)
            if (it.value()) out << it.key();
        return out;
    }
    QStringList Ids() { return Marks().keys(); }

    QPoint CellPoint(int row, int x) {
        const QRect r = Page->gdMain->visualRect(Page->Model()->index(row, 0));
        return QPoint(x, r.center().y());
    }
    void ClickAt(int row, int x) { QTest::mouseClick(Page->gdMain->viewport(), Qt::LeftButton, {}, CellPoint(row, x)); }
    QString CurrentName() { return Page->tbLocalShow.FieldByName("NAZWA").AsString(); }

    TempDataHome Home;
    TScriptedPrompter Prompt;
    TGoodsSession Session;
    std::unique_ptr<TGoodsPage> Page;
    bool Loading = false;
    QDateTime LastPrint = kLastPrint;
};

TEST_F(GoodsPageTest, ClickInTheIconAreaAndSpaceToggleTheMarkAndTheCounter) {
    Fill({{"1", "Ananas"}, {"2", "Banan"}, {"3", "Cytryna"}});
    TGoodsPage& page = Open();
    EXPECT_EQ(page.stConterInfo->text(), "Liczba zaznaczonych pozycji: 0");
    EXPECT_FALSE(page.sbtnUnCheckAll->isEnabled());

    ClickAt(1, 1);
    EXPECT_EQ(CurrentName(), "Banan");
    EXPECT_EQ(MarkedIds(), QStringList{"2"});
    EXPECT_EQ(page.stConterInfo->text(), "Liczba zaznaczonych pozycji: 1");
    EXPECT_TRUE(page.sbtnUnCheckAll->isEnabled());

    ClickAt(0, 17);
    EXPECT_EQ(MarkedIds(), (QStringList{"1", "2"}));
    EXPECT_EQ(page.SelectCounter.Count, 2);

    // Past the icon area a click only selects the row.
    ClickAt(2, 20);
    EXPECT_EQ(CurrentName(), "Cytryna");
    EXPECT_EQ(MarkedIds(), (QStringList{"1", "2"}));

    // Space on a marked row unmarks it.
    ClickAt(1, 20);
    QTest::keyClick(page.gdMain, Qt::Key_Space);
    EXPECT_EQ(MarkedIds(), QStringList{"1"});
    EXPECT_EQ(page.stConterInfo->text(), "Liczba zaznaczonych pozycji: 1");
    QTest::keyClick(page.gdMain, Qt::Key_Space);
    EXPECT_EQ(MarkedIds(), (QStringList{"1", "2"}));

    // The record dialog never opens for a mark, and the mark leaves NEW alone.
    EXPECT_TRUE(Prompt.calls().empty());
    EXPECT_FALSE(page.TogglingSelection);
    TTable t;
    SetupGoodsTable(t, false);
    t.Open();
    ASSERT_TRUE(t.FindKey("2"));
    EXPECT_FALSE(t.FieldByName("NEW").AsBoolean());

    // "Odznacz" clears every mark.
    page.sbtnUnCheckAll->click();
    EXPECT_TRUE(MarkedIds().isEmpty());
    EXPECT_EQ(page.stConterInfo->text(), "Liczba zaznaczonych pozycji: 0");
    EXPECT_FALSE(page.sbtnUnCheckAll->isEnabled());
}

TEST_F(GoodsPageTest, MarkingGesturesOnAnEmptyListDoNothing) {
    Fill({});
    TGoodsPage& page = Open();
    QTest::mouseClick(page.gdMain->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(page.gdMain, Qt::Key_Space);
    EXPECT_EQ(page.SelectCounter.Count, 0);
    EXPECT_TRUE(Prompt.calls().empty());
    EXPECT_TRUE(page.tbLocalShow.IsEmpty());
    EXPECT_EQ(page.tbLocalShow.DataSetState(), TDataSetState::Browse);
    for (QToolButton* b : {page.sbtnDoPrint, page.sbtnShow, page.sbtnCheckAll}) EXPECT_FALSE(b->isEnabled());
}

TEST_F(GoodsPageTest, ViewsAndCheckTypesCombine) {
    const QDateTime old(QDate(2025, 1, 1), QTime(0, 0));
    Fill({{"1", "a nowy drukowany", "1", true, false, old},
          {"2", "b nowy niedrukowany", "1", true},
          {"3", "c stary niedrukowany", "1", false, true},
          {"4", "d nowy niedrukowany", "1", true},
          {"5", "e ostatnio", "1", false, false, kLastPrint.addMSecs(500)}});
    TGoodsPage& page = Open();
    EXPECT_TRUE(MarkedIds().isEmpty());  // the start clears all marks
    EXPECT_EQ(page.sbtnCheckAll->text(), "Zaznacz");
    EXPECT_TRUE(page.sbtnCheckAll->isEnabled());

    page.ShowView(1);  // "Zmienione"
    EXPECT_EQ(page.Model()->rowCount(), 3);
    page.ChooseCheckType(TViewCode::NeverPrinted);  // "niedrukowane"
    EXPECT_EQ(page.sbtnCheckAll->text(), "Zaznacz\nniedrukowane");
    EXPECT_EQ(page.CheckType(), TViewCode::NeverPrinted);
    EXPECT_EQ(MarkedIds(), (QStringList{"2", "4"}));
    EXPECT_EQ(page.stConterInfo->text(), "Liczba zaznaczonych pozycji: 2");
    EXPECT_EQ(CurrentName(), "b nowy niedrukowany");  // the first marked one

    // The menu's "Zaznacz" items use their own type and leave the button's.
    page.SelectWithType(TViewCode::All);
    EXPECT_EQ(MarkedIds(), (QStringList{"1", "2", "4"}));
    EXPECT_EQ(page.CheckType(), TViewCode::NeverPrinted);
    EXPECT_EQ(page.sbtnCheckAll->text(), "Zaznacz\nniedrukowane");

    // A view change clears every mark; the last print view shows its goods only.
    page.ShowView(TViewCode::LastPrinted);
    EXPECT_EQ(page.cbShowType->currentText(), "Drukowane ostatnio");
    EXPECT_TRUE(MarkedIds().isEmpty());
    EXPECT_EQ(page.Model()->rowCount(), 1);
    EXPECT_EQ(page.Model()->index(0, 0).data().toString(), "e ostatnio");
    page.ShowView(2);  // "Niedrukowane"
    EXPECT_EQ(page.Model()->rowCount(), 3);

    // Setting the type as the configuration page does runs no selection.
    page.SetCheckType(4);
    EXPECT_EQ(page.sbtnCheckAll->text(), "Zaznacz\ndrukowane");
    EXPECT_TRUE(MarkedIds().isEmpty());
    page.SetCheckType(7);
    EXPECT_EQ(page.CheckType(), TViewCode::All);
    EXPECT_EQ(page.sbtnCheckAll->text(), "Zaznacz\nwszystkie");
    // The arrow checks the item of the current type and leaves the caption.
    page.sbtnCheckAll->setProperty("Tag", 3);
    page.sbtnCheckAll->setText("Zaznacz");
    page.sbtnCheckTypeChange->click();
    EXPECT_TRUE(page.pmCheckType->isVisible());
    EXPECT_TRUE(page.pmCheckType->actions().at(2)->isChecked());
    EXPECT_EQ(page.sbtnCheckAll->text(), "Zaznacz");
    page.pmCheckType->hide();
    // Choosing an item sets the type and runs the selection at once.
    page.ShowView(0);
    page.pmCheckType->actions().at(1)->trigger();
    EXPECT_EQ(page.sbtnCheckAll->text(), "Zaznacz\nzmienione");
    EXPECT_EQ(MarkedIds(), (QStringList{"1", "2", "4"}));
    page.SetCheckType(7);
    const auto checked = page.pmCheckType->actions();
    ASSERT_EQ(checked.size(), 5);
    EXPECT_TRUE(checked[0]->isChecked());
    EXPECT_FALSE(checked[3]->isChecked());
    EXPECT_EQ(checked[4]->text(), QString::fromUtf8("obniżone"));
}

TEST_F(GoodsPageTest, LastPrintViewIsEmptyBeforeAnyPrint) {
    LastPrint = QDateTime(QDate(1899, 12, 30), QTime(0, 0));  // settings never written by a print
    Fill({{"1", "a", "1", false, false, kLastPrint}, {"2", "b"}});
    TGoodsPage& page = Open();
    EXPECT_TRUE(page.sbtnDoPrint->isEnabled());
    page.ShowView(3);
    EXPECT_EQ(page.Model()->rowCount(), 0);
    for (QToolButton* b : {page.sbtnDoPrint, page.sbtnShow, page.sbtnCheckAll}) EXPECT_FALSE(b->isEnabled());
    page.ShowView(0);
    EXPECT_EQ(page.Model()->rowCount(), 2);
    EXPECT_TRUE(page.sbtnCheckAll->isEnabled());
}

TEST_F(GoodsPageTest, DeleteAsksOnceForTheMarkedGoodsOfTheView) {
    Fill({{"1", "a"}, {"2", "b"}, {"3", "c"}, {"4", "d"}, {"5", "e"}});
    TGoodsPage& page = Open();
    for (int row : {0, 2, 4}) ClickAt(row, 5);
    ClickAt(1, 30);  // the current row is unmarked
    EXPECT_EQ(page.SelectCounter.Count, 3);

    Prompt.answer(false);
    page.DeleteRecord();
    EXPECT_EQ(Prompt.messages(), QStringList{QString::fromUtf8("Liczba zaznaczonych rekordów: 3.\nUsunąć je?")});
    EXPECT_EQ(Ids().size(), 5);

    Prompt.clear();
    Prompt.answer(true);
    page.DeleteRecord();
    EXPECT_EQ(Prompt.messages().size(), 1);
    EXPECT_EQ(Ids(), (QStringList{"2", "4"}));
    EXPECT_EQ(page.SelectCounter.Count, 0);
    EXPECT_EQ(page.Model()->rowCount(), 2);
    EXPECT_EQ(CurrentName(), "b");
}

TEST_F(GoodsPageTest, DeletingTheLastRowDisablesPrintPreviewAndSelect) {
    Fill({{"1", "Ser \"Gouda\" 100%"}, {"2", "Masło"}});
    TGoodsPage& page = Open();
    Prompt.answer(false);
    page.DeleteRecord();
    EXPECT_EQ(Prompt.messages(), QStringList{QString::fromUtf8("Usunąć rekord: \"Masło\"?")});
    EXPECT_EQ(Ids().size(), 2);

    Prompt.answer(true);
    page.DeleteRecord();
    EXPECT_EQ(Ids(), QStringList{"1"});
    EXPECT_TRUE(page.sbtnDoPrint->isEnabled());
    Prompt.clear();
    Prompt.answer(true);
    page.DeleteRecord();
    EXPECT_EQ(Prompt.messages(), QStringList{QString::fromUtf8("Usunąć rekord: \"Ser \"Gouda\" 100%\"?")});
    EXPECT_TRUE(Ids().isEmpty());
    for (QToolButton* b : {page.sbtnDoPrint, page.sbtnShow, page.sbtnCheckAll}) EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(page.Model()->rowCount(), 0);
}

// Fills the record dialog and confirms it; `perishable` ticks or clears
// "Krótki termin przydatności" (-1 leaves it).
TScriptedPrompter::DialogScript FillDialog(const QString& name, const QString& price, int type = -1,
                                           QString* caption = nullptr, int perishable = -1) {
    return [=](QObject& o) {
        auto& d = dynamic_cast<TEditRecordForm&>(o);
        if (caption) *caption = d.windowTitle();
        d.edName->setText(name);
        d.edPrice->setText(price);
        if (type >= 0) d.cbCodeType->setCurrentIndex(type);
        if (perishable >= 0) d.chkPerishable->setChecked(perishable == 1);
        return d.btnOk->isEnabled() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
}

TEST_F(GoodsPageTest, NewRecordsTakeTheSmallestFreeKey) {
    Fill({{"0", "a"}, {"1", "b"}, {"2", "c"}, {"3", "d"}, {"4", "e"}, {"5", "f"}});
    TGoodsPage& page = Open();
    page.Search("d");
    Prompt.answer(true);
    page.DeleteRecord();
    ASSERT_FALSE(Ids().contains("3"));

    QString caption;
    Prompt.answerDialog(FillDialog(QString::fromUtf8("Żurek 'domowy'"), "3,99", 3, &caption));
    page.InsertRecord();
    EXPECT_EQ(caption, "Dodaj nowy rekord");
    TTable t;
    SetupGoodsTable(t, false);
    t.Open();
    ASSERT_TRUE(t.FindKey("3"));
    EXPECT_EQ(t.FieldByName("NAZWA").AsString(), QString::fromUtf8("Żurek 'domowy'"));
    EXPECT_TRUE(t.FieldByName("NEW").AsBoolean());
    EXPECT_FALSE(t.FieldByName("SELECT").AsBoolean());
    EXPECT_EQ(t.FieldByName("TYPKODU").AsInteger(), 3);
    EXPECT_TRUE(t.FieldByName("PRINTDATE").IsNull());
    t.Close();
    EXPECT_EQ(page.Model()->rowCount(), 6);

    // Cancelling the dialog adds nothing.
    Prompt.answerDialog([](QObject&) { return int(QDialog::Rejected); });
    page.InsertRecord();
    EXPECT_EQ(Ids().size(), 6);
    EXPECT_EQ(page.tbLocalShow.DataSetState(), TDataSetState::Browse);
}

TEST_F(GoodsPageTest, EditOnAnEmptyListStartsAnInsert) {
    Fill({});
    TGoodsPage& page = Open();
    QString caption;
    Prompt.answerDialog(FillDialog("Chleb", "4,50", -1, &caption));
    page.EditRecord();
    EXPECT_EQ(caption, "Dodaj nowy rekord");
    EXPECT_EQ(Ids(), QStringList{"0"});
    for (QToolButton* b : {page.sbtnDoPrint, page.sbtnShow, page.sbtnCheckAll}) EXPECT_TRUE(b->isEnabled());
}

TEST_F(GoodsPageTest, EditingSetsNewOnOkAndLeavesTheRecordOnCancel) {
    Fill({{"7", "Chleb", "4,50", false, false, {}, "1 kg", 30}});
    TGoodsPage& page = Open();
    ClickAt(0, 5);  // an edit keeps the mark
    QString caption;
    Prompt.answerDialog([](QObject& o) {
        auto& d = dynamic_cast<TEditRecordForm&>(o);
        d.edName->setText("Inny");
        return int(QDialog::Rejected);
    });
    page.EditRecord();
    EXPECT_EQ(page.tbLocalShow.FieldByName("NAZWA").AsString(), "Chleb");

    Prompt.answerDialog(FillDialog("Chleb razowy", "5,00", -1, &caption));
    page.EditRecord();
    EXPECT_EQ(caption, "Edycja rekordu");
    TTable t;
    SetupGoodsTable(t, false);
    t.Open();
    ASSERT_TRUE(t.FindKey("7"));
    EXPECT_EQ(t.FieldByName("NAZWA").AsString(), "Chleb razowy");
    EXPECT_TRUE(t.FieldByName("NEW").AsBoolean());
    EXPECT_TRUE(t.FieldByName("SELECT").AsBoolean());
    // A stored code outside the list selects no type and is kept.
    EXPECT_EQ(t.FieldByName("TYPKODU").AsInteger(), 30);
}

// A price cut in the record dialog: the grid shows the lowest price beside the
// unit price, and the view "Obniżone" and its check type find the goods. The
// bread, marked perishable and cut again the next evening, shows the price
// before its first cut.
TEST_F(GoodsPageTest, APriceCutShowsInTheGridAndTheReducedView) {
    TScopedPriceClock clock(QDateTime(QDate(2025, 3, 1), QTime(8, 0), Qt::UTC));
    Fill({{"1", "Chleb", "4,60", false, false, {}, "1 kg"}, {"2", "Mleko", "3"}});
    TGoodsPage& page = Open();
    clock.AddDays(40);
    Prompt.answerDialog(FillDialog("Chleb", "4,50"));
    page.EditRecord();
    clock.AddDays(1);
    Prompt.answerDialog(FillDialog("Chleb", "4,40", -1, nullptr, 1));
    page.EditRecord();
    Prompt.answerDialog(FillDialog("Masło", "7,99"));
    page.InsertRecord();
    ASSERT_TRUE(page.tbLocalShow.Locate("ID", "2"));
    Prompt.answerDialog(FillDialog("Mleko", "2,5"));
    page.EditRecord();
    EXPECT_EQ(page.Model()->headerData(TGoodsListModel::colNajnizsza, Qt::Horizontal).toString(),
              QString::fromUtf8("Najniższa cena"));
    QStringList lowest;
    for (int row = 0; row < page.Model()->rowCount(); ++row)
        lowest << page.Model()->index(row, TGoodsListModel::colNajnizsza).data().toString();
    EXPECT_EQ(lowest, (QStringList{"4,60", "", "3,00"}));  // Chleb, Masło, Mleko: grosze as in a price
    // The column is as wide as the price column, and its whole title shows.
    page.LayoutColumns();
    const QHeaderView* header = page.gdMain->horizontalHeader();
    const int title = header->fontMetrics().horizontalAdvance(QString::fromUtf8("Najniższa cena")) +
                      2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    EXPECT_GE(page.gdMain->columnWidth(TGoodsListModel::colNajnizsza), title);
    EXPECT_GE(page.gdMain->columnWidth(TGoodsListModel::colNajnizsza), page.gdMain->columnWidth(TGoodsListModel::colCena));
    page.ShowView(TViewCode::Reduced);
    EXPECT_EQ(page.cbShowType->currentText(), QString::fromUtf8("Obniżone"));
    ASSERT_EQ(page.Model()->rowCount(), 2);
    EXPECT_EQ(page.Model()->index(0, TGoodsListModel::colNazwa).data().toString(), "Chleb");
    page.ShowView(0);
    page.ChooseCheckType(TViewCode::Reduced);
    EXPECT_EQ(page.sbtnCheckAll->text(), QString::fromUtf8("Zaznacz\nobniżone"));
    EXPECT_EQ(MarkedIds(), (QStringList{"1", "2"}));
}

TEST_F(GoodsPageTest, RecordDialogShowsAndStoresEan13WhereTheCodeTypeIsMissing) {
    Fill({{"5", "Chleb", "4,50", false, false, {}, "", std::nullopt}});
    TGoodsPage& page = Open();
    const struct {
        const char* Case;
        void (TGoodsPage::*Command)();
        const char* Id;
    } cases[] = {{"record stored without a type", &TGoodsPage::EditRecord, "5"},
                 {"new record", &TGoodsPage::InsertRecord, "0"}};
    for (const auto& c : cases) {
        int shown = -1;
        Prompt.answerDialog([&shown](QObject& o) {
            auto& d = dynamic_cast<TEditRecordForm&>(o);
            shown = d.cbCodeType->currentIndex();
            if (d.edName->text().isEmpty()) d.edName->setText("Mleko");
            if (d.edPrice->text().isEmpty()) d.edPrice->setText("2,99");
            return int(QDialog::Accepted);
        });
        (page.*c.Command)();
        EXPECT_EQ(shown, 14) << c.Case;
        TTable t;
        SetupGoodsTable(t, false);
        t.Open();
        ASSERT_TRUE(t.FindKey(c.Id)) << c.Case;
        EXPECT_FALSE(t.FieldByName("TYPKODU").IsNull()) << c.Case;
        EXPECT_EQ(t.FieldByName("TYPKODU").AsInteger(), 14) << c.Case;
    }
}

TEST_F(GoodsPageTest, RecordDialogOkRuleCalculationAndTypeList) {
    Fill({{"1", "Mleko", "2,99", false, false, {}, "500 ml", 14}});
    TGoodsPage& page = Open();
    page.tbLocalShow.Edit();  // opens the dialog through the handler: no script, so it is cancelled
    ASSERT_EQ(page.tbLocalShow.DataSetState(), TDataSetState::Browse);
    page.tbLocalShow.AfterEdit = nullptr;
    page.tbLocalShow.Edit();
    TEditRecordForm form(page.tbLocalShow, false, TUnitSymbols{});
    EXPECT_EQ(form.edName->text(), "Mleko");
    EXPECT_EQ(form.edName->maxLength(), 50);
    EXPECT_EQ(form.edPrice->maxLength(), 10);
    EXPECT_EQ(form.cbCodeType->count(), BarcodeTypeCount);
    EXPECT_EQ(form.cbCodeType->currentIndex(), 14);
    EXPECT_EQ(form.cbCodeType->currentText(), "EAN13");
    EXPECT_EQ(form.chkPerishable->text(), QString::fromUtf8("Krótki termin przydatności"));
    EXPECT_EQ(form.chkPerishable->accessibleName(), form.chkPerishable->text());
    EXPECT_FALSE(form.chkPerishable->isChecked());
    form.chkPerishable->setChecked(true);
    EXPECT_TRUE(page.tbLocalShow.FieldByName("KROTKITERMIN").AsBoolean());
    EXPECT_TRUE(form.btnOk->isEnabled());
    form.edName->setText("   ");
    EXPECT_FALSE(form.btnOk->isEnabled());
    form.edName->setText(" a ");
    EXPECT_TRUE(form.btnOk->isEnabled());
    form.edPrice->setText("  ");
    EXPECT_FALSE(form.btnOk->isEnabled());
    form.edPrice->setText("4,99");
    // The unit price only on "Przelicz".
    EXPECT_EQ(form.edAbsPrice->text(), "");
    form.btnCalculate->click();
    EXPECT_EQ(form.edAbsPrice->text(), QString::fromUtf8("9,98 zł/litr"));
    EXPECT_EQ(page.tbLocalShow.FieldByName("ABSCENA").AsString(), QString::fromUtf8("9,98 zł/litr"));
    form.edWeight->setText("2 szt");
    form.btnCalculate->click();
    EXPECT_EQ(form.edAbsPrice->text(), "");
    page.tbLocalShow.Cancel();
}

TEST_F(GoodsPageTest, SearchFindsTheFirstNamePrefixIgnoringCase) {
    Fill({{"1", "Ananas"}, {"2", QString::fromUtf8("żurek")}, {"3", QString::fromUtf8("Żółw")}, {"4", "zupa"}});
    TGoodsPage& page = Open();
    page.edFindRecord->setText(QString::fromUtf8("ŻU"));
    EXPECT_EQ(CurrentName(), QString::fromUtf8("żurek"));
    EXPECT_EQ(page.gdMain->currentIndex().row(), 3);
    page.edFindRecord->setText(QString::fromUtf8("q"));
    EXPECT_EQ(CurrentName(), QString::fromUtf8("żurek"));
    page.edFindRecord->setText(QString());
    EXPECT_EQ(CurrentName(), QString::fromUtf8("żurek"));
    page.edFindRecord->setText("Z");
    EXPECT_EQ(CurrentName(), "zupa");
}

TEST_F(GoodsPageTest, PasteInsertsAtTheCaretAndCopyTakesTheSelection) {
    Fill({{"1", "aXbc"}, {"2", "abc"}});
    TGoodsPage& page = Open();
    page.Last();
    QLineEdit* edit = page.edFindRecord;
    edit->setText("abc");
    EXPECT_EQ(CurrentName(), "abc");
    edit->setCursorPosition(1);
    QGuiApplication::clipboard()->setText("X");
    PasteIntoEdit(edit);
    EXPECT_EQ(edit->text(), "aXbc");
    EXPECT_EQ(edit->cursorPosition(), 4);
    EXPECT_EQ(CurrentName(), "aXbc");  // pasting starts a search

    // A selection is kept; the clipboard goes before it.
    edit->setText("abcd");
    edit->setSelection(1, 2);
    PasteIntoEdit(edit);
    EXPECT_EQ(edit->text(), "aXbcd");
    edit->setSelection(0, 2);
    CopyFromEdit(edit);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "aX");
    edit->setReadOnly(true);
    PasteIntoEdit(edit);
    EXPECT_EQ(edit->text(), "aXbcd");
}

TEST_F(GoodsPageTest, EditMenuEnablesItsItemsByTheListAndTheFocus) {
    Fill({{"1", "a"}, {"2", "b"}, {"3", "c"}});
    TGoodsPage& page = Open();
    QMenu menu;
    FillEditMenu(&menu, &page, &page);
    const auto action = [&](const char* name) { return menu.findChild<QAction*>(QLatin1String(name)); };
    const auto open = [&] { emit menu.aboutToShow(); };
    ASSERT_TRUE(action("Wklej1"));
    QStringList titles;
    for (QAction* a : menu.actions()) titles << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(titles, (QStringList{"Pierwszy", "Poprzedni", QString::fromUtf8("Następny"), "Ostatni", "Dodaj",
                                   QString::fromUtf8("Usuń"), "Edytuj", "-", QString::fromUtf8("Pokaż"), "Zaznacz",
                                   "Odznacz wszystkie", "-", "Kopiuj", "Wklej"}));

    open();
    EXPECT_FALSE(action("Pierwszy1")->isEnabled());
    EXPECT_FALSE(action("Poprzedni1")->isEnabled());
    EXPECT_TRUE(action("Nastpny1")->isEnabled());
    EXPECT_TRUE(action("Usu1")->isEnabled());
    EXPECT_FALSE(action("Odznaczwszystkie1")->isEnabled());
    EXPECT_FALSE(page.nbFirst->isEnabled());
    EXPECT_TRUE(page.nbLast->isEnabled());
    action("Ostatni1")->trigger();
    EXPECT_EQ(CurrentName(), "c");
    EXPECT_EQ(page.gdMain->currentIndex().row(), 2);
    EXPECT_TRUE(page.nbFirst->isEnabled());
    EXPECT_FALSE(page.nbNext->isEnabled());
    open();
    EXPECT_TRUE(action("Pierwszy1")->isEnabled());
    EXPECT_FALSE(action("Ostatni1")->isEnabled());

    // "Zaznacz" → "Wszystkie" marks the view; "Odznacz wszystkie" follows the button.
    QMenu* mark = menu.findChild<QMenu*>("Zaznacz1");
    ASSERT_TRUE(mark);
    mark->actions().at(0)->trigger();
    EXPECT_EQ(page.SelectCounter.Count, 3);
    open();
    EXPECT_TRUE(action("Odznaczwszystkie1")->isEnabled());
    // "Pokaż" → "Zmienione" applies the view (and clears the marks).
    menu.findChild<QMenu*>("Poka1")->actions().at(1)->trigger();
    EXPECT_EQ(page.cbShowType->currentIndex(), 1);
    EXPECT_EQ(page.Model()->rowCount(), 0);
    EXPECT_EQ(page.SelectCounter.Count, 0);
    open();
    EXPECT_FALSE(action("Usu1")->isEnabled());
    EXPECT_FALSE(action("Nastpny1")->isEnabled());

    // Copy and paste follow the focused edit box.
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    page.edFindRecord->setFocus();
    page.edFindRecord->setText("abc");
    QGuiApplication::clipboard()->clear();
    open();
    EXPECT_FALSE(action("Kopiuj1")->isEnabled());
    EXPECT_FALSE(action("Wklej1")->isEnabled());
    page.edFindRecord->selectAll();
    open();
    EXPECT_TRUE(action("Kopiuj1")->isEnabled());
    action("Kopiuj1")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "abc");
    open();
    EXPECT_TRUE(action("Wklej1")->isEnabled());
    page.gdMain->setFocus();
    open();
    EXPECT_FALSE(action("Kopiuj1")->isEnabled());
    EXPECT_FALSE(action("Wklej1")->isEnabled());
}

TEST_F(GoodsPageTest, GridDrawsMarkedRowsInTheTooltipColourAndTypeNames) {
    Fill({{"1", "a", "1", false, false, {}, "", 14}, {"2", "b", "1", false, false, {}, "", 99}, {"3", "c"}});
    TGoodsPage& page = Open();
    ClickAt(1, 5);  // marks b
    ClickAt(2, 30);  // the highlighted row is c
    page.LayoutColumns();
    QImage image(page.gdMain->viewport()->size(), QImage::Format_RGB32);
    page.gdMain->viewport()->render(&image);
    const QColor tip = QToolTip::palette().color(QPalette::ToolTipBase);
    const QColor base = page.gdMain->palette().color(QPalette::Base);
    const int xPrice = page.gdMain->columnViewportPosition(TGoodsListModel::colCena) + page.gdMain->columnWidth(1) - 3;
    const auto at = [&](int row) { return image.pixelColor(xPrice, page.gdMain->rowViewportPosition(row) + 3); };
    EXPECT_EQ(at(1), tip);
    EXPECT_EQ(at(0), base);
    EXPECT_NE(at(2), tip);  // highlighted
    EXPECT_TRUE(page.gdMain->isColumnHidden(TGoodsListModel::colSelect));
    EXPECT_EQ(page.Model()->headerData(TGoodsListModel::colAbsCena, Qt::Horizontal).toString(),
              QString::fromUtf8("Cena za jednostkę"));
    EXPECT_EQ(page.Model()->index(0, TGoodsListModel::colTypKodu).data(TGoodsListModel::TypeCodeRole).toInt(), 14);
}

TEST_F(GoodsPageTest, AFailingBulkPassKeepsTheMarksAndSaysNothing) {
    Fill({{"1", "a", "1", true}, {"2", "b", "1", true}, {"3", "c"}});
    TGoodsPage& page = Open();
    ClickAt(2, 5);
    {
        // The table refuses to mark anything more.
        QSqlDatabase db = QSqlDatabase::database(page.tbLocalShow.ConnectionName());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TRIGGER refuse BEFORE UPDATE OF \"SELECT\" ON towary WHEN NEW.\"SELECT\" = 1 "
                           "AND OLD.\"SELECT\" = 0 BEGIN SELECT RAISE(ABORT, 'locked'); END"))
            << q.lastError().text().toStdString();
    }
    page.ShowView(1);  // clearing still works: "c" loses its mark
    EXPECT_TRUE(MarkedIds().isEmpty());
    EXPECT_TRUE(page.sbtnCheckAll->isEnabled());
    page.sbtnCheckAll->click();
    EXPECT_TRUE(MarkedIds().isEmpty());
    EXPECT_EQ(page.SelectCounter.Count, 0);
    ClickAt(0, 5);
    EXPECT_TRUE(MarkedIds().isEmpty());
    EXPECT_EQ(page.SelectCounter.Count, 0);
    EXPECT_EQ(page.tbLocalShow.DataSetState(), TDataSetState::Browse);
    EXPECT_TRUE(Prompt.calls().empty());
    EXPECT_EQ(page.Model()->rowCount(), 2);
}

TEST_F(GoodsPageTest, TheFrameAroundSelectFollowsTheMouse) {
    Fill({{"1", "a"}});
    TGoodsPage& page = Open();
    EXPECT_FALSE(page.Bevel1->isVisible());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(page.sbtnCheckTypeChange, &enter);
    EXPECT_TRUE(page.Bevel1->isVisible());
    QApplication::sendEvent(page.sbtnUnCheckAll, &enter);
    EXPECT_FALSE(page.Bevel1->isVisible());
    QApplication::sendEvent(page.sbtnCheckAll, &enter);
    EXPECT_TRUE(page.Bevel1->isVisible());
    QTest::mouseMove(page.gdMain->viewport(), QPoint(40, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 5), QPointF(40, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(page.gdMain->viewport(), &move);
    EXPECT_FALSE(page.Bevel1->isVisible());
    EXPECT_EQ(page.Bevel1->geometry().united(page.sbtnCheckAll->geometry()).united(page.sbtnCheckTypeChange->geometry()),
              page.Bevel1->geometry());
}

TEST(GoodsGridLayout, ColumnWidthsRoundHalvesToEven) {
    // x = 10: 4.5 -> 4, 1.0, 1.2 -> 1, 1.7 -> 2, the rest 2.
    EXPECT_EQ(GridColumnWidths(35), (std::array<int, 5>{4, 1, 1, 2, 2}));
    // x = 30: 13.5 -> 14, 3, 3.6 -> 4, 5.1 -> 5, the rest 4.
    EXPECT_EQ(GridColumnWidths(55), (std::array<int, 5>{14, 3, 4, 5, 4}));
    // x = 50: 22.5 -> 22, 5, 6, 8.5 -> 8, the rest 9.
    EXPECT_EQ(GridColumnWidths(75), (std::array<int, 5>{22, 5, 6, 8, 9}));
    EXPECT_EQ(RoundRatioHalfEven(-5, 1, 2), -2);
    EXPECT_EQ(RoundRatioHalfEven(7, 1, 2), 4);
}

TEST(SelectCounter, ReportsEveryChange) {
    TSelectCounter c;
    c.Increment();  // no handler
    std::vector<int> seen;
    c.OnChange = [&](TSelectCounter& counter, std::int32_t n) {
        EXPECT_EQ(&counter, &c);
        seen.push_back(n);
    };
    c.Increment();
    c.Decrement();
    c.Decrement();
    c.SetCount(5);
    c.SetCount(5);
    EXPECT_EQ(seen, (std::vector<int>{2, 1, 0, 5, 5}));
}

}  // namespace
