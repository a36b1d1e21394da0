#include "filewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Long enough for any file name of ours, short enough that the random part
// and the suffix still fit in a file name of 255 bytes.
constexpr int kKeptNameLength = 100;

QString RandomPart() {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString s;
    for (int i = 0; i < 8; ++i) s += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)]);
    return s;
}

// Makes the data of a rename survive a power cut; nothing to report when the
// folder cannot be synced, the rename itself has happened.
void SyncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Renames without replacing anything; a file system without the atomic
// no-replace rename gets a hard link, which refuses a taken name as well.
bool RenameIntoFreeName(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(from.constData(), to.constData()) != 0) return false;
    ::unlink(from.constData());
    return true;
}

bool WriteWhole(const QString& path, const QByteArray& bytes, bool replace) {
    TFileBeside file(path);
    return file.IsCreated() && file.Write(bytes) && (replace ? file.Commit() : file.CommitNew());
}

}  // namespace

bool ReplaceFile(const QString& path, const QByteArray& bytes) { return WriteWhole(path, bytes, true); }

bool CreateNewFile(const QString& path, const QByteArray& bytes) {
    // Checked first only to spare the write; the final rename refuses a taken name itself.
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0) return false;
    return WriteWhole(path, bytes, false);
}

TFileBeside::TFileBeside(const QString& path) : Path(path) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty()) return;
    const QString stem = info.absolutePath() + u'/' + info.fileName().left(kKeptNameLength) + u'.';
    // A random name never used before: the file is created new, and a link
    // already standing at the name makes the creation fail rather than be followed.
    for (int attempt = 0; attempt < 100 && Fd < 0; ++attempt) {
        const QString candidate = stem + RandomPart() + QStringLiteral(".part");
        Fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (Fd >= 0)
            NewPath = candidate;
        else if (errno != EEXIST)
            return;
    }
    if (Fd < 0) return;
    // The permissions of the file whose place it takes; new files keep the umask's.
    struct stat old;
    if (::stat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(Fd, old.st_mode & 0777);
}

TFileBeside::~TFileBeside() { Discard(); }

bool TFileBeside::Write(const QByteArray& bytes) {
    if (Fd < 0) return false;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(Fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        left -= n;
    }
    return true;
}

bool TFileBeside::Commit() { return Finish(true); }

bool TFileBeside::CommitNew() { return Finish(false); }

bool TFileBeside::Finish(bool replace) {
    if (Fd < 0) return false;
    const QByteArray from = QFile::encodeName(NewPath);
    const QByteArray to = QFile::encodeName(Path);
    // The name must still be the file created here: a writer that opened it
    // by name wrote into it, and nothing else stands there now.
    struct stat ours, named;
    bool ok = ::fsync(Fd) == 0 && ::fstat(Fd, &ours) == 0 && ::lstat(from.constData(), &named) == 0 &&
              ours.st_dev == named.st_dev && ours.st_ino == named.st_ino;
    // A network file system may report a failed write only on close.
    ok = ::close(Fd) == 0 && ok;
    Fd = -1;
    ok = ok && (replace ? std::rename(from.constData(), to.constData()) == 0 : RenameIntoFreeName(from, to));
    if (!ok) {
        ::unlink(from.constData());
        NewPath.clear();
        return false;
    }
    NewPath.clear();
    SyncFolder(QFile::encodeName(QFileInfo(Path).absolutePath()));
    return true;
}

void TFileBeside::Discard() {
    if (Fd >= 0) {
        ::close(Fd);
        Fd = -1;
    }
    if (!NewPath.isEmpty()) ::unlink(QFile::encodeName(std::exchange(NewPath, QString())).constData());
}
