#include "pgserver.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QCoreApplication>
#include <QTcpServer>
#include <QThread>
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
    if (!Start()) return;
    Started = true;
    if (!Run(BinDir + QStringLiteral("/createdb"),
             {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(Port),
              QStringLiteral("-U"), QStringLiteral("prandel"), QStringLiteral("sklep")},
             30000))
        return;
}

bool TPgServer::Start() {
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off").arg(Port).arg(Dir.path());
    if (!Run(BinDir + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), DataDir, QStringLiteral("-o"), options, QStringLiteral("-l"),
              Dir.path() + QStringLiteral("/server.log"), QStringLiteral("-w"), QStringLiteral("start")},
             60000)) {
        QFile log(Dir.path() + QStringLiteral("/server.log"));
        if (log.open(QIODevice::ReadOnly)) Error += QString::fromLocal8Bit(log.readAll());
        return false;
    }
    return true;
}

bool TPgServer::Restart() {
    if (Started || DataDir.isEmpty()) return Started;
    Started = Start();
    return Started;
}

bool TPgServer::ProgramsFound() { return !FindBinDir().isEmpty(); }

TPgServer::~TPgServer() { Stop(); }

TPgServer& SharedPgServer() {
    static TPgServer* server = nullptr;
    if (!server) {
        server = new TPgServer;
        // Stopped while the application still stands, not among the statics.
        qAddPostRoutine([] {
            delete server;
            server = nullptr;
        });
    }
    return *server;
}

void TPgServer::Stop() {
    if (Started)
        Run(BinDir + QStringLiteral("/pg_ctl"),
            {QStringLiteral("-D"), DataDir, QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
             QStringLiteral("stop")},
            30000);
    Started = false;
}

bool TPgServer::Sql(const QString& database, const QString& statements) {
    return Run(BinDir + QStringLiteral("/psql"),
               {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(Port), QStringLiteral("-U"),
                QStringLiteral("prandel"), QStringLiteral("-d"), database, QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-c"), statements},
               30000);
}

bool TPgServer::AddPasswordLogin(const QString& user, const QString& password) {
    QString role = user, secret = password;
    role.replace(u'"', QStringLiteral("\"\""));
    secret.replace(u'\'', QStringLiteral("''"));
    if (!Sql(QStringLiteral("sklep"), QStringLiteral("DROP ROLE IF EXISTS \"%1\"; CREATE ROLE \"%1\" LOGIN PASSWORD '%2'; "
                                                     "GRANT ALL ON SCHEMA public TO \"%1\"; GRANT SELECT ON ALL TABLES IN SCHEMA public TO \"%1\"")
                                          .arg(role, secret)))
        return false;
    // The login's own line comes before the trusting ones.
    QFile hba(DataDir + QStringLiteral("/pg_hba.conf"));
    if (!hba.open(QIODevice::ReadOnly)) return false;
    const QByteArray rules = hba.readAll();
    hba.close();
    const QByteArray line = "host all \"" + role.toUtf8() + "\" 127.0.0.1/32 scram-sha-256\n";
    if (!rules.contains(line)) {
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        hba.write(line + rules);
        hba.close();
    }
    if (!Run(BinDir + QStringLiteral("/pg_ctl"), {QStringLiteral("-D"), DataDir, QStringLiteral("reload")}, 30000)) return false;
    // The server rereads its rules in its own time: until a login without a
    // password is refused.
    const QString saved = Error;
    for (int i = 0; i < 100; ++i) {
        if (!Run(BinDir + QStringLiteral("/psql"), {QStringLiteral("-w"), QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                                    QString::number(Port), QStringLiteral("-U"), user, QStringLiteral("-d"),
                                                    QStringLiteral("sklep"), QStringLiteral("-c"), QStringLiteral("SELECT 1")},
                 30000)) {
            Error = saved;
            return true;
        }
        QThread::msleep(50);
    }
    return false;
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
