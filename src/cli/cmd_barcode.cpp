#include "barcodesymbol.h"
#include "clicommand.h"
#include "symbolpainting.h"

#include <QImage>
#include <QPainter>
#include <cmath>

namespace {

// The area a symbol covers when painted at (0, 0) with its angle: the
// bounding box of the rotated rectangle, one pixel more for the outline.
QSize PaintedSize(double angle, int width, int height) {
    const double a = angle / 180.0 * M_PI;
    const double s = std::fabs(std::sin(a)), c = std::fabs(std::cos(a));
    return QSize(static_cast<int>(std::ceil(width * c + height * s)) + 2,
                 static_cast<int>(std::ceil(width * s + height * c)) + 2);
}

// Dots per module of a two-dimensional symbol unless --modul says otherwise:
// large enough for any reader to take the PNG as it is.
constexpr int DefaultMatrixModul = 4;

// A two-dimensional symbol: --pattern prints its module matrix, one row of 0
// and 1 per line; --png writes it on white with its quiet zone.
int RunMatrix(const CliArgs& a, TBarcodeType type, const QString& text, std::optional<int> modul) {
    TBarcodeSymbol symbol;
    symbol.SetTyp(type);
    symbol.SetText(text);
    symbol.SetModul(DefaultMatrixModul);
    if (modul) symbol.SetModul(*modul);
    if (const auto e = a.value(QStringLiteral("--ecc"))) {
        const std::optional<TQrEcc> ecc = QrEccFromText(*e);
        if (!ecc) return CliFail(QStringLiteral("--ecc: oczekiwano L, M, Q lub H."), 2);
        symbol.SetQrEcc(*ecc);
    }
    const auto png = a.value(QStringLiteral("--png"));
    try {
        const TModuleMatrix matrix = symbol.BuildMatrix();
        if (a.flag(QStringLiteral("--pattern")) || !png)
            for (const QString& row : matrix.RowTexts()) CliOut(row);
        if (png) {
            const int m = symbol.Modul(), q = matrix.QuietZone;
            QImage image((matrix.Columns + 2 * q) * m, (matrix.Rows + 2 * q) * m, QImage::Format_RGB32);
            {
                QPainter painter(&image);
                PaintMatrixAt(painter, matrix, QPoint(0, 0), m);
            }
            if (!image.save(*png, "PNG")) return CliFail(QStringLiteral("Nie można zapisać pliku %1.").arg(*png));
        }
    } catch (const TBarcodeError& e) {
        return CliFail(e.message());
    }
    return 0;
}

int RunBarcode(const QStringList& args) {
    const CliArgs a(args);
    bool ok = true;
    const auto type = a.integer(QStringLiteral("--type"), &ok);
    if (!ok || !type) return CliFail(QStringLiteral("Podaj typ kodu: --type N (0..%1).").arg(LastBarcodeType), 2);
    const auto text = a.value(QStringLiteral("--text"));
    if (!text) return CliFail(QStringLiteral("Podaj tekst kodu: --text T."), 2);
    const auto modul = a.integer(QStringLiteral("--modul"), &ok);
    if (!ok) return CliFail(QStringLiteral("--modul: oczekiwano liczby całkowitej."), 2);
    const auto height = a.integer(QStringLiteral("--height"), &ok);
    if (!ok || (height && *height < 0)) return CliFail(QStringLiteral("--height: oczekiwano liczby pikseli."), 2);
    double ratio = 2.0, angle = 0.0;
    if (const auto r = a.value(QStringLiteral("--ratio"))) {
        ratio = r->toDouble(&ok);
        if (!ok) return CliFail(QStringLiteral("--ratio: oczekiwano liczby."), 2);
    }
    if (const auto d = a.value(QStringLiteral("--angle"))) {
        angle = d->toDouble(&ok);
        if (!ok || !std::isfinite(angle)) return CliFail(QStringLiteral("--angle: oczekiwano liczby stopni."), 2);
    }
    if (IsMatrixType(*type)) return RunMatrix(a, static_cast<TBarcodeType>(*type), *text, modul);

    TBarcodeSymbol symbol;
    symbol.SetTyp(static_cast<TBarcodeType>(*type));
    symbol.SetText(*text);
    symbol.SetChecksum(a.flag(QStringLiteral("--checksum")));
    if (modul) symbol.SetModul(*modul);
    symbol.SetRatio(ratio);
    symbol.SetAngle(angle);
    symbol.SetHeight(height ? *height : 50 * symbol.Modul());
    if (a.flag(QStringLiteral("--show-text"))) {
        symbol.SetShowText(bcoCode);
        symbol.SetShowTextPosition(stpBottomCenter);
    }
    const auto png = a.value(QStringLiteral("--png"));
    try {
        const QString pattern = symbol.BuildPattern();
        if (a.flag(QStringLiteral("--pattern")) || !png) {
            CliOut(pattern);
            CliOut(symbol.Text());
        }
        if (png) {
            const int quiet = 10 * symbol.Modul();
            const QSize size = PaintedSize(symbol.Angle(), symbol.Width(), symbol.Height());
            QImage image(size.width() + 2 * quiet, size.height() + 2 * quiet, QImage::Format_RGB32);
            image.fill(Qt::white);
            symbol.SetLeft(quiet);
            symbol.SetTop(quiet);
            {
                QPainter painter(&image);
                symbol.PaintTo(painter);
            }
            if (!CliSavePng(image, *png))
                return CliFail(QStringLiteral("Nie można zapisać pliku %1.").arg(*png));
        }
    } catch (const TBarcodeError& e) {
        return CliFail(e.message());
    }
    return 0;
}

}  // namespace

PRANDEL_CLI_COMMAND("barcode",
                    "barcode --type N --text T [--checksum] [--modul M] [--ratio R] [--angle DEG] [--height PX] "
                    "[--show-text] [--pattern] [--png FILE] [--ecc L|M|Q|H]",
                    RunBarcode);
