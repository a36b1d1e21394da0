#include "clicommand.h"
#include "clisession.h"
#include "datetimetext.h"
#include "engine.h"
#include "filewrite.h"
#include "goodsstore.h"
#include "inifile.h"
#include "printcommand.h"
#include "printer.h"
#include "printgoods.h"
#include "printers.h"
#include "printmanager.h"
#include "settingskeys.h"

#include <QFileInfo>

namespace {

// Whether settings.ini can be replaced as the settings are written (a new
// file beside it, then renamed over it), without changing it.
bool SettingsWritable(const QString& path) {
    if (TIniFile(path).ReadFailed() || QFileInfo(path).isDir()) return false;
    return TFileBeside(path).IsCreated();  // dropped unused, the new file goes
}

// The print date of every printed good, or of none: a job whose goods would
// not all show as printed is not delivered. The cause of a failure goes to
// standard error.
bool StampAllPrintDates(TGoodsStore& store, const TPrintGoodsList& list, const QDateTime& moment) {
    QStringList ids;
    for (const TGoodsRecord& g : list) ids << g.ID;
    try {
        store.StampPrintDates(ids, moment, true);
        return true;
    } catch (const TEngineError& e) {
        CliError(e.Message());
        return false;
    }
}

// The date stamping and the settings after a job that went to a printer:
// its labels are out, so a failure here is reported, and the goods stay
// unstamped for the next job.
int FinishPrinterJob(TGoodsStore& store, const TPrintGoodsList& list, TSettings& settings, const QString& settingsFile) {
    settings.LastPrintDate = CurrentMoment();
    const bool stamped = StampAllPrintDates(store, list, settings.LastPrintDate);
    if (!stamped) return CliFail(QStringLiteral("Nie można zapisać daty wydruku towarów."));
    if (!settings.SaveLastPrintDate(settingsFile)) return CliFail(QStringLiteral("Nie można zapisać pliku %1.").arg(settingsFile));
    return 0;
}

// The marked goods in name order as one job into a PDF file or to a printer
// (the settings' one without either), without questions; then the print
// date of the printed goods and the last print moment in settings.ini. A
// printer set up as a roll of labels gets one label-sized page per label.
int RunPrint(const QStringList& args) {
    const CliArgs a(args);
    const bool toFile = args.contains(QStringLiteral("--pdf"));
    const bool toPrinter = args.contains(QStringLiteral("--printer"));
    const auto pdf = a.value(QStringLiteral("--pdf"));
    const auto printerOption = a.value(QStringLiteral("--printer"));
    if (toFile && toPrinter) return CliFail(QStringLiteral("Podaj albo --pdf PLIK, albo --printer NAZWA."), 2);
    if (toFile && (!pdf || pdf->isEmpty())) return CliFail(QStringLiteral("Podaj plik wynikowy: --pdf PLIK."), 2);
    if (toPrinter && (!printerOption || printerOption->isEmpty()))
        return CliFail(QStringLiteral("Podaj drukarkę: --printer NAZWA."), 2);
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
    const QString printerName = toFile ? VirtualPdfPrinterName() : printerOption.value_or(settings.PrinterName);
    // The virtual printer needs the file to write.
    if (printerName == VirtualPdfPrinterName() && !toFile)
        return CliFail(QStringLiteral("Podaj plik wynikowy: --pdf PLIK."), 2);
    if (toFile) {
        if (const QString refusal = PdfFileRefusal(*pdf); !refusal.isEmpty()) return CliFail(refusal);
    } else if (const QString refusal = PrinterRefusal(printerName); !refusal.isEmpty()) {
        return CliFail(refusal);
    }
    // The last print moment is written after the job; a settings file that
    // cannot take it would leave stamped goods that the view of the last
    // print does not list, and a script would drop the whole job.
    const QString settingsFile = SettingsFilePath();
    if (!SettingsWritable(settingsFile)) return CliFail(QStringLiteral("Nie można zapisać pliku %1.").arg(settingsFile));
    const QString layout = a.value(QStringLiteral("--layout")).value_or(settings.LabelFileName);
    if (!session.OpenGoods()) return 1;
    TGoodsStore& store = *session.Goods.Store;
    session.Goods.tbLocalShow.Close();

    TPrintGoodsList list;
    try {
        list = store.Records(ViewFilter(TViewCode::Marked, settings.LastPrintDate));
    } catch (const TEngineError& e) {
        return CliFail(e.Message());
    }

    TPrintManager manager;
    manager.SelectPrinter(printerName);
    manager.PdfFileName = pdf.value_or(QString());
    manager.LayoutFileName = layout;
    try {
        manager.LoadLayout();
    } catch (const TPrintManagerException& e) {
        return CliFail(PrintOutcomeMessage(e.Outcome), e.Cause);
    }
    if (list.empty()) return CliFail(kNothingToPrint);
    manager.SetOptions(PrintOptionsOf(settings));
    manager.SetOrientation(settings.Orientation == QStringLiteral("Pozioma") ? 1 : 0);
    manager.Sheet = settings.Sheet;
    manager.Offset = settings.Calibrations.Get(manager.CurrentPrinter());
    const TPrinterPaper paper = settings.Papers.Get(manager.CurrentPrinter());
    manager.Roll = paper.Roll;
    manager.Darkness = paper.Darkness;
    try {
        // A start cell past the page's last one is a typing error, not the
        // last cell; a roll has no cells to start at.
        if (startOption && !manager.Roll) {
            const int cells = manager.PageGrid().CellsPerPage();
            if (*startOption > cells)
                return CliFail(QStringLiteral("--start-cell: na stronie mieści się etykiet: %1.").arg(cells), 2);
            manager.StartCell = *startOption;
        }
        if (!toFile) {
            manager.PrintList(list, copies);
            return FinishPrinterJob(store, list, settings, settingsFile);
        }
    } catch (const TPrintManagerException& e) {
        return CliFail(PrintOutcomeMessage(e.Outcome), e.Cause);
    }
    // The PDF waits beside its file until the goods are stamped and the
    // moment is stored: a failure there reports the job failed, and no PDF
    // is left for a script to send.
    TPrinter printer;
    manager.SetUpPrinter(printer);
    printer.SetHoldPdf(true);
    try {
        manager.PrintList(list, copies, printer);
    } catch (const TPrintManagerException& e) {
        return CliFail(PrintOutcomeMessage(e.Outcome), e.Cause);
    }

    settings.LastPrintDate = CurrentMoment();
    const bool stamped = StampAllPrintDates(store, list, settings.LastPrintDate);
    if (!stamped) return CliFail(QStringLiteral("Nie można zapisać daty wydruku towarów; plik PDF nie został zapisany."));
    if (!settings.SaveLastPrintDate(settingsFile))
        return CliFail(QStringLiteral("Nie można zapisać pliku %1; plik PDF nie został zapisany.").arg(settingsFile));
    if (!printer.DeliverPdf()) return CliFail(PrintOutcomeMessage(TPrintOutcome::PrinterFailed));
    return 0;
}

}  // namespace

PRANDEL_CLI_COMMAND("print", "print [--pdf PLIK | --printer NAZWA] [--copies N] [--layout PLIK] [--start-cell N]",
                    RunPrint);
