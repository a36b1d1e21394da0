#include "clicommand.h"
#include "datafolder.h"
#include "goodstable.h"
#include "inifile.h"
#include "unitprice.h"

#include <QFileInfo>

namespace {

// The symbols as the program reads them from settings.ini.
TUnitSymbols SymbolsFromSettings() {
    const TIniFile ini(DataPath(QStringLiteral("settings.ini")));
    TUnitSymbols s;
    s.Currency = ini.ReadString(QStringLiteral("SYMBOL"), QStringLiteral("ZL"), s.Currency);
    s.Kg = ini.ReadString(QStringLiteral("SYMBOL"), QStringLiteral("KG"), s.Kg);
    s.Litre = ini.ReadString(QStringLiteral("SYMBOL"), QStringLiteral("L"), s.Litre);
    s.SquareMetre = ini.ReadString(QStringLiteral("SYMBOL"), QStringLiteral("MKW"), s.SquareMetre);
    return s;
}

int RunUnitPrice(const QStringList& args) {
    const QStringList values = CliArgs(args).positional({});
    if (values.size() != 2) return CliFail(QStringLiteral("użycie: unit-price CENA ILOŚĆ"), 2);
    // Like the program's start, a missing goods table is created; a failure here
    // does not concern the computation.
    EnsureDataFolder();
    TTable tbLocal;
    if (!QFileInfo::exists(GoodsDatabaseFolder() + u'/' + kGoodsTableName)) CreateGoodsTable(tbLocal);
    CliOut(UnitPriceText(values[0], values[1], SymbolsFromSettings()));
    return 0;
}

}  // namespace

PRANDEL_CLI_COMMAND("unit-price", "unit-price CENA ILOŚĆ", RunUnitPrice);
