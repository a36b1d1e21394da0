#include "codepage.h"
#include "csvtext.h"
#include "dbfwriter.h"
#include "externaldb.h"
#include "externaltable.h"
#include "folderquery.h"
#include "testsupport.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtEndian>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::unique_ptr<TExtTable> Read(const QByteArray& dbf, const QByteArray& memo = {}) {
    TFileBytes t, m;
    t.Assign(dbf);
    m.Assign(memo);
    QString error;
    auto table = ReadDbfTable(std::move(t), std::move(m), error);
    EXPECT_TRUE(table) << error.toStdString();
    return table;
}

QByteArray Le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

TEST(DbfReader, FieldTypesOfDBaseAndFoxPro) {
    TDbfTestFile f;
    f.Version = 0x30;  // Visual FoxPro
    f.Fields = {{"TXT", 'C', 8}, {"NUM", 'N', 8, 2}, {"CNT", 'N', 5}, {"DAT", 'D', 8}, {"OK", 'L', 1},
                {"INT", 'I', 4}, {"CUR", 'Y', 8}, {"DBL", 'B', 8}, {"TS", 'T', 8}};
    double dbl = -2.5;
    QByteArray dblBytes(reinterpret_cast<const char*>(&dbl), 8);
    const qint64 cur = 129900;  // 12,99
    QByteArray curBytes(reinterpret_cast<const char*>(&cur), 8);
    const QByteArray ts = Le32(static_cast<quint32>(QDate(2024, 2, 29).toJulianDay())) + Le32((13 * 3600 + 5) * 1000);
    f.Records << QList<QByteArray>({"Żółw", "12.50", "-7", "20240229", "T", Le32(static_cast<quint32>(-3)), curBytes, dblBytes, ts});
    f.Records << QList<QByteArray>({"", "", "", "", "?", QByteArray(4, '\0'), QByteArray(8, '\0'), QByteArray(8, '\0'), QByteArray(8, '\0')});
    f.Records << QList<QByteArray>({"*", "usunięty", "1", "1", "", "F"});  // deleted
    f.Records.last() = QList<QByteArray>({"*", "usuniety", "1", "1", "", "F", QByteArray(4, '\0'), QByteArray(8, '\0'), QByteArray(8, '\0'), QByteArray(8, '\0')});
    f.Records[0][0] = QByteArray("\xAF\xF3\xB3w");  // Windows-1250
    auto t = Read(f.Bytes());
    ASSERT_TRUE(t);
    ASSERT_EQ(t->Fields().size(), 9u);
    EXPECT_EQ(t->Fields()[1].Kind, TExtKind::Real);
    EXPECT_EQ(t->Fields()[2].Kind, TExtKind::Integer);
    std::vector<QVariant> row;
    ASSERT_TRUE(t->Next(row));
    EXPECT_EQ(row[0].toString(), QStringLiteral("Żółw"));
    EXPECT_EQ(ExternalValueText(row[1]), QStringLiteral("12,5"));
    EXPECT_EQ(ExternalValueText(row[2]), QStringLiteral("-7"));
    EXPECT_EQ(ExternalValueText(row[3]), QStringLiteral("2024-02-29"));
    EXPECT_EQ(ExternalValueText(row[4]), QStringLiteral("True"));
    EXPECT_EQ(ExternalValueText(row[5]), QStringLiteral("-3"));
    EXPECT_EQ(ExternalValueText(row[6]), QStringLiteral("12,99"));
    EXPECT_EQ(ExternalValueText(row[7]), QStringLiteral("-2,5"));
    EXPECT_EQ(ExternalValueText(row[8]), QStringLiteral("2024-02-29 13:00:05"));
    ASSERT_TRUE(t->Next(row));
    for (int i : {0, 1, 2, 3, 4, 8}) EXPECT_TRUE(row[i].isNull()) << i;
    EXPECT_FALSE(t->Next(row));  // the deleted record is left out
    t->Rewind();
    EXPECT_TRUE(t->Next(row));
}

