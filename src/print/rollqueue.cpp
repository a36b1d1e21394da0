#include "rollqueue.h"

#include "rollpage.h"
#include "silentfailure.h"

#include <QFile>
#include <QPainter>

// The PPD interface is the only way to a driver's raster header and options;
// CUPS marks it deprecated, without a replacement for this.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/cups.h>
#include <cups/ppd.h>
#include <cups/raster.h>

namespace {

// The driver's PPD of a queue, closed and its temporary copy removed with it.
struct TPpd {
    ppd_file_t* File = nullptr;
    explicit TPpd(const QString& queue) {
        const char* path = cupsGetPPD2(CUPS_HTTP_DEFAULT, queue.toUtf8().constData());
        if (!path) return;
        const QString copy = QFile::decodeName(path);
        File = ppdOpenFile(path);
        QFile::remove(copy);
    }
    ~TPpd() {
        if (File) ppdClose(File);
    }
    TPpd(const TPpd&) = delete;
    TPpd& operator=(const TPpd&) = delete;
};

// The option of the driver that sets how dark it prints (Zebra's "Darkness",
// DYMO's "cupsDarkness" and the like).
ppd_option_t* DarknessOption(ppd_file_t* ppd) {
    for (int g = 0; g < ppd->num_groups; ++g) {
        ppd_group_t& group = ppd->groups[g];
        for (int o = 0; o < group.num_options; ++o)
            if (QByteArray(group.options[o].keyword).toLower().contains("darkness")) return &group.options[o];
    }
    return nullptr;
}

// The only colour spaces a label is printed in: one channel of ink or light.
bool InkSpace(cups_cspace_t space) { return space == CUPS_CSPACE_K; }
bool LightSpace(cups_cspace_t space) {
    return space == CUPS_CSPACE_W || space == CUPS_CSPACE_SW;
}

}  // namespace

struct TRollQueue::TRaster {
    cups_page_header2_t Header{};
    cups_raster_t* Stream = nullptr;
};

TRollQueue::TRollQueue(QString queue, QString title, TMmSize label, int darkness)
    : Queue(std::move(queue)), Title(std::move(title)), Label(label), Darkness(darkness) {}

TRollQueue::~TRollQueue() {
    if (Painter && Painter->isActive()) Painter->end();
    if (Raster && Raster->Stream) cupsRasterClose(Raster->Stream);
}

void TRollQueue::Prepare() {
    if (Printing()) throw TPrinterError(QStringLiteral("Drukowanie już trwa."));
    const TPpd ppd(Queue);
    if (!ppd.File) throw TPrinterError(QStringLiteral("Brak sterownika drukarki: \"%1\"").arg(Queue));
    ppdMarkDefaults(ppd.File);
    std::vector<TDriverPageSize> sizes;
    for (int i = 0; i < ppd.File->num_sizes; ++i) {
        const ppd_size_t& s = ppd.File->sizes[i];
        sizes.push_back({QString::fromUtf8(s.name), s.width, s.length});
    }
    const QByteArray media = RollMediaName(sizes, Label).toUtf8();
    // The page size is named twice: CUPS rounds the points of a custom media
    // down when it maps it to the driver's page size (20 mm came out 19.76).
    Options = {{"media", media}, {"PageSize", media}};
    if (ppd_option_t* option = DarknessOption(ppd.File)) {
        QStringList choices;
        for (int c = 0; c < option->num_choices; ++c) choices << QString::fromUtf8(option->choices[c].choice);
        if (const auto choice = DarknessChoice(choices, Darkness)) Options.emplace_back(option->keyword, choice->toUtf8());
    }
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [name, value] : Options) count = cupsAddOption(name.constData(), value.constData(), count, &options);
    cupsMarkOptions(ppd.File, count, options);
    auto raster = std::make_unique<TRaster>();
    const int interpreted = cupsRasterInterpretPPD(&raster->Header, ppd.File, count, options, nullptr);
    cupsFreeOptions(count, options);
    const cups_page_header2_t& h = raster->Header;
    if (interpreted != 0 || h.cupsWidth == 0 || h.cupsHeight == 0 || h.HWResolution[0] == 0 || h.HWResolution[1] == 0)
        throw TPrinterError(QStringLiteral("Nie można ustawić strony drukarki \"%1\".").arg(Queue));
    if ((h.cupsBitsPerColor != 1 && h.cupsBitsPerColor != 8) ||
        (!InkSpace(h.cupsColorSpace) && !LightSpace(h.cupsColorSpace)))
        throw TPrinterError(QStringLiteral("Sterownik drukarki \"%1\" nie drukuje w czerni i bieli.").arg(Queue));
    Page = RollPageImage(QSize(int(h.cupsWidth), int(h.cupsHeight)), int(h.HWResolution[0]), int(h.HWResolution[1]));
    if (Page.isNull()) throw TPrinterError(QStringLiteral("Nie można przygotować strony."));
    Raster = std::move(raster);
}

