#include "printtestutil.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtEndian>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>
#include <gtest/gtest.h>

TLayoutObject TextObject(quint8 type, int left, int top, int right, int bottom, quint8 alignment, int fontSize,
                         const QString& text) {
    TLayoutObject o;
    o.Kind = LayoutObjectKind::Label;
    o.Type = type;
    o.Left = TMm(left);
    o.Top = TMm(top);
    o.Right = TMm(right);
    o.Bottom = TMm(bottom);
    o.Alignment = alignment;
    o.FontName = QStringLiteral("DejaVu Sans");
    o.FontSize = fontSize;
    o.Text = text;
    return o;
}

TLayoutObject PictureObject(const QString& file, int left, int top, int right, int bottom, bool realSize) {
    TLayoutObject o;
    o.Kind = LayoutObjectKind::Image;
    o.Left = TMm(left);
    o.Top = TMm(top);
    o.Right = TMm(right);
    o.Bottom = TMm(bottom);
    o.FileName = file;
    o.RealSize = realSize;
    return o;
}

void LoadInto(TPrintManager& manager, const QString& path, int width, int height,
              const std::vector<TLayoutObject>& objects) {
    TLabelLayout layout;
    layout.Width = TMm(width);
    layout.Height = TMm(height);
    layout.Objects = objects;
    ASSERT_TRUE(SaveLayoutFile(path, layout));
    manager.LayoutFileName = path;
    manager.LoadLayout();
}

TPrintGoods Goods(const QString& id, const QString& name, const QString& price, const QString& barcode, quint8 type,
                  const QString& unitPrice) {
    TPrintGoods g;
    g.ID = id;
    g.NAZWA = name;
    g.CENA = price;
    g.KODKRESKOWY = barcode;
    g.TYPKODU = type;
    g.ABSCENA = unitPrice;
    return g;
}

QImage RenderLabel(TPrintManager& manager, const TPrintGoods& goods, int dpi, QPoint at, QSize size, QColor background) {
    const int w = static_cast<int>(std::lround(manager.LabelWidth() * dpi / 25.4));
    const int h = static_cast<int>(std::lround(manager.LabelHeight() * dpi / 25.4));
    if (!size.isValid()) size = QSize(w, h);
    QImage image(size, QImage::Format_RGB32);
    const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(background);
    QPainter p(&image);
    p.setClipRect(QRect(at, QSize(w, h)));
    manager.DrawLabel(goods, p);
    return image;
}

bool IsDark(QRgb c) { return qGray(c) < 128; }

QRect InkBox(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& isInk) {
    QRect box;
    const QRect a = area.intersected(image.rect());
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (isInk ? isInk(c) : IsDark(c)) box |= QRect(x, y, 1, 1);
        }
    return box;
}

std::vector<QRect> InkClusters(const QImage& image, const QRect& area, int minGap) {
    std::vector<QRect> out;
    const QRect a = area.intersected(image.rect());
    int blank = minGap;
    for (int x = a.left(); x <= a.right(); ++x) {
        const QRect col = InkBox(image, QRect(x, a.top(), 1, a.height()));
        if (col.isEmpty()) {
            ++blank;
            continue;
        }
        if (blank >= minGap || out.empty())
            out.push_back(col);
        else
            out.back() |= col;
        blank = 0;
    }
    return out;
}

QString RunTool(const QString& program, const QStringList& args, int* exitCode) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(120000)) {
        if (exitCode) *exitCode = -1;
        return QString();
    }
    if (exitCode) *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

std::vector<TPdfWord> PdfWords(const QString& pdf) {
    std::vector<TPdfWord> words;
    const QString html = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QXmlStreamReader xml(html);
    int page = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const double x = xml.attributes().value(QLatin1String("xMin")).toDouble();
            const double y = xml.attributes().value(QLatin1String("yMin")).toDouble();
            words.push_back({page, xml.readElementText(), x, y});
        }
    }
    return words;
}

QString PdfInfo(const QString& pdf, const QString& key) {
    const QString out = RunTool(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : out.split(u'\n'))
        if (line.startsWith(key + u':')) return line.mid(key.size() + 1).trimmed();
    return QString();
}

int PdfPages(const QString& pdf) {
    bool ok = false;
    const int n = PdfInfo(pdf, QStringLiteral("Pages")).toInt(&ok);
    return ok ? n : -1;
}

QImage PdfPage(const QString& pdf, int page, int dpi) {
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    // Plain PPM: a page at 600 dpi is read many times faster than as PNG.
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                         QString::number(page), QStringLiteral("-l"), QString::number(page),
                                         QStringLiteral("-singlefile"), pdf, base});
    return QImage(base + QStringLiteral(".ppm"));
}

QByteArray PdfStreams(const QString& pdf) {
    QFile f(pdf);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    const QByteArray data = f.readAll();
    QByteArray out;
    qsizetype at = 0;
    while ((at = data.indexOf("stream", at)) >= 0) {
        qsizetype begin = at + 6;
        if (begin < data.size() && data[begin] == '\r') ++begin;
        if (begin < data.size() && data[begin] == '\n') ++begin;
        const qsizetype end = data.indexOf("endstream", begin);
        if (end < 0) break;
        // Only zlib streams (page contents); fonts and pictures may be stored otherwise.
        if (begin >= end || static_cast<unsigned char>(data[begin]) != 0x78) {
            at = end + 9;
            continue;
        }
        // qUncompress wants the zlib data behind a big-endian size hint.
        QByteArray packed(4, '\0');
        qToBigEndian<quint32>(64u * 1024 * 1024, packed.data());
        packed += data.mid(begin, end - begin);
        out += qUncompress(packed);
        at = end + 9;
    }
    return out;
}