TEST(DbfReader, CodePage852AndMemoFiles) {
    TDbfTestFile f;
    f.Version = 0xF5;  // FoxPro 2 with memo
    f.Language = 0x64;  // code page 852
    // Field names are in the table's code page too: "ILOŚĆ" is 49 4C 4F 97 8F.
    f.Fields = {{"NAZWA", 'C', 10}, {"OPIS", 'M', 10}, {"ILO\x97\x8F", 'N', 4}};
    // "Łódź" in code page 852: 9D A2 A7 AB
    f.Records << QList<QByteArray>({"\x9D\xA2\x64\xAB", "         1", "2"}) << QList<QByteArray>({"x", "        99", ""});
    // FoxPro memo: block size 64 at offset 6 (big-endian), block 1 holds type 1, length 6, text.
    QByteArray fpt(64, '\0');
    fpt[7] = 64;
    QByteArray block(64, '\0');
    block[3] = 1;
    block[7] = 6;
    block.replace(8, 6, "Opis\xA5\x86");  // "ąć" in 852
    fpt += block;
    auto t = Read(f.Bytes(), fpt);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Fields()[2].Name, QStringLiteral("ILOŚĆ"));
    std::vector<QVariant> row;
    ASSERT_TRUE(t->Next(row));
    EXPECT_EQ(row[0].toString(), QStringLiteral("Łódź"));
    EXPECT_EQ(row[1].toString(), QStringLiteral("Opisąć"));
    ASSERT_TRUE(t->Next(row));
    EXPECT_TRUE(row[1].isNull());  // a block beyond the memo file's end

    // dBase III memo: 512-byte blocks, text up to the end mark; Mazovia and
    // other code pages keep their bytes.
    TDbfTestFile d;
    d.Version = 0x83;
    d.Language = 0x00;
    d.Fields = {{"OPIS", 'M', 10}};
    d.Records << QList<QByteArray>({"         1"});
    QByteArray dbt(512, '\0');
    dbt += QByteArray("Kr\x86tki opis\x1A\x1A");
    auto t3 = Read(d.Bytes(), dbt);
    ASSERT_TRUE(t3);
    ASSERT_TRUE(t3->Next(row));
    EXPECT_EQ(row[0].toString().size(), 11);
    EXPECT_EQ(row[0].toString().at(2).unicode(), 0x2020);  // 0x86 read as its Windows-1250 character
}

TEST(DbfReader, DamagedFilesGiveErrorsOrFewerRecords) {
    TDbfTestFile f;
    f.Fields = {{"A", 'C', 10}, {"B", 'N', 5}};
    for (int i = 0; i < 20; ++i) f.Records << QList<QByteArray>({"x", QByteArray::number(i)});
    const QByteArray good = f.Bytes();
    QString error;
    auto read = [&](const QByteArray& b) {
        TFileBytes t;
        t.Assign(b);
        error.clear();
        return ReadDbfTable(std::move(t), TFileBytes(), error);
    };
    // Too short, unknown version, header beyond the file, fields beyond the record.
    EXPECT_FALSE(read(good.left(20)));
    QByteArray b = good;
    b[0] = 0x42;
    EXPECT_FALSE(read(b));
    EXPECT_FALSE(error.isEmpty());
    b = good;
    b[8] = char(0xFF), b[9] = char(0x7F);
    EXPECT_FALSE(read(b));
    b = good;
    b[10] = 5, b[11] = 0;
    EXPECT_FALSE(read(b));
    // A record count far beyond the file: only the records there are read.
    b = good;
    b[4] = char(0xFF), b[5] = char(0xFF), b[6] = char(0xFF), b[7] = char(0x7F);
    auto t = read(b.left(b.size() - 40));
    ASSERT_TRUE(t);
    int n = 0;
    std::vector<QVariant> row;
    while (t->Next(row)) ++n;
    EXPECT_EQ(n, 17);
}

