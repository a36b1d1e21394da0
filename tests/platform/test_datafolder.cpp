#include "datafolder.h"
#include "inifile.h"
#include "prompter.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(DataFolder, FollowsXdgDataHomeAndIsCached) {
    TempDataHome home;
    const QString folder = GetDataFolder();
    EXPECT_EQ(folder, home.dataFolder());
    EXPECT_TRUE(folder.endsWith("/Prandel etykiet/"));
    qputenv("XDG_DATA_HOME", "/somewhere/else");
    EXPECT_EQ(GetDataFolder(), folder);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(EnsureDataFolder());
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST(DataFolder, FallsBackToHomeAndReportsAFolderThatCannotBeMade) {
    TempDataHome home;
    qunsetenv("XDG_DATA_HOME");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.root().toUtf8());
    SetDataFolderOverride(QString());
    EXPECT_EQ(GetDataFolder(), home.root() + "/.local/share/Prandel etykiet/");

    // A plain file where a parent folder should be.
    WriteAll(home.root() + "/blocked", "x");
    qputenv("XDG_DATA_HOME", (home.root() + "/blocked").toUtf8());
    SetDataFolderOverride(QString());
    EXPECT_FALSE(EnsureDataFolder());
    qputenv("HOME", oldHome);
}

TEST(FirstRun, CopiesDefinitionsAndLayoutsWithoutOverwriting) {
    TempDataHome home;
    QTemporaryDir program;
    WriteAll(program.filePath("SQLCFG/a.cdb"), "shipped a");
    WriteAll(program.filePath("LABELS/30x20.etk"), "shipped layout");
    WriteAll(program.filePath("LABELS/other.etk"), "shipped other");
    QDir().mkpath(program.filePath("LABELS/sub"));
    WriteAll(program.filePath("LABELS/sub/deep.etk"), "not copied");
    WriteAll(home.path("LABELS/30x20.etk"), "user's own");
    // Links at the names, to a file and to nothing, stay links and are never
    // written through.
    QTemporaryDir elsewhere;
    WriteAll(elsewhere.filePath("cudzy"), "not ours");
    WriteAll(program.filePath("LABELS/linked.etk"), "shipped linked");
    WriteAll(program.filePath("SQLCFG/dangling.cdb"), "shipped dangling");
    ASSERT_TRUE(QFile::link(elsewhere.filePath("cudzy"), home.path("LABELS/linked.etk")));
    QDir().mkpath(home.path("SQLCFG"));
    ASSERT_TRUE(QFile::link(elsewhere.filePath("gone"), home.path("SQLCFG/dangling.cdb")));
    QFile::setPermissions(program.filePath("LABELS/other.etk"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    SetProgramFolderOverride(program.path());
    PrepareFirstRun();
    SetProgramFolderOverride(QString());
    EXPECT_EQ(ReadAll(home.path("SQLCFG/a.cdb")), "shipped a");
    EXPECT_EQ(ReadAll(home.path("LABELS/30x20.etk")), "user's own");
    EXPECT_EQ(ReadAll(home.path("LABELS/other.etk")), "shipped other");
    EXPECT_FALSE(QFileInfo::exists(home.path("LABELS/sub")));
    EXPECT_TRUE(QFileInfo(home.path("LABELS/linked.etk")).isSymLink());
    EXPECT_TRUE(QFileInfo(home.path("SQLCFG/dangling.cdb")).isSymLink());
    EXPECT_EQ(ReadAll(elsewhere.filePath("cudzy")), "not ours");
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"cudzy"});
    // The copies are the user's to change, whatever the shipped files' modes.
    EXPECT_TRUE(QFileInfo(home.path("LABELS/other.etk")).permissions() & QFileDevice::WriteOwner);
}

TEST(FirstRun, ShippedFolderIsFoundFromTheBuildTree) {
    const QString folder = GetProgramFolder();
    EXPECT_TRUE(QFileInfo(folder + "LABELS").isDir()) << folder.toStdString();
    EXPECT_TRUE(QFileInfo(folder + "SQLCFG").isDir()) << folder.toStdString();
}

TEST(Prompter, ScriptedAnswersAreTakenInOrderAndCallsRecorded) {
    TScriptedPrompter p;
    p.answer(true);
    p.answer(false);
    p.answerPath("/tmp/x.etk");
    EXPECT_TRUE(p.confirmOkCancel("first?"));
    EXPECT_FALSE(p.confirmYesNo("second?"));
    EXPECT_FALSE(p.confirmYesNo("third?"));  // default answer
    p.error("bad");
    EXPECT_EQ(p.openFile("Otwórz", "/tmp", "*.etk"), "/tmp/x.etk");
    EXPECT_EQ(p.saveFile("Zapisz", "/tmp", "*.etk"), "");
    EXPECT_EQ(p.askText("c", "l", "i"), std::nullopt);
    EXPECT_EQ(p.messages(), (QStringList{"first?", "second?", "third?", "bad"}));
    EXPECT_EQ(p.messages(TScriptedPrompter::Kind::Error), QStringList{"bad"});
}

}  // namespace
