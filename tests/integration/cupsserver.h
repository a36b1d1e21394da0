#pragma once
#include <QDir>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QProcess;

// A CUPS scheduler of its own for one test: cupsd in the foreground,
// listening only on a Unix socket in a temporary folder (no network at all),
// with file: devices allowed, so that a queue's output lands in a file. Its
// commands and the companion reach it through CUPS_SERVER, which it sets for
// this process and its children while it lives.
class TCupsServer {
public:
    TCupsServer();
    ~TCupsServer();
    TCupsServer(const TCupsServer&) = delete;
    TCupsServer& operator=(const TCupsServer&) = delete;

    bool started() const { return Started; }
    const QString& error() const { return Error; }

    // A queue of a driver from CUPS's own drivers (for example
    // "drv:///sample.drv/zebra.ppd") writing each job to OutputFile(name);
    // `options` set the driver's defaults (Resolution=300dpi).
    bool AddQueue(const QString& name, const QString& driver, const QStringList& options = {});
    QString OutputFile(const QString& name) const { return Dir.path() + QStringLiteral("/out/") + name; }
    // Runs one of CUPS's commands (cupsdisable, cupsreject, lpstat ...).
    bool Run(const QString& program, const QStringList& args, QString* out = nullptr);
    // Waits until the scheduler has no job left to do.
    bool WaitForJobs(int timeoutMs = 60000);

private:
    QTemporaryDir Dir{QDir::tempPath() + QStringLiteral("/prandel-cups-XXXXXX")};
    QProcess* Daemon = nullptr;
    QByteArray OldServer;
    bool HadServer = false;
    bool Started = false;
    QString Error;
};
