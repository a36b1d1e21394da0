#include "odbcmanager.h"
#include "odbcenv.h"
#include "datafolder.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class Definitions : public ::testing::Test {
protected:
    void SetUp() override {
        folder = home.path(QStringLiteral("SQLCFG/"));
        QDir().mkpath(folder);
        manager.SetDsnName(QStringLiteral("Prandel etykiet"));
        manager.SetDefinitionFolder(folder);
    }
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = folder + name + QStringLiteral(".cdb");
        WriteAll(path, bytes);
        return path;
    }
    int codeOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const TODBCManagerException& e) {
            EXPECT_GT(std::strlen(e.what()), 0u) << "code " << e.Code;  // every failure says what it is
            return e.Code;
        }
        return 0;
    }

    TempDataHome home;
    QString folder;
    TODBCManager manager;
};

const QByteArray kFoxPro =
    "; szablon\r\n"
    "[DATABASE]\r\n"
    "TYPE=2\r\n"
    "SourceDB=C:\\stare\r\n"
    "DSN=Sklep\r\n"
    "\r\n"
    "[ODBC]\r\n"
    "Exclusive=No\r\n"
    "Description=a=b\r\n"
    "Collate=Machine\r\n"
    "[SQL]\r\n"
    "QUERY1=SELECT id, nazwa FROM towary\r\n"
    "QUERY2=SELECT COUNT(*) FROM towary\r\n"
    "[LOGIN PARAMS]\r\n"
    "USER=  admin  \r\n"
    "SQLLOGIN=1\r\n";

TEST_F(Definitions, ListingKeepsBlanksSkipsNamelessAndMatchesExactly) {
    write(QStringLiteral("Abc"), "[DATABASE]\r\n");
    write(QString(), "[DATABASE]\r\n");
    write(QStringLiteral(" Sklep "), "[DATABASE]\r\n");
    write(QStringLiteral("   "), "[DATABASE]\r\n");
    WriteAll(folder + QStringLiteral("readme.txt"), "x");
    QStringList names;
    manager.SelectDefinition(QString());
    EXPECT_EQ(manager.ListDefinitions(names), -1);
    names.sort();
    EXPECT_EQ(names, QStringList({QStringLiteral(" Sklep "), QStringLiteral("Abc")}));
}

TEST_F(Definitions, IndexIsExactAndCaseSensitive) {
    write(QStringLiteral("Abc"), "[DATABASE]\r\n");
    QStringList names;
    EXPECT_EQ(codeOf([&] { manager.SelectDefinition(QStringLiteral("abc")); }), 1);
    EXPECT_EQ(manager.ListDefinitions(names), -1);
    manager.SelectDefinition(QStringLiteral("Abc"));
    EXPECT_EQ(manager.ListDefinitions(names), 0);
    // An upper-case extension is listed and selected alike; the name's case still counts.
    WriteAll(folder + QStringLiteral("Sklep.CDB"), "[DATABASE]\r\nTYPE=3\r\nDataPath=/sklep\r\n");
    manager.SelectDefinition(QStringLiteral("Sklep"));
    EXPECT_EQ(manager.GetDataPath(), QStringLiteral("/sklep"));
    EXPECT_EQ(manager.GetDefinitionFile(), folder + QStringLiteral("Sklep.CDB"));
    EXPECT_GE(manager.ListDefinitions(names), 0);
    EXPECT_EQ(names.at(manager.ListDefinitions(names)), QStringLiteral("Sklep"));
    EXPECT_EQ(codeOf([&] { manager.SelectDefinition(QStringLiteral("sklep")); }), 1);
    QDir(folder).removeRecursively();
    EXPECT_EQ(manager.ListDefinitions(names), -1);
    EXPECT_TRUE(names.isEmpty());
    TODBCManager unset;
    EXPECT_EQ(unset.ListDefinitions(names), -1);
    EXPECT_TRUE(names.isEmpty());
}

TEST_F(Definitions, EmptyNameLoadsNothingAndMissingFileKeepsTheLoadedOne) {
    write(QStringLiteral("Fox"), kFoxPro);
    manager.SelectDefinition(QStringLiteral("Fox"));
    EXPECT_EQ(codeOf([&] { manager.SelectDefinition(QString()); }), 0);
    EXPECT_EQ(manager.GetDefinitionName(), QString());
    EXPECT_EQ(manager.GetSourceDB(), QStringLiteral("C:\\stare"));

    EXPECT_EQ(codeOf([&] { manager.SelectDefinition(QStringLiteral("Brak")); }), 1);
    EXPECT_EQ(manager.GetDefinitionName(), QStringLiteral("Brak"));
    EXPECT_EQ(manager.GetDbType(), 2);
    EXPECT_EQ(manager.GetDefinitionFile(), folder + QStringLiteral("Fox.cdb"));
    EXPECT_EQ(codeOf([&] { manager.LoadFromFile(folder + QStringLiteral("nie ma.cdb")); }), 1);
}

