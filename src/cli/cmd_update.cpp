#include "clicommand.h"
#include "datafolder.h"
#include "externaldb.h"
#include "goodstable.h"
#include "goodsupdate.h"
#include "inifile.h"
#include "odbcmanager.h"

#include <QFileInfo>

namespace {

TUnitSymbols UpdateSymbols() {
    const TIniFile ini(DataPath(QStringLiteral("settings.ini")));
    TUnitSymbols s;
    s.Currency = ini.ReadString(QStringLiteral("SYMBOL"), QStringLiteral("ZL"), s.Currency);
    s.Kg = ini.ReadString(QStringLiteral("SYMBOL"), QStringLiteral("KG"), s.Kg);
    s.Litre = ini.ReadString(QStringLiteral("SYMBOL"), QStringLiteral("L"), s.Litre);
    s.SquareMetre = ini.ReadString(QStringLiteral("SYMBOL"), QStringLiteral("MKW"), s.SquareMetre);
    return s;
}

// The goods update without questions: the definition named on the command
// line or the one the settings select, then one run; prints its message.
int RunUpdate(const QStringList& args) {
    const CliArgs a(args);
    if (args.contains(QStringLiteral("--definition")) && !a.value(QStringLiteral("--definition")))
        return CliFail(QStringLiteral("Brak nazwy definicji po --definition."), 2);
    EnsureDataFolder();
    const TIniFile ini(DataPath(QStringLiteral("settings.ini")));
    const QString name = a.value(QStringLiteral("--definition"))
                             .value_or(ini.ReadString(QStringLiteral("DATABASE"), QStringLiteral("TYPE"), QString()));
    if (name.isEmpty()) return CliFail(QStringLiteral("Nie wybrano definicji zewnętrznej bazy danych."), 2);

    // A data folder that was never prepared gets the shipped definitions
    // (files already there are never replaced).
    if (!QFileInfo::exists(GetDataFolder() + QStringLiteral("SQLCFG/") + name + QStringLiteral(".cdb"))) PrepareFirstRun();
    TODBCManager manager;
    PrepareODBCManager(manager);
    try {
        manager.SelectDefinition(name);
    } catch (const TODBCManagerException&) {
        return CliFail(QStringLiteral("Błąd podczas odczytu definicji %1.").arg(name));
    }
    if (manager.GetDbType() != 1 && manager.GetDbType() != 3) {
        try {
            manager.CreateDataSource();
        } catch (const TODBCManagerException& e) {
            return CliFail(DataSourceErrorText(e.Code, manager.GetDbTypeName()));
        } catch (const std::exception&) {
            return CliFail(DataSourceErrorText(0, manager.GetDbTypeName()));
        }
    }

    TTable tbLocal;
    if (!CreateGoodsTable(tbLocal)) return CliFail(QStringLiteral("błąd podczas tworzenia bazy danych towarów."));
    SetupGoodsTable(tbLocal, false);
    TExternalDatabase dbOutside;
    try {
        ConnectOutside(dbOutside, manager);
    } catch (const std::exception&) {
        return CliFail(kUpdateConnectError);
    }
    TUpdateRun run;
    run.dbOutside = &dbOutside;
    run.Manager = &manager;
    run.tbLocal = &tbLocal;
    run.Symbols = UpdateSymbols();
    const TUpdateOutcome out = RunGoodsUpdate(run);
    if (!out.Ok) return CliFail(out.Message);
    CliOut(out.Message);
    return 0;
}

}  // namespace

PRANDEL_CLI_COMMAND("update", "update [--definition NAZWA]", RunUpdate);
