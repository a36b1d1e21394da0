#include "clirunner.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

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
    // Events go on meanwhile, so that stand-ins in this process (a server
    // browser on 127.0.0.1, say) can answer the companion.
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (p.state() != QProcess::NotRunning) loop.exec();
    TCliResult r;
    if (p.state() != QProcess::NotRunning) {
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
