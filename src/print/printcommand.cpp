#include "printcommand.h"

#include "calibrationpage.h"
#include "datetimetext.h"
#include "engine.h"
#include "goodsstore.h"
#include "goodstable.h"
#include "printer.h"
#include "printgoods.h"
#include "prompter.h"
#include "settings.h"
#include "silentfailure.h"
#include "views.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

void ProcessMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

QString DefaultPdfPath(const QString& name = QStringLiteral("etykiety.pdf")) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    return QDir(folder).filePath(name);
}

QString AskPdfPath(const QString& suggested) {
    return Prompter::current().saveFile(QStringLiteral("Zapisz wydruk jako"), suggested,
                                        QStringLiteral("Pliki PDF (*.pdf)"));
}

// Whether `path`, or the file a link there leads to, lies in `folder` or below.
bool InFolder(const QString& path, const QString& folder) {
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty()) return false;
    const QFileInfo file(path);
    // The folder of a file not yet there; the file itself when it is (a link
    // counts by its target).
    const QString where = file.exists() ? file.canonicalFilePath() : QFileInfo(file.absolutePath()).canonicalFilePath();
    return where == root || where.startsWith(root + u'/');
}

// Whether an existing file holds a PDF: its header within the first kilobyte,
// as PDF readers look for it.
bool HoldsPdf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(1024).contains("%PDF-");
}

// A chosen PDF file, or the user told why it is refused.
bool PdfFileAccepted(const QString& path) {
    const QString refusal = PdfFileRefusal(path);
    if (refusal.isEmpty()) return true;
    Prompter::current().error(refusal);
    return false;
}

// The printer checks of a command: a printer is chosen, installed and takes
// jobs now.
bool PrinterReady(const QString& boxText, const QString& setting) {
    if (boxText.isEmpty()) {
        Prompter::current().error(kNoPrinterConfigured);
        return false;
    }
    if (!TPrinter::Printers().contains(setting)) {
        Prompter::current().error(kNoSuchPrinter + QChar('"') + boxText + QChar('"'));
        return false;
    }
    if (const QString refusal = PrinterRefusal(setting); !refusal.isEmpty()) {
        Prompter::current().error(refusal);
        return false;
    }
    return true;
}

}  // namespace

QString PdfFileRefusal(const QString& path) {
    const QFileInfo file(path);
    if (InFolder(path, GoodsDatabaseFolder()))
        return QStringLiteral("Nie można zapisać wydruku w pliku %1: to plik bazy danych towarów.").arg(path);
    if (file.exists() && !file.isDir() && (!file.isFile() || (file.size() > 0 && !HoldsPdf(path))))
        return QStringLiteral("Nie można zapisać wydruku w pliku %1: to nie jest plik PDF.").arg(path);
    return QString();
}

QString PrinterRefusal(const QString& printer) {
    if (!TPrinter::Printers().contains(printer)) return kNoSuchPrinter + QChar('"') + printer + QChar('"');
    if (printer == VirtualPdfPrinterName()) return QString();
    const std::optional<TPrintQueueInfo> queue = PrintQueueInfo(printer);
    if (!queue) return kNoSuchPrinter + QChar('"') + printer + QChar('"');
    if (queue->Paused) return kPrinterPaused.arg(printer);
    if (!queue->Accepting) return kPrinterRejects.arg(printer);
    return QString();
}

QString PrintConfirmationText(int records) {
    return QStringLiteral("Liczba etykiet do druku: ") + QString::number(records) + QStringLiteral(".") + QChar(13) +
           QStringLiteral("Potwierdzasz operację drukowania?");
}

TPrintCommand::TPrintCommand(TSettings& settings, TCancelFlag cancel)
    : Settings(settings), PrintCancelRequested(std::move(cancel)) {}

void TPrintCommand::PrintSelected(TViewCode viewCode, TGoodsStore& store) {
    PrintCancelRequested.Reset();
    Printed = 0;
    Stamped = 0;
    try {
        const TPrintGoodsList list = store.Records(ViewFilter(viewCode, Settings.LastPrintDate), ProcessMessages);
        PrintRecords(list, store);
    } catch (const TEngineError& e) {
        SilentFailure(lcPrint, QStringLiteral("the goods to print were not read"), e);
        Prompter::current().error(PrintOutcomeMessage(TPrintOutcome::Failed));
    }
}

void TPrintCommand::RecordPrinted(TPrintManager*, const QString&, bool& abort) {
    ++JobRecords;
    if (StepProgress) StepProgress();
    abort = PrintCancelRequested.Requested();
}