TEST(FolderEngine, TableNamesMatchFilesWithoutRegardToCase) {
    EXPECT_EQ(QueryTableNames(QStringLiteral("SELECT a, 'TOWARY' FROM \"towary.db\" t JOIN [Ceny] ON x -- KOMENTARZ\n")),
              QStringList({"towary.db", "Ceny"}));
    EXPECT_EQ(QueryTableNames(QStringLiteral("SELECT * FROM 'A.DBF' a, b.db AS x, \"c\" JOIN D.DBF ON 1 WHERE e IN (SELECT f FROM g)")),
              QStringList({"A.DBF", "b.db", "c", "D.DBF", "g"}));

    TempDataHome home;
    const QString folder = home.root() + QStringLiteral("/baza");
    QDir().mkpath(folder);
    TDbfTestFile f;
    f.Fields = {{"ID", 'N', 4}, {"NAZWA", 'C', 10}, {"CENA", 'N', 8, 2}};
    f.Records << QList<QByteArray>({"1", "Chleb", "6.49"}) << QList<QByteArray>({"2", "Mleko", "4.29"});
    WriteAll(folder + QStringLiteral("/Towary.DBF"), f.Bytes());
    WriteAll(folder + QStringLiteral("/INNA.DBF"), f.Bytes());
    WriteAll(folder + QStringLiteral("/ZEPSUTA.DBF"), QByteArray("\x03zepsuta"));
    // Stray damaged files named like columns of the query.
    WriteAll(folder + QStringLiteral("/NAZWA.DBF"), QByteArray("\x03zepsuta"));
    WriteAll(folder + QStringLiteral("/CENA.DB"), QByteArray("zepsuta"));

    TExternalDatabase db;
    db.SetDatabaseName(3, folder);
    db.Connect();
    {
        // One file under two names, walked by two cursors at once.
        QSqlQuery q = db.Open(QStringLiteral("SELECT t.NAZWA, t.CENA, u.NAZWA FROM \"towary.dbf\" t JOIN TOWARY u ON u.ID >= t.ID ORDER BY t.ID, u.ID"));
        QStringList seen;
        while (q.next()) seen << ExternalValueText(q.value(0)) + u'/' + ExternalValueText(q.value(1)) + u'/' + ExternalValueText(q.value(2));
        EXPECT_EQ(seen, QStringList({"Chleb/6,49/Chleb", "Chleb/6,49/Mleko", "Mleko/4,29/Mleko"}));
    }
    // Only the named table was read, once.
    EXPECT_EQ(db.TablesRead(), 1);
    // The table as a quoted file name and as a bare one with its extension.
    for (const char* from : {"'TOWARY.DBF'", "\"towary.dbf\"", "TOWARY.DBF", "Towary t", "Towary\"t\""}) {
        QSqlQuery q = db.Open(QStringLiteral("SELECT NAZWA, CENA FROM %1 WHERE NAZWA <> 'CENA' ORDER BY ID").arg(QLatin1String(from)));
        QStringList seen;
        while (q.next()) seen << ExternalValueText(q.value(0)) + u'/' + ExternalValueText(q.value(1));
        EXPECT_EQ(seen, QStringList({"Chleb/6,49", "Mleko/4,29"})) << from;
    }
    EXPECT_EQ(db.TablesRead(), 1);
    EXPECT_THROW(db.Open(QStringLiteral("SELECT * FROM brak")), TExternalError);
    EXPECT_THROW(db.Open(QStringLiteral("SELECT * FROM zepsuta")), TExternalError);
    db.Disconnect();
    EXPECT_THROW(db.Open(QStringLiteral("SELECT * FROM towary")), TExternalError);
}