TEST_F(Definitions, LoadReadsEveryFieldOfItsType) {
    write(QStringLiteral("Fox"), kFoxPro);
    manager.SelectDefinition(QStringLiteral("Fox"));
    EXPECT_EQ(manager.GetDbType(), 2);
    EXPECT_EQ(manager.GetDbTypeName(), QStringLiteral("FoxPro"));
    EXPECT_EQ(manager.GetSourceDB(), QStringLiteral("C:\\stare"));
    EXPECT_EQ(manager.GetDsnName(), QStringLiteral("Prandel etykiet-Sklep"));
    EXPECT_EQ(manager.GetDataLocation(), QStringLiteral("Prandel etykiet-Sklep"));
    EXPECT_EQ(manager.GetOdbcValues(), QStringList({QStringLiteral("Exclusive=No"), QStringLiteral("Description=a=b"),
                                                     QStringLiteral("Collate=Machine")}));
    EXPECT_EQ(manager.GetQuery1(), QStringLiteral("SELECT id, nazwa FROM towary"));
    EXPECT_EQ(manager.GetQuery2(), QStringLiteral("SELECT COUNT(*) FROM towary"));
    EXPECT_EQ(manager.GetUser(), QStringLiteral("admin"));
    EXPECT_TRUE(manager.SqlLogin);
    EXPECT_EQ(manager.SqlUser, QString());
}

TEST_F(Definitions, TypeOutOfRangeOrNotANumberIsParadox) {
    for (const QByteArray& type : {QByteArray("7"), QByteArray("abc"), QByteArray("0"), QByteArray("-3"), QByteArray()}) {
        write(QStringLiteral("X"), "[DATABASE]\r\nTYPE=" + type + "\r\nDataPath=/dane\r\nSourceDB=/inne\r\n");
        manager.SelectDefinition(QStringLiteral("X"));
        EXPECT_EQ(manager.GetDbType(), 1) << type.constData();
        EXPECT_EQ(manager.GetDataPath(), QStringLiteral("/dane"));
        EXPECT_EQ(manager.GetSourceDB(), QString()) << "other types' locations are not read";
        EXPECT_EQ(manager.GetDataLocation(), QStringLiteral("/dane"));
    }
    write(QStringLiteral("Y"), "no sections at all\r\n");
    manager.SelectDefinition(QStringLiteral("Y"));
    EXPECT_EQ(manager.GetDbType(), 1);
    EXPECT_EQ(manager.GetDsnName(), QStringLiteral("Prandel etykiet-"));
    EXPECT_TRUE(manager.GetOdbcValues().isEmpty());
    EXPECT_FALSE(manager.SqlLogin);
}

TEST_F(Definitions, LongValuesAreCutTo2047Characters) {
    const QByteArray query = "SELECT " + QByteArray(2993, 'x');
    ASSERT_EQ(query.size(), 3000);
    write(QStringLiteral("Long"), "[SQL]\r\nQUERY1=" + query + "\r\n");
    manager.SelectDefinition(QStringLiteral("Long"));
    EXPECT_EQ(manager.GetQuery1(), QString::fromLatin1(query.left(2047)));
}

TEST_F(Definitions, FolderInPlaceOfTheFileIsCode1) {
    QDir().mkpath(folder + QStringLiteral("Katalog.cdb"));
    EXPECT_EQ(codeOf([&] { manager.SelectDefinition(QStringLiteral("Katalog")); }), 1);
    EXPECT_EQ(codeOf([&] { manager.LoadFromFile(folder + QStringLiteral("Katalog.cdb")); }), 1);
}

TEST_F(Definitions, UnreadableFileIsCode1) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const QString path = write(QStringLiteral("Zamkniety"), kFoxPro);
    QFile(path).setPermissions({});
    EXPECT_EQ(codeOf([&] { manager.SelectDefinition(QStringLiteral("Zamkniety")); }), 1);
}

