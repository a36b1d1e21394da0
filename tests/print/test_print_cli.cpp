// The companion's print command, run as a separate process.
#include "datetimetext.h"
#include "goodstable.h"
#include "goodstestutil.h"
#include "inifile.h"
#include "printtestutil.h"
#include "clirunner.h"
#include "testsupport.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

// A write transaction of another connection on an SQLite file, held while
// the object lives.
struct TSqliteLock {
    explicit TSqliteLock(const QString& path) : Name(QStringLiteral("lock-%1").arg(quintptr(this))) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
        db.setDatabaseName(path);
        QSqlQuery q(db);
        Held = db.open() && q.exec(QStringLiteral("BEGIN IMMEDIATE"));
        if (!Held) Error = db.lastError().text() + q.lastError().text();
    }
    ~TSqliteLock() {
        {
            QSqlDatabase db = QSqlDatabase::database(Name);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(Name);
    }
    QString Name;
    bool Held = false;
    QString Error;
};

// Qt may add its own warnings before the program's message.
QString LastLine(const QString& text) {
    return text.trimmed().split('\n').last().trimmed();
}

class PrintCliTest : public ::testing::Test {
protected:
    TempDataHome Home;
    QString Layout = Home.root() + QStringLiteral("/l.etk");
    QString Pdf = Home.root() + QStringLiteral("/out.pdf");

    void SetUp() override {
        TLabelLayout l;
        l.Width = TMm(40);
        l.Height = TMm(20);
        l.Objects = {TextObject(ctName, 1, 1, 39, 8, taCenter, 10)};
        ASSERT_TRUE(SaveLayoutFile(Layout, l));
        TTable t;
        ASSERT_TRUE(CreateGoodsTable(t));
        SetupGoodsTable(t, false);
        t.Open();
        AddGoods(t, TestGoods("1", "Gruszka", "1,00", false, true));
        AddGoods(t, TestGoods("2", "Banan", "2,00", false, true));
        AddGoods(t, TestGoods("3", "Cytryna", "3,00", false, false, QDateTime(QDate(2020, 1, 1), QTime(8, 0))));
        t.Close();
    }
};

TEST_F(PrintCliTest, PrintsMarkedGoodsStampsThemAndTheLastPrintViewListsThem) {
    TCliResult r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--copies", "2", "--layout", Layout});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    QStringList names;
    for (const TPdfWord& w : PdfWords(Pdf)) names << w.Text;
    EXPECT_EQ(names, (QStringList{"Banan", "Banan", "Gruszka", "Gruszka"}));

    const TIniFile ini(Home.path(QStringLiteral("settings.ini")));
    QDateTime last;
    ASSERT_TRUE(TextToDateTime(ini.ReadString("LAST PRINT", "DATE", QString()), last));
    EXPECT_LE(qAbs(last.secsTo(QDateTime::currentDateTime())), 120);

    r = RunCli(Home.dataFolder(), {"goods", "list", "--view", "4"});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    const QStringList lines = r.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("2\tBanan\t"));
    EXPECT_TRUE(lines[2].startsWith("1\tGruszka\t"));
    EXPECT_TRUE(lines[1].contains(DateTimeToText(last)));
}

