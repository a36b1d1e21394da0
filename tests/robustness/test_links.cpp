// Symbolic links planted at the names the program writes: settings.ini, a
// layout, a definition, the PDF of a print (and the name its part had once),
// the companion's PNG pictures, the first-run copies. No write goes through a
// link into the file it points to: a link at a name the program writes is
// replaced by the new file, and a first-run copy leaves a link standing.
#include "childprocess.h"
#include "testshop.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class LinkedNames : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Shop.Ok);
        ASSERT_EQ(Companion({"update", "--definition", TTestShop::Definition(0)}).Code, 0);
        ASSERT_EQ(Companion({"goods", "select", "--check-type", "0"}).Code, 0);
    }
    TChildResult Companion(const QStringList& args) const {
        return RunChild(CompanionPath(), QStringList{QStringLiteral("--data-dir"), Shop.DataDir} + args);
    }
    // A file outside every folder the program writes, with a link to it at `name`.
    QString Plant(const QString& name) {
        const QString victim = Root.filePath(QStringLiteral("obce/%1").arg(++Victims));
        WriteAll(victim, Foreign);
        QDir().mkpath(QFileInfo(name).absolutePath());
        QFile::remove(name);
        EXPECT_TRUE(QFile::link(victim, name)) << name.toStdString();
        return victim;
    }
    QTemporaryDir Root;
    TTestShop Shop{Root.path(), 30};
    int Victims = 0;
    // An INI file, so that the writers of INI files read it through the link as their own.
    const QByteArray Foreign = "[DATABASE]\r\nTYPE=4\r\nServer=OBCY\r\n; nie do zapisania\r\n";
};

TEST_F(LinkedNames, EveryWriteReplacesTheLinkAndLeavesItsTargetAlone) {
    const QString out = Root.filePath(QStringLiteral("wyniki"));
    const QString layout = SourceDataDir() + QStringLiteral("/LABELS/30x20.etk");
    struct Case {
        const char* What;
        QString Program;
        QStringList Args;
        QStringList Linked;  // names with a link planted
        QString Written;     // the file the write makes, of those
        QByteArray Starts;   // how its content begins
    };
    const Case cases[] = {
        {"settings", WriterPath(), {"settings", Shop.DataDir + "/settings.ini", "1"}, {Shop.DataDir + "/settings.ini"},
         Shop.DataDir + "/settings.ini", "[DATABASE]"},
        {"layout", WriterPath(), {"layout", out + "/duza.etk", "1"}, {out + "/duza.etk"}, out + "/duza.etk", "[DATABASE]"},
        {"definition", WriterPath(), {"definition", out + "/Sklep.cdb", "1"}, {out + "/Sklep.cdb"}, out + "/Sklep.cdb",
         "[DATABASE]"},
        // The print also stores its moment in settings.ini; the name the
        // PDF's part once had stays a link that nothing writes through. (A
        // link at the PDF's own name to a file that is no PDF is refused
        // before the job, as that file itself would be.)
        {"print",
         CompanionPath(),
         {"--data-dir", Shop.DataDir, "print", "--pdf", out + "/etykiety.pdf"},
         {out + "/etykiety.pdf.part", Shop.DataDir + "/settings.ini"},
         out + "/etykiety.pdf",
         "%PDF"},
        {"barcode", CompanionPath(), {"--data-dir", Shop.DataDir, "barcode", "--type", "14", "--text", "5901234123457", "--png", out + "/kod.png"},
         {out + "/kod.png"}, out + "/kod.png", "\x89PNG"},
        {"render",
         CompanionPath(),
         {"--data-dir", Shop.DataDir, "render", "--layout", layout, "--png", out + "/etykieta.png", "--name", "Ser",
          "--price", "4,99", "--unit-price", "9,98 zł/kg", "--barcode", "5901234123457", "--type", "14"},
         {out + "/etykieta.png"},
         out + "/etykieta.png",
         "\x89PNG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        QStringList victims;
        for (const QString& name : c.Linked) victims << Plant(name);
        const TChildResult r = RunChild(c.Program, c.Args);
        EXPECT_EQ(r.Code, 0) << r.Out.toStdString() << r.Err.toStdString();
        for (const QString& victim : victims) EXPECT_EQ(ReadAll(victim), Foreign) << victim.toStdString();
        const QFileInfo written(c.Written);
        EXPECT_TRUE(written.isFile() && !written.isSymLink());
        EXPECT_TRUE(ReadAll(c.Written).startsWith(c.Starts));
        for (const QString& name : c.Linked)
            if (name != c.Written && !name.endsWith(QLatin1String("settings.ini"))) {
                EXPECT_TRUE(QFileInfo(name).isSymLink()) << name.toStdString();
            }
    }
    // Nothing was left beside the written files, nothing added beside the targets.
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
              (QStringList{"duza.etk", "etykieta.png", "etykiety.pdf", "etykiety.pdf.part", "kod.png", "Sklep.cdb"}));
    EXPECT_EQ(QDir(Root.filePath(QStringLiteral("obce"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), Victims);

    // A first start copies the shipped layouts and definitions; a link at a
    // copy's name stays, whatever it points to.
    const QString fresh = Root.filePath(QStringLiteral("nowe"));
    const QString victim = Plant(fresh + "/LABELS/30x20.etk");
    QFile::link(Root.filePath(QStringLiteral("obce/brak")), fresh + "/LABELS/58x40.etk");
    const TChildResult r = RunChild(CompanionPath(), {"--data-dir", fresh, "unit-price", "4,99", "500 g"});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(ReadAll(victim), Foreign);
    EXPECT_TRUE(QFileInfo(fresh + "/LABELS/30x20.etk").isSymLink());
    EXPECT_TRUE(QFileInfo(fresh + "/LABELS/58x40.etk").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(Root.filePath(QStringLiteral("obce/brak"))));
    EXPECT_FALSE(QDir(fresh + "/SQLCFG").entryList(QDir::Files).isEmpty());
}

}  // namespace
