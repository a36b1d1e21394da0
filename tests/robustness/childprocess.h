#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

// Child processes for the robustness tests: the companion or the file writer
// run with a file size limit, with a folder made read-only, or killed at a
// moment of the test's choosing.

QString CompanionPath();
QString WriterPath();

// How a child is held back. FileSizeLimit: no file may grow beyond that many
// bytes (a full disk as the program sees it: writes fail with EFBIG, the
// signal is ignored). ReadOnlyFolder: the folder (and all below it) is
// read-only for the child, also when the tests run as root.
struct TChildLimits {
    qint64 FileSizeLimit = -1;
    QString ReadOnlyFolder;
};

struct TChildResult {
    int Code = -1;  // -1 when it did not finish normally
    QString Out;
    QString Err;
};

// Why read-only folders cannot be had here, or empty when they can: as root
// a private read-only bind mount is needed.
QString ReadOnlyFolderUnavailable();

// Runs `program` to its end under `limits`. Companion runs get "--data-dir".
TChildResult RunChild(const QString& program, const QStringList& args, const TChildLimits& limits = {},
                      int timeoutMs = 60000);

// Starts `program` as RunChild runs it, without limits, and returns at once.
void StartChild(QProcess& process, const QString& program, const QStringList& args);

// Starts `program` and kills it with SIGKILL once `killNow` says so (asked
// every few milliseconds) or it ends by itself; true when it was killed.
bool RunAndKill(const QString& program, const QStringList& args, const std::function<bool()>& killNow,
                int timeoutMs = 60000);
