#include "clicommand.h"
#include "clisession.h"
#include "datetimetext.h"
#include "engine.h"
#include "printcommand.h"
#include "printgoods.h"
#include "printers.h"
#include "printmanager.h"
#include "settingskeys.h"

namespace {

// The marked goods in name order as one PDF job, without questions; then the
// print date of the printed goods and the last print moment in settings.ini.
int RunPrint(const QStringList& args) {
    const CliArgs a(args);
    const auto pdf = a.value(QStringLiteral("--pdf"));
    if (!pdf || pdf->isEmpty()) return CliFail(QStringLiteral("Podaj plik wynikowy: --pdf PLIK."), 2);
    bool ok = true;
    const auto copiesOption = a.integer(QStringLiteral("--copies"), &ok);
    if (!ok) return CliFail(QStringLiteral("--copies: oczekiwano liczby wydruków."), 2);
    const int copies = copiesOption.value_or(1);
    if (copies < 1) return CliFail(kNoCopies, 2);
    if (args.contains(QStringLiteral("--layout")) && !a.value(QStringLiteral("--layout")))
        return CliFail(QStringLiteral("Podaj plik wyglądu etykiety: --layout PLIK."), 2);
    const auto startOption = a.integer(QStringLiteral("--start-cell"), &ok);
    if (!ok || (args.contains(QStringLiteral("--start-cell")) && !startOption) || startOption.value_or(1) < 1)
        return CliFail(QStringLiteral("--start-cell: oczekiwano numeru etykiety na arkuszu, od 1."), 2);

    TCliSession session;
    TSettings& settings = session.Settings;
    const QString layout = a.value(QStringLiteral("--layout")).value_or(settings.LabelFileName);
    if (!session.OpenGoods()) return 1;
    TTable& tbLocal = session.Goods.tbLocal;
    session.Goods.tbLocalShow.Close();

    TPrintGoodsList list;
    try {
        BuildViewPrintList(list, tbLocal, TViewCode::Marked, settings.LastPrintDate);
    } catch (const TEngineError& e) {
        return CliFail(e.Message());
    }

    TPrintManager manager;
    manager.SelectPrinter(VirtualPdfPrinterName());
    manager.PdfFileName = *pdf;
    manager.LayoutFileName = layout;
    try {
        manager.LoadLayout();
    } catch (const TPrintManagerException& e) {
        return CliFail(PrintOutcomeMessage(e.Outcome));
    }
    if (list.empty()) return CliFail(kNothingToPrint);
    manager.SetOptions(PrintOptionsOf(settings));
    manager.SetOrientation(settings.Orientation == QStringLiteral("Pozioma") ? 1 : 0);
    manager.Sheet = settings.Sheet;
    manager.Offset = settings.Calibrations.Get(manager.CurrentPrinter());
    try {
        // A start cell past the page's last one is a typing error, not the last cell.
        if (startOption) {
            const int cells = manager.PageGrid().CellsPerPage();
            if (*startOption > cells)
                return CliFail(QStringLiteral("--start-cell: na stronie mieści się etykiet: %1.").arg(cells), 2);
            manager.StartCell = *startOption;
        }
        manager.PrintList(list, copies);
    } catch (const TPrintManagerException& e) {
        return CliFail(PrintOutcomeMessage(e.Outcome));
    }

    settings.LastPrintDate = CurrentMoment();
    const int stamped = StampPrintDates(tbLocal, list, list.size(), settings.LastPrintDate);
    tbLocal.Close();
    if (!settings.SaveLastPrintDate(SettingsFilePath()))
        return CliFail(QStringLiteral("Nie można zapisać pliku %1.").arg(SettingsFilePath()));
    if (stamped != static_cast<int>(list.size()))
        return CliFail(QStringLiteral("Datę wydruku zapisano tylko %1 z %2 towarów.").arg(stamped).arg(list.size()));
    return 0;
}

}  // namespace

PRANDEL_CLI_COMMAND("print", "print --pdf PLIK [--copies N] [--layout PLIK] [--start-cell N]", RunPrint);
