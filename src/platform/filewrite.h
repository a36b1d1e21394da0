#pragma once
#include <QByteArray>
#include <QString>

// Every file the program writes goes through here. A file is written as a new
// file beside its name, created under a random name that did not exist before
// (never through a link), synced, and renamed over the name at the end; an
// existing name is never opened for writing. So a symbolic link at the name is
// replaced by the new regular file and never followed (a link planted in a
// data folder cannot make the program write into the file it points to), a
// crash leaves the old file or the new one, and a failed write (a full disk, a
// read-only folder) leaves the old file whole and no new file behind.
//
// The new file keeps the permission bits of the file whose place it takes;
// for a link, those of the file it pointed to, whose content an INI file read
// through it carries on. A file new to its folder gets the user's umask.

// `bytes` as the whole new content of `path`.
bool ReplaceFile(const QString& path, const QByteArray& bytes);

// `bytes` as the content of a new file `path`; false, and nothing changed,
// when anything at all (a file, a folder, a link, even a dangling one) already
// has that name.
bool CreateNewFile(const QString& path, const QByteArray& bytes);

// A new file beside `path`, for a writer that needs a file name to open (the
// PDF engine): it writes into FileName(), a file this object created, and
// Commit() puts it in the place of `path`. Dropped without a commit, the new
// file is removed.
class TFileBeside {
public:
    explicit TFileBeside(const QString& path);
    ~TFileBeside();
    TFileBeside(const TFileBeside&) = delete;
    TFileBeside& operator=(const TFileBeside&) = delete;

    // False when the new file could not be created (a missing or read-only folder).
    bool IsCreated() const { return Fd >= 0; }
    const QString& FileName() const { return NewPath; }
    // Appends to the new file; false on a short write (a full disk).
    bool Write(const QByteArray& bytes);
    // Syncs the new file and renames it over the name. False when any step
    // fails; the new file is then removed and the old one left as it was.
    bool Commit();
    // As Commit(), but only into a free name: false when anything has the name.
    bool CommitNew();
    // Removes the new file.
    void Discard();

private:
    bool Finish(bool replace);

    QString Path;
    QString NewPath;
    int Fd = -1;
};
