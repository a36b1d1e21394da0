#include "zbar.h"

#include "barcodesymbol.h"

#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>

QImage RenderForScanner(TBarcodeSymbol& symbol) {
    const int quiet = 10 * symbol.Modul();
    const int w = symbol.Width();
    const int h = symbol.Height();
    const bool upright = std::fmod(std::fabs(symbol.Angle()), 180.0) == 90.0;
    QImage image((upright ? h : w) + 2 * quiet + 2, (upright ? w : h) + 2 * quiet + 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    symbol.SetLeft(quiet);
    symbol.SetTop(quiet);
    QPainter painter(&image);
    symbol.PaintTo(painter);
    return image;
}

TDecodeResult DecodeWithZbar(const QList<QImage>& images) {
    TDecodeResult result;
    QTemporaryDir dir;
    QStringList args{QStringLiteral("--xml"), QStringLiteral("-q"),
                     // Short 2 of 5 symbols are skipped unless told otherwise;
                     // the add-ons are off by default.
                     QStringLiteral("-Smin-length=0"), QStringLiteral("-Sean2.enable"), QStringLiteral("-Sean5.enable"),
                     QStringLiteral("-Supce.enable")};
    QStringList files;
    for (qsizetype i = 0; i < images.size(); ++i) {
        const QString file = dir.filePath(QStringLiteral("s%1.png").arg(i));
        if (!images[i].save(file, "PNG")) {
            result.Error = QStringLiteral("cannot write ") + file;
            return result;
        }
        files << file;
    }
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), args + files);
    if (!zbar.waitForStarted()) {
        result.Error = QStringLiteral("zbarimg cannot be started (package zbar-tools)");
        return result;
    }
    zbar.waitForFinished(120000);
    result.Ran = true;
    result.Symbols = QList<QStringList>(images.size());
    QXmlStreamReader xml(zbar.readAllStandardOutput());
    int current = -1;
    QString type;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("source")) {
            current = files.indexOf(xml.attributes().value(QLatin1String("href")).toString());
        } else if (xml.name() == QLatin1String("symbol")) {
            type = xml.attributes().value(QLatin1String("type")).toString();
        } else if (xml.name() == QLatin1String("data") && current >= 0) {
            // Data with control characters comes in base64.
            const bool base64 = xml.attributes().value(QLatin1String("format")) == QLatin1String("base64");
            const QString data = xml.readElementText();
            result.Symbols[current] << type + QLatin1Char(':') +
                                           (base64 ? QString::fromLatin1(QByteArray::fromBase64(data.trimmed().toLatin1()))
                                                   : data);
        }
    }
    if (xml.hasError()) result.Error = xml.errorString();
    return result;
}

TDecodeResult DecodeQrWithZbar(const QList<QImage>& images) {
    TDecodeResult result;
    QTemporaryDir dir;
    result.Symbols = QList<QStringList>(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const QString file = dir.filePath(QStringLiteral("q%1.png").arg(i));
        if (!images[i].save(file, "PNG")) {
            result.Error = QStringLiteral("cannot write ") + file;
            return result;
        }
        QProcess zbar;
        zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sdisable"),
                                               QStringLiteral("-Sqrcode.enable"), file});
        if (!zbar.waitForStarted()) {
            result.Error = QStringLiteral("zbarimg cannot be started (package zbar-tools)");
            return result;
        }
        zbar.waitForFinished(120000);
        result.Ran = true;
        // One symbol a line; the data itself holds no line break here.
        for (const QString& line : QString::fromUtf8(zbar.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            result.Symbols[i] << QStringLiteral("QR-Code:") + line;
    }
    return result;
}
