// Writes on a full disk (no file may grow past a limit, as a full file system
// refuses) and into read-only folders (made so for the child process alone,
// also when the tests run as root): each gives the program's message, leaves
// nothing half-written, and the program goes on.
#include "childprocess.h"
#include "goodsfile.h"
#include "testshop.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The file writes of the program: settings.ini, a layout, a definition, each
// in a folder of its own with hand-written lines that make it larger than the
// full disk allows.
struct TFileCase {
    const char* Kind;
    const char* File;
    QByteArray Content;
};

std::vector<TFileCase> FileCases() {
    QByteArray notes;
    for (int i = 0; i < 200; ++i) notes += "; notatka " + QByteArray::number(i) + "\r\n";
    return {
        {"settings", "settings.ini", "[LABEL]\r\nFILENAME=30x20.etk\r\n[NOTATKI]\r\n" + notes},
        {"layout", "LABELS/duza.etk", "[PANEL]\r\nWIDTH=30\r\nHEIGHT=20\r\n" + notes},
        {"definition", "SQLCFG/Sklep.cdb", "[DATABASE]\r\nTYPE=4\r\nServer=STARY\r\n" + notes},
    };
}

void CheckFileWrites(const QString& root, const std::function<TChildLimits(const QString& folder)>& limitsFor) {
    for (const TFileCase& c : FileCases()) {
        const QString path = root + u'/' + QLatin1String(c.Kind) + u'/' + QLatin1String(c.File);
        WriteAll(path, c.Content);
        const QString folder = QFileInfo(path).absolutePath();
        const TChildResult r = RunChild(WriterPath(), {QLatin1String(c.Kind), path, QStringLiteral("1")}, limitsFor(folder));
        // The write is refused, the program says so and reads the file on.
        EXPECT_EQ(r.Code, 1) << c.Kind << ": " << r.Err.toStdString();
        EXPECT_EQ(r.Out, QStringLiteral("błąd zapisu\nodczytano\n")) << c.Kind;
        EXPECT_EQ(ReadAll(path), c.Content) << c.Kind;
        // No temporary file is left behind.
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList(QFileInfo(path).fileName())) << c.Kind;
    }
}

// The program's message: the last line of its error output, after its log.
std::string LastLine(const QString& err) { return err.trimmed().split(u'\n').last().toStdString(); }

// A shop whose goods were taken in and some of them marked, with what a
// refused write must leave as it is.
class GoodsOnAFullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Shop.Ok);
        const TChildResult r = RunChild(CompanionPath(), Cli({"update", "--definition", TTestShop::Definition(0)}));
        ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
        TGoodsFile db(Shop.GoodsPath());
        db.Exec(QStringLiteral("UPDATE towary SET \"SELECT\" = (rowid % 100 = 0)"));
    }
    QStringList Cli(const QStringList& args) const { return QStringList{QStringLiteral("--data-dir"), Shop.DataDir} + args; }
    // Everything of the goods a refused write may not change.
    QString State() {
        TGoodsFile db(Shop.GoodsPath());
        EXPECT_EQ(db.IntegrityCheck(), QStringLiteral("ok"));
        return db.Text(QStringLiteral("SELECT count(*) || ' ' || total(NEW) || ' ' || total(\"SELECT\") || ' ' || "
                                      "count(PRINTDATE) || ' ' || group_concat(CENA, '') FROM towary"));
    }
    // The companion's commands that write the goods table or a PDF, with the
    // message each gives when the write is refused.
    struct Case {
        QStringList Args;
        QString Message;
    };
    std::vector<Case> Cases() const {
        return {
            {{"update", "--definition", TTestShop::Definition(1)}, QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych.")},
            {{"goods", "select", "--check-type", "0"}, QString()},
            {{"print", "--pdf", Pdf}, QStringLiteral("Wystąpił błąd drukarki.")},
        };
    }
    QTemporaryDir Root;
    TTestShop Shop{Root.path(), 3000};
    QString Pdf = Root.filePath(QStringLiteral("wydruk/etykiety.pdf"));
};

