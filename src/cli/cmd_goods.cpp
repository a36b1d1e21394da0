#include "clicommand.h"
#include "datafolder.h"
#include "datetimetext.h"
#include "goodstable.h"
#include "inifile.h"
#include "views.h"

#include <map>

namespace {

// The moment of the last print command as the program reads it; the current
// moment when settings.ini has none, so that view 4 is empty.
QDateTime LastPrintDateFromSettings() {
    const TIniFile ini(DataPath(QStringLiteral("settings.ini")));
    QDateTime moment = QDateTime::currentDateTime();
    TextToDateTime(ini.ReadString(QStringLiteral("LAST PRINT"), QStringLiteral("DATE"), QString()), moment);
    return moment;
}

// Opens the goods list as the program's start does; on failure prints the
// start-up errors and returns false.
bool OpenList(TTable& tbLocal, TTable& tbLocalShow) {
    EnsureDataFolder();
    const QStringList errors = OpenGoodsList(tbLocal, tbLocalShow);
    for (const QString& e : errors) CliError(e);
    return errors.isEmpty() && tbLocalShow.Active();
}

int GoodsList(const QStringList& args) {
    const CliArgs a(args);
    bool ok = true;
    const auto view = a.integer(QStringLiteral("--view"), &ok);
    if (!ok || (args.contains(QStringLiteral("--view")) && !view))
        return CliFail(QStringLiteral("Nieprawidłowy kod widoku: %1").arg(a.value(QStringLiteral("--view")).value_or(QString())), 2);
    TTable tbLocal, tbLocalShow;
    tbLocalShow.SetFilter(ViewFilter(view.value_or(0), LastPrintDateFromSettings()));
    tbLocalShow.SetFiltered(true);
    if (!OpenList(tbLocal, tbLocalShow)) return 1;
    static const char* const kColumns[] = {"ID",          "NAZWA",   "CENA",      "WAGA", "ABSCENA",
                                           "KODKRESKOWY", "TYPKODU", "PRINTDATE", "NEW",  "SELECT"};
    QStringList header;
    for (const char* c : kColumns) header << QString::fromLatin1(c);
    CliOut(header.join(u'\t'));
    try {
        std::vector<TField> fields;
        for (const char* c : kColumns) fields.push_back(tbLocalShow.FieldByName(QString::fromLatin1(c)));
        for (tbLocalShow.First(); !tbLocalShow.Eof(); tbLocalShow.Next()) {
            QStringList line;
            for (const TField& f : fields) {
                if (f.IsNull())
                    line << QString();
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
    bool ok = true;
    const auto type = a.integer(QStringLiteral("--check-type"), &ok);
    if (!ok || !type || (*type != 0 && *type != 1 && *type != 3 && *type != 4))
        return CliFail(QStringLiteral("Nieprawidłowy typ zaznaczania: %1").arg(a.value(QStringLiteral("--check-type")).value_or(QString())), 2);
    const auto view = a.integer(QStringLiteral("--view"), &ok);
    if (!ok || (args.contains(QStringLiteral("--view")) && !view) || (view && (*view < 0 || *view > 4)))
        return CliFail(QStringLiteral("Nieprawidłowy kod widoku: %1").arg(a.value(QStringLiteral("--view")).value_or(QString())), 2);
    TTable tbLocal, tbLocalShow;
    const QDateTime lastPrint = LastPrintDateFromSettings();
    tbLocalShow.SetFilter(ViewFilter(view.value_or(0), lastPrint));
    tbLocalShow.SetFiltered(true);
    if (!OpenList(tbLocal, tbLocalShow)) return 1;
    try {
        SelectByType(tbLocal, tbLocalShow, ViewFilter(view.value_or(0), lastPrint), ViewFilter(*type, lastPrint), {});
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
