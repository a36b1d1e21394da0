#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <functional>
#include <optional>
#include <utility>

class QAbstractEventDispatcher;

// What a database listing may use besides the server's name.
struct TDatabaseListOptions {
    // The definition's further ODBC values ("name=value"), such as FreeTDS's
    // TDS_Version, a port or Encrypt=no.
    QStringList OdbcValues;
    // The login tried when the server refuses "sa" with an empty password:
    // the user name and password of the definition's SQL login, when ticked.
    std::optional<std::pair<QString, QString>> Login;
};

// Finds the SQL Server instances visible from the computer (by the SQL
// Server Browser's answers to a broadcast) and the databases of one server
// (through an ODBC connection to it). The main window owns one for the whole
// run. No failure reaches the user: they give empty or partial lists.
class TMSSQLServers {
public:
    using TCallback = std::function<void(TMSSQLServers&)>;

    TMSSQLServers();
    ~TMSSQLServers();
    Q_DISABLE_COPY(TMSSQLServers)

    // Runs a scan on a worker thread and returns when it has ended; the
    // calling (GUI) thread processes its events meanwhile.
    void StartScan();
    bool IsScanStarted() const { return ScanStarted; }
    // The servers of the last scan, in order of arrival: "SERVER\INSTANCE",
    // or "SERVER" for a default instance. Empty while a scan runs.
    void GetServers(QStringList& list) const;
    // The databases of the server, by name; what was listed before a failure
    // stays.
    void ListDatabases(const QString& server, QStringList& list, const TDatabaseListOptions& options = {}) const;

    // The scan itself, on the worker thread.
    void Scan();
    // How long a scan collects answers, in milliseconds (2000 at first).
    void SetScanTime(int ms) { ScanMs = ms; }
    int ScanTime() const { return ScanMs; }

    // Called on the GUI thread just before the worker starts and after it
    // has finished (the wait cursor).
    TCallback OnScanStart;
    TCallback OnScanEnd;

private:
    // Written by the worker, then published by ScanDone: the GUI thread reads
    // them only after it has seen the flag set.
    QStringList Servers;
    QHash<QString, int> Ports;  // the TCP port of a found server, by lower-case name
    std::atomic<bool> ScanDone{true};
    QAbstractEventDispatcher* Waiting = nullptr;  // the GUI thread's, woken by the worker
    bool ScanStarted = false;
    bool Scanning = false;
    int ScanMs = 2000;
};

// The worker of one scan.
class TScanSQLServerThread : public QThread {
public:
    explicit TScanSQLServerThread(TMSSQLServers* finder) : Finder(finder) {}
    TMSSQLServers* Finder;

protected:
    void run() override { Finder->Scan(); }
};

// The attributes of a connection that lists the databases of `server`, for
// the installed driver `driverName`: the server (and the port the browser
// gave, `port` > 0), FreeTDS's protocol version, and the definition's values
// except those that would name another server or login.
QList<std::pair<QString, QString>> DatabaseListAttributes(const QString& server, int port, const QString& driverName,
                                                           const QStringList& odbcValues);
