#pragma once
#include "cancelflag.h"
#include "printers.h"
#include "printgoods.h"
#include "printmanager.h"
#include "views.h"

#include <QColor>
#include <QDateTime>
#include <QString>
#include <functional>

class TGoodsStore;
class TSettings;

// Messages of the print command.
inline const QString kNoPrinterConfigured = QStringLiteral("Brak skonfigurowanej drukarki.");
inline const QString kNoSuchPrinter = QStringLiteral("Brak drukarki: ");
inline const QString kNothingToPrint = QStringLiteral("Brak obiektów do drukowania.");
inline const QString kNoCopies = QStringLiteral("Nie wydrukowano żadnej etykiety: liczba wydruków musi być większa od zera.");
inline const QString kPrinterPaused = QStringLiteral("Drukarka \"%1\" jest wstrzymana. Wznów ją i spróbuj ponownie.");
inline const QString kPrinterRejects = QStringLiteral("Drukarka \"%1\" nie przyjmuje zadań. Włącz ich przyjmowanie i spróbuj ponownie.");

// Why a job must not be sent to `printer`, or an empty text when it may: a
// printer that is not installed, a print system queue that is paused (its
// labels would wait while the goods show as printed) or that rejects jobs.
QString PrinterRefusal(const QString& printer);

// Why a print must not be written into the PDF file `path`, or an empty text
// when it may: the job replaces the file, so an existing file that is not a PDF
// (other than an empty one) is refused, and so is every file of the data
// folder's "DB", whatever its name, even through a link.
QString PdfFileRefusal(const QString& path);

// "Liczba etykiet do druku: n." and the question on the next line.
QString PrintConfirmationText(int records);

// The calibration page on `printer` ("Pionowa" prints portrait, anything else
// landscape), drawn with the printer's `offset` (tenths of a millimetre); the
// virtual printer asks for its file. Failures are reported through the
// Prompter; true when the page was printed.
bool PrintCalibration(const QString& printer, const QString& orientationText, QPoint offset);

// One print command: the printer checks, the copies question, the print jobs
// and the stamping of the printed goods. It reads the layout, the printer
// setting, the price and barcode options and the copies rule from the
// settings, and writes the copies count and the new last print moment back
// into them; every message goes through the Prompter.
class TPrintCommand {
public:
    TPrintCommand(TSettings& settings, TCancelFlag cancel);

    // The configuration page's live values.
    QString PrinterBoxText;     // the printer box's text
    QString OrientationText;    // "Pionowa" prints portrait, anything else landscape
    QColor FrameColor = Qt::black;
    // The copies dialog: shows the record count, stores the entered count into
    // `copies` and returns true on OK.
    std::function<bool(int records, int& copies)> QueryLabelCount;
    // The start cell dialog, before each job when the settings ask for it:
    // shows the page's cells, stores the chosen one (from 1) into `cell` and
    // returns true on OK; cancelling it prints nothing.
    std::function<bool(const TCellGrid& page, int& cell)> QueryStartCell;
    // Progress bar.
    std::function<void(int maximum)> SetProgressMaximum;
    std::function<void()> StepProgress;
    // The file name of the virtual printer's output; an empty answer cancels
    // the job. By default the Prompter's save dialog, in the documents folder.
    std::function<QString(const QString& suggested)> AskPdfFileName;

    // Prints the goods of the view (2: the marked goods) in name order.
    void PrintSelected(TViewCode viewCode, TGoodsStore& store);
    // Checks, questions, jobs and stamping for a ready list.
    void PrintRecords(const TPrintGoodsList& list, TGoodsStore& store);

    // The handler each print job reports its records to.
    void RecordPrinted(TPrintManager* sender, const QString& id, bool& abort);

    // How many records of the list the last PrintRecords stamped.
    int StampedRecords() const { return Stamped; }

private:
    TSettings& Settings;
    TCancelFlag PrintCancelRequested;
    bool RunJob(TPrintManager& manager, const TPrintGoodsList& list, int copies, QString& pdfFile);
    size_t JobRecords = 0;  // records reported by the running job
    size_t Printed = 0;     // records printed by any job of this command, from the list's start
    int Stamped = 0;
};