// The reduction and the lowest price as a printed PDF reads: the discount
// against the lowest price of the 30 days before it, for the perishable bread
// against its price before three evenings of reductions; goods without a
// reduction print their name alone.
TEST_F(PrintCliTest, ReductionAndLowestPriceObjectsPrintTheirTexts) {
    {
        TScopedPriceClock clock(QDateTime::currentDateTimeUtc().addDays(-60));
        TTable t;
        SetupGoodsTable(t, false);
        t.Open();
        AddGoods(t, TestGoods("4", "Ser", "10,00", false, true));
        AddGoods(t, TestGoods("5", "Chleb", "5,00", false, true));
        const auto setPrice = [&](const char* id, const char* price, bool perishable = false) {
            ASSERT_TRUE(t.FindKey(id));
            t.Edit();
            t.FieldByName("CENA").SetAsString(price);
            if (perishable) t.FieldByName("KROTKITERMIN").SetAsBoolean(true);
            t.Post();
        };
        clock.AddDays(50);
        setPrice("4", "8,00");
        setPrice("5", "4,00", true);
        for (const char* evening : {"3,50", "2,50"}) {
            clock.AddDays(1);
            setPrice("5", evening);
        }
    }
    const QString layout = Home.root() + QStringLiteral("/obnizka.etk");
    TLabelLayout l;
    l.Width = TMm(180);
    l.Height = TMm(30);
    TLayoutObject lowest = TextObject(ctLowestPrice, 1, 20, 179, 29, taLeftJustify, 10, CompoCaption(ctLowestPrice));
    l.Objects = {TextObject(ctName, 1, 1, 179, 6, taLeftJustify, 10),
                 TextObject(ctReduction, 1, 7, 179, 13, taLeftJustify, 10, CompoCaption(ctReduction)),
                 TextObject(ctReduction, 1, 14, 179, 19, taLeftJustify, 10, QString::fromUtf8("taniej o {kwota} zł")), lowest};
    ASSERT_TRUE(SaveLayoutFile(layout, l));
    const TCliResult r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--layout", layout});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    std::vector<TPdfWord> words = PdfWords(Pdf);
    std::stable_sort(words.begin(), words.end(), [](const TPdfWord& a, const TPdfWord& b) {
        return std::tie(a.Page, a.Y, a.X) < std::tie(b.Page, b.Y, b.X);
    });
    QStringList text;
    for (const TPdfWord& w : words) text << w.Text;
    EXPECT_EQ(text.join(u' '), QString::fromUtf8("Banan "
                                                 "Chleb –50% taniej o 2,50 zł Najniższa cena z 30 dni przed obniżką: 5,00 zł "
                                                 "Gruszka "
                                                 "Ser –20% taniej o 2,00 zł Najniższa cena z 30 dni przed obniżką: 10,00 zł"));
}

// The sheet and the PDF printer's offset come from settings.ini, the start
// cell from --start-cell; a start cell that is not on the page is refused.
TEST_F(PrintCliTest, SheetOffsetAndStartCell) {
    const QString plainPdf = Home.root() + QStringLiteral("/plain.pdf");
    TCliResult r = RunCli(Home.dataFolder(), {"print", "--pdf", plainPdf, "--layout", Layout});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    {
        TIniFile ini(Home.path(QStringLiteral("settings.ini")));
        ini.WriteString("SHEET", "LEFT", "100");
        ini.WriteString("SHEET", "TOP", "50");
        ini.WriteString("CALIBRATION PDF", "X", "-50");
        ini.WriteString("CALIBRATION PDF", "Y", "50");
        ASSERT_TRUE(ini.UpdateFile());
    }
    // 40 mm labels from 5 mm: four across, fourteen down.
    for (const char* bad : {"0", "-1", "trzy", "57"}) {
        r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--layout", Layout, "--start-cell", bad});
        EXPECT_EQ(r.Code, 2) << bad;
        EXPECT_TRUE(LastLine(r.Err).startsWith("--start-cell")) << bad << " " << r.Err.toStdString();
        EXPECT_FALSE(QFile::exists(Pdf)) << bad;
    }
    r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--layout", Layout, "--start-cell", "3"});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    const std::vector<TPdfWord> plain = PdfWords(plainPdf), moved = PdfWords(Pdf);
    ASSERT_EQ(plain.size(), 2u);
    ASSERT_EQ(moved.size(), 2u);
    // The third cell: two labels to the right, plus 5 mm of margin and offset.
    EXPECT_NEAR(moved[0].X - plain[0].X, (5 + 2 * 40) * 72 / 25.4, 0.5);
    EXPECT_NEAR(moved[0].Y - plain[0].Y, 10 * 72 / 25.4, 0.5);
}

