#include "codepage.h"
#include "csvtable.h"
#include "csvtext.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kName = QStringLiteral("towary.csv");

// What a walk over a whole file gave.
struct TRead {
    QString OpenError;
    char Separator = 0;
    TCsvText Rule = TCsvText::Detected;
    QStringList Columns;
    QList<QStringList> Rows;
    QString WalkError;  // why the walk stopped early
};

TRead Walk(const TCsvTable& t) {
    TRead out;
    out.Separator = t.Separator();
    out.Rule = t.TextRule();
    out.Columns = t.ColumnNames();
    TExtPosition at;
    std::vector<QString> row;
    while (t.NextText(at, row)) out.Rows << QStringList(row.begin(), row.end());
    if (at.Cut) out.WalkError = t.ReadError();
    return out;
}

TRead ReadBytes(const QByteArray& bytes, const TCsvOptions& options = {}) {
    QString error;
    auto t = TCsvTable::FromBytes(bytes, kName, options, error);
    if (!t) {
        TRead failed;
        failed.OpenError = error;
        return failed;
    }
    return Walk(*t);
}

QByteArray W1250(const char* utf8) { return ToWin1250(QString::fromUtf8(utf8)); }

std::string Show(const QList<QStringList>& rows) {
    std::string s;
    for (const QStringList& r : rows) s += "[" + r.join(u'|').toStdString() + "]\n";
    return s;
}