TEST_F(Definitions, SavingFoxProChangesOnlyItsLocationByteForByte) {
    const QString path = write(QStringLiteral("Fox"), kFoxPro);
    manager.SelectDefinition(QStringLiteral("Fox"));
    manager.SetSourceDB(QStringLiteral("/srv/sklep"));
    manager.SetServer(QStringLiteral("nie zapisywany"));
    manager.SetSqlPassword(QStringLiteral("tajne"));
    ASSERT_TRUE(manager.Save());
    QByteArray expected = kFoxPro;
    expected.replace("SourceDB=C:\\stare", "SourceDB=/srv/sklep");
    EXPECT_EQ(ReadAll(path), expected);
}

// A folder of CSV files: read from DataPath as the dBase folder is, with its
// CSV settings; saving writes only the folder; it needs no ODBC data source.
TEST_F(Definitions, CsvFilesAreAFolderTypeWithTheirSettings) {
    const QByteArray original =
        "[DATABASE]\r\nTYPE=6\r\nDataPath=/eksport\r\nSourceDB=/inne\r\nDSN=Csv\r\n[CSV]\r\nseparator=TAB\r\nCodePage=852\r\n"
        "[SQL]\r\nQUERY1=SELECT ID, NAZWA, CENA, WAGA FROM TOWARY\r\n";
    const QString path = write(QStringLiteral("Csv"), original);
    TOdbcTestEnv odbc;
    odbc.setDrivers("[ODBC]\nTrace=No\n");
    manager.SelectDefinition(QStringLiteral("Csv"));
    EXPECT_EQ(manager.GetDbType(), 6);
    EXPECT_EQ(manager.GetDbTypeName(), QStringLiteral("Pliki CSV"));
    EXPECT_TRUE(IsFolderType(manager.GetDbType()));
    EXPECT_EQ(manager.GetDataPath(), QStringLiteral("/eksport"));
    EXPECT_EQ(manager.GetSourceDB(), QString()) << "other types' locations are not read";
    EXPECT_EQ(manager.GetDataLocation(), QStringLiteral("/eksport"));
    EXPECT_EQ(manager.GetCsvSeparator(), QStringLiteral("TAB"));
    EXPECT_EQ(manager.GetCsvCodePage(), QStringLiteral("852"));
    EXPECT_EQ(codeOf([&] { manager.CreateDataSource(); }), 0);
    EXPECT_FALSE(odbc.userDsnFile().contains("Prandel etykiet-Csv"));

    manager.SetDataPath(QStringLiteral("/srv/eksport"));
    manager.SetSourceDB(QStringLiteral("nie zapisywany"));
    ASSERT_TRUE(manager.Save());
    QByteArray expected = original;
    expected.replace("DataPath=/eksport", "DataPath=/srv/eksport");
    EXPECT_EQ(ReadAll(path), expected);

    // Without a CSV section: the file decides its separator, Windows-1250.
    write(QStringLiteral("Bez"), "[DATABASE]\r\nTYPE=3\r\nDataPath=/dbf\r\n");
    manager.SelectDefinition(QStringLiteral("Bez"));
    EXPECT_EQ(manager.GetCsvSeparator(), QString());
    EXPECT_EQ(manager.GetCsvCodePage(), QString());
    EXPECT_TRUE(IsFolderType(manager.GetDbType()));
    for (int type : {2, 4, 5}) EXPECT_FALSE(IsFolderType(type)) << type;
}

TEST_F(Definitions, SavingSqlServerWritesLoginAsOneOrZero) {
    const QByteArray original = "[DATABASE]\nTYPE=4\nServer=old\nDSN=MS\n[SQL]\nQUERY1=q\n";
    const QString path = write(QStringLiteral("MS"), original);
    manager.SelectDefinition(QStringLiteral("MS"));
    manager.SetServer(QStringLiteral("serwer\\SQLEXPRESS"));
    manager.SetDatabase(QStringLiteral("Sklep"));
    manager.SqlLogin = true;
    manager.SqlUser = QStringLiteral("kasjer");
    manager.SetSqlPassword(QStringLiteral("abc"));
    ASSERT_TRUE(manager.Save());

    TODBCManager again;
    again.SetDefinitionFolder(folder);
    again.SelectDefinition(QStringLiteral("MS"));
    EXPECT_EQ(again.GetServer(), QStringLiteral("serwer\\SQLEXPRESS"));
    EXPECT_EQ(again.GetDatabase(), QStringLiteral("Sklep"));
    EXPECT_TRUE(again.SqlLogin);
    EXPECT_EQ(again.SqlUser, QStringLiteral("kasjer"));
    EXPECT_EQ(again.GetSqlPassword(), QStringLiteral("abc"));
    EXPECT_TRUE(ReadAll(path).contains("SQLLOGIN=1\r\n"));
    EXPECT_TRUE(ReadAll(path).startsWith("[DATABASE]\nTYPE=4\nServer=serwer\\SQLEXPRESS\n"));

    manager.SqlLogin = false;
    ASSERT_TRUE(manager.Save());
    EXPECT_TRUE(ReadAll(path).contains("SQLLOGIN=0\r\n"));
}

