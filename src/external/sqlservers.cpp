#include "sqlservers.h"

#include "odbcconnect.h"
#include "odbcmanager.h"
#include "silentfailure.h"
#include "ssrp.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <memory>

namespace {


// Values a definition may not set for the listing: the listing chooses its
// own server, port and login.
bool IsOwnAttribute(const QString& name) {
    for (const char* own : {"driver", "dsn", "filedsn", "server", "servername", "address", "addr", "port", "uid", "pwd",
                            "user", "username", "password", "trusted_connection"})
        if (name.compare(QLatin1String(own), Qt::CaseInsensitive) == 0) return true;
    return false;
}

enum class TListResult { Refused, Done };

// One connection with one login; Refused when it could not be made.
TListResult TryListDatabases(const QString& driverName, const QList<std::pair<QString, QString>>& attributes,
                             const QString& user, const QString& password, QStringList& list) {
    static std::atomic<int> counter{0};
    const QString connection = QStringLiteral("prandel-sqlservers-%1").arg(++counter);
    TListResult result = TListResult::Done;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connection);
        SetOdbcDriverConnection(db, driverName, attributes, user, password);
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=5;SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY"));
        if (!db.open()) {
            SilentFailure(lcExternal(), QStringLiteral("Lista baz danych, logowanie %1: %2").arg(user, db.lastError().text()));
            result = TListResult::Refused;
        } else {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT name FROM sys.databases ORDER BY name")))
                SilentFailure(lcExternal(), QStringLiteral("Lista baz danych: ") + q.lastError().text());
            while (q.next()) list << q.value(0).toString();
            if (q.lastError().isValid()) SilentFailure(lcExternal(), QStringLiteral("Lista baz danych: ") + q.lastError().text());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
}

}  // namespace

QList<std::pair<QString, QString>> DatabaseListAttributes(const QString& server, int port, const QString& driverName,
                                                           const QStringList& odbcValues) {
    QList<std::pair<QString, QString>> attributes;
    if (port > 0) {
        // The browser told the instance's port: straight to it.
        attributes.append({QStringLiteral("SERVER"), server.section(u'\\', 0, 0)});
        attributes.append({QStringLiteral("PORT"), QString::number(port)});
    } else {
        // The drivers ask the browser themselves for "SERVER\INSTANCE".
        attributes.append({QStringLiteral("SERVER"), server});
    }
    bool version = false;
    for (const QString& line : odbcValues) {
        QString name, value;
        if (!SplitNameValue(line, name, value)) continue;
        name = name.trimmed();
        // A name must not carry syntax of the connection string itself.
        if (name.isEmpty() || name.contains(u';') || name.contains(u'{') || name.contains(u'}') || IsOwnAttribute(name)) continue;
        version = version || name.compare(QLatin1String("TDS_Version"), Qt::CaseInsensitive) == 0;
        attributes.append({name, value});
    }
    // FreeTDS speaks the protocol of SQL Server 2012 and later only when told.
    if (!version && driverName.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive))
        attributes.append({QStringLiteral("TDS_Version"), QStringLiteral("7.4")});
    return attributes;
}

TMSSQLServers::TMSSQLServers() = default;
TMSSQLServers::~TMSSQLServers() = default;

void TMSSQLServers::StartScan() {
    // An event handled while waiting must not start a second worker on the same lists.
    if (Scanning) return;
    ScanStarted = true;
    Servers.clear();
    Ports.clear();
    auto worker = std::make_unique<TScanSQLServerThread>(this);
    if (OnScanStart) OnScanStart(*this);
    Waiting = QAbstractEventDispatcher::instance();
    Scanning = true;
    ScanDone.store(false, std::memory_order_relaxed);
    worker->start();
    // The program stays responsive: events are processed until the worker
    // says it is done, and it wakes this thread when it is.
    while (!ScanDone.load(std::memory_order_acquire)) {
        if (Waiting)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        else
            worker->wait();
    }
    worker->wait();
    Scanning = false;
    if (OnScanEnd) OnScanEnd(*this);
}

void TMSSQLServers::Scan() {
    QStringList found;
    QHash<QString, int> ports;
    try {
        for (const TSqlInstance& instance : ScanSsrp(SsrpTargets(), ScanMs)) {
            found << instance.Name();
            if (instance.TcpPort > 0) ports.insert(instance.Name().toLower(), instance.TcpPort);
        }
    } catch (const std::exception& e) {
        SilentFailure(lcExternal(), QStringLiteral("Szukanie serwerów SQL"), e);
        found.clear();
        ports.clear();
    }
    Servers = found;
    Ports = ports;
    QAbstractEventDispatcher* const waiting = Waiting;
    // Last: after this the GUI thread reads the lists, and may end the run.
    ScanDone.store(true, std::memory_order_release);
    if (waiting) waiting->wakeUp();
}

void TMSSQLServers::GetServers(QStringList& list) const {
    // While the worker writes them, the lists are not the GUI thread's to read.
    list = Scanning ? QStringList() : Servers;
}

void TMSSQLServers::ListDatabases(const QString& server, QStringList& list, const TDatabaseListOptions& options) const {
    list.clear();
    QString driverPath, driverName;
    if (!FindOdbcDriver(DbKind::SqlServer, driverPath, driverName)) {
        SilentFailure(lcExternal(), QStringLiteral("Lista baz danych: brak sterownika ODBC dla SQL Server"));
        return;
    }
    const QString name = server.trimmed();
    const int port = Scanning ? 0 : Ports.value(name.toLower(), 0);
    const auto attributes = DatabaseListAttributes(name, port, driverName, options.OdbcValues);
    // Few servers accept "sa" without a password; then the definition's own login.
    if (TryListDatabases(driverName, attributes, QStringLiteral("sa"), QString(), list) == TListResult::Done) return;
    if (options.Login) TryListDatabases(driverName, attributes, options.Login->first, options.Login->second, list);
}
