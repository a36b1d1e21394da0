#pragma once
#include <QString>
#include <QStringList>

// The headless companion run as a separate process, as shop scripts run it.
struct TCliResult {
    int Code = -1;  // -1 when it did not finish in time
    QString Out;
    QString Err;
};

// Runs the companion with `args`; with a data folder, "--data-dir DIR" comes
// first. XDG_RUNTIME_DIR points into the data folder so that Qt's notice about
// a missing one stays off standard error.
TCliResult RunCli(const QString& dataDir, const QStringList& args, int timeoutMs = 60000);
TCliResult RunCli(const QStringList& args, int timeoutMs = 60000);