TEST(CsvReader, ExportsOfSalesProgramsAndSpreadsheets) {
    struct Case {
        const char* what;
        QByteArray bytes;
        TCsvOptions options;
        char separator;
        TCsvText rule;
        QStringList columns;
        QList<QStringList> rows;
    };
    const TCsvOptions none;
    TCsvOptions cp852;
    cp852.CodePage = TCsvCodePage::Cp852;
    TCsvOptions latin2;
    latin2.CodePage = TCsvCodePage::Iso8859_2;
    TCsvOptions comma;
    comma.Separator = ',';
    const Case cases[] = {
        {"semicolon, Windows-1250, decimal comma, separator at line ends, a short line, DOS end mark",
         W1250("Indeks;Nazwa;Cena brutto;Jm;Ilość;Kod kreskowy;\r\n"
               "000123;Mleko świeże 3,2% Łaciate;3,49;szt;1 234,5;5900512300108;\r\n"
               "000124;Żubrówka \"Biała\" 0,5 l;29,99;szt;12;5900343001234;\r\n"
               "\r\n"
               "000125;Chleb żytni;4,5\r\n\x1A"),
         none, ';', TCsvText::CodePage,
         {"Indeks", "Nazwa", "Cena brutto", "Jm", "Ilość", "Kod kreskowy"},
         {{"000123", "Mleko świeże 3,2% Łaciate", "3,49", "szt", "1 234,5", "5900512300108"},
          {"000124", "Żubrówka \"Biała\" 0,5 l", "29,99", "szt", "12", "5900343001234"},
          {"000125", "Chleb żytni", "4,5", "", "", ""}}},
        {"comma, UTF-8 with its mark, quoted names with commas, quotes and line breaks",
         QByteArray("\xEF\xBB\xBF\"ID\",\"Nazwa produktu\",\"Cena\",\"Waga\",\"EAN\"\n"
                    "\"17\",\"Ser żółty, gouda\",\"12.50\",\"1 kg\",\"5901234123457\"\n"
                    "\"18\",\"Kiełbasa\nśląska\",\"19.99\",,\"5901234000018\"\n"
                    "19,\"Sok \"\"Pomarańcza\"\", 1 l\",4.20,1 l,5900000000019\n"
                    "20,\"Zestaw:\r\nkawa, herbata\",\"\",\"\",\n"),
         none, ',', TCsvText::Utf8Bom,
         {"ID", "Nazwa produktu", "Cena", "Waga", "EAN"},
         {{"17", "Ser żółty, gouda", "12.50", "1 kg", "5901234123457"},
          {"18", "Kiełbasa\nśląska", "19.99", "", "5901234000018"},
          {"19", "Sok \"Pomarańcza\", 1 l", "4.20", "1 l", "5900000000019"},
          {"20", "Zestaw:\r\nkawa, herbata", "", "", ""}}},
        {"tab-separated UTF-8 without its mark, empty and blank lines, fields beyond the header's",
         QByteArray("kod\tnazwa\tcena\tjednostka\n\n"
                    "1001\tMąka pszenna typ 450\t3,19\tkg\n"
                    "1002\tCukier biały\t4,29\tkg\textra\tjeszcze\n"
                    "\t\t\t\n  \n"),
         none, '\t', TCsvText::Detected,
         {"kod", "nazwa", "cena", "jednostka"},
         {{"1001", "Mąka pszenna typ 450", "3,19", "kg"}, {"1002", "Cukier biały", "4,29", "kg"}}},
        {"pipe-separated code page 852 with lines ending in CR alone",
         QByteArray("KOD|NAZWA|CENA\r1|\x9D\xA2\x64\xAB|2.50\r2|Za\xBE\xA2\x88\x86|1 000.00\r"),
         cp852, '|', TCsvText::CodePage,
         {"KOD", "NAZWA", "CENA"},
         {{"1", "Łódź", "2.50"}, {"2", "Zażółć", "1 000.00"}}},
        {"ISO-8859-2", QByteArray("Nazwa;Cena\n\xA6liwki w\xEAgierki;7,99\n"), latin2, ';', TCsvText::CodePage,
         {"Nazwa", "Cena"}, {{"Śliwki węgierki", "7,99"}}},
        {"a first line naming the separator is no header", QByteArray("sep=,\r\nNazwa;opis,Cena\r\nA;b,1\r\n"), none, ',',
         TCsvText::Detected, {"Nazwa;opis", "Cena"}, {{"A;b", "1"}}},
        {"the definition's separator wins over the first line", QByteArray("a;b,c\n1;2,3\n"), comma, ',',
         TCsvText::Detected, {"a;b", "c"}, {{"1;2", "3"}}},
        {"separators in quotes do not count; a tie goes to the semicolon",
         QByteArray("\"Nazwa; pełna; długa\",Cena,Waga\n\"x;y\",1,2\n"), none, ',', TCsvText::Detected,
         {"Nazwa; pełna; długa", "Cena", "Waga"}, {{"x;y", "1", "2"}}},
        {"tie", QByteArray("a;b,c\n1;2,3\n"), none, ';', TCsvText::Detected, {"a", "b,c"}, {{"1", "2,3"}}},
        {"UTF-8 lines, and past the first 64 KiB a line of a Windows-1250 program",
         QByteArray("Nazwa;Cena\n\xC5\xBB\xC3\xB3\xC5\x82w;1\n") + QByteArray(70000, '\n') + W1250("Łoś;2\n"), none, ';', TCsvText::Detected,
         {"Nazwa", "Cena"}, {{"Żółw", "1"}, {"Łoś", "2"}}},
        {"a Windows-1250 file stays so where a line happens to be well-formed UTF-8",
         W1250("Nazwa;Cena\nŚliwka;1\n") + QByteArray("\xD3\x8C;2\n"), none, ';', TCsvText::CodePage,
         {"Nazwa", "Cena"}, {{"Śliwka", "1"}, {"ÓŚ", "2"}}},
        {"blank lines before the header, a header alone", QByteArray("\r\n  \r\nNazwa;Cena;;;\r\n"), none, ';',
         TCsvText::Detected, {"Nazwa", "Cena"}, {}},
        {"text after a closing quote, a quote inside a field, no line end at the end",
         QByteArray("a;b;c\n\"ab\"cd;12\" TV;\"x\"\"\"\n\"\";\"\";z"), none, ';', TCsvText::Detected, {"a", "b", "c"},
         {{"abcd", "12\" TV", "x\""}, {"", "", "z"}}},
        {"a line of quoted empty fields is blank", QByteArray("a;b\n\"\";\" \"\n1;2\n"), none, ';', TCsvText::Detected,
         {"a", "b"}, {{"1", "2"}}},
    };
    for (const Case& c : cases) {
        // Read at once, and in pieces so small that every record, quote and
        // line end falls across the end of a piece.
        for (std::size_t piece : {std::size_t(64 * 1024), std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(7)}) {
            SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
            TCsvOptions options = c.options;
            options.Piece = piece;
            const TRead r = ReadBytes(c.bytes, options);
            ASSERT_TRUE(r.OpenError.isEmpty()) << r.OpenError.toStdString();
            EXPECT_TRUE(r.WalkError.isEmpty()) << r.WalkError.toStdString();
            EXPECT_EQ(r.Separator, c.separator);
            EXPECT_EQ(r.Rule, c.rule);
            EXPECT_EQ(r.Columns, c.columns);
            EXPECT_EQ(r.Rows, c.rows) << Show(r.Rows);
        }
    }
}

