#pragma once
#include "filewrite.h"
#include "units.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

class QPaintDevice;
class QPainter;
class QPrinter;

// A failure of the printer object: the printer is gone, the job cannot be
// started, a page cannot be added.
class TPrinterError : public std::runtime_error {
public:
    explicit TPrinterError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// What a print job draws on: a document of pages, each a canvas whose origin
// is the top-left corner of the printable area.
class TPrintTarget {
public:
    virtual ~TPrintTarget() = default;
    // Sets the page up without starting a job, so that its size and
    // resolution can be read; BeginDoc does it too.
    virtual void Prepare() = 0;
    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual bool Printing() const = 0;
    // Valid between BeginDoc and EndDoc.
    virtual QPainter& Canvas() = 0;
    // Printable width and height in device pixels.
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    // The whole sheet of paper in device pixels, in the printable area's
    // coordinates (it starts left of and above it by the printer's border).
    virtual QRect PaperRect() const = 0;
    // The device drawn on, for its resolution; valid after Prepare.
    virtual const QPaintDevice& PaintDevice() const = 0;
};

// The printer object over Qt's printing support: one of the installed printers
// (the print system's queues, then the virtual printer "PDF", which writes the
// job into the file named by OutputFileName).
class TPrinter : public TPrintTarget {
public:
    TPrinter();
    ~TPrinter() override;
    Q_DISABLE_COPY(TPrinter)

    static QStringList Printers();
    static QString DefaultPrinter();

    // The current printer; no check here, the name is checked when the job starts.
    void SetPrinterName(const QString& name) { Name = name; }
    void SetTitle(const QString& title) { JobTitle = title; }
    // 0 portrait, 1 landscape (any other value counts as landscape).
    void SetOrientation(int orientation) { OrientationValue = orientation; }
    // A roll of labels: every page of the virtual printer is exactly the
    // label, without margins, whatever the orientation; an empty size gives
    // pages of its A4 paper.
    void SetRollPage(TMmSize label) { RollPage = label; }
    // The file the virtual printer "PDF" writes.
    void SetOutputFileName(const QString& path) { OutputFile = path; }
    // With it set, a whole PDF waits beside the output file after EndDoc
    // until DeliverPdf puts it in place, so that what must follow the job can
    // still fail before anyone sees the file; a PDF never delivered is
    // removed with the printer.
    void SetHoldPdf(bool hold) { HoldPdf = hold; }
    // Puts a held PDF in place after EndDoc; false when it cannot be. True
    // for any other printer, whose job went out with EndDoc.
    bool DeliverPdf();

    void Prepare() override;
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    bool Printing() const override;
    QPainter& Canvas() override;
    int PageWidth() const override;
    int PageHeight() const override;
    QRect PaperRect() const override;
    const QPaintDevice& PaintDevice() const override;

private:
    // Puts a whole PDF in place of the output file, or drops a cut one; false
    // when the PDF could not be written.
    bool FinishPdf();

    QString Name;
    QString JobTitle;
    QString OutputFile;
    std::unique_ptr<TFileBeside> Part;  // the PDF being written
    int OrientationValue = 0;
    TMmSize RollPage;
    bool HoldPdf = false;
    std::unique_ptr<QPrinter> Device;
    std::unique_ptr<QPainter> Painter;
};
