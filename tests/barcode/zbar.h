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
