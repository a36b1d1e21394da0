#include "printmanager.h"

#include "layout.h"
#include "printer.h"
#include "printers.h"
#include "rollpage.h"
#include "rollqueue.h"
#include "silentfailure.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace {

void ProcessEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace

QString PrintOutcomeMessage(TPrintOutcome outcome) {
    switch (outcome) {
    case TPrintOutcome::LayoutUnreadable:
        return QStringLiteral("Wystąpił błąd podczas otczytu pliku wyglądu etykiety.");  // sic
    case TPrintOutcome::PrinterFailed:
        return QStringLiteral("Wystąpił błąd drukarki.");
    case TPrintOutcome::Failed:
        break;
    }
    return QStringLiteral("Wystąpił błąd podczas drukowania.");
}

TPrintManagerException::TPrintManagerException(TPrintOutcome outcome, QString cause)
    : std::runtime_error(PrintOutcomeMessage(outcome).toStdString()), Outcome(outcome), Cause(std::move(cause)) {}

QString FailureCause(const std::exception& error) {
    if (const auto* print = dynamic_cast<const TPrintManagerException*>(&error); print && !print->Cause.isEmpty())
        return print->Cause;
    return QString::fromUtf8(error.what());
}

TPrintManager::TPrintManager() {
    // The manager's own defaults; the print command sets every option.
    TPrintOptions o;
    o.AlwaysGr = false;
    o.DoubleGr = false;
    o.DotSeparator = false;
    o.SmallGr = true;
    o.BarcodeShowText = false;
    SetOptions(o);
}

TPrintManager::~TPrintManager() = default;

void TPrintManager::LoadLayout() {
    if (LayoutFileName.isEmpty() || !QFileInfo(LayoutFileName).isFile())
        throw TPrintManagerException(TPrintOutcome::LayoutUnreadable,
                                     QStringLiteral("Brak pliku wyglądu etykiety: %1").arg(LayoutFileName));
    FRenderer.SetObjects({});
    TLabelLayout layout;
    if (!LoadLayoutFile(LayoutFileName, PrintLayoutDefaults(), layout))
        throw TPrintManagerException(TPrintOutcome::LayoutUnreadable,
                                     QStringLiteral("Nie można odczytać pliku %1").arg(LayoutFileName));
    FLabelSize = layout;
    FRenderer.SetObjects(std::move(layout.Objects));
    if (FLabelSize.IsEmpty())
        throw TPrintManagerException(TPrintOutcome::LayoutUnreadable,
                                     QStringLiteral("Etykieta w pliku %1 nie ma rozmiaru (%2 × %3 mm)")
                                         .arg(LayoutFileName)
                                         .arg(LabelWidth())
                                         .arg(LabelHeight()));
}

void TPrintManager::SelectPrinter(const QString& name) {
    const QString wanted = name.trimmed();
    const QStringList installed = TPrinter::Printers();
    for (const QString& p : installed) {
        if (p == wanted) {
            FPrinterName = p;
            FCurrentPrinter = p;
            return;
        }
    }
    FCurrentPrinter = TPrinter::DefaultPrinter();
}

TMmSize TPrintManager::SaneLabelSize() const {
    // A label size beyond 100 m is nonsense; keeping it there keeps every
    // pixel sum far from the int range.
    const auto sane = [](TMm mm) { return std::clamp(mm, TMm(0), TMm(100000)); };
    return {sane(FLabelSize.Width), sane(FLabelSize.Height)};
}

TCellGrid TPrintManager::PageGrid(const TPrintTarget& target) const {
    const TResolution resolution = TResolution::Of(target.PaintDevice());
    const QSize page(target.PageWidth(), target.PageHeight());
    if (Roll) return RollCellGrid(OffsetDistance(), SaneLabelSize(), page, resolution);
    return PageCellGrid(Sheet, OffsetDistance(), SaneLabelSize(), resolution, page, target.PaperRect());
}

void TPrintManager::SetUpPrinter(TPrinter& printer) const {
    printer.SetPrinterName(FCurrentPrinter.isEmpty() ? TPrinter::DefaultPrinter() : FCurrentPrinter);
    printer.SetTitle(kPrintJobTitle);
    printer.SetOrientation(FOrientation);
    printer.SetOutputFileName(PdfFileName);
    printer.SetRollPage(Roll ? SaneLabelSize() : TMmSize());
}

TCellGrid TPrintManager::PageGrid() const {
    TPrinter printer;
    SetUpPrinter(printer);
    try {
        printer.Prepare();
    } catch (const TPrinterError& e) {
        SilentFailure(lcPrint, QStringLiteral("the page of %1 could not be set up").arg(FCurrentPrinter), e);
        throw TPrintManagerException(TPrintOutcome::PrinterFailed, QString::fromUtf8(e.what()));
    }
    return PageGrid(printer);
}

void TPrintManager::PrintList(const TPrintGoodsList& list, int copies) {
    if (list.empty() || copies < 1) return;
    const QString name = FCurrentPrinter.isEmpty() ? TPrinter::DefaultPrinter() : FCurrentPrinter;
    if (Roll && name != VirtualPdfPrinterName()) {
        TRollQueue queue(name, kPrintJobTitle, SaneLabelSize(), Darkness);
        PrintList(list, copies, queue);
        return;
    }
    TPrinter printer;
    SetUpPrinter(printer);
    PrintList(list, copies, printer);
}

void TPrintManager::PrintList(const TPrintGoodsList& list, int copies, TPrintTarget& target) {
    if (list.empty() || copies < 1) return;
    // A label without size would put every label into one empty cell: pages
    // of nothing, reported as printed.
    if (FLabelSize.IsEmpty()) throw TPrintManagerException(TPrintOutcome::LayoutUnreadable);
    try {
        target.BeginDoc();
        QPainter& canvas = target.Canvas();
        const TCellGrid grid = PageGrid(target);
        // The cells before the start cell stay empty, on the first page only.
        const int start = std::clamp(StartCell, 1, grid.CellsPerPage()) - 1;
        int column = start % grid.Columns;
        int row = start / grid.Columns;
        for (size_t i = 0; i < list.size(); ++i) {
            bool full = false;
            bool cancelled = false;
            for (int copy = 0; copy < copies; ++copy) {
                canvas.setClipRect(grid.CellRect(column, row));
                DrawLabel(list[i], canvas);
                canvas.setClipping(false);
                full = grid.Advance(column, row);
                // Window events after every label, so that Cancel works
                // within the copies of one record too.
                ProcessEvents();
                cancelled = Cancel.Requested();
                if (cancelled) break;
                if (full && copy + 1 < copies) target.NewPage();
            }
            if (!cancelled && full && i + 1 < list.size()) target.NewPage();
            bool abort = false;
            if (OnRecordPrinted) OnRecordPrinted(this, list[i].ID, abort);
            if (abort || cancelled) break;
        }
        target.EndDoc();
    } catch (...) {
        // The cause, for the log and the companion's standard error.
        QString cause;
        try {
            throw;
        } catch (const std::exception& e) {
            cause = FailureCause(e);
        } catch (...) {
        }
        SilentFailure(lcPrint, QStringLiteral("the print job failed: %1").arg(cause));
        // Whatever was drawn still goes out.
        try {
            if (target.Printing()) target.EndDoc();
        } catch (const std::exception& e) {
            SilentFailure(lcPrint, QStringLiteral("a failed print job could not be ended"), e);
        }
        throw TPrintManagerException(TPrintOutcome::PrinterFailed, cause);
    }
}
