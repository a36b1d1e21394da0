#include "cupsserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <grp.h>
#include <unistd.h>

namespace {

bool WriteText(const QString& path, const QString& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) == text.toUtf8().size();
}

QString FindCupsd() {
    for (const char* dir : {"/usr/sbin", "/usr/local/sbin", "/sbin"})
        if (QFileInfo(QString::fromLatin1(dir) + QStringLiteral("/cupsd")).isExecutable())
            return QString::fromLatin1(dir) + QStringLiteral("/cupsd");
    return QStandardPaths::findExecutable(QStringLiteral("cupsd"));
}

}  // namespace

TCupsServer::TCupsServer() {
    const QString cupsd = FindCupsd();
    if (cupsd.isEmpty() || !Dir.isValid()) {
        Error = QStringLiteral("cupsd not found (package cups-daemon)");
        return;
    }
    const QString root = Dir.path();
    // Under root the drivers run as the user "lp": they must reach the
    // spooled files.
    QFile(root).setPermissions(QFileDevice::Permissions(0x7755));
    for (const char* sub : {"tmp", "spool", "cache", "state", "log", "out"}) QDir(root).mkdir(QLatin1String(sub));
    QFile(root + QStringLiteral("/tmp")).setPermissions(QFileDevice::Permissions(0x7777));
    QFile(root + QStringLiteral("/out")).setPermissions(QFileDevice::Permissions(0x7777));
    const group* g = getgrgid(getegid());
    const QString systemGroup = g ? QString::fromLocal8Bit(g->gr_name) : QStringLiteral("root");
    const QString socket = root + QStringLiteral("/cups.sock");
    const bool written =
        WriteText(root + QStringLiteral("/cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel info\nBrowsing Off\nWebInterface No\nDefaultAuthType None\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                      .arg(socket)) &&
        WriteText(root + QStringLiteral("/cups-files.conf"),
                  QStringLiteral("FileDevice Yes\nServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\n"
                                 "CacheDir %1/cache\nStateDir %1/state\nAccessLog %1/log/access_log\n"
                                 "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\nPrintcap %1/printcap\n"
                                 "SystemGroup %2\n")
                      .arg(root, systemGroup));
    if (!written) {
        Error = QStringLiteral("cannot write the scheduler's configuration");
        return;
    }
    HadServer = qEnvironmentVariableIsSet("CUPS_SERVER");
    OldServer = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", socket.toLocal8Bit());
    Daemon = new QProcess;
    Daemon->setProcessChannelMode(QProcess::MergedChannels);
    Daemon->start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                          QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
    if (!Daemon->waitForStarted(10000)) {
        Error = QStringLiteral("cupsd: ") + Daemon->errorString();
        return;
    }
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if (Daemon->state() == QProcess::NotRunning) break;
        QString out;
        if (QFile::exists(socket) && Run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &out) &&
            out.contains(QStringLiteral("is running"))) {
            Started = true;
            return;
        }
        QThread::msleep(100);
    }
    QFile log(root + QStringLiteral("/log/error_log"));
    Error = QStringLiteral("cupsd did not start: ") + QString::fromLocal8Bit(Daemon->readAll());
    if (log.open(QIODevice::ReadOnly)) Error += QString::fromLocal8Bit(log.readAll().right(2000));
}

TCupsServer::~TCupsServer() {
    if (Daemon) {
        if (Daemon->state() != QProcess::NotRunning) {
            Daemon->terminate();
            if (!Daemon->waitForFinished(10000)) {
                Daemon->kill();
                Daemon->waitForFinished(5000);
            }
        }
        delete Daemon;
    }
    if (HadServer)
        qputenv("CUPS_SERVER", OldServer);
    else
        qunsetenv("CUPS_SERVER");
}

bool TCupsServer::Run(const QString& program, const QStringList& args, QString* out) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    const QString text = QString::fromLocal8Bit(p.readAll());
    if (out) *out = text;
    if (!ok) Error = program + QStringLiteral(": ") + text;
    return ok;
}

bool TCupsServer::AddQueue(const QString& name, const QString& driver, const QStringList& options) {
    QStringList args{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                     QStringLiteral("file://") + OutputFile(name), QStringLiteral("-m"), driver};
    for (const QString& o : options) args << QStringLiteral("-o") << o;
    return Run(QStringLiteral("lpadmin"), args);
}

bool TCupsServer::WaitForJobs(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QString out;
        if (Run(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("not-completed"), QStringLiteral("-o")},
                &out) &&
            out.trimmed().isEmpty())
            return true;
        QThread::msleep(100);
    }
    return false;
}