TEST_F(Definitions, NothingLoadedSavesNothing) {
    EXPECT_TRUE(manager.SaveToFile(folder + QStringLiteral("never.cdb")));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("never.cdb")));
}

TEST_F(Definitions, UnwritableFileReturnsFalseAndKeepsMemory) {
    write(QStringLiteral("Fb"), "[DATABASE]\r\nTYPE=5\r\nDbname=/a.fdb\r\n");
    manager.SelectDefinition(QStringLiteral("Fb"));
    manager.SetDbname(QStringLiteral("/b.fdb"));
    // A folder in place of the file cannot be replaced by a file.
    const QString blocked = folder + QStringLiteral("blocked.cdb");
    QDir().mkpath(blocked + QStringLiteral("/inside"));
    EXPECT_FALSE(manager.SaveToFile(blocked));
    EXPECT_EQ(manager.GetDbname(), QStringLiteral("/b.fdb"));
    EXPECT_EQ(manager.GetDefinitionFile(), folder + QStringLiteral("Fb.cdb"));
}

}  // namespace

namespace {

// The definitions shipped with the program: each loads, has its type and both
// queries, and the goods query names the six columns in the expected order.
TEST(ShippedDefinitions, LoadWithTheirTypesAndQueries) {
    TempDataHome home;
    TODBCManager manager;
    manager.SetDefinitionFolder(SourceDataDir() + QStringLiteral("/SQLCFG/"));
    QStringList names;
    manager.ListDefinitions(names);
    names.sort();
    EXPECT_EQ(names, QStringList({QStringLiteral("Sklep demonstracyjny"), QStringLiteral("Szablon CSV"), QStringLiteral("Szablon Firebird"),
                                  QStringLiteral("Szablon FoxPro"), QStringLiteral("Szablon Paradox"),
                                  QStringLiteral("Szablon SQL Server"), QStringLiteral("Szablon dBase")}));
    const std::pair<const char*, int> types[] = {{"Sklep demonstracyjny", 3}, {"Szablon Paradox", 1},
                                                 {"Szablon FoxPro", 2},       {"Szablon dBase", 3},
                                                 {"Szablon SQL Server", 4},   {"Szablon Firebird", 5},
                                                 {"Szablon CSV", 6}};
    for (const auto& [name, type] : types) {
        manager.SelectDefinition(QString::fromUtf8(name));
        EXPECT_EQ(manager.GetDbType(), type) << name;
        EXPECT_TRUE(manager.GetQuery1().contains(QStringLiteral("ID, NAZWA, CENA, WAGA, KOD, TYPKODU"))) << name;
        EXPECT_TRUE(manager.GetQuery2().startsWith(QStringLiteral("SELECT COUNT(*)"))) << name;
        EXPECT_FALSE(manager.GetDsnName().endsWith(u'-')) << name;
        EXPECT_FALSE(manager.SqlLogin) << name;
    }
    manager.SelectDefinition(QStringLiteral("Szablon SQL Server"));
    EXPECT_EQ(manager.GetOdbcValues(), QStringList({QStringLiteral("Port=1433"), QStringLiteral("TDS_Version=7.4")}));
}

TEST(ShippedDefinitions, DemonstrationShopLiesInTheProgramsFiles) {
    TempDataHome home;
    TODBCManager manager;
    manager.SetDefinitionFolder(SourceDataDir() + QStringLiteral("/SQLCFG/"));
    manager.SelectDefinition(QStringLiteral("Sklep demonstracyjny"));
    EXPECT_EQ(manager.GetDataPath(), QStringLiteral("DEMO"));
    EXPECT_EQ(manager.GetDataLocation(), QDir::cleanPath(GetProgramFolder() + QStringLiteral("DEMO")));
    manager.SetDataPath(QStringLiteral("/srv/sklep"));
    EXPECT_EQ(manager.GetDataLocation(), QStringLiteral("/srv/sklep"));
}

}  // namespace
