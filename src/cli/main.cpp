#include "clicommand.h"
#include "datafolder.h"

#include <QGuiApplication>

namespace {

// Shop scripts read standard error for the program's own message; Qt's notes
// about the missing display session are no concern of theirs.
void QuietQtNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    if (type == QtWarningMsg &&
        (message.startsWith(QLatin1String("QStandardPaths:")) || QByteArray(context.category).startsWith("qt.qpa")))
        return;
    CliError(message);
}

void PrintHelp() {
    CliOut(QStringLiteral("prandel-etykiet-cli %1 - Prandel etykiet bez okna").arg(QStringLiteral(PRANDEL_VERSION)));
    CliOut(QString());
    CliOut(QStringLiteral("użycie: prandel-etykiet-cli [--data-dir KATALOG] POLECENIE [OPCJE]"));
    CliOut(QString());
    CliOut(QStringLiteral("polecenia:"));
    for (const auto& [name, command] : CliCommands()) CliOut(QStringLiteral("  ") + command.usage);
    CliOut(QString());
    CliOut(QStringLiteral("  --data-dir KATALOG  folder danych (domyślnie jak w programie)"));
    CliOut(QStringLiteral("  --help              ten opis"));
    CliOut(QStringLiteral("  --version           wersja programu"));
}

}  // namespace

int main(int argc, char** argv) {
    // Fonts and images need a GUI application, but never a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQtNotes);
    QGuiApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Prandel etykiet"));
    app.setApplicationVersion(QStringLiteral(PRANDEL_VERSION));

    QStringList args = app.arguments().mid(1);
    const qsizetype dd = args.indexOf(QStringLiteral("--data-dir"));
    if (dd >= 0) {
        if (dd + 1 >= args.size()) return CliFail(QStringLiteral("Brak nazwy folderu po --data-dir."), 2);
        SetDataFolderOverride(args[dd + 1]);
        args.remove(dd, 2);
    }
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        PrintHelp();
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        CliOut(QStringLiteral("prandel-etykiet-cli %1").arg(QStringLiteral(PRANDEL_VERSION)));
        return 0;
    }
    const auto it = CliCommands().find(args.first());
    if (it == CliCommands().end())
        return CliFail(QStringLiteral("Nieznane polecenie: %1 (zobacz --help).").arg(args.first()), 2);
    return it->second.run(args.mid(1));
}
