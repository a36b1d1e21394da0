#pragma once
#include <QByteArray>
#include <QImage>
#include <QList>

// The bitmaps a ZPL job downloads (~DG, "download graphics"), one per label
// as CUPS's ZPL driver sends them: hexadecimal rows of dots (a set bit is a
// black dot) with ZPL's run-length compression (G-Y repeat the next digit 1
// to 19 times, g-z 20 to 400 times, "," fills the row with 0 and "!" with F,
// ":" repeats the previous row). Black on white, 8-bit grey; a bitmap is as
// wide as its rows' bytes.
QList<QImage> DecodeZplGraphics(const QByteArray& zpl);
