#include "clicommand.h"
#include "clisession.h"
#include "goodstable.h"
#include "pricehistory.h"
#include "views.h"

#include <map>

namespace {

// A --view or --check-type option: its view; no view when the option is
// missing; Bad when its value names no view.
struct TViewOption {
    std::optional<TViewCode> View;
    bool Bad = false;
};

TViewOption ViewOption(const CliArgs& a, const QStringList& args, const QString& option) {
    bool ok = true;
    const auto number = a.integer(option, &ok);
    if (!args.contains(option)) return {};
    if (!ok || !number) return {std::nullopt, true};
    const auto view = ViewCodeFromNumber(*number);
    return {view, !view};
}

QString BadView(const CliArgs& a) {
    return QStringLiteral("Nieprawidłowy kod widoku: %1").arg(a.value(QStringLiteral("--view")).value_or(QString()));
}

int GoodsList(const QStringList& args) {
    const CliArgs a(args);
    const TViewOption view = ViewOption(a, args, QStringLiteral("--view"));
    // A number that names no view is refused rather than read as "all".
    if (view.Bad) return CliFail(BadView(a), 2);
    TCliSession session;
    if (!session.OpenGoods(view.View.value_or(TViewCode::All))) return 1;
    TTable& list = session.Goods.tbLocalShow;
    // Later columns are only ever appended, so that scripts reading columns by
    // position keep working; the lowest price is its text, empty when none.
    static const char* const kColumns[] = {"ID",          "NAZWA",   "CENA",      "WAGA", "ABSCENA",
                                           "KODKRESKOWY", "TYPKODU", "PRINTDATE", "NEW",  "SELECT", "NAJNIZSZA"};
    QStringList header;
    for (const char* c : kColumns) header << QString::fromLatin1(c);
    CliOut(header.join(u'\t'));
    try {
        std::vector<TField> fields;
        for (const char* c : kColumns) fields.push_back(list.FieldByName(QString::fromLatin1(c)));
        for (list.First(); !list.Eof(); list.Next()) {
            QStringList line;
            for (const TField& f : fields) {
                if (f.IsNull())
                    line << QString();
                else if (f.FieldName() == kLowestPriceField)
                    line << LowestPriceText(f.Value());
                else if (f.DataType() == TFieldType::Boolean)
                    line << (f.AsBoolean() ? QStringLiteral("1") : QStringLiteral("0"));
                else
                    line << f.AsString();
            }
            CliOut(line.join(u'\t'));
        }
    } catch (const TEngineError& e) {
        return CliFail(e.Message());
    }
    return 0;
}

// Marks goods as the select-by-type button does: the goods of view V lose
// their marks, those of them that also match check type C get one.
int GoodsSelect(const QStringList& args) {
    const CliArgs a(args);
    const TViewOption type = ViewOption(a, args, QStringLiteral("--check-type"));
    if (type.Bad || !type.View || !IsCheckType(*type.View))
        return CliFail(QStringLiteral("Nieprawidłowy typ zaznaczania: %1")
                           .arg(a.value(QStringLiteral("--check-type")).value_or(QString())),
                       2);
    const TViewOption view = ViewOption(a, args, QStringLiteral("--view"));
    if (view.Bad) return CliFail(BadView(a), 2);
    const TViewCode shown = view.View.value_or(TViewCode::All);
    TCliSession session;
    if (!session.OpenGoods(shown)) return 1;
    const QDateTime& lastPrint = session.Settings.LastPrintDate;
    try {
        SelectByType(session.Goods.tbLocal, session.Goods.tbLocalShow, ViewFilter(shown, lastPrint),
                     ViewFilter(*type.View, lastPrint), {});
    } catch (const TEngineError& e) {
        return CliFail(e.Message());
    }
    return 0;
}

// Subcommands of "goods", each with its own function.
const std::map<QString, std::function<int(const QStringList&)>>& GoodsSubcommands() {
    static const std::map<QString, std::function<int(const QStringList&)>> subcommands{
        {QStringLiteral("list"), GoodsList},
        {QStringLiteral("select"), GoodsSelect},
    };
    return subcommands;
}

int RunGoods(const QStringList& args) {
    if (args.isEmpty()) return CliFail(QStringLiteral("użycie: goods list [--view KOD] | goods select --check-type C [--view V]"), 2);
    const auto& subs = GoodsSubcommands();
    const auto it = subs.find(args.first());
    if (it == subs.end()) return CliFail(QStringLiteral("Nieznane polecenie goods: %1").arg(args.first()), 2);
    return it->second(args.mid(1));
}

}  // namespace

PRANDEL_CLI_COMMAND("goods", "goods list [--view KOD] | goods select --check-type C [--view V]", RunGoods);
