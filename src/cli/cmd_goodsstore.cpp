#include "clicommand.h"
#include "clisession.h"
#include "goodsstorecopy.h"

#include <map>

namespace {

// What the goods store of the data folder holds, one "KEY<tab>VALUE" line
// each, so that a shop's script can check a workstation before its work.
int GoodsStoreCheck(const QStringList& args) {
    if (!args.isEmpty()) return CliFail(QStringLiteral("Nieznana opcja goods-store check: %1").arg(args.first()), 2);
    TCliSession session;
    TGoodsStoreReport report;
    try {
        report = session.Goods.Store->Report();
    } catch (const TEngineError& e) {
        return CliFail(e.Message());
    }
    const auto line = [](const char* key, const QString& value) {
        QString text = QLatin1String(key) + u'\t';
        CliAppendField(text, value);
        CliOut(text);
    };
    line("RODZAJ", report.Kind == TGoodsStoreKind::Server ? QStringLiteral("serwer") : QStringLiteral("plik"));
    line("MIEJSCE", report.Location);
    line("TOWARY", QString::number(report.Goods));
    line("HISTORIA_CEN", QString::number(report.History));
    line("ZAZNACZONE", QString::number(report.Marked));
    line("WERSJA", QString::number(report.SchemaVersion));
    return 0;
}

// The local goods file of the data folder into the server shop that
// [GOODSSTORE] names, whatever its KIND: the step from one computer to
// several workstations.
int GoodsStoreCopy(const QStringList& args) {
    if (args != QStringList{QStringLiteral("--to-server")})
        return CliFail(args.isEmpty() ? QStringLiteral("użycie: goods-store copy --to-server")
                                      : QStringLiteral("Nieznana opcja goods-store copy: %1").arg(args.first()),
                       2);
    TCliSession session;
    try {
        CliOut(GoodsCopyText(CopyGoodsToServer(session.Settings.GoodsStore)));
    } catch (const TEngineError& e) {
        return CliFail(e.Message());
    }
    return 0;
}

const QString kUsage = QStringLiteral("goods-store check | goods-store copy --to-server");

int RunGoodsStore(const QStringList& args) {
    static const std::map<QString, std::function<int(const QStringList&)>> subcommands{
        {QStringLiteral("check"), GoodsStoreCheck},
        {QStringLiteral("copy"), GoodsStoreCopy},
    };
    if (args.isEmpty()) return CliFail(QStringLiteral("użycie: ") + kUsage, 2);
    const auto it = subcommands.find(args.first());
    if (it == subcommands.end()) return CliFail(QStringLiteral("Nieznane polecenie goods-store: %1").arg(args.first()), 2);
    return it->second(args.mid(1));
}

}  // namespace

PRANDEL_CLI_COMMAND("goods-store", "goods-store check | goods-store copy --to-server", RunGoodsStore);
