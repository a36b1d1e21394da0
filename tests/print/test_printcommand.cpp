// The print command with the virtual PDF printer and the scripted Prompter:
// messages, copies, the second job, cancelling and the print dates.
#include "goodstable.h"
#include "goodstestutil.h"
#include "labelcountform.h"
#include "goodssession.h"
#include "prepareprintingform.h"
#include "printcommand.h"
#include "printcommandui.h"
#include "printtestutil.h"
#include "prompter.h"
#include "settings.h"
#include "startcellform.h"
#include "testsupport.h"
#include "views.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSpinBox>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using Kind = TScriptedPrompter::Kind;

class PrintCommandTest : public ::testing::Test {
protected:
    TempDataHome Home;
    TScriptedPrompter Prompter_;
    TGoodsSession Goods;
    TTable& tbLocal = Goods.tbLocal;
    QString Layout;
    // The window's settings as the command reads and writes them.
    TSettings Settings;
    TCancelFlag Cancel;
    std::int32_t& LabelCount = Settings.LabelCount;
    QDateTime& LastPrint = Settings.LastPrintDate;
    // Answers of the copies dialog, in order; nullopt cancels it.
    std::vector<std::optional<int>> CopiesAnswers;
    std::vector<int> CopiesAsked;

    void SetUp() override {
        Prompter::install(&Prompter_);
        ASSERT_TRUE(CreateGoodsTable(tbLocal));
        SetupGoodsTable(tbLocal, false);
        tbLocal.Open();
        // Name order differs from ID order on purpose.
        AddGoods(tbLocal, TestGoods("1", "Echo", "5,00", false, true));
        AddGoods(tbLocal, TestGoods("2", "Delta", "4,00", false, true));
        AddGoods(tbLocal, TestGoods("3", "Charlie", "3,00", false, true));
        AddGoods(tbLocal, TestGoods("4", "Bravo", "2,00", false, true));
        AddGoods(tbLocal, TestGoods("5", "Alfa", "1,00", false, true));
        AddGoods(tbLocal, TestGoods("6", "Zulu", "9,00", false, false));
        tbLocal.Close();
        Layout = Home.root() + QStringLiteral("/l.etk");
        TLabelLayout l;
        l.Width = TMm(40);
        l.Height = TMm(20);
        l.Objects = {TextObject(ctName, 1, 1, 39, 8, taCenter, 10), TextObject(ctPrice, 1, 9, 39, 18, taCenter, 12)};
        ASSERT_TRUE(SaveLayoutFile(Layout, l));
        UseSettings();
    }
    // The settings of a PDF job with the test layout and the program's price
    // and barcode defaults.
    void UseSettings() {
        Settings.PrinterName = VirtualPdfPrinterName();
        Settings.LabelFileName = Layout;
        Settings.AskLabelCount = false;
        Settings.AlwaysGr = Settings.DoubleGr = Settings.BarcodeShowText = true;
    }
    void TearDown() override { Prompter::install(nullptr); }

    QString Pdf(int n) const { return Home.root() + QStringLiteral("/job%1.pdf").arg(n); }

    TPrintCommand Command() {
        TPrintCommand c(Settings, Cancel);
        c.PrinterBoxText = VirtualPdfPrinterName();
        c.OrientationText = QStringLiteral("Pionowa");
        c.QueryLabelCount = [this](int records, int& copies) {
            CopiesAsked.push_back(records);
            if (CopiesAnswers.empty()) return false;
            const std::optional<int> a = CopiesAnswers.front();
            CopiesAnswers.erase(CopiesAnswers.begin());
            if (!a) return false;
            copies = *a;
            return true;
        };
        return c;
    }

    // ID -> PRINTDATE text of every record.
    std::map<QString, QString> PrintDates() {
        TTable t;
        SetupGoodsTable(t, false);
        t.Open();
        std::map<QString, QString> out;
        for (t.First(); !t.Eof(); t.Next()) out[t.FieldByName("ID").AsString()] = t.FieldByName("PRINTDATE").AsString();
        return out;
    }
    QStringList StampedIds() {
        QStringList ids;
        for (const auto& [id, date] : PrintDates())
            if (!date.isEmpty()) ids << id;
        return ids;
    }
    // Names of the view of the last print, in name order.
    QStringList LastPrintView() {
        TTable t;
        SetupGoodsTable(t, true);
        t.SetFilter(ViewFilter(TViewCode::LastPrinted, LastPrint));
        t.SetFiltered(true);
        t.Open();
        return Column(t, "NAZWA");
    }
    static QStringList Names(const QString& pdf) {
        QStringList out;
        for (const TPdfWord& w : PdfWords(pdf))
            if (w.Text.front().isLetter()) out << w.Text;
        return out;
    }
};