// A column is named in the query as the table writes its name, in the
// table's code page; a name that is no column (misspelt, or in another
// spelling) is the query's error, never a text that every row would get.
TEST(FolderEngine, ColumnsAreNamedInTheTablesCodePageAndUnknownOnesFail) {
    struct Case {
        std::uint8_t Language;
        QByteArray Name;  // "ILOŚĆ" in the table's code page
    };
    for (const Case& c : {Case{0xC8, "ILO\x8C\xC6"}, Case{0x64, "ILO\x97\x8F"}}) {
        SCOPED_TRACE(int(c.Language));
        TempDataHome home;
        TDbfTestFile f;
        f.Language = c.Language;
        f.Fields = {{"ID", 'N', 4}, {c.Name, 'N', 6, 3}, {"CENA", 'N', 8, 2}};
        f.Records << QList<QByteArray>({"1", "1.5", "6.49"});
        WriteAll(home.root() + QStringLiteral("/TOWARY.DBF"), f.Bytes());
        TExternalDatabase db;
        db.SetDatabaseName(3, home.root());
        db.Connect();
        QSqlQuery q = db.Open(QStringLiteral("SELECT \"ILOŚĆ\", ILOŚĆ, CENA FROM TOWARY"));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(ExternalValueText(q.value(0)), QStringLiteral("1,5"));
        EXPECT_EQ(ExternalValueText(q.value(1)), QStringLiteral("1,5"));
        for (const char* column : {"CENA_BRUTTO", "ILOSC"}) {
            try {
                db.Open(QStringLiteral("SELECT ID, \"%1\" FROM TOWARY").arg(QLatin1String(column)));
                ADD_FAILURE() << column << " read as a text";
            } catch (const TExternalError& e) {
                EXPECT_TRUE(e.Message().contains(QLatin1String(column))) << e.Message().toStdString();
            }
        }
    }
}

