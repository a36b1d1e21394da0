#include "inifile.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct IniTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name = QStringLiteral("t.ini")) const { return dir.filePath(name); }
};

TEST_F(IniTest, NamesMatchWithoutRegardToCaseAndValuesAreTrimmedAndUnquoted) {
    WriteAll(path(), "[Printer]\r\n  Name =  Laser 1  \r\nQ=\"  quoted  \"\r\nS='x'\r\nHalf=\"open\r\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("PRINTER", "name", "d"), "Laser 1");
    EXPECT_EQ(ini.ReadString("printer", "Q", "d"), "  quoted  ");
    EXPECT_EQ(ini.ReadString("printer", "S", "d"), "x");
    EXPECT_EQ(ini.ReadString("printer", "Half", "d"), "\"open");
    EXPECT_EQ(ini.ReadString("printer", "missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("nosection", "name", "d"), "d");
}

TEST_F(IniTest, IntegersAndBooleans) {
    WriteAll(path(), "[A]\nhex=0x1F\ndollar=$ff\nneg=-12\nbad=12abc\nempty=\nbig=99999999999\nallbits=0xFFFFFFFF\n"
                     "t=5\nf=0\nword=yes\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadInteger("A", "hex", 7), 31);
    EXPECT_EQ(ini.ReadInteger("A", "dollar", 7), 255);
    EXPECT_EQ(ini.ReadInteger("A", "neg", 7), -12);
    EXPECT_EQ(ini.ReadInteger("A", "bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("A", "empty", 7), 7);
    EXPECT_EQ(ini.ReadInteger("A", "big", 7), 7);
    EXPECT_EQ(ini.ReadInteger("A", "allbits", 7), -1);
    EXPECT_TRUE(ini.ReadBool("A", "t", false));
    EXPECT_FALSE(ini.ReadBool("A", "f", true));
    EXPECT_TRUE(ini.ReadBool("A", "word", true));
    EXPECT_FALSE(ini.ReadBool("A", "word", false));
    EXPECT_TRUE(ini.ReadBool("A", "missing", true));
}

TEST_F(IniTest, LongValuesAreCutAt2047Characters) {
    const QByteArray value(3000, 'x');
    WriteAll(path(), "[A]\nk=" + value + "\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("A", "k", "").size(), 2047);
}

TEST_F(IniTest, WritesKeepEveryOtherByte) {
    const QByteArray original =
        "; comment\n[Keep]\nweird line without equals\nUnknown = x \n\n[Other]\r\nA=1\r\n\r\n[Tail]\nz=9";
    WriteAll(path(), original);
    {
        TIniFile ini(path());
        ini.WriteString("other", "a", "2");
        ini.WriteString("OTHER", "New", "n");
        ini.WriteString("Tail", "y", "8");
        ini.WriteString("Fresh", "k", "v");
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(ReadAll(path()),
              "; comment\n[Keep]\nweird line without equals\nUnknown = x \n\n[Other]\r\na=2\r\nNew=n\r\n\r\n"
              "[Tail]\nz=9\r\ny=8\r\n[Fresh]\r\nk=v\r\n");
}

TEST_F(IniTest, NewFileHasNoBlankLinesBetweenSections) {
    {
        TIniFile ini(path());
        EXPECT_FALSE(ini.FileExisted());
        ini.WriteInteger("PANEL", "WIDTH", 30);
        ini.WriteInteger("PANEL", "HEIGHT", 20);
        ini.WriteBool("LABEL1", "FONTBOLD", true);
    }  // the destructor writes
    EXPECT_EQ(ReadAll(path()), "[PANEL]\r\nWIDTH=30\r\nHEIGHT=20\r\n[LABEL1]\r\nFONTBOLD=1\r\n");
}

TEST_F(IniTest, Windows1250OnDiskRoundTrip) {
    const QString polish = QString::fromUtf8("Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
    {
        TIniFile ini(path());
        ini.WriteString(QString::fromUtf8("Sekcja ą"), "k", polish);
        ASSERT_TRUE(ini.UpdateFile());
    }
    const QByteArray bytes = ReadAll(path());
    EXPECT_TRUE(bytes.contains("Za\xbf\xf3\xb3\xe6 g\xea\x9c\x6c\xb9 ja\x9f\xf1"));
    TIniFile again(path());
    EXPECT_EQ(again.ReadString(QString::fromUtf8("SEKCJA Ą"), "K", ""), polish);
}

TEST_F(IniTest, SectionsKeysEraseAndDelete) {
    WriteAll(path(), "[LABEL1]\na=1\n[IMAGE1]\nb=2\n[label1]\nc=3\n[X]\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadSections(), (QStringList{"LABEL1", "IMAGE1", "X"}));
    EXPECT_EQ(ini.ReadSection("label1"), QStringList{"a"});
    EXPECT_EQ(ini.ReadString("LABEL1", "c", "none"), "none");  // the first section of the name wins
    ini.EraseSection("image1");
    ini.EraseSection("absent");
    ini.DeleteKey("LABEL1", "a");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadAll(path()), "[LABEL1]\n[label1]\nc=3\n[X]\n");
}

TEST_F(IniTest, LineBreaksInValuesDoNotSplitTheFile) {
    {
        TIniFile ini(path());
        ini.WriteString("A", "k", "one\r\ntwo");
    }
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("A", "k", ""), "one  two");
    EXPECT_EQ(ini.ReadSection("A"), QStringList{"k"});
}

TEST_F(IniTest, FailedWritesAreReportedAndLeaveTheFileWhole) {
    TIniFile missingFolder(dir.filePath("no/such/folder/x.ini"));
    missingFolder.WriteString("A", "k", "v");
    EXPECT_FALSE(missingFolder.UpdateFile());

    WriteAll(path(), "[A]\nk=old\n");
    QFile::setPermissions(path(), QFileDevice::ReadOwner);
    if (QFileInfo(path()).isWritable()) GTEST_SKIP() << "running with rights that ignore file modes";
    TIniFile readOnly(path());
    readOnly.WriteString("A", "k", "new");
    EXPECT_FALSE(readOnly.UpdateFile());
    EXPECT_EQ(ReadAll(path()), "[A]\nk=old\n");
}

TEST_F(IniTest, UnreadableFileIsNeverReplaced) {
    WriteAll(path(), "[A]\nk=precious\n");
    QFile::setPermissions(path(), QFileDevice::WriteOwner);
    if (QFileInfo(path()).isReadable()) GTEST_SKIP() << "running with rights that ignore file modes";
    TIniFile ini(path());
    EXPECT_TRUE(ini.ReadFailed());
    ini.WriteString("A", "k", "lost");
    EXPECT_FALSE(ini.UpdateFile());
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadAll(path()), "[A]\nk=precious\n");
}

TEST_F(IniTest, AtomicWriteLeavesNoTemporaryFiles) {
    WriteAll(path(), "[A]\nk=1\n");
    for (int i = 0; i < 5; ++i) {
        TIniFile ini(path());
        ini.WriteInteger("A", "k", i);
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"t.ini"});
    EXPECT_EQ(ReadAll(path()), "[A]\nk=4\n");
}

TEST_F(IniTest, LookupsFollowInsertionsAndErasures) {
    // Sections are found through an index; every edit that moves lines must
    // leave later lookups right.
    WriteAll(path(), "[A]\nk=1\n[B]\nk=2\n[a]\nk=dup\n[C]\nk=3\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString("a", "k", "d"), "1");  // the first of two spellings counts
    ini.WriteString("A", "new", "x");               // inserts a line before B
    EXPECT_EQ(ini.ReadString("B", "k", "d"), "2");
    EXPECT_EQ(ini.ReadString("C", "k", "d"), "3");
    ini.EraseSection("A");
    EXPECT_EQ(ini.ReadString("A", "k", "d"), "dup");
    ini.DeleteKey("B", "k");
    EXPECT_EQ(ini.ReadString("C", "k", "d"), "3");
    ini.WriteString("D", "k", "4");
    EXPECT_EQ(ini.ReadString("d", "K", "x"), "4");
    EXPECT_EQ(ini.ReadSections(), QStringList({"B", "a", "C", "D"}));
}

}  // namespace