TEST_F(PrintCommandTest, ConfirmedJobPrintsEachMarkedRecordOnceInNameOrderAndStampsThemAlike) {
    Prompter_.answer(true);
    Prompter_.answerPath(Pdf(1));
    TPrintCommand c = Command();
    c.PrintSelected(TViewCode::Marked, *Goods.Store);

    const QString confirmation = QStringLiteral("Liczba etykiet do druku: 5.") + QChar(13) +
                                 QStringLiteral("Potwierdzasz operację drukowania?");
    EXPECT_EQ(Prompter_.messages(), QStringList{confirmation});
    EXPECT_EQ(LabelCount, 1);
    EXPECT_EQ(Names(Pdf(1)), (QStringList{"Alfa", "Bravo", "Charlie", "Delta", "Echo"}));
    // The copies dialog comes once more after the job; cancelled, no second job.
    EXPECT_EQ(CopiesAsked, std::vector<int>{5});
    EXPECT_FALSE(QFile::exists(Pdf(2)));

    EXPECT_EQ(StampedIds(), (QStringList{"1", "2", "3", "4", "5"}));
    const auto dates = PrintDates();
    EXPECT_EQ(dates.at("1"), dates.at("5"));
    EXPECT_GT(LastPrint.date().year(), 2000);
    EXPECT_EQ(LastPrintView(), (QStringList{"Alfa", "Bravo", "Charlie", "Delta", "Echo"}));
    EXPECT_FALSE(tbLocal.Active());
    EXPECT_EQ(c.StampedRecords(), 5);
}

TEST_F(PrintCommandTest, AskedCopiesAndASecondJobWithThreeCopies) {
    CopiesAnswers = {2, 3};
    Prompter_.answerPath(Pdf(1));
    Prompter_.answerPath(Pdf(2));
    TPrintCommand c = Command();
    Settings.AskLabelCount = true;
    c.PrintSelected(TViewCode::Marked, *Goods.Store);

    EXPECT_TRUE(Prompter_.messages().isEmpty()) << Prompter_.messages().join("|").toStdString();
    EXPECT_EQ(CopiesAsked, (std::vector<int>{5, 5}));
    EXPECT_EQ(Names(Pdf(1)).count("Alfa"), 2);
    EXPECT_EQ(Names(Pdf(1)).size(), 10);
    const QStringList second = Names(Pdf(2));
    EXPECT_EQ(second.size(), 15);
    for (const char* n : {"Alfa", "Bravo", "Charlie", "Delta", "Echo"}) EXPECT_EQ(second.count(QString::fromUtf8(n)), 3) << n;
    // Both save dialogs were asked; the second one suggests the first file.
    std::vector<QString> suggested;
    for (const auto& call : Prompter_.calls())
        if (call.kind == Kind::SaveFile) suggested.push_back(call.detail);
    ASSERT_EQ(suggested.size(), 2u);
    EXPECT_TRUE(suggested[0].endsWith(".pdf"));
    EXPECT_EQ(suggested[1], Pdf(1));
    EXPECT_EQ(LabelCount, 3);
    EXPECT_EQ(LastPrintView().size(), 5);
}

// A roll printer: copies are further label pages, the start cell is never
// asked, the goods are stamped as on a page printer.
TEST_F(PrintCommandTest, RollPrinterPrintsALabelAPageWithoutTheStartCellQuestion) {
    Settings.Papers.Set(VirtualPdfPrinterName(), {true, 0});
    Settings.AskStartCell = true;
    Settings.AskLabelCount = true;
    CopiesAnswers = {2};
    Prompter_.answerPath(Pdf(1));
    TPrintCommand c = Command();
    bool startCellAsked = false;
    c.QueryStartCell = [&](const TCellGrid&, int&) { return startCellAsked = true; };
    c.PrintSelected(TViewCode::Marked, *Goods.Store);
    EXPECT_TRUE(Prompter_.messages().isEmpty()) << Prompter_.messages().join("|").toStdString();
    EXPECT_FALSE(startCellAsked);
    ASSERT_EQ(PdfPages(Pdf(1)), 10);
    QStringList pages;
    for (const TPdfWord& w : PdfWords(Pdf(1)))
        if (!w.Text.contains(u',')) pages << QStringLiteral("%1 %2").arg(w.Page).arg(w.Text);
    EXPECT_EQ(pages, (QStringList{"1 Alfa", "2 Alfa", "3 Bravo", "4 Bravo", "5 Charlie", "6 Charlie", "7 Delta",
                                  "8 Delta", "9 Echo", "10 Echo"}));
    EXPECT_EQ(PdfInfo(Pdf(1), QStringLiteral("Page size")), QStringLiteral("113.386 x 56.693 pts"));
    EXPECT_EQ(StampedIds(), (QStringList{"1", "2", "3", "4", "5"}));
}