// The virtual printer set up as a roll: one page of exactly the label's size
// per label, each with its label, whatever the sheet, orientation and start
// cell say; the printer's offset still moves the label on its page.
TEST_F(PrintCliTest, RollPdfHasOneLabelSizedPagePerLabel) {
    {
        TIniFile ini(Home.path(QStringLiteral("settings.ini")));
        ini.WriteString("PRINTER PDF", "ROLL", "1");
        ini.WriteString("PRINTER", "ORIENTATION", "Pozioma");
        ini.WriteString("SHEET", "COLUMNS", "3");
        ini.WriteString("SHEET", "LEFT", "100");
        ini.WriteString("CALIBRATION PDF", "X", "20");
        ASSERT_TRUE(ini.UpdateFile());
    }
    const TCliResult r =
        RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--copies", "2", "--layout", Layout, "--start-cell", "7"});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    ASSERT_EQ(PdfPages(Pdf), 4);
    const QString sizes = RunTool(QStringLiteral("pdfinfo"), {"-f", "1", "-l", "4", Pdf});
    EXPECT_EQ(sizes.count(QStringLiteral(" 113.386 x 56.693 pts")), 4) << sizes.toStdString();
    QStringList pages;
    for (const TPdfWord& w : PdfWords(Pdf)) {
        pages << QStringLiteral("%1 %2").arg(w.Page).arg(w.Text);
        // Centred in 1-39 mm and moved 2 mm: right of the page's middle.
        EXPECT_GT(w.X, 20 * 72 / 25.4 - 30) << w.Text.toStdString();
    }
    EXPECT_EQ(pages, (QStringList{"1 Banan", "2 Banan", "3 Gruszka", "4 Gruszka"}));
    // The offset as far as it goes: the label moved, its page the same.
    const QImage page = PdfPage(Pdf, 1, 254);
    // The rasteriser rounds a page's fraction of a dot up.
    EXPECT_NEAR(page.width(), 400, 1);
    EXPECT_NEAR(page.height(), 200, 1);
    EXPECT_TRUE(InkBox(page, QRect(0, 0, 20, page.height())).isEmpty()) << "nothing left of the moved frame";
    EXPECT_FALSE(InkBox(page, QRect(20, 0, 1, page.height())).isEmpty()) << "the frame 2 mm in";
    EXPECT_FALSE(InkBox(page, QRect(20, 198, 380, 1)).isEmpty()) << "the bottom of the frame on the page";
}