TEST(FileWrites, AFullDiskRefusesTheWriteAndKeepsTheOldFile) {
    QTemporaryDir root;
    CheckFileWrites(root.path(), [](const QString&) { return TChildLimits{1024, {}}; });
}

TEST(FileWrites, AReadOnlyFolderRefusesTheWriteAndKeepsTheOldFile) {
    if (const QString why = ReadOnlyFolderUnavailable(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
    QTemporaryDir root;
    CheckFileWrites(root.path(), [](const QString& folder) { return TChildLimits{-1, folder}; });
}

TEST_F(GoodsOnAFullDisk, EveryWriteGivesItsMessageAndChangesNothing) {
    QDir().mkpath(QFileInfo(Pdf).absolutePath());
    const qint64 tableSize = QFileInfo(Shop.GoodsPath()).size();
    for (const Case& c : Cases()) {
        const QString before = State();
        // The table may not grow, nor its journal hold a tenth of it; the
        // PDF may not get past its first few kilobytes.
        const qint64 limit = c.Args.first() == QLatin1String("print") ? 4096 : tableSize / 10;
        const TChildResult r = RunChild(CompanionPath(), Cli(c.Args), TChildLimits{limit, {}});
        EXPECT_EQ(r.Code, 1) << c.Args.join(u' ').toStdString() << ": " << r.Out.toStdString();
        if (!c.Message.isEmpty()) {
            EXPECT_EQ(LastLine(r.Err), c.Message.toStdString()) << c.Args.join(u' ').toStdString();
        }
        EXPECT_FALSE(r.Err.isEmpty());
        EXPECT_EQ(State(), before) << c.Args.join(u' ').toStdString();
        // No PDF, and no part of one under any name.
        EXPECT_EQ(QDir(QFileInfo(Pdf).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList())
            << "a half-written PDF";
    }
    // The PDF fits, the stamps of the print dates do not: the job is
    // reported failed before its PDF is put in place, so no script sends
    // labels whose goods show as never printed.
    const QString before = State();
    const TChildResult r = RunChild(CompanionPath(), Cli({"print", "--pdf", Pdf}), TChildLimits{tableSize / 10, {}});
    EXPECT_EQ(r.Code, 1) << r.Out.toStdString();
    EXPECT_EQ(LastLine(r.Err), "Nie można zapisać daty wydruku towarów; plik PDF nie został zapisany.");
    EXPECT_EQ(State(), before);
    EXPECT_FALSE(QFileInfo::exists(Pdf));
    EXPECT_FALSE(QFileInfo::exists(Pdf + QStringLiteral(".part")));
}

TEST_F(GoodsOnAFullDisk, ReadOnlyFoldersGiveTheMessageAndChangeNothing) {
    if (const QString why = ReadOnlyFolderUnavailable(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
    QDir().mkpath(QFileInfo(Pdf).absolutePath());
    for (const Case& c : Cases()) {
        const QString before = State();
        // The goods table's folder read-only; for the print, the PDF's folder.
        const QString folder = c.Args.first() == QLatin1String("print") ? QFileInfo(Pdf).absolutePath()
                                                                         : QFileInfo(Shop.GoodsPath()).absolutePath();
        const TChildResult r = RunChild(CompanionPath(), Cli(c.Args), TChildLimits{-1, folder});
        EXPECT_EQ(r.Code, 1) << c.Args.join(u' ').toStdString() << ": " << r.Out.toStdString();
        if (!c.Message.isEmpty()) {
            EXPECT_EQ(LastLine(r.Err), c.Message.toStdString()) << c.Args.join(u' ').toStdString();
        }
        EXPECT_FALSE(r.Err.isEmpty());
        EXPECT_EQ(State(), before) << c.Args.join(u' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(Pdf));
    }
}

}  // namespace
