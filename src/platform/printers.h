#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The virtual printer that writes a job into a PDF file, always listed after
// the system's printers: "PDF", or "Plik PDF" when a queue of the print
// system is itself called "PDF" (the cups-pdf package makes one), so that both
// can be chosen. A stored printer name "PDF" then means that queue.
QString VirtualPdfPrinterName();

// Installed printers in the order the print system reports them, then the
// virtual printer.
QStringList InstalledPrinterNames();
// The system's default printer, or the virtual printer when the system has none.
QString DefaultPrinterName();

// What the print system says of one of its queues.
struct TPrintQueueInfo {
    bool Paused = false;     // stopped: its jobs wait
    bool Accepting = true;   // takes new jobs
    QString MakeAndModel;    // the driver's description of the printer
};
// The queue of this name (a name as InstalledPrinterNames lists it); nullopt
// when the print system has none (the virtual printer is no queue).
std::optional<TPrintQueueInfo> PrintQueueInfo(const QString& name);

// Whether a printer's name or driver says that it prints labels from a roll
// (Zebra, DYMO, Brother QL and the like): a hint for the user, never a setting.
bool LooksLikeLabelPrinter(const QString& name, const QString& makeAndModel);

// For tests: the print system's queues as given (the default one first)
// instead of asking CUPS; nullopt asks CUPS again.
void SetPrintQueuesForTests(std::optional<QStringList> queues);