TEST(CsvReader, DamagedAndForeignFilesGiveMessages) {
    const QByteArray lines = QByteArray("Nazwa;Cena\n") + QByteArray("Towar;1,00\n").repeated(7000);  // 77 KB
    QByteArray controls(300, 'a');
    for (int i = 0; i < 300; i += 10) controls[i] = '\x02';
    struct Case {
        const char* what;
        QByteArray bytes;
        QString openError;
        int rows;
        QString walkError;
    };
    const Case cases[] = {
        {"empty", "", "Plik towary.csv jest pusty.", 0, ""},
        {"blank lines only", "\r\n  \r\n\r\n", "Plik towary.csv jest pusty.", 0, ""},
        {"UTF-16", QByteArray("\xFF\xFEN\0a\0z\0w\0a\0", 12), "Plik towary.csv jest zapisany w kodowaniu UTF-16; zapisz go w UTF-8 lub Windows-1250.", 0, ""},
        {"a dBase table named .csv", QByteArray("\x03\x7C\x0C\x01\x02\0\0\0\x61\0\x1F\0", 12) + QByteArray(20, '\0') + "NAZWA",
         "Plik towary.csv nie jest plikiem tekstowym CSV.", 0, ""},
        {"control bytes", controls, "Plik towary.csv nie jest plikiem tekstowym CSV.", 0, ""},
        {"a zero byte past the first 64 KiB", lines + QByteArray("x\0y;1\n", 6), "", 7000,
         "Plik towary.csv nie jest plikiem tekstowym CSV."},
        {"a quote never closed", "a;b\n1;2\n3;\"otwarty\n4;5\n", "", 1, "Niezamknięty cudzysłów w wierszu 3 pliku towary.csv."},
        {"a quote never closed, after fields with line breaks of every kind", "h\r\n\"a\r\nb\"\r\n\"c\rd\"\r\n\"e\nf", "", 2,
         "Niezamknięty cudzysłów w wierszu 6 pliku towary.csv."},
        {"a quote never closed in the header", "\"Nazwa;Cena\n1;2\n", "Niezamknięty cudzysłów w wierszu 1 pliku towary.csv.", 0, ""},
        {"a line of 10 MB", "Nazwa;Cena\n1;1\n2;" + QByteArray(10 << 20, 'x') + "\n3;3\n", "", 1,
         "Wiersz 3 pliku towary.csv jest dłuższy niż 1 MB."},
        {"the last line, just over 1 MB", "Nazwa;Cena\n1;1\n2;" + QByteArray((1 << 20) + 10, 'x'), "", 1,
         "Wiersz 3 pliku towary.csv jest dłuższy niż 1 MB."},
        {"a quote that runs on for 2 MB", "Nazwa;Cena\n1;\"" + QByteArray("abc\n").repeated(1 << 19) + "\"\n", "", 0,
         "Niezamknięty cudzysłów w wierszu 2 pliku towary.csv."},
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {std::size_t(64 * 1024), std::size_t(1), std::size_t(5)}) {
            SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
            TCsvOptions options;
            options.Piece = piece;
            const TRead r = ReadBytes(c.bytes, options);
            EXPECT_EQ(r.OpenError, c.openError);
            EXPECT_EQ(r.Rows.size(), c.rows);
            EXPECT_EQ(r.WalkError, c.walkError);
        }
    }
}