void TRollQueue::BeginDoc() {
    Prepare();
    Spool = std::make_unique<QTemporaryFile>();
    if (!Spool->open()) throw TPrinterError(QStringLiteral("Nie można rozpocząć wydruku."));
    Raster->Stream = cupsRasterOpen(Spool->handle(), CUPS_RASTER_WRITE);
    if (!Raster->Stream) throw TPrinterError(QStringLiteral("Nie można rozpocząć wydruku."));
    Pages = 0;
    Painter = std::make_unique<QPainter>();
    if (!Painter->begin(&Page)) {
        Painter.reset();
        throw TPrinterError(QStringLiteral("Nie można rozpocząć wydruku."));
    }
    PrepareRollCanvas(*Painter);
}

void TRollQueue::WritePage() {
    cups_page_header2_t& h = Raster->Header;
    if (!cupsRasterWriteHeader2(Raster->Stream, &h)) throw TPrinterError(QStringLiteral("Nie można dodać strony."));
    const bool blackIsOne = InkSpace(h.cupsColorSpace);
    for (int y = 0; y < Page.height(); ++y) {
        QByteArray line = RasterLine(Page, y, int(h.cupsBitsPerColor), blackIsOne, int(h.cupsBytesPerLine));
        if (cupsRasterWritePixels(Raster->Stream, reinterpret_cast<unsigned char*>(line.data()), h.cupsBytesPerLine) !=
            h.cupsBytesPerLine)
            throw TPrinterError(QStringLiteral("Nie można dodać strony."));
    }
    ++Pages;
    Page.fill(Qt::white);
}

void TRollQueue::NewPage() {
    if (!Printing()) throw TPrinterError(QStringLiteral("Drukowanie nie trwa."));
    WritePage();
}

void TRollQueue::EndDoc() {
    if (!Printing()) return;
    Painter->end();
    Painter.reset();
    WritePage();
    cupsRasterClose(Raster->Stream);
    Raster->Stream = nullptr;
    Submit();
}

void TRollQueue::Submit() {
    if (!Spool->flush() || !Spool->seek(0)) throw TPrinterError(QStringLiteral("Nie można zakończyć wydruku."));
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [name, value] : Options) count = cupsAddOption(name.constData(), value.constData(), count, &options);
    const QByteArray queue = Queue.toUtf8();
    const QByteArray title = Title.toUtf8();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), title.constData(), count, options);
    cupsFreeOptions(count, options);
    const auto failed = [&](const char* what) {
        SilentFailure(lcPrint, QStringLiteral("%1 on %2: %3").arg(QLatin1String(what), Queue, QString::fromUtf8(cupsLastErrorString())));
        if (job > 0) cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
        throw TPrinterError(QStringLiteral("Nie można zakończyć wydruku."));
    };
    if (job <= 0) failed("job not created");
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), job, title.constData(), "application/vnd.cups-raster", 1) !=
        HTTP_STATUS_CONTINUE)
        failed("document not started");
    while (!Spool->atEnd()) {
        const QByteArray chunk = Spool->read(1 << 16);
        if (chunk.isEmpty() || cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.constData(), size_t(chunk.size())) !=
                                   HTTP_STATUS_CONTINUE)
            failed("document not sent");
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) != IPP_STATUS_OK) failed("document not finished");
}

bool TRollQueue::Printing() const { return Painter && Painter->isActive(); }

QPainter& TRollQueue::Canvas() {
    if (!Printing()) throw TPrinterError(QStringLiteral("Drukowanie nie trwa."));
    return *Painter;
}

const QPaintDevice& TRollQueue::PaintDevice() const {
    if (Page.isNull()) throw TPrinterError(QStringLiteral("Drukarka nie jest przygotowana."));
    return Page;
}
