#include "printer.h"

#include "pdfpagebox.h"
#include "printers.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <utility>

namespace {

// Resolution of the virtual printer; real printers use their own.
constexpr int kPdfDpi = 600;

// Whether a PDF file was written to its end: a full disk cuts it short, and
// the PDF engine does not tell.
bool PdfComplete(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 32 || !f.seek(f.size() - 32)) return false;
    return f.read(32).contains("%%EOF");
}

}  // namespace

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
    // A job left open by an error still goes out with what was drawn.
    if (Printing()) Painter->end();
    // A held PDF never delivered is dropped: the new file beside the name goes.
    if (HoldPdf) Part.reset();
    FinishPdf();
}

QStringList TPrinter::Printers() { return InstalledPrinterNames(); }

QString TPrinter::DefaultPrinter() { return DefaultPrinterName(); }

void TPrinter::Prepare() {
    if (Printing()) throw TPrinterError(QStringLiteral("Drukowanie już trwa."));
    // The printer may have been removed since it was chosen.
    const QStringList printers = Printers();
    if (Name.isEmpty() || !printers.contains(Name))
        throw TPrinterError(QStringLiteral("Brak drukarki: \"%1\"").arg(Name));
    Painter.reset();
    Device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The virtual printer is always the last of the list.
    if (Name == printers.last()) {
        Device->setOutputFormat(QPrinter::PdfFormat);
        // An empty name would turn the device back into the native printer;
        // the page is still wanted without a file, to lay out the sheet.
        // BeginDoc points the device at the file the job is written into.
        if (!OutputFile.isEmpty()) Device->setOutputFileName(OutputFile);
        Device->setResolution(kPdfDpi);
        Device->setFullPage(!RollPage.IsEmpty());
        // A4 with the unprintable border of an ordinary office printer, or
        // one label without any border.
        Device->setPageLayout(
            RollPage.IsEmpty()
                ? QPageLayout(QPageSize(QPageSize::A4),
                              OrientationValue == 0 ? QPageLayout::Portrait : QPageLayout::Landscape,
                              QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter)
                : QPageLayout(QPageSize(QSizeF(RollPage.Width.Value(), RollPage.Height.Value()), QPageSize::Millimeter,
                                        QString(), QPageSize::ExactMatch),
                              QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    } else {
        Device->setOutputFormat(QPrinter::NativeFormat);
        Device->setPrinterName(Name);
        if (!Device->isValid()) throw TPrinterError(QStringLiteral("Brak drukarki: \"%1\"").arg(Name));
        Device->setFullPage(false);
        Device->setPageOrientation(OrientationValue == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
    }
    Device->setDocName(JobTitle);
    Device->setCreator(QStringLiteral("Prandel etykiet"));
}

void TPrinter::BeginDoc() {
    Prepare();
    if (Device->outputFormat() == QPrinter::PdfFormat) {
        if (OutputFile.isEmpty()) throw TPrinterError(QStringLiteral("Brak nazwy pliku PDF."));
        if (QFileInfo(OutputFile).isDir()) throw TPrinterError(QStringLiteral("Nie można zapisać pliku PDF."));
        // Written into a new file beside the name and put in its place only
        // when whole, so a full disk or a read-only folder leaves no half PDF
        // and the old one, and a link at the name is replaced, not followed.
        Part = std::make_unique<TFileBeside>(OutputFile);
        if (!Part->IsCreated()) {
            Part.reset();
            throw TPrinterError(QStringLiteral("Nie można zapisać pliku PDF."));
        }
        Device->setOutputFileName(Part->FileName());
    }
    Painter = std::make_unique<QPainter>();
    if (!Painter->begin(Device.get())) {
        Painter.reset();
        throw TPrinterError(QStringLiteral("Nie można rozpocząć wydruku."));
    }
}

void TPrinter::NewPage() {
    if (!Printing()) throw TPrinterError(QStringLiteral("Drukowanie nie trwa."));
    if (!Device->newPage()) throw TPrinterError(QStringLiteral("Nie można dodać strony."));
}

void TPrinter::EndDoc() {
    if (!Printing()) return;
    bool ok = Painter->end();
    Painter.reset();
    // Label pages of exactly the label's size.
    if (ok && !RollPage.IsEmpty() && Part) ok = FitPdfPagesToLabel(Part->FileName(), RollPage);
    const bool saved = HoldPdf ? !Part || PdfComplete(Part->FileName()) : FinishPdf();
    if (!ok) throw TPrinterError(QStringLiteral("Nie można zakończyć wydruku."));
    if (!saved) throw TPrinterError(QStringLiteral("Nie można zapisać pliku PDF."));
}

bool TPrinter::FinishPdf() {
    if (!Part) return true;
    const std::unique_ptr<TFileBeside> part = std::exchange(Part, nullptr);
    // Dropped without a commit, the part is removed.
    return PdfComplete(part->FileName()) && part->Commit();
}

bool TPrinter::DeliverPdf() {
    if (Printing()) return false;
    HoldPdf = false;
    return FinishPdf();
}

bool TPrinter::Printing() const { return Painter && Painter->isActive(); }

QPainter& TPrinter::Canvas() {
    if (!Printing()) throw TPrinterError(QStringLiteral("Drukowanie nie trwa."));
    return *Painter;
}

int TPrinter::PageWidth() const { return Device ? Device->width() : 0; }

int TPrinter::PageHeight() const { return Device ? Device->height() : 0; }

QRect TPrinter::PaperRect() const {
    if (!Device) return QRect();
    const QPageLayout layout = Device->pageLayout();
    const int dpi = Device->resolution();
    const QRect paint = layout.paintRectPixels(dpi);
    return layout.fullRectPixels(dpi).translated(-paint.topLeft());
}

const QPaintDevice& TPrinter::PaintDevice() const {
    if (!Device) throw TPrinterError(QStringLiteral("Drukarka nie jest przygotowana."));
    return *Device;
}