// CSV exports are tables of the folder: beside dBase and Paradox tables, or
// alone in a folder of CSV files. Their columns are found by the query's
// names without regard to case and accents, and are text unless the query
// reads them as numbers; what is wrong with a file or a name is said in the
// program's words, naming the file.
TEST(FolderEngine, CsvFilesAreTablesOfTheFolder) {
    TempDataHome home;
    const QString folder = home.root() + QStringLiteral("/eksport");
    QDir().mkpath(folder);
    const QString shown = QDir::toNativeSeparators(folder);
    WriteAll(folder + QStringLiteral("/towary.csv"), ToWin1250(QStringLiteral("Indeks;Nazwa towaru;Cena brutto;Ilość;Wartość\r\n"
                                                                               "1;Chleb;6,49;1 234,5;x\r\n2;Mleko;4,29;2;y\r\n")));
    WriteAll(folder + QStringLiteral("/Ceny.CSV"), "Indeks,Cena\n1,\"1,5\"\n");
    WriteAll(folder + QStringLiteral("/kasa.csv"), QByteArray("Kod\tNazwa\n7\t\x9D\xA2\x64\xAB\n"));  // tabs, code page 852
    TDbfTestFile f;
    f.Fields = {{"ID", 'N', 4}, {"NAZWA", 'C', 10}};
    f.Records << QList<QByteArray>({"1", "Chleb dbf"}) << QList<QByteArray>({"2", "Mleko dbf"});
    WriteAll(folder + QStringLiteral("/TOWARY.DBF"), f.Bytes());
    WriteAll(folder + QStringLiteral("/INNE.DBF"), f.Bytes());

    struct Case {
        int Type;
        const char* Sql;
        QStringList Rows;  // each row's values joined by "|"
        QString Shown;     // the message for the user when the query fails
        const char* Separator = "";
        const char* CodePage = "";
    };
    const Case cases[] = {
        // A folder of CSV files reads only them: TOWARY is towary.csv.
        {6, "SELECT indeks, \"nazwa TOWARU\", [CENA BRUTTO], ILOSC, ilość, t.WARTOSC FROM towary t ORDER BY WARTOSC DESC",
         {"2|Mleko|4,29|2|2|y", "1|Chleb|6,49|1 234,5|1 234,5|x"}, ""},
        {6, "SELECT CAST(ILOSC AS REAL), CAST(t.\"cena brutto\" AS NUMERIC(10,2)), CAST(Indeks AS INTEGER) + 1, CAST(ILOSC AS TEXT), "
            "LICZBA(Wartość), LICZBA('1.234,5'), CAST('1 234,5' AS REAL) FROM towary t WHERE Indeks = '1'",
         {"1234,5|6,49|2|1 234,5||1234,5|1"}, ""},
        {6, "SELECT t.Indeks, c.Cena, CAST(c.CENA AS REAL) FROM towary t JOIN ceny c ON c.INDEKS = t.INDEKS", {"1|1,5|1,5"}, ""},
        {6, "SELECT KOD, NAZWA FROM kasa", {"7|Łódź"}, "", "TAB", "852"},
        {6, "SELECT ID FROM TOWARY.DBF", {}, QStringLiteral("W katalogu %1 nie ma pliku TOWARY.DBF.").arg(shown)},
        {6, "SELECT * FROM cennik", {}, QStringLiteral("W katalogu %1 nie ma pliku cennik.csv.").arg(shown)},
        {6, "SELECT Waga FROM towary", {}, QStringLiteral("W pliku %1/towary.csv nie ma kolumny Waga.").arg(shown)},
        {6, "SELECT t.WAGA FROM towary t JOIN ceny c ON 1", {},
         QStringLiteral("W plikach %1/towary.csv, %1/Ceny.CSV nie ma kolumny t.WAGA.").arg(shown)},
        {6, "SELECT * FROM kasa", {}, QStringLiteral("Separator pól \"ab\" podany w definicji (sekcja [CSV], SEPARATOR) nie jest "
                                                     "jednym znakiem; podaj na przykład ; , | albo TAB."), "ab"},
        {6, "SELECT * FROM kasa", {}, QStringLiteral("Strona kodowa \"437\" podana w definicji (sekcja [CSV], CODEPAGE) jest nieznana; "
                                                     "podaj 1250, 852 albo ISO-8859-2."), "", "437"},
        // A dBase folder reads its CSV files too, but a name with two files
        // must say which it means.
        {3, "SELECT * FROM towary", {},
         QStringLiteral("Tabela towary ma w katalogu %1 dwa pliki: TOWARY.DBF i towary.csv. Podaj w zapytaniu nazwę pliku z "
                        "rozszerzeniem (na przykład \"towary.csv\") albo usuń zbędny plik.").arg(shown)},
        {3, "SELECT [Nazwa towaru] FROM \"towary.csv\" ORDER BY 1", {"Chleb", "Mleko"}, ""},
        {3, "SELECT [nazwa towaru], ilosc FROM towary.csv WHERE Indeks = '2'", {"Mleko|2"}, ""},
        {3, "SELECT NAZWA FROM TOWARY.DBF ORDER BY ID", {"Chleb dbf", "Mleko dbf"}, ""},
        // dBase columns keep their own names; a CSV column is read as a
        // number to meet them.
        {3, "SELECT d.NAZWA, c.Cena FROM inne d JOIN ceny c ON CAST(c.Indeks AS INTEGER) = d.ID", {"Chleb dbf|1,5"}, ""},
        {3, "SELECT d.NAZWA FROM inne d JOIN ceny c ON c.Indeks = d.ID", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Sql);
        TExternalDatabase db;
        db.SetDatabaseName(c.Type, folder);
        db.SetCsvSettings(QString::fromLatin1(c.Separator), QString::fromLatin1(c.CodePage));
        db.Connect();
        try {
            QSqlQuery q = db.Open(QString::fromUtf8(c.Sql));
            QStringList rows;
            while (q.next()) {
                QStringList values;
                for (int i = 0; i < q.record().count(); ++i) values << ExternalValueText(q.value(i));
                rows << values.join(u'|');
            }
            EXPECT_TRUE(c.Shown.isEmpty()) << "no failure";
            EXPECT_EQ(rows.join(u'\n').toStdString(), c.Rows.join(u'\n').toStdString());
        } catch (const TExternalError& e) {
            EXPECT_EQ(e.Shown().toStdString(), c.Shown.toStdString()) << e.Message().toStdString();
        }
    }

    // The query as SQLite runs it: only names that SQLite would not find
    // are replaced; SQL words, function names, texts, comments and tables stay.
    const auto column = [](const QString& name) -> QString {
        for (const char* c : {"Ilość", "Désc", "Cena"})
            if (FoldColumnName(name) == FoldColumnName(QString::fromUtf8(c))) return QString::fromUtf8(c);
        return {};
    };
    const std::pair<const char*, const char*> rewrites[] = {
        {"SELECT ilosc, 'ilosc', \"ILOSC\" -- ilosc\nFROM t ORDER BY ILOŚĆ DESC",
         "SELECT \"Ilość\", 'ilosc', \"Ilość\" -- ilosc\nFROM \"t\" ORDER BY \"Ilość\" DESC"},
        {"SELECT cena, CENA, Ilość, t.ilosc, upper(x) FROM ilosc t", "SELECT cena, CENA, Ilość, t.\"Ilość\", upper(x) FROM \"ilosc\" t"},
        {"SELECT CAST(ilosc AS REAL), CAST ( t.Cena AS DECIMAL(10, 2) ), CAST(cena AS VARCHAR(5)), CAST(x AS INT), CAST(cena AS BLOB)",
         "SELECT CAST(LICZBA(\"Ilość\") AS REAL), CAST ( LICZBA(t.Cena) AS DECIMAL(10, 2) ), CAST(cena AS VARCHAR(5)), CAST(x AS INT), "
         "CAST(cena AS BLOB)"},
        // A name quoted next to a quoted one stays apart from it.
        {"SELECT [ilosc]\"x\" FROM t\"ilosc\"", "SELECT \"Ilość\" \"x\" FROM \"t\" \"Ilość\""},
    };
    for (const auto& [sql, expected] : rewrites) {
        const QString text = QString::fromUtf8(sql);
        EXPECT_EQ(RewriteFolderQuery(text, QueryTables(text), column).toStdString(), std::string(expected));
    }
}