// A file of `lines` records of every shape: quoted and not, with line breaks,
// doubled quotes and separators inside quotes, CR LF, LF and CR line ends,
// long and short, so that records and line ends fall across every boundary
// of the reader's pieces. `expected` gets the rows.
QByteArray VariedFile(int lines, QList<QStringList>& expected) {
    QByteArray out = "ID;Nazwa;Cena\r\n";
    const char* const ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; i < lines; ++i) {
        const QString id = QString::number(i);
        QString name = QStringLiteral("Towar %1 żółty").arg(i);
        QByteArray field;
        switch (i % 5) {
        case 0: field = name.toUtf8(); break;
        case 1: name += QStringLiteral("; \"extra\"\r\nlinia"); field = "\"" + name.toUtf8().replace("\"", "\"\"") + "\""; break;
        case 2: name = QString(i % 997, u'x'); field = name.toUtf8(); break;
        case 3: name += u'\n'; field = "\"" + name.toUtf8() + "\""; break;
        default: name += QString(3000, u'ą'); field = "\"" + name.toUtf8() + "\""; break;
        }
        const QString price = QStringLiteral("%1,%2").arg(i % 100).arg(i % 10);
        out += id.toUtf8() + ';' + field + ';' + price.toUtf8() + ends[i % 3];
        expected << QStringList{id, name, price};
    }
    return out;
}

TEST(CsvReader, StreamsAFileInBoundedPiecesAndWalksItAgain) {
    QList<QStringList> expected;
    QByteArray bytes = VariedFile(3000, expected);
    // One long line under the limit, in the middle.
    const QString longName(700 * 1024, u'L');
    bytes += "x;" + longName.toUtf8() + ";1\r\n";
    expected << QStringList{"x", longName, "1"};
    bytes += VariedFile(3000, expected).mid(15);
    ASSERT_GT(bytes.size(), 4 << 20);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("towary.csv"));
    WriteAll(path, bytes);
    QString error;
    auto t = TCsvTable::Open(path, {}, error);
    ASSERT_TRUE(t) << error.toStdString();
    EXPECT_EQ(t->ColumnNames(), QStringList({"ID", "Nazwa", "Cena"}));

    // Two walks at once, as a join makes them, each with its own place.
    TExtPosition a, b;
    std::vector<QString> rowA;
    std::vector<QVariant> rowB;
    qsizetype largest = 0;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        ASSERT_TRUE(t->NextText(a, rowA)) << i << " " << t->ReadError().toStdString();
        ASSERT_EQ(QStringList(rowA.begin(), rowA.end()), expected[i]) << i;
        ASSERT_TRUE(t->NextAt(b, rowB)) << i;
        ASSERT_EQ(rowB[1].toString(), expected[i][1]) << i;
        largest = std::max({largest, a.Window.Bytes.size(), b.Window.Bytes.size()});
    }
    EXPECT_FALSE(t->NextText(a, rowA));
    EXPECT_FALSE(a.Cut) << t->ReadError().toStdString();
    // Never the whole file: a piece of 64 KiB, grown only for the long line.
    EXPECT_LE(largest, (1 << 20) + (64 << 10));
    EXPECT_LT(a.Window.Bytes.capacity(), bytes.size() / 4);

    // A walk from the start again; empty values are null values.
    t->Rewind();
    std::vector<QVariant> row;
    ASSERT_TRUE(t->Next(row));
    EXPECT_EQ(row[0].toString(), QStringLiteral("0"));
    const auto empty = TCsvTable::FromBytes("a;b\n;x\n", kName, {}, error);
    ASSERT_TRUE(empty);
    ASSERT_TRUE(empty->Next(row));
    EXPECT_TRUE(row[0].isNull());
    EXPECT_EQ(row[1].toString(), QStringLiteral("x"));
}

