#include "pgserver.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <unistd.h>

namespace {

QString FindBinDir() {
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        const QString bin = root.filePath(*it + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/pg_ctl"))) return bin;
    }
    return {};
}

int FreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    return probe.serverPort();
}

}  // namespace

TPgServer::TPgServer() {
    BinDir = FindBinDir();
    if (BinDir.isEmpty() || !Dir.isValid()) {
        Error = QStringLiteral("PostgreSQL server programs not found");
        return;
    }
    // The server's user must be able to write in the folder.
    QFile(Dir.path()).setPermissions(QFileDevice::Permissions(0x7777));
    DataDir = Dir.path() + QStringLiteral("/data");
    Port = FreePort();
    if (!Run(BinDir + QStringLiteral("/initdb"),
             {QStringLiteral("-D"), DataDir, QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-U"),
              QStringLiteral("prandel"), QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C")},
             120000))
        return;
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off").arg(Port).arg(Dir.path());
    if (!Run(BinDir + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), DataDir, QStringLiteral("-o"), options, QStringLiteral("-l"),
              Dir.path() + QStringLiteral("/server.log"), QStringLiteral("-w"), QStringLiteral("start")},
             60000)) {
        QFile log(Dir.path() + QStringLiteral("/server.log"));
        if (log.open(QIODevice::ReadOnly)) Error += QString::fromLocal8Bit(log.readAll());
        return;
    }
    Started = true;
    if (!Run(BinDir + QStringLiteral("/createdb"),
             {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(Port),
              QStringLiteral("-U"), QStringLiteral("prandel"), QStringLiteral("sklep")},
             30000))
        return;
}

TPgServer::~TPgServer() { Stop(); }

void TPgServer::Stop() {
    if (Started)
        Run(BinDir + QStringLiteral("/pg_ctl"),
            {QStringLiteral("-D"), DataDir, QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
             QStringLiteral("stop")},
            30000);
    Started = false;
}

bool TPgServer::Run(const QString& program, const QStringList& args, int timeoutMs) {
    QProcess p;
    QStringList env = QProcess::systemEnvironment();
    env.removeIf([](const QString& v) { return v.startsWith(QStringLiteral("PGPASSWORD=")); });
    p.setEnvironment(env);
    p.setWorkingDirectory(Dir.path());
    if (geteuid() == 0) {
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + args);
    } else {
        p.start(program, args);
    }
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        Error = QFileInfo(program).fileName() + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAllStandardError()) +
                QString::fromLocal8Bit(p.readAllStandardOutput());
        if (p.state() != QProcess::NotRunning) p.kill();
        p.waitForFinished(5000);
        return false;
    }
    return true;
}
