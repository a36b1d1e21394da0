#include "clicommand.h"
#include "clisession.h"
#include "datafolder.h"
#include "externaldb.h"
#include "goodsupdate.h"
#include "odbcmanager.h"

#include <QFileInfo>

namespace {

// The goods update without questions: the definition named on the command
// line or the one the settings select, then one run; prints its message.
int RunUpdate(const QStringList& args) {
    const CliArgs a(args);
    if (args.contains(QStringLiteral("--definition")) && !a.value(QStringLiteral("--definition")))
        return CliFail(QStringLiteral("Brak nazwy definicji po --definition."), 2);
    TCliSession session;
    const QString name = a.value(QStringLiteral("--definition")).value_or(session.Settings.DatabaseType);
    if (name.isEmpty()) return CliFail(QStringLiteral("Nie wybrano definicji zewnętrznej bazy danych."), 2);

    // A data folder that was never prepared gets the shipped definitions
    // (files already there are never replaced).
    if (!QFileInfo::exists(GetDataFolder() + QStringLiteral("SQLCFG/") + name + QStringLiteral(".cdb"))) PrepareFirstRun();
    TODBCManager manager;
    PrepareODBCManager(manager);
    try {
        manager.SelectDefinition(name);
    } catch (const TODBCManagerException& e) {
        return CliFail(QStringLiteral("Błąd podczas odczytu definicji %1.").arg(name), QString::fromUtf8(e.what()));
    }
    if (!IsFolderType(manager.GetDbType())) {
        try {
            manager.CreateDataSource();
        } catch (const TODBCManagerException& e) {
            return CliFail(DataSourceErrorText(e.Code, manager.GetDbTypeName(), e.Driver));
        } catch (const std::exception& e) {
            return CliFail(DataSourceErrorText(0, manager.GetDbTypeName()), QString::fromUtf8(e.what()));
        }
    }

    // A goods store of an earlier version gets its price history, as at the
    // program's start, so that this update's price changes are kept.
    if (!session.EnsureGoodsTable()) return 1;
    TExternalDatabase dbOutside;
    try {
        ConnectOutside(dbOutside, manager);
    } catch (const std::exception& e) {
        const auto* external = dynamic_cast<const TExternalError*>(&e);
        return CliFail(kUpdateConnectError, external ? external->Message() : QString::fromUtf8(e.what()));
    }
    TUpdateRun run;
    run.dbOutside = &dbOutside;
    run.Manager = &manager;
    run.Store = session.Goods.Store.get();
    run.Symbols = UnitSymbolsOf(session.Settings);
    // No one to ask: the companion says why it waits, and waits.
    run.OtherUpdateBusy = [] {
        CliError(kUpdateBusy);
        return true;
    };
    const TUpdateOutcome out = RunGoodsUpdate(run);
    // The run logs its cause (and each refused row) to standard error.
    if (!out.Ok) return CliFail(out.Message);
    CliOut(out.Message);
    return 0;
}

}  // namespace

PRANDEL_CLI_COMMAND("update", "update [--definition NAZWA]", RunUpdate);