TEST_F(PrintCommandTest, DeclinedQuestionsPrintAndStampNothing) {
    // Confirmation declined.
    Prompter_.answer(false);
    TPrintCommand c = Command();
    c.PrintSelected(TViewCode::Marked, *Goods.Store);
    // Copies dialog cancelled.
    TPrintCommand asked = Command();
    Settings.AskLabelCount = true;
    asked.PrintSelected(TViewCode::Marked, *Goods.Store);
    // PDF file dialog cancelled: no job, then the second copies question.
    Prompter_.answer(true);
    Settings.AskLabelCount = false;
    TPrintCommand noFile = Command();
    noFile.PrintSelected(TViewCode::Marked, *Goods.Store);

    EXPECT_EQ(CopiesAsked, (std::vector<int>{5, 5}));
    EXPECT_TRUE(StampedIds().isEmpty());
    EXPECT_EQ(LastPrint.date().year(), 1899);
}

TEST_F(PrintCommandTest, FailuresGiveTheirOneMessageAndChangeNothing) {
    struct Case {
        const char* what;
        std::function<void(TPrintCommand&)> setup;
        QStringList messages;
    };
    const QString missing = Home.root() + QStringLiteral("/missing.etk");
    const std::vector<Case> cases = {
        {"empty printer box", [](TPrintCommand& c) { c.PrinterBoxText.clear(); }, {"Brak skonfigurowanej drukarki."}},
        {"printer gone",
         [this](TPrintCommand& c) {
             c.PrinterBoxText = QStringLiteral("Biuro HP");
             Settings.PrinterName = QStringLiteral("Biuro HP");
         },
         {"Brak drukarki: \"Biuro HP\""}},
        {"printer name differs in case", [this](TPrintCommand&) { Settings.PrinterName = QStringLiteral("pdf"); },
         {"Brak drukarki: \"PDF\""}},
        {"missing layout", [this, missing](TPrintCommand&) { Settings.LabelFileName = missing; },
         {"Wystąpił błąd podczas otczytu pliku wyglądu etykiety."}},  // sic
        // A layout without PANEL reads as a 0 × 0 label: blank pages, every
        // good stamped as printed. It is refused before any question.
        {"layout without size",
         [this](TPrintCommand&) {
             Settings.LabelFileName = Home.root() + QStringLiteral("/nopanel.etk");
             WriteAll(Settings.LabelFileName, "[LABEL1]\nTYPE=1\nRIGHT=30\nBOTTOM=10\n");
         },
         {"Wystąpił błąd podczas otczytu pliku wyglądu etykiety."}},  // sic
    };
    for (const Case& k : cases) {
        Prompter_.clear();
        UseSettings();
        TPrintCommand c = Command();
        k.setup(c);
        c.PrintSelected(TViewCode::Marked, *Goods.Store);
        EXPECT_EQ(Prompter_.messages(), k.messages) << k.what;
        EXPECT_TRUE(CopiesAsked.empty()) << k.what;
    }

    // A PDF that cannot be written is a printer failure; one that would
    // replace the goods file or a file that is no PDF is refused: no
    // stamping, and the file stays as it was.
    const QString goodsFile = Home.path(QStringLiteral("DB/towary.db"));
    const QString notes = Home.root() + QStringLiteral("/notatki.txt");
    WriteAll(notes, "Nie zapomnieć o chlebie.\n");
    const struct {
        QString pdf, message;
    } unwritable[] = {
        {Home.root() + QStringLiteral("/no/such/folder/x.pdf"), QStringLiteral("Wystąpił błąd drukarki.")},
        {goodsFile, QStringLiteral("Nie można zapisać wydruku w pliku %1: to plik bazy danych towarów.").arg(goodsFile)},
        {notes, QStringLiteral("Nie można zapisać wydruku w pliku %1: to nie jest plik PDF.").arg(notes)},
    };
    for (const auto& u : unwritable) {
        Prompter_.clear();
        UseSettings();
        Prompter_.answer(true);
        Prompter_.answerPath(u.pdf);
        const QByteArray before = ReadAll(u.pdf);
        TPrintCommand c = Command();
        c.PrintSelected(TViewCode::Marked, *Goods.Store);
        EXPECT_EQ(Prompter_.messages().value(1), u.message);
        EXPECT_EQ(Prompter_.messages().size(), 2) << Prompter_.messages().join('|').toStdString();
        EXPECT_EQ(ReadAll(u.pdf), before) << u.pdf.toStdString();
    }

    EXPECT_TRUE(StampedIds().isEmpty());
    EXPECT_EQ(LastPrint.date().year(), 1899);
}