bool TPrintCommand::RunJob(TPrintManager& manager, const TPrintGoodsList& list, int copies, QString& pdfFile) {
    if (copies < 1) {
        Prompter::current().info(kNoCopies);
        return false;
    }
    manager.StartCell = 1;
    // A roll has no partly used sheet.
    if (Settings.AskStartCell && QueryStartCell && !manager.Roll) {
        int cell = 1;
        if (!QueryStartCell(manager.PageGrid(), cell)) return false;
        manager.StartCell = cell;
    }
    if (manager.CurrentPrinter() == VirtualPdfPrinterName()) {
        const QString suggested = pdfFile.isEmpty() ? DefaultPdfPath() : pdfFile;
        const QString chosen = AskPdfFileName ? AskPdfFileName(suggested) : AskPdfPath(suggested);
        if (chosen.isEmpty()) return false;
        if (!PdfFileAccepted(chosen)) return false;
        pdfFile = chosen;
        manager.PdfFileName = chosen;
    }
    // A job the user has just asked for runs whole, even after an earlier one
    // was cancelled.
    PrintCancelRequested.Reset();
    JobRecords = 0;
    try {
        manager.PrintList(list, copies);
    } catch (...) {
        Printed = std::max(Printed, JobRecords);
        throw;
    }
    Printed = std::max(Printed, JobRecords);
    return true;
}

void TPrintCommand::PrintRecords(const TPrintGoodsList& list, TGoodsStore& store) {
    Prompter& prompter = Prompter::current();
    Printed = 0;
    Stamped = 0;
    if (!PrinterReady(PrinterBoxText, Settings.PrinterName)) return;
    if (SetProgressMaximum) SetProgressMaximum(2 * static_cast<int>(list.size()));

    std::int32_t& labelCount = Settings.LabelCount;
    try {
        TPrintManager manager;
        manager.SelectPrinter(PrinterBoxText);
        manager.LayoutFileName = Settings.LabelFileName;
        manager.LoadLayout();
        TPrintOptions options = PrintOptionsOf(Settings);
        options.FrameColor = FrameColor;
        manager.SetOptions(options);
        manager.OnRecordPrinted = [this](TPrintManager* sender, const QString& id, bool& abort) {
            RecordPrinted(sender, id, abort);
        };
        manager.Cancel = PrintCancelRequested;
        manager.SetOrientation(OrientationText == QStringLiteral("Pionowa") ? 0 : 1);
        manager.Sheet = Settings.Sheet;
        manager.Offset = Settings.Calibrations.Get(manager.CurrentPrinter());
        const TPrinterPaper paper = Settings.Papers.Get(manager.CurrentPrinter());
        manager.Roll = paper.Roll;
        manager.Darkness = paper.Darkness;

        if (list.empty()) {
            prompter.info(kNothingToPrint);
            return;
        }
        const int records = static_cast<int>(list.size());
        if (Settings.AskLabelCount) {
            if (!QueryLabelCount || !QueryLabelCount(records, labelCount)) return;
        } else {
            if (!prompter.confirmOkCancel(PrintConfirmationText(records))) return;
            labelCount = 1;
        }
        QString pdfFile;
        RunJob(manager, list, labelCount, pdfFile);
        if (QueryLabelCount && QueryLabelCount(records, labelCount)) RunJob(manager, list, labelCount, pdfFile);
    } catch (const TPrintManagerException& e) {
        SilentFailure(lcPrint, QStringLiteral("the print command failed: %1").arg(FailureCause(e)));
        prompter.error(PrintOutcomeMessage(e.Outcome));
        return;
    } catch (const std::exception& e) {
        SilentFailure(lcPrint, QStringLiteral("the print command failed: %1").arg(FailureCause(e)));
        prompter.error(PrintOutcomeMessage(TPrintOutcome::Failed));
        return;
    } catch (...) {
        SilentFailure(lcPrint, QStringLiteral("the print command failed for an unknown reason"));
        prompter.error(PrintOutcomeMessage(TPrintOutcome::Failed));
        return;
    }

    // Exactly the goods that came out of the printer get the new moment, all
    // the same one, so the view of the last print lists just them.
    if (Printed == 0) return;
    const QDateTime moment = CurrentMoment();
    Settings.LastPrintDate = moment;
    QStringList ids;
    for (size_t i = 0; i < Printed && i < list.size(); ++i) ids << list[i].ID;
    Stamped = store.StampPrintDates(ids, moment, false, [this] {
        ProcessMessages();
        if (StepProgress) StepProgress();
    });
}

bool PrintCalibration(const QString& printer, const QString& orientationText, QPoint offset) {
    if (!PrinterReady(printer, printer)) return false;
    TPrinter target;
    target.SetPrinterName(printer);
    target.SetTitle(QStringLiteral("Strona kalibracyjna drukarki"));
    target.SetOrientation(orientationText == QStringLiteral("Pionowa") ? 0 : 1);
    if (printer == VirtualPdfPrinterName()) {
        const QString file = AskPdfPath(DefaultPdfPath(QStringLiteral("kalibracja.pdf")));
        if (file.isEmpty()) return false;
        if (!PdfFileAccepted(file)) return false;
        target.SetOutputFileName(file);
    }
    try {
        PrintCalibrationPage(target, printer, offset);
    } catch (const TPrintManagerException& e) {
        SilentFailure(lcPrint, QStringLiteral("the calibration page was not printed: %1").arg(FailureCause(e)));
        Prompter::current().error(PrintOutcomeMessage(e.Outcome));
        return false;
    }
    return true;
}
