#include "clicommand.h"
#include "clisession.h"
#include "goodstable.h"
#include "silentfailure.h"
#include "unitprice.h"

namespace {

int RunUnitPrice(const QStringList& args) {
    const QStringList values = CliArgs(args).positional({});
    if (values.size() != 2) return CliFail(QStringLiteral("użycie: unit-price CENA ILOŚĆ"), 2);
    // Like the program's start, a missing goods table is created; a failure
    // there does not concern the computation.
    TCliSession session;
    if (!session.Goods.Store->Create())
        SilentFailure(lcApp, QStringLiteral("the goods table could not be created"));
    CliOut(UnitPriceText(values[0], values[1], UnitSymbolsOf(session.Settings)));
    return 0;
}

}  // namespace

PRANDEL_CLI_COMMAND("unit-price", "unit-price CENA ILOŚĆ", RunUnitPrice);
