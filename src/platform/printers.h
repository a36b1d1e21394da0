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

// For tests: the print system's queues as given (the default one first)
// instead of asking CUPS; nullopt asks CUPS again.
void SetPrintQueuesForTests(std::optional<QStringList> queues);
