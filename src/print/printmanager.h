#pragma once
#include "cancelflag.h"
#include "labelrenderer.h"
#include "printgoods.h"
#include "printoptions.h"
#include "settings.h"
#include "sheetgrid.h"

#include <QColor>
#include <QString>
#include <functional>
#include <stdexcept>
#include <vector>

class QPainter;
class TBarcodeSymbol;
class TPrinter;
class TPrintTarget;

// How a print went wrong, each with the one message the user is shown.
enum class TPrintOutcome {
    LayoutUnreadable,  // the layout file is missing, unreadable or has no size
    PrinterFailed,     // the print job failed (printer, document, drawing)
    Failed,            // anything else
};

// The user's message of an outcome.
QString PrintOutcomeMessage(TPrintOutcome outcome);

// A failed print; its text is the outcome's message.
class TPrintManagerException : public std::runtime_error {
public:
    // `cause`: what the printer or the file said, for the log and the
    // companion's standard error; the user sees the outcome's message.
    explicit TPrintManagerException(TPrintOutcome outcome, QString cause = {});
    TPrintOutcome Outcome;
    QString Cause;
};

// What an error says of its cause: a print manager's Cause, else its text.
QString FailureCause(const std::exception& error);

// Reads a label layout and prints lists of goods with it, as many labels to a
// page as fit (or as the sheet of labels holds), row by row from the top-left
// of the printable area (of the paper for a sheet with columns and rows),
// moved by the sheet's margins and the printer's offset, with the sheet's gaps
// between them.
class TPrintManager {
public:
    TPrintManager();
    ~TPrintManager();
    Q_DISABLE_COPY(TPrintManager)

    QString LayoutFileName;
    // Reads LayoutFileName; TPrintOutcome::LayoutUnreadable when it is
    // missing or unreadable, or gives a label without width or height (what
    // a file without PANEL, or a damaged one, reads as): such a layout would
    // print blank pages. The label size and the objects read stay readable.
    void LoadLayout();
    const std::vector<TLayoutObject>& Objects() const { return FRenderer.Objects(); }
    TMmSize LabelSize() const { return FLabelSize; }
    // The same in plain whole millimetres, as the companion writes them.
    int LabelWidth() const { return FLabelSize.Width.Value(); }
    int LabelHeight() const { return FLabelSize.Height.Value(); }

    // Chooses the installed printer of exactly this name (blanks around it
    // trimmed); when there is none the default printer is used and
    // PrinterName stays as it was.
    void SelectPrinter(const QString& name);
    QString PrinterName() const { return FPrinterName; }
    // The printer the next job goes to.
    QString CurrentPrinter() const { return FCurrentPrinter; }
    // The file the virtual printer "PDF" writes.
    QString PdfFileName;

    QColor FrameColor() const { return Options().FrameColor; }
    void SetFrameColor(const QColor& color) { Change([&](TPrintOptions& o) { o.FrameColor = color; }); }
    quint8 Orientation() const { return FOrientation; }
    void SetOrientation(quint8 value) { FOrientation = value; }
    bool AlwaysGr() const { return Options().AlwaysGr; }
    void SetAlwaysGr(bool on) { Change([&](TPrintOptions& o) { o.AlwaysGr = on; }); }
    bool DoubleGr() const { return Options().DoubleGr; }
    void SetDoubleGr(bool on) { Change([&](TPrintOptions& o) { o.DoubleGr = on; }); }
    bool DotSeparator() const { return Options().DotSeparator; }
    void SetDotSeparator(bool on) { Change([&](TPrintOptions& o) { o.DotSeparator = on; }); }
    bool SmallGr() const { return Options().SmallGr; }
    void SetSmallGr(bool on) { Change([&](TPrintOptions& o) { o.SmallGr = on; }); }
    bool BarcodeShowText() const { return Options().BarcodeShowText; }
    // Also sets the barcode symbol's ShowText.
    void SetBarcodeShowText(bool on) { Change([&](TPrintOptions& o) { o.BarcodeShowText = on; }); }
    // All of the above at once.
    void SetOptions(const TPrintOptions& options) { FRenderer.SetOptions(options); }
    const TPrintOptions& Options() const { return FRenderer.Options(); }
    TBarcodeSymbol& BarcodeSymbol() { return FRenderer.BarcodeSymbol(); }
    // What draws the labels.
    TLabelRenderer& Renderer() { return FRenderer; }

    // Called after each record with its ID; setting `abort` ends the job after
    // that record (the pages printed so far go out).
    std::function<void(TPrintManager* sender, const QString& id, bool& abort)> OnRecordPrinted;
    // Where the labels go: the sheet (margins, gaps, columns and rows) and the
    // printer's offset, in tenths of a millimetre as the settings hold them.
    // All zero by default.
    TSheetLayout Sheet;
    QPoint Offset;
    TMm10Point OffsetDistance() const { return {TMm10(Offset.x()), TMm10(Offset.y())}; }
    // A roll of labels: every label is a page of its own of exactly the
    // label's size, moved only by the printer's offset; the sheet and the
    // start cell do not count. A print system queue then gets the labels
    // drawn at its own resolution in black and white (TRollQueue) with the
    // driver's darkness (1-30; 0 keeps the printer's).
    bool Roll = false;
    int Darkness = 0;
    // The cell the first label of a job takes on its first page, from 1 (the
    // cells before it stay empty, as on a partly used sheet); a number past
    // the page's last cell counts as the last.
    int StartCell = 1;
    // The cells of a page of `target`, which has been prepared.
    TCellGrid PageGrid(const TPrintTarget& target) const;
    // The cells of a page of CurrentPrinter() with Orientation(), without
    // starting a job; TPrintOutcome::PrinterFailed when the printer cannot be
    // set up.
    TCellGrid PageGrid() const;

    // Read after every label, once window events have been processed: when
    // it is set, the job ends after that label and its record is reported as
    // printed, so that a mistyped copies count can still be stopped.
    TCancelFlag Cancel;

    // Prints the list, each record `copies` times in consecutive cells, as one
    // job on CurrentPrinter(). TPrintOutcome::PrinterFailed when the job
    // fails; the document is ended in every case. A copies count below 1 or
    // an empty list prints nothing and starts no job.
    void PrintList(const TPrintGoodsList& list, int copies);
    // The same job on any target (the preview, tests).
    void PrintList(const TPrintGoodsList& list, int copies, TPrintTarget& target);

    // Draws one label into the canvas's clip box (the whole device when it has
    // no clip). Bad pictures and barcode data are absorbed.
    void DrawLabel(const TPrintGoods& goods, QPainter& canvas) { FRenderer.DrawLabel(goods, canvas); }

    // Sets a printer object up for a job on CurrentPrinter(): what
    // PrintList(list, copies) prints on, for a caller that needs the printer
    // after the job.
    void SetUpPrinter(TPrinter& printer) const;

private:
    template <typename F>
    void Change(F change) {
        TPrintOptions o = FRenderer.Options();
        change(o);
        FRenderer.SetOptions(o);
    }

    // The label's size, at most 100 m, for pages and cells.
    TMmSize SaneLabelSize() const;

    TLabelRenderer FRenderer;
    TMmSize FLabelSize;
    QString FPrinterName;
    QString FCurrentPrinter;
    quint8 FOrientation = 0;
};

// The job title every print job carries.
inline const QString kPrintJobTitle = QStringLiteral("Drukowanie etykiet cenowych");
