#pragma once
#include "printer.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryFile>
#include <memory>
#include <utility>
#include <vector>

// A job of one label a page on a print system queue that holds a roll of
// labels. Each page is drawn at the resolution the queue's driver prints at,
// in pure black and white, and the job goes to the queue as the driver's own
// raster (application/vnd.cups-raster, the header made from the driver's PPD
// and the job's options), so that the driver prints it dot for dot: no grey
// edges to dither, barcode modules of whole dots. The page is exactly the
// label (the driver's own page size of the label's size, or a custom one),
// the darkness (1-30) is handed to the driver's darkness option when it has
// one. The job goes out with EndDoc.
class TRollQueue : public TPrintTarget {
public:
    TRollQueue(QString queue, QString title, TMmSize label, int darkness);
    ~TRollQueue() override;
    Q_DISABLE_COPY(TRollQueue)

    void Prepare() override;
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    bool Printing() const override;
    QPainter& Canvas() override;
    int PageWidth() const override { return Page.width(); }
    int PageHeight() const override { return Page.height(); }
    QRect PaperRect() const override { return Page.rect(); }
    const QPaintDevice& PaintDevice() const override;

    // The job's options as name and value (media, PageSize, the darkness);
    // valid after Prepare.
    const std::vector<std::pair<QByteArray, QByteArray>>& JobOptions() const { return Options; }

private:
    struct TRaster;
    void WritePage();
    void Submit();

    QString Queue;
    QString Title;
    TMmSize Label;
    int Darkness = 0;
    std::vector<std::pair<QByteArray, QByteArray>> Options;
    std::unique_ptr<TRaster> Raster;
    QImage Page;
    std::unique_ptr<QPainter> Painter;
    std::unique_ptr<QTemporaryFile> Spool;
    int Pages = 0;
};