// A definition's query reads the folder's tables and nothing else: it can
// neither reach another database (ATTACH, VACUUM INTO) nor write, change the
// connection (PRAGMA) or load code.
TEST(FolderEngine, QueriesOnlyReadTheFolderTables) {
    TempDataHome home;
    const QString folder = home.root() + QStringLiteral("/baza");
    QDir().mkpath(folder);
    TDbfTestFile f;
    f.Fields = {{"ID", 'N', 4}, {"NAZWA", 'C', 10}};
    f.Records << QList<QByteArray>({"1", "Chleb"}) << QList<QByteArray>({"2", "Mleko"});
    WriteAll(folder + QStringLiteral("/TOWARY.DBF"), f.Bytes());
    // The same goods exported as CSV, in a folder of CSV files: the guard
    // does not care what kind of file a table is.
    const QString csvFolder = home.root() + QStringLiteral("/eksport");
    QDir().mkpath(csvFolder);
    WriteAll(csvFolder + QStringLiteral("/towary.csv"), "ID;NAZWA\r\n1;Chleb\r\n2;Mleko\r\n");
    // Another shop's goods file, and a place a copy must never reach.
    const QString other = home.root() + QStringLiteral("/inny.db");
    const QString copy = home.root() + QStringLiteral("/kopia.db");
    auto otherPrice = [&] {
        QString price;
        {
            QSqlDatabase o = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("inny"));
            o.setDatabaseName(other);
            if (o.open()) {
                QSqlQuery q(o);
                q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS towary(ID TEXT, CENA TEXT)"));
                q.exec(QStringLiteral("INSERT INTO towary SELECT '1', '6,49' WHERE NOT EXISTS (SELECT 1 FROM towary)"));
                if (q.exec(QStringLiteral("SELECT CENA FROM towary")) && q.next()) price = q.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("inny"));
        return price;
    };
    ASSERT_EQ(otherPrice(), QStringLiteral("6,49"));

    const std::pair<int, QString> kinds[] = {{3, folder}, {6, csvFolder}};
    for (const auto& [type, place] : kinds) {
        SCOPED_TRACE(type);
        TExternalDatabase db;
        db.SetDatabaseName(type, place);
        db.Connect();
        const QString refused[] = {
            QStringLiteral("ATTACH '%1' AS inny").arg(other),
            QStringLiteral("UPDATE inny.towary SET CENA = '0,01'"),
            QStringLiteral("VACUUM INTO '%1'").arg(copy),
            QStringLiteral("SELECT load_extension('libsqlite3odbc.so') FROM TOWARY"),
            QStringLiteral("PRAGMA writable_schema = 1"),
            QStringLiteral("PRAGMA query_only = 0"),
            QStringLiteral("SELECT * FROM pragma_table_info('TOWARY')"),
            QStringLiteral("SELECT * FROM sqlite_temp_master"),
            QStringLiteral("CREATE TEMP TABLE t AS SELECT * FROM TOWARY"),
            QStringLiteral("CREATE TABLE t(a)"),
            QStringLiteral("DROP TABLE TOWARY"),
            QStringLiteral("BEGIN"),
        };
        for (const QString& sql : refused) EXPECT_THROW(db.Open(sql), TExternalError) << sql.toStdString();
        EXPECT_EQ(otherPrice(), QStringLiteral("6,49"));
        EXPECT_FALSE(QFileInfo::exists(copy));
        // Reading is whole: functions, subqueries, recursive common tables.
        QSqlQuery q = db.Open(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3) "
                                             "SELECT upper(NAZWA), (SELECT count(*) FROM n) FROM TOWARY WHERE ID IN (SELECT ID FROM TOWARY) ORDER BY ID"));
        QStringList seen;
        while (q.next()) seen << q.value(0).toString() + u'/' + q.value(1).toString();
        EXPECT_EQ(seen, QStringList({"CHLEB/3", "MLEKO/3"}));
    }
}