TEST(CsvReader, FilesThatCannotBeReadOrChangeWhileRead) {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("dobry.csv"));
    WriteAll(good, "Nazwa;Cena\n" + QByteArray("Towar;1,00\n").repeated(30000));
    const QString fifo = dir.filePath(QStringLiteral("kolejka.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, dir.filePath(QStringLiteral("dowiazanie.csv"))));
    ASSERT_TRUE(QFile::link(good, dir.filePath(QStringLiteral("do-dobrego.csv"))));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("katalog.csv")));
    const QString locked = dir.filePath(QStringLiteral("zablokowany.csv"));
    WriteAll(locked, "a;b\n");
    ::chmod(QFile::encodeName(locked).constData(), 0);
    const auto shown = [&](const char* name) { return QDir::toNativeSeparators(dir.filePath(QString::fromUtf8(name))); };
    struct Case {
        const char* name;
        QString error;
    };
    const Case cases[] = {
        {"brak.csv", QStringLiteral("Nie można otworzyć pliku %1.").arg(shown("brak.csv"))},
        {"katalog.csv", QStringLiteral("Plik %1 nie jest zwykłym plikiem.").arg(shown("katalog.csv"))},
        {"kolejka.csv", QStringLiteral("Plik %1 nie jest zwykłym plikiem.").arg(shown("kolejka.csv"))},
        {"dowiazanie.csv", QStringLiteral("Plik %1 nie jest zwykłym plikiem.").arg(shown("dowiazanie.csv"))},
        {"do-dobrego.csv", QString()},
        // The superuser reads every file.
        {"zablokowany.csv", ::geteuid() == 0 ? QString() : QStringLiteral("Nie można otworzyć pliku %1.").arg(shown("zablokowany.csv"))},
    };
    for (const Case& c : cases) {
        for (const auto open : {&TCsvTable::Open, &TCsvTable::OpenCopy}) {
            SCOPED_TRACE(std::string(c.name) + (open == &TCsvTable::Open ? "" : ", copied aside"));
            QString error;
            const auto t = open(dir.filePath(QString::fromUtf8(c.name)), {}, error);
            EXPECT_EQ(error, c.error);
            EXPECT_EQ(t == nullptr, !c.error.isEmpty());
        }
    }

    // Grown, shortened, or rewritten to the same size while the walk is on.
    const auto changed = QStringLiteral("Plik %1 zmienił się w trakcie odczytu.").arg(QDir::toNativeSeparators(good));
    const std::function<void()> changes[] = {
        [&] {
            QFile f(good);
            ASSERT_TRUE(f.open(QIODevice::Append));
            f.write("Nowy;2,00\n");
        },
        [&] { ASSERT_TRUE(QFile::resize(good, 100000)); },
        [&] {
            const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(good).constData(), times, 0), 0);
        },
    };
    for (const auto& change : changes) {
        WriteAll(good, "Nazwa;Cena\n" + QByteArray("Towar;1,00\n").repeated(30000));
        QString error;
        auto t = TCsvTable::Open(good, {}, error);
        ASSERT_TRUE(t) << error.toStdString();
        TExtPosition at;
        std::vector<QString> row;
        ASSERT_TRUE(t->NextText(at, row));
        change();
        int rows = 1;
        while (t->NextText(at, row)) ++rows;
        EXPECT_TRUE(at.Cut);
        EXPECT_EQ(t->ReadError(), changed);
        EXPECT_LE(rows, 30000);

        // Copied aside at opening, the file may change afterwards: the walk
        // reads it whole as it was.
        WriteAll(good, "Nazwa;Cena\n" + QByteArray("Towar;1,00\n").repeated(30000));
        auto copy = TCsvTable::OpenCopy(good, {}, error);
        ASSERT_TRUE(copy) << error.toStdString();
        TExtPosition from;
        ASSERT_TRUE(copy->NextText(from, row));
        change();
        rows = 1;
        while (copy->NextText(from, row)) ++rows;
        EXPECT_FALSE(from.Cut) << copy->ReadError().toStdString();
        EXPECT_EQ(rows, 30000);
    }
}

