#pragma once
#include <QString>
#include <QStringList>

// The printer that writes a job into a PDF file; always listed after the
// system's printers.
inline const QString kPdfPrinterName = QStringLiteral("PDF");

// Installed printers in the order the print system reports them, then "PDF".
QStringList InstalledPrinterNames();
// The system's default printer, or "PDF" when the system has no printer.
QString DefaultPrinterName();
