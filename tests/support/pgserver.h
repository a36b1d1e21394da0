#pragma once
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A PostgreSQL server of its own for one test, on 127.0.0.1 and a free port,
// with a trusted superuser "prandel" and an empty database "sklep". The
// server refuses to run as root, so under root it runs as the "postgres" user.
class TPgServer {
public:
    TPgServer();
    ~TPgServer();
    TPgServer(const TPgServer&) = delete;
    TPgServer& operator=(const TPgServer&) = delete;

    bool started() const { return Started; }
    const QString& error() const { return Error; }
    int port() const { return Port; }
    // Stops the server at once, as a crash would.
    void Stop();
    // Starts the stopped server again on its data and port.
    bool Restart();
    // Whether the machine has the server programs at all (the postgresql
    // package); without them a test can only be skipped.
    static bool ProgramsFound();
    // Runs SQL statements as the superuser in a database.
    bool Sql(const QString& database, const QString& statements);
    // A login that must give its password (SCRAM) from 127.0.0.1, allowed
    // into every database; made again with the new password when it exists.
    bool AddPasswordLogin(const QString& user, const QString& password);

private:
    bool Start();
    bool Run(const QString& program, const QStringList& args, int timeoutMs);

    // Without blanks: the server's options pass through a shell.
    QTemporaryDir Dir{QDir::tempPath() + QStringLiteral("/prandel-pg-XXXXXX")};
    QString DataDir;
    QString BinDir;
    int Port = 0;
    bool Started = false;
    QString Error;
};

// One server for every test of a test program that needs no server of its
// own, started on first use and stopped when the program ends.
TPgServer& SharedPgServer();