// Copied aside, a file is split whole at opening: damage anywhere in it is
// the opening's error, with the same message a walk would give.
TEST(CsvReader, CopiedAsideDamageAnywhereFailsTheOpening) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("towary.csv"));
    const QString shown = QDir::toNativeSeparators(path);
    const QByteArray lines = "Nazwa;Cena\n" + QByteArray("Towar;1,00\n").repeated(20000);
    const std::pair<QByteArray, QString> cases[] = {
        {lines, QString()},
        {lines + "3;\"otwarty\n4;5\n", QStringLiteral("Niezamknięty cudzysłów w wierszu 20002 pliku %1.").arg(shown)},
        {lines + QByteArray("x\0y;1\n", 6), QStringLiteral("Plik %1 nie jest plikiem tekstowym CSV.").arg(shown)},
        {lines + "2;" + QByteArray(2 << 20, 'x') + "\n", QStringLiteral("Wiersz 20002 pliku %1 jest dłuższy niż 1 MB.").arg(shown)},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message.toStdString());
        WriteAll(path, bytes);
        QString error;
        const auto t = TCsvTable::OpenCopy(path, {}, error);
        EXPECT_EQ(error, message);
        EXPECT_EQ(t == nullptr, !message.isEmpty());
        if (!t) continue;
        const TRead r = Walk(*t);
        EXPECT_EQ(r.Rows.size(), 20000);
        EXPECT_EQ(r.WalkError, QString());
    }

    // No room for the copy: the file is not read at all.
    const QByteArray oldTmp = qgetenv("TMPDIR");
    const QString nowhere = dir.filePath(QStringLiteral("brak"));
    qputenv("TMPDIR", QFile::encodeName(nowhere));
    WriteAll(path, lines);
    QString error;
    EXPECT_FALSE(TCsvTable::OpenCopy(path, {}, error));
    EXPECT_EQ(error, QStringLiteral("Nie można zapisać kopii pliku %1 w katalogu tymczasowym %2.").arg(shown, nowhere));
    qputenv("TMPDIR", oldTmp);
}

TEST(CsvText, NumbersAsExportsWriteThem) {
    struct Case {
        const char16_t* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {u"1 234,56", 1234.56},  {u"1\u00A0234,56", 1234.56}, {u"1\u202F234\u202F567", 1234567.0},
        {u" 4,99 ", 4.99},       {u"12.50", 12.5},            {u"-0,5", -0.5},
        {u"+3", 3.0},            {u"1.234,56", 1234.56},      {u"1,234.56", 1234.56},
        {u"1.234.567", 1234567}, {u"1,5", 1.5},               {u",5", 0.5},
        {u"12,", 12.0},          {u"0", 0.0},                 {u"", std::nullopt},
        {u"  ", std::nullopt},   {u"abc", std::nullopt},      {u"12 zł", std::nullopt},
        {u"1,5 000", std::nullopt}, {u"1 ,5", std::nullopt},  {u"- 5", std::nullopt},
        {u"1e5", std::nullopt},  {u"-", std::nullopt},        {u",", std::nullopt},
        {u"1,2.3,4", std::nullopt}, {u"nan", std::nullopt},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const auto v = CsvNumber(text);
        EXPECT_EQ(v.has_value(), c.value.has_value()) << text.toStdString();
        if (v && c.value) {
            EXPECT_DOUBLE_EQ(*v, *c.value) << text.toStdString();
        }
    }
}

TEST(CsvText, ColumnNamesMatchWithoutCaseAndAccents) {
    const std::pair<const char*, const char*> same[] = {
        {"Ilość", "ILOSC"}, {"  Łódź ", "lodz"}, {"ZAŻÓŁĆ GĘŚLĄ JAŹŃ", "zazolc gesla jazn"}, {"Cena brutto", "CENA BRUTTO"},
    };
    for (const auto& [a, b] : same)
        EXPECT_EQ(FoldColumnName(QString::fromUtf8(a)), FoldColumnName(QString::fromUtf8(b))) << a;
    EXPECT_EQ(FoldColumnName(QStringLiteral("Ilość")), QStringLiteral("ilosc"));
    EXPECT_NE(FoldColumnName(QStringLiteral("Cena_brutto")), FoldColumnName(QStringLiteral("Cena brutto")));

    QString error;
    const auto t = TCsvTable::FromBytes(W1250("Indeks;Nazwa;Ilość; Cena ;;Cena\r\n1;a;2;3;4;5\r\n"), kName, {}, error);
    ASSERT_TRUE(t) << error.toStdString();
    EXPECT_EQ(t->ColumnOf(QStringLiteral("ILOSC")), 2);
    EXPECT_EQ(t->ColumnOf(QStringLiteral("cena")), 3);  // the first of two
    EXPECT_EQ(t->ColumnOf(QStringLiteral("Waga")), -1);
    ASSERT_EQ(t->Fields().size(), 6u);
    EXPECT_EQ(t->Fields()[4].Name, QStringLiteral("FIELD5"));
    EXPECT_EQ(t->Fields()[2].Kind, TExtKind::Text);
}