TEST_F(PrintCommandTest, NothingMarkedIsReportedAfterTheLayoutWasRead) {
    tbLocal.Open();
    tbLocal.UpdateWhere(QString(), {{"SELECT", false}});
    tbLocal.Close();
    TPrintCommand c = Command();
    c.PrintSelected(TViewCode::Marked, *Goods.Store);
    EXPECT_EQ(Prompter_.messages(), QStringList{"Brak obiektów do drukowania."});

    // With the layout missing the layout message comes instead.
    Prompter_.clear();
    Settings.LabelFileName = Home.root() + QStringLiteral("/missing.etk");
    c.PrintSelected(TViewCode::Marked, *Goods.Store);
    EXPECT_EQ(Prompter_.messages(), QStringList{"Wystąpił błąd podczas otczytu pliku wyglądu etykiety."});  // sic
}

TEST_F(PrintCommandTest, CopiesBelowOnePrintNothingAndSaySo) {
    CopiesAnswers = {0, -4};
    TPrintCommand c = Command();
    Settings.AskLabelCount = true;
    c.PrintSelected(TViewCode::Marked, *Goods.Store);
    EXPECT_EQ(Prompter_.messages(), QStringList(2, kNoCopies));
    EXPECT_TRUE(StampedIds().isEmpty());
    EXPECT_EQ(LastPrint.date().year(), 1899);
}

// The whole command through the progress dialog; its cancel button is pressed
// when the bar shows the second printed record.
TEST_F(PrintCommandTest, CancelStampsExactlyTheRecordsPrintedBeforeIt) {
    TPreparePrintingForm form;
    QObject::connect(form.prPrepare, &QProgressBar::valueChanged, form.Button1, [&form](int v) {
        if (v == 2) form.Button1->click();
    });
    int barMaximum = 0, barValue = 0;
    Prompter_.answerDialog([&](QObject& d) {
        auto& f = static_cast<TPreparePrintingForm&>(d);
        const int r = f.exec();
        barMaximum = f.prPrepare->maximum();
        barValue = f.prPrepare->value();
        return r;
    });
    Prompter_.answer(true);
    Prompter_.answerPath(Pdf(1));
    // The copies dialog comes once more after the cancelled job; cancelled.
    Prompter_.answerDialog([](QObject& d) {
        EXPECT_EQ(static_cast<TLabelCountForm&>(d).Label1->text(), QStringLiteral("Ilość etykiet do druku: 5."));
        return int(QDialog::Rejected);
    });

    TPrintPieces p(Goods, Settings);
    p.PrepareForm = &form;
    p.PrinterBoxText = [] { return VirtualPdfPrinterName(); };
    p.OrientationText = [] { return QStringLiteral("Pozioma"); };
    sbtnDoPrintClick(p);

    std::vector<Kind> kinds;
    for (const auto& call : Prompter_.calls()) kinds.push_back(call.kind);
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Dialog, Kind::OkCancel, Kind::SaveFile, Kind::Dialog}));
    EXPECT_EQ(Names(Pdf(1)), (QStringList{"Alfa", "Bravo"}));
    // Alfa (5) and Bravo (4) came out of the printer, so just they are stamped.
    EXPECT_EQ(StampedIds(), (QStringList{"4", "5"}));
    EXPECT_EQ(LastPrintView(), (QStringList{"Alfa", "Bravo"}));
    EXPECT_EQ(barMaximum, 10);
    EXPECT_EQ(barValue, 4);
    EXPECT_FALSE(form.isVisible());
}

// A mistyped copies count (100000) can still be stopped: Cancel is read
// between the labels of one record, and the record whose labels were cut
// short counts as printed.
TEST_F(PrintCommandTest, CancelStopsTheCopiesOfOneRecord) {
    CopiesAnswers = {100000};
    Settings.AskLabelCount = true;
    TPrintCommand c = Command();
    c.AskPdfFileName = [this](const QString&) {
        // Pressed as soon as the job lets window events in.
        QTimer::singleShot(0, [this] { Cancel.Request(); });
        return Pdf(1);
    };
    c.PrintSelected(TViewCode::Marked, *Goods.Store);
    EXPECT_EQ(Names(Pdf(1)), QStringList{"Alfa"});
    EXPECT_EQ(CopiesAsked, (std::vector<int>{5, 5}));
    EXPECT_EQ(StampedIds(), QStringList{"5"});
    EXPECT_EQ(LastPrintView(), QStringList{"Alfa"});
}

