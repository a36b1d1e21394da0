#include "clicommand.h"
#include "clisession.h"
#include "goodsstore.h"
#include "pricehistory.h"
#include "views.h"

#include <algorithm>
#include <cstdio>
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

// A value as one field of a tab-separated line (escaped as CliAppendField
// does), from UTF-8 bytes into UTF-8 bytes; each of the special
// characters is one byte of its own in UTF-8.
void AppendFieldUtf8(QByteArray& out, QByteArrayView value) {
    const auto special = [](char c) { return c == '\\' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; };
    if (std::none_of(value.begin(), value.end(), special)) {
        out += value;
        return;
    }
    for (const char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\0': out += "\\0"; break;
        default: out += c;
        }
    }
}

// Whether bytes are UTF-8 as the standard allows it (no overlong forms, no
// surrogates, nothing above U+10FFFF): such a text reads back as the same
// bytes; any other goes through the program's own conversion.
bool IsSoundUtf8(QByteArrayView text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra = 0;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (end - p <= extra) return false;
        if (p[1] < lo || p[1] > hi) return false;
        for (int k = 2; k <= extra; ++k)
            if (p[k] < 0x80 || p[k] > 0xBF) return false;
        p += extra + 1;
    }
    return true;
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
        std::vector<TFieldType> types;
        for (const int f : fields) types.push_back(f == lowest ? TFieldType::Integer : list.Fields(f).DataType());
        // The records are written as bytes straight from the file's text: a
        // text that is sound UTF-8 is its own output, so only other values go
        // through the program's types. The print dates of one print are one
        // moment, written once.
        QString field;
        QVariant lastMoment;
        QByteArray lastMomentText;
        const auto generic = [&](QByteArray& out, int f, const QVariant& v) {
            field.clear();
            CliAppendField(field, list.DisplayText(f, v));
            out += field.toUtf8();
        };
        const auto format = [&](const TRowReader& row, QByteArray& out) {
            for (size_t i = 0; i < fields.size(); ++i) {
                if (i > 0) out += '\t';
                const int f = fields[i];
                if (row.IsNull(f)) continue;
                if (f == lowest) {
                    out += LowestPriceText(row.Value(f)).toUtf8();
                    continue;
                }
                switch (types[i]) {
                case TFieldType::Boolean:
                    if (const auto n = row.Integer(f))
                        out += *n != 0 ? '1' : '0';
                    else
                        out += row.Value(f).toBool() ? '1' : '0';
                    break;
                case TFieldType::Integer:
                    if (const auto n = row.Integer(f))
                        out += QByteArray::number(*n);
                    else
                        generic(out, f, row.Value(f));
                    break;
                case TFieldType::String:
                    if (const auto text = row.Utf8(f); text && IsSoundUtf8(*text))
                        AppendFieldUtf8(out, *text);
                    else
                        generic(out, f, row.Value(f));
                    break;
                case TFieldType::DateTime: {
                    const QVariant v = row.Value(f);
                    if (v != lastMoment || lastMomentText.isNull()) {
                        lastMoment = v;
                        QByteArray text;
                        generic(text, f, v);
                        lastMomentText = text.isNull() ? QByteArray("") : text;
                    }
                    out += lastMomentText;
                    break;
                }
                }
            }
            out += '\n';
        };
        std::fflush(stdout);
        list.WriteRecords(format, [](const QByteArray& bytes) { std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout); });
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