TEST_F(PrintCliTest, BadRequestsFailWithTheProgramsMessageAndChangeNothing) {
    TCliResult r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--copies", "0", "--layout", Layout});
    EXPECT_NE(r.Code, 0);
    EXPECT_FALSE(r.Err.isEmpty());
    r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--layout", Home.root() + "/missing.etk"});
    EXPECT_NE(r.Code, 0);
    EXPECT_EQ(LastLine(r.Err), QStringLiteral("Wystąpił błąd podczas otczytu pliku wyglądu etykiety."));  // sic
    // A layout without PANEL reads as a 0 × 0 label, which would print blank
    // pages and stamp every good: refused the same way.
    const QString noPanel = Home.root() + QStringLiteral("/nopanel.etk");
    WriteAll(noPanel, "[LABEL1]\nTYPE=1\nRIGHT=30\nBOTTOM=10\n");
    r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--layout", noPanel});
    EXPECT_NE(r.Code, 0);
    EXPECT_EQ(LastLine(r.Err), QStringLiteral("Wystąpił błąd podczas otczytu pliku wyglądu etykiety."));  // sic
    r = RunCli(Home.dataFolder(), {"print", "--pdf", Home.root() + "/no/folder/x.pdf", "--layout", Layout});
    EXPECT_NE(r.Code, 0);
    EXPECT_EQ(LastLine(r.Err), QStringLiteral("Wystąpił błąd drukarki."));
    // The PDF printer needs its file, whether named or the settings' printer;
    // a file and a printer at once is one too many.
    const struct {
        QStringList args;
        QString message;
    } usage[] = {
        {{"print"}, QStringLiteral("Podaj plik wynikowy: --pdf PLIK.")},
        {{"print", "--printer", "PDF"}, QStringLiteral("Podaj plik wynikowy: --pdf PLIK.")},
        {{"print", "--printer"}, QStringLiteral("Podaj drukarkę: --printer NAZWA.")},
        {{"print", "--pdf", Pdf, "--printer", "Biuro"}, QStringLiteral("Podaj albo --pdf PLIK, albo --printer NAZWA.")},
    };
    for (const auto& u : usage) {
        r = RunCli(Home.dataFolder(), u.args);
        EXPECT_EQ(r.Code, 2) << u.args.join(' ').toStdString();
        EXPECT_EQ(LastLine(r.Err), u.message) << r.Err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(Pdf));

    // A PDF written over a file that is no PDF, or over the goods file (the
    // job used to rename itself over it, and every good was gone), is refused
    // and the file stays as it was.
    const QString goodsFile = Home.path(QStringLiteral("DB/towary.db"));
    const QString notes = Home.root() + QStringLiteral("/notatki.txt");
    const QString link = Home.root() + QStringLiteral("/towary.pdf");
    WriteAll(notes, "Nie zapomnieć o chlebie.\n");
    ASSERT_TRUE(QFile::link(goodsFile, link));
    const QByteArray goodsBefore = ReadAll(goodsFile);
    const struct {
        QString pdf, file, message;
    } refused[] = {
        {goodsFile, goodsFile, QStringLiteral("Nie można zapisać wydruku w pliku %1: to plik bazy danych towarów.")},
        {link, goodsFile, QStringLiteral("Nie można zapisać wydruku w pliku %1: to plik bazy danych towarów.")},
        {Home.path(QStringLiteral("DB/etykiety.pdf")), goodsFile,
         QStringLiteral("Nie można zapisać wydruku w pliku %1: to plik bazy danych towarów.")},
        {notes, notes, QStringLiteral("Nie można zapisać wydruku w pliku %1: to nie jest plik PDF.")},
    };
    for (const auto& c : refused) {
        const QByteArray before = ReadAll(c.file);
        r = RunCli(Home.dataFolder(), {"print", "--pdf", c.pdf, "--layout", Layout});
        EXPECT_EQ(r.Code, 1) << c.pdf.toStdString();
        EXPECT_EQ(LastLine(r.Err), c.message.arg(c.pdf)) << r.Err.toStdString();
        EXPECT_EQ(ReadAll(c.file), before) << c.pdf.toStdString();
        EXPECT_FALSE(QFile::exists(c.pdf + QStringLiteral(".part"))) << c.pdf.toStdString();
    }
    EXPECT_FALSE(QFile::exists(Home.path(QStringLiteral("DB/etykiety.pdf"))));
    EXPECT_EQ(ReadAll(goodsFile), goodsBefore);

    // Settings that cannot take the last print moment (a folder in the way)
    // are found before the job: nothing printed, nothing stamped, where the
    // job used to be written and stamped and then reported failed.
    const QString settingsFile = Home.path(QStringLiteral("settings.ini"));
    const QString settingsAside = settingsFile + QStringLiteral(".aside");
    const bool hadSettings = QFile::exists(settingsFile);
    ASSERT_TRUE(!hadSettings || QFile::rename(settingsFile, settingsAside));
    ASSERT_TRUE(QDir().mkpath(settingsFile));
    r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--layout", Layout});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(LastLine(r.Err), QStringLiteral("Nie można zapisać pliku %1.").arg(settingsFile)) << r.Err.toStdString();
    EXPECT_FALSE(QFile::exists(Pdf));
    ASSERT_TRUE(QDir().rmdir(settingsFile));
    ASSERT_TRUE(!hadSettings || QFile::rename(settingsAside, settingsFile));

    // Another process writing the goods (an update) while the job is stamped:
    // the job is reported failed before its PDF is in place, and no good
    // keeps a date of it.
    {
        TSqliteLock lock(goodsFile);
        ASSERT_TRUE(lock.Held) << lock.Error.toStdString();
        r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--layout", Layout});
    }
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(LastLine(r.Err), QStringLiteral("Nie można zapisać daty wydruku towarów; plik PDF nie został zapisany."))
        << r.Err.toStdString();
    EXPECT_FALSE(QFile::exists(Pdf));
    EXPECT_FALSE(QFile::exists(Pdf + QStringLiteral(".part")));

    r = RunCli(Home.dataFolder(), {"goods", "list", "--view", "3"});
    EXPECT_EQ(r.Out.split('\n', Qt::SkipEmptyParts).size(), 3);  // header and both marked goods, never printed

    EXPECT_FALSE(TIniFile(Home.path(QStringLiteral("settings.ini"))).ValueExists("LAST PRINT", "DATE"));

    TTable t;
    SetupGoodsTable(t, false);
    t.Open();
    t.UpdateWhere(QString(), {{"SELECT", false}});
    t.Close();
    r = RunCli(Home.dataFolder(), {"print", "--pdf", Pdf, "--layout", Layout});
    EXPECT_NE(r.Code, 0);
    EXPECT_EQ(LastLine(r.Err), QStringLiteral("Brak obiektów do drukowania."));
    EXPECT_FALSE(QFile::exists(Pdf));
}

}  // namespace

