#include "zxing.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

TZxingResult DecodeWithZxing(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(grey.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, ZXing::DecodeHints());
    TZxingResult out;
    if (!r.isValid()) return out;
    out.Found = true;
    out.Format = QString::fromStdString(ZXing::ToString(r.format()));
    out.Text = QString::fromStdString(r.text());
    out.EcLevel = QString::fromStdString(r.ecLevel());
    out.Symbology = QString::fromStdString(r.symbologyIdentifier());
    out.Mirrored = r.isMirrored();
    return out;
}