TEST(CsvText, CodePagesAndSeparatorsOfADefinition) {
    const std::pair<const char*, std::optional<TCsvCodePage>> pages[] = {
        {"", TCsvCodePage::Win1250},       {"1250", TCsvCodePage::Win1250},      {"Windows-1250", TCsvCodePage::Win1250},
        {"cp1250", TCsvCodePage::Win1250}, {"852", TCsvCodePage::Cp852},         {"CP852", TCsvCodePage::Cp852},
        {"IBM 852", TCsvCodePage::Cp852},  {"ISO-8859-2", TCsvCodePage::Iso8859_2}, {"latin2", TCsvCodePage::Iso8859_2},
        {"utf-8", std::nullopt},           {"Mazovia", std::nullopt},
    };
    for (const auto& [name, page] : pages) EXPECT_EQ(CsvCodePageFromName(QString::fromUtf8(name)), page) << name;
    const std::pair<const char*, std::optional<char>> seps[] = {
        {"", char(0)}, {";", ';'}, {",", ','}, {"|", '|'}, {"TAB", '\t'}, {"tabulator", '\t'}, {"\\t", '\t'}, {"\t", '\t'},
        {"\"", std::nullopt}, {";;", std::nullopt}, {"ś", std::nullopt},
    };
    for (const auto& [text, sep] : seps) EXPECT_EQ(CsvSeparatorFromText(QString::fromUtf8(text)), sep) << text;

    // The upper half of ISO-8859-2 against the system's converter.
    iconv_t cd = iconv_open("UTF-16LE", "ISO-8859-2");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0x80; b <= 0xFF; ++b) {
        char in = static_cast<char>(b);
        char16_t out = 0;
        char* ip = &in;
        char* op = reinterpret_cast<char*>(&out);
        size_t il = 1, ol = 2;
        ASSERT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<size_t>(-1));
        EXPECT_EQ(DecodeCsvBytes(&in, 1, TCsvCodePage::Iso8859_2), QString(QChar(out))) << b;
    }
    iconv_close(cd);
    const QByteArray polish852("\xA5\x86\xA9\x88\xE4\xA2\x98\xAB\xBE\xA4\x8F\xA8\x9D\xE3\xE0\x97\x8D\xBD");
    EXPECT_EQ(DecodeCsvBytes(polish852.constData(), polish852.size(), TCsvCodePage::Cp852),
              QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ"));
}

TEST(CsvText, WellFormedUtf8) {
    struct Case {
        QByteArray bytes;
        bool partialEnd;
        bool valid;
    };
    const Case cases[] = {
        {"abc", false, true},
        {"\xC5\xBC\xC3\xB3\xC5\x82w", false, true},  // żółw
        {"\xE2\x82\xAC", false, true},               // €
        {"\xF0\x9F\x99\x82", false, true},           // 🙂
        {"\xB9", false, false},                      // ą in Windows-1250
        {"\xC0\x80", false, false},                  // overlong
        {"\xE0\x80\xAF", false, false},              // overlong
        {"\xED\xA0\x80", false, false},              // a surrogate
        {"\xF4\x90\x80\x80", false, false},          // beyond U+10FFFF
        {"ab\xE2\x82", false, false},                // cut off
        {"ab\xE2\x82", true, true},                  // cut off by the end of a piece
        {"ab\xE2\x41", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidUtf8(c.bytes.constData(), c.bytes.size(), c.partialEnd), c.valid) << c.bytes.toHex().toStdString();
}

}  // namespace
