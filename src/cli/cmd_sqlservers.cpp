#include "clicommand.h"
#include "sqlservers.h"

namespace {

// The SQL Server instances that answer the browser's broadcast, one a line in
// order of arrival; nothing found is no failure.
int RunSqlServers(const QStringList& args) {
    const CliArgs a(args);
    if (args.contains(QStringLiteral("--wait")) && !a.value(QStringLiteral("--wait")))
        return CliFail(QStringLiteral("Brak czasu po --wait."), 2);
    bool ok = true;
    const std::optional<int> wait = a.integer(QStringLiteral("--wait"), &ok);
    if (!ok || (wait && *wait < 0)) return CliFail(QStringLiteral("Czas po --wait musi być liczbą milisekund."), 2);
    TMSSQLServers finder;
    if (wait) finder.SetScanTime(*wait);
    finder.StartScan();
    QStringList servers;
    finder.GetServers(servers);
    for (const QString& server : servers) CliOut(server);
    return 0;
}

}  // namespace

PRANDEL_CLI_COMMAND("sql-servers", "sql-servers [--wait MS]", RunSqlServers);
