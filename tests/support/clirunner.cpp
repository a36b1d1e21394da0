#include "clirunner.h"

#include <QProcess>

TCliResult RunCli(const QString& dataDir, const QStringList& args, int timeoutMs) {
    QProcess p;
    QStringList all = args;
    if (!dataDir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dataDir);
        p.setProcessEnvironment(env);
        all = QStringList{QStringLiteral("--data-dir"), dataDir} + args;
    }
    p.start(QStringLiteral(PRANDEL_CLI_PATH), all);
    TCliResult r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.Code = p.exitCode();
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TCliResult RunCli(const QStringList& args, int timeoutMs) { return RunCli(QString(), args, timeoutMs); }