// A FIFO in place of a table or memo file (also behind a link) would hold
// the open until some program writes to it: it is refused at once.
TEST(FolderEngine, ATableOrMemoFileThatIsAFifoIsRefusedWithoutWaiting) {
    TempDataHome home;
    const QString folder = home.root();
    const QString fifo = folder + QStringLiteral("/potok");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("potok"), folder + QStringLiteral("/TOWARY.DBF")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + QStringLiteral("/KASA.DBF")).constData(), 0600), 0);
    TDbfTestFile m;
    m.Version = 0x83;
    m.Fields = {{"NAZWA", 'C', 10}, {"OPIS", 'M', 10}};
    m.Records << QList<QByteArray>({"Chleb", "         1"});
    WriteAll(folder + QStringLiteral("/OPISY.DBF"), m.Bytes());
    ASSERT_TRUE(QFile::link(QStringLiteral("potok"), folder + QStringLiteral("/OPISY.DBT")));

    // Should an open wait after all, a writer comes after a while and the
    // test fails instead of hanging.
    std::atomic<bool> done{false}, released{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 100 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        while (!done) {
            released = true;
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (fd >= 0) ::close(fd);
        }
    });
    TExternalDatabase db;
    db.SetDatabaseName(3, folder);
    db.Connect();
    EXPECT_THROW(db.Open(QStringLiteral("SELECT * FROM TOWARY")), TExternalError);
    EXPECT_THROW(db.Open(QStringLiteral("SELECT * FROM KASA")), TExternalError);
    // Without its memo file a table is read with empty memo values.
    QSqlQuery q = db.Open(QStringLiteral("SELECT NAZWA, OPIS FROM OPISY"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("Chleb"));
    EXPECT_TRUE(q.value(1).isNull());
    done = true;
    watchdog.join();
    EXPECT_FALSE(released) << "an open waited for a writer";
}

TEST(FolderEngine, ValuesAsText) {
    EXPECT_EQ(ExternalValueText(QVariant()), QString());
    EXPECT_EQ(ExternalValueText(QVariant(1234567.25)), QStringLiteral("1234567,25"));
    EXPECT_EQ(ExternalValueText(QVariant(0.1)), QStringLiteral("0,1"));
    EXPECT_EQ(ExternalValueText(QVariant(qint64(-42))), QStringLiteral("-42"));
    EXPECT_EQ(ExternalValueText(QVariant(false)), QStringLiteral("False"));
    EXPECT_EQ(ExternalValueText(QVariant(QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)))), QStringLiteral("2025-01-02 03:04:05"));
}

}  // namespace