// The start cell is asked before the job when the settings say so (the
// picture of the sheet is clicked), the offset is the chosen printer's, and
// cancelling the question prints nothing.
TEST_F(PrintCommandTest, StartCellQuestionAndThePrintersOffset) {
    Prompter_.answer(true);
    Prompter_.answerPath(Pdf(1));
    Command().PrintSelected(TViewCode::Marked, *Goods.Store);

    Settings.AskStartCell = true;
    Settings.Calibrations.Set(QStringLiteral("Inna drukarka"), {-200, -200});
    Settings.Calibrations.Set(VirtualPdfPrinterName(), {100, 50});
    Prompter_.answer(true);
    Prompter_.answerDialog([](QObject& d) {
        auto& f = static_cast<TStartCellForm&>(d);
        f.show();
        // Labels of 40 mm from 10 mm to the right: four across, fourteen down.
        EXPECT_EQ(f.edCell->maximum(), 56);
        EXPECT_EQ(f.edCell->value(), 1);
        const QPointF at = f.pbSheet->CellArea(6).center();
        QMouseEvent click(QEvent::MouseButtonPress, at, f.pbSheet->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(f.pbSheet, &click);
        EXPECT_EQ(f.edCell->value(), 6);
        f.btnOk->click();
        return f.result();
    });
    Prompter_.answerPath(Pdf(2));
    TPrintCommand c = Command();
    c.QueryStartCell = [](const TCellGrid& page, int& cell) { return QueryStartCell(page, cell); };
    c.PrintSelected(TViewCode::Marked, *Goods.Store);
    const std::vector<TPdfWord> plain = PdfWords(Pdf(1)), moved = PdfWords(Pdf(2));
    ASSERT_FALSE(plain.empty());
    ASSERT_FALSE(moved.empty());
    ASSERT_EQ(plain[0].Text, moved[0].Text);
    // Cell 6 is the second of the second row; the offset adds 10 and 5 mm.
    EXPECT_NEAR(moved[0].X - plain[0].X, (10 + 40) * 72 / 25.4, 0.5);
    EXPECT_NEAR(moved[0].Y - plain[0].Y, (5 + 20) * 72 / 25.4, 0.5);

    Prompter_.answer(true);
    Prompter_.answerDialog([](QObject& d) {
        auto& f = static_cast<TStartCellForm&>(d);
        f.btnCancel->click();
        return f.result();
    });
    TPrintCommand cancelled = Command();
    cancelled.QueryStartCell = [](const TCellGrid& page, int& cell) { return QueryStartCell(page, cell); };
    Prompter_.clear();
    cancelled.PrintSelected(TViewCode::Marked, *Goods.Store);
    for (const auto& call : Prompter_.calls()) EXPECT_NE(call.kind, Kind::SaveFile);
    EXPECT_FALSE(QFile::exists(Pdf(3)));
}

TEST_F(PrintCommandTest, LabelCountDialogAcceptsOnlyIntegers) {
    int copies = 7;
    Prompter_.answerDialog([this](QObject& d) {
        auto& f = static_cast<TLabelCountForm&>(d);
        EXPECT_EQ(f.windowTitle(), QStringLiteral(" Wydruki"));
        EXPECT_EQ(f.ComboBox1->count(), 20);
        EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("1"));
        f.show();
        f.ComboBox1->setEditText(QStringLiteral("dwa"));
        f.btnOk->click();
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(Prompter_.messages(), QStringList{"Należy wprowadzić liczbę."});
        f.ComboBox1->setEditText(QStringLiteral("50"));
        f.btnOk->click();
        EXPECT_FALSE(f.isVisible());
        return f.result();
    });
    EXPECT_TRUE(QueryLabelCount(3, copies));
    EXPECT_EQ(copies, 50);

    Prompter_.answerDialog([](QObject& d) {
        auto& f = static_cast<TLabelCountForm&>(d);
        f.ComboBox1->setEditText(QStringLiteral("12"));
        f.btnCancel->click();
        return f.result();
    });
    EXPECT_FALSE(QueryLabelCount(3, copies));
    EXPECT_EQ(copies, 50);
}

}  // namespace
