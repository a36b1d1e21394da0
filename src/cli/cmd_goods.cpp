#include "clicommand.h"
#include "clisession.h"
#include "goodsstore.h"
#include "pricehistory.h"
#include "views.h"

#include <algorithm>
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

// A value as one field of a tab-separated line: a tab, CR, LF or NUL inside it
// would break the line into other columns or rows, so each is written as its
// escape, and the backslash that starts one as two.
void AppendField(QString& line, const QString& value) {
    const auto special = [](QChar c) { return c == u'\\' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\0'; };
    if (std::none_of(value.begin(), value.end(), special)) {
        line += value;
        return;
    }
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\': line += QLatin1String("\\\\"); break;
        case u'\t': line += QLatin1String("\\t"); break;
        case u'\r': line += QLatin1String("\\r"); break;
        case u'\n': line += QLatin1String("\\n"); break;
        case u'\0': line += QLatin1String("\\0"); break;
        default: line += c;
        }
    }
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
    // The columns of later versions (KROTKITERMIN) follow the lowest price.
    std::vector<const char*> columns;
    for (const TGoodsColumnDef& c : kGoodsColumns)
        if (c.Column <= TGoodsColumn::SELECT) columns.push_back(c.Name);
    columns.push_back(kLowestPriceColumn);
    for (const TGoodsColumnDef& c : kGoodsColumns)
        if (c.Column > TGoodsColumn::SELECT) columns.push_back(c.Name);
    QStringList header;
    for (const char* c : columns) header << QString::fromLatin1(c);
    CliOut(header.join(u'\t'));
    try {
        std::vector<int> fields;
        for (const char* c : columns) {
            const int f = list.FieldIndex(QString::fromLatin1(c));
            if (f < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(QLatin1String(c)));
            fields.push_back(f);
        }
        const int lowest = list.FieldIndex(kLowestPriceField);
        // The records stream from the file one at a time, so a table of any
        // size lists in the same small memory.
        QString line;
        list.ForEachRecord([&](const std::vector<QVariant>& values) {
            line.clear();
            for (size_t i = 0; i < fields.size(); ++i) {
                if (i > 0) line += u'\t';
                const int f = fields[i];
                const QVariant& v = values[static_cast<size_t>(f)];
                if (v.isNull()) continue;
                if (f == lowest)
                    line += LowestPriceText(v);
                else if (list.Fields(f).DataType() == TFieldType::Boolean)
                    line += v.toBool() ? u'1' : u'0';
                else
                    AppendField(line, list.DisplayText(f, v));
            }
            CliOut(line);
        });
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
        // Nothing shows the list here: the store marks, and the list is
        // neither read again nor moved to the first marked record.
        session.Goods.Store->SelectByType(ViewFilter(shown, lastPrint), ViewFilter(*type.View, lastPrint), {});
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
