#include "filewrite.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

int ModeOf(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Whatever stands at the name before a write: nothing, a file, links of every
// kind, a folder. A write replaces a file or a link by a new regular file and
// never writes through a link; a new file is made only where nothing stands.
TEST(FileWrite, WhatStandsAtTheNameIsReplacedOrKeptNeverWrittenThrough) {
    struct Case {
        const char* What;
        std::function<void(const QString& name, const QString& outside)> Plant;
        bool Replaced;  // ReplaceFile succeeds
        int Mode;       // of the new file, or -1 for the umask's
    };
    const Case cases[] = {
        {"nothing", [](const QString&, const QString&) {}, true, -1},
        {"a file, its mode kept",
         [](const QString& name, const QString&) {
             WriteAll(name, "old");
             ::chmod(QFile::encodeName(name).constData(), 0640);
         },
         true, 0640},
        {"a link to a file",
         [](const QString& name, const QString& outside) { QFile::link(outside, name); }, true, 0604},
        {"a dangling link",
         [](const QString& name, const QString& outside) { QFile::link(outside + ".gone", name); }, true, -1},
        {"a link to a folder",
         [](const QString& name, const QString& outside) { QFile::link(QFileInfo(outside).absolutePath(), name); },
         true, -1},
        {"a folder", [](const QString& name, const QString&) { QDir().mkpath(name + "/inside"); }, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        for (const bool replace : {true, false}) {
            QTemporaryDir dir, elsewhere;
            const QString name = dir.filePath("plik.ini"), outside = elsewhere.filePath("cudzy");
            WriteAll(outside, "not ours");
            ::chmod(QFile::encodeName(outside).constData(), 0604);
            WriteAll(dir.filePath("neighbour"), "n");
            c.Plant(name, outside);
            const QFileInfo before(name);
            const bool wasLink = before.isSymLink(), wasDir = before.isDir(), wasFile = before.isFile() && !wasLink;
            const bool stood = before.exists() || wasLink;
            const QByteArray content = replace ? "new content" : "first content";

            const bool ok = replace ? ReplaceFile(name, content) : CreateNewFile(name, content);

            EXPECT_EQ(ok, replace ? c.Replaced : !stood) << (replace ? "replace" : "create new");
            EXPECT_EQ(ReadAll(outside), "not ours");
            EXPECT_EQ(ModeOf(outside), 0604);
            EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                      QStringList{"cudzy"});
            const QFileInfo after(name);
            if (ok) {
                EXPECT_TRUE(after.isFile() && !after.isSymLink());
                EXPECT_EQ(ReadAll(name), content);
                if (c.Mode >= 0) {
                    EXPECT_EQ(ModeOf(name), c.Mode);
                }
            } else {
                EXPECT_EQ(after.isSymLink(), wasLink);
                EXPECT_EQ(after.isDir(), wasDir);
                if (wasFile) {
                    EXPECT_EQ(ReadAll(name), "old");
                }
            }
            // Nothing beside it: the new file was renamed or removed.
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
                      (QStringList{"neighbour", "plik.ini"}));
        }
    }
    // A missing folder: nothing to write into.
    QTemporaryDir dir;
    EXPECT_FALSE(ReplaceFile(dir.filePath("no/such/plik.ini"), "x"));
    EXPECT_FALSE(CreateNewFile(dir.filePath("no/such/plik.ini"), "x"));
}

// The new file of a writer that needs a name (the PDF engine): written by
// name, committed into place; dropped, it leaves nothing; swapped for a link
// while it was being written, it is not committed.
TEST(FileWrite, NewFileBesideTheNameIsCommittedDroppedOrRefused) {
    QTemporaryDir dir, elsewhere;
    const QString name = dir.filePath("etykiety.pdf"), outside = elsewhere.filePath("cudzy");
    WriteAll(outside, "not ours");
    WriteAll(name, "old pdf");
    {
        TFileBeside part(name);
        ASSERT_TRUE(part.IsCreated());
        EXPECT_NE(part.FileName(), name);
        EXPECT_EQ(QFileInfo(part.FileName()).absolutePath(), QFileInfo(name).absolutePath());
        WriteAll(part.FileName(), "new pdf");
        EXPECT_TRUE(part.Commit());
        EXPECT_FALSE(part.Commit());
    }
    EXPECT_EQ(ReadAll(name), "new pdf");
    {
        TFileBeside dropped(name);
        ASSERT_TRUE(dropped.IsCreated());
        EXPECT_TRUE(dropped.Write("half"));
    }
    {
        TFileBeside swapped(name);
        ASSERT_TRUE(swapped.IsCreated());
        QFile::remove(swapped.FileName());
        QFile::link(outside, swapped.FileName());
        EXPECT_FALSE(swapped.Commit());
    }
    EXPECT_EQ(ReadAll(name), "new pdf");
    EXPECT_EQ(ReadAll(outside), "not ours");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
              QStringList{"etykiety.pdf"});
}

}  // namespace
