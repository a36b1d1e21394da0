#pragma once
#include "layout.h"
#include "printmanager.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// A text field of a layout.
TLayoutObject TextObject(quint8 type, int left, int top, int right, int bottom, quint8 alignment = 0,
                         int fontSize = 10, const QString& text = QString());
// A picture object.
TLayoutObject PictureObject(const QString& file, int left, int top, int right, int bottom, bool realSize);
// Writes the layout file and loads it into the manager.
void LoadInto(TPrintManager& manager, const QString& path, int width, int height,
              const std::vector<TLayoutObject>& objects);

TPrintGoods Goods(const QString& id, const QString& name, const QString& price = QString(),
                  const QString& barcode = QString(), quint8 type = 14, const QString& unitPrice = QString());

// Draws one label at `dpi` into an image of `size` (default: the label) with
// the clip box at `at`. The image starts filled with `background`.
QImage RenderLabel(TPrintManager& manager, const TPrintGoods& goods, int dpi, QPoint at = {}, QSize size = {},
                   QColor background = Qt::white);

// Pixels of `area` that are dark (ink), as a bounding box; empty when none.
QRect InkBox(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& isInk = {});
bool IsDark(QRgb c);
// Ink columns of `area`, grouped into runs separated by blank columns.
std::vector<QRect> InkClusters(const QImage& image, const QRect& area, int minGap);

// Runs a tool; its standard output, or an empty string when it failed.
QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr);

// Words of a PDF with their page and top-left corner in points.
struct TPdfWord {
    int Page;
    QString Text;
    double X, Y;
};
std::vector<TPdfWord> PdfWords(const QString& pdf);
int PdfPages(const QString& pdf);
QString PdfInfo(const QString& pdf, const QString& key);
// Every compressed stream of the file, inflated and joined (page contents).
QByteArray PdfStreams(const QString& pdf);
// One page rasterised at `dpi`.
QImage PdfPage(const QString& pdf, int page, int dpi);
