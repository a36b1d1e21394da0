#pragma once
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class TBarcodeSymbol;

// The symbol painted on white with a quiet zone of ten modules all round.
QImage RenderForScanner(TBarcodeSymbol& symbol);

// Decodes images with zbarimg; per image the symbols found, each as
// "TYPE:data" (zbar's names, e.g. "EAN-13:5901234123457"). An empty
// optional when zbarimg cannot be run.
struct TDecodeResult {
    bool Ran = false;
    QString Error;
    QList<QStringList> Symbols;
};
TDecodeResult DecodeWithZbar(const QList<QImage>& images);
// The same for QR symbols only, read as raw bytes: zbar's XML output garbles
// bytes above 127 (its base64 sign-extends them), so UTF-8 text would not
// come back. One zbarimg run per image, "QR-Code:data" per symbol.
TDecodeResult DecodeQrWithZbar(const QList<QImage>& images);
