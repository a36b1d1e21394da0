// Speed of the barcode engine: targets are 2 us for an EAN-13 pattern,
// 50 us for painting an EAN-13 with text at 300 dpi, 5 us for a 40-character
// Code 128 pattern, 10 us for asking how wide an EAN-13 with text would
// paint (the print side asks for one module after another), 500 us for
// encoding and painting a QR of a GS1 Digital Link (or a GS1 DataMatrix of a
// GTIN) in a 20 mm box at 300 dpi, beside the EAN-13's encoding and painting
// (BM_Ean13PaintBarsOnly300dpi).
#include "barcodesymbol.h"
#include "symbolpainting.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

// White, at 300 dpi.
QImage Page300dpi(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    image.fill(Qt::white);
    return image;
}

void BM_Ean13Pattern(benchmark::State& state) {
    TBarcodeSymbol s;
    s.SetText("590123412345");
    s.SetChecksum(true);
    for (auto _ : state) benchmark::DoNotOptimize(s.BuildPattern());
}
BENCHMARK(BM_Ean13Pattern);

void BM_Code128Pattern40(benchmark::State& state) {
    TBarcodeSymbol s;
    s.SetTyp(bcCode128B);
    s.SetText("Prandel etykiet 0123456789 ABCDEFGHIJKL");  // 40 characters
    for (auto _ : state) benchmark::DoNotOptimize(s.BuildPattern());
}
BENCHMARK(BM_Code128Pattern40);

void BM_Ean13PaintWithText300dpi(benchmark::State& state) {
    // A label barcode at 300 dpi: 4-pixel modules (0.34 mm), 22 mm high.
    QImage image = Page300dpi(600, 400);
    QPainter painter(&image);
    TBarcodeSymbol s;
    s.SetText("5901234123457");
    s.SetModul(4);
    s.SetHeight(260);
    s.SetLeft(20);
    s.SetTop(20);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(8);
    s.SetShowTextFont(font);
    s.SetShowText(bcoCode);
    s.SetShowTextPosition(stpBottomCenter);
    for (auto _ : state) s.PaintTo(painter);
}
BENCHMARK(BM_Ean13PaintWithText300dpi);

void BM_Ean13PaintBarsOnly300dpi(benchmark::State& state) {
    QImage image = Page300dpi(600, 400);
    QPainter painter(&image);
    TBarcodeSymbol s;
    s.SetText("5901234123457");
    s.SetModul(4);
    s.SetHeight(260);
    for (auto _ : state) s.PaintTo(painter);
}
BENCHMARK(BM_Ean13PaintBarsOnly300dpi);

void BM_Ean13PaintedWidthWithText300dpi(benchmark::State& state) {
    const QImage image = Page300dpi(1, 1);
    TBarcodeSymbol s;
    s.SetText("5901234123457");
    s.SetHeight(260);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(8);
    s.SetShowTextFont(font);
    s.SetShowText(bcoCode);
    s.SetShowTextPosition(stpBottomCenter);
    int modul = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.PaintedWidth(modul, &image));
        modul = modul % 8 + 1;
    }
}
BENCHMARK(BM_Ean13PaintedWidthWithText300dpi);

// Encoded and painted afresh for every label, as the renderer does.
void MatrixEncodeAndPaint300dpi(benchmark::State& state, TBarcodeType type, const char* text) {
    QImage image = Page300dpi(400, 400);
    QPainter painter(&image);
    TBarcodeSymbol s;
    s.SetTyp(type);
    s.SetText(QString::fromUtf8(text));
    const QRect box(20, 20, 236, 236);  // 20 mm
    for (auto _ : state) benchmark::DoNotOptimize(PaintMatrix(painter, s.BuildMatrix(), box, 300));
}

void BM_QrDigitalLinkEncodeAndPaint300dpi(benchmark::State& state) {
    MatrixEncodeAndPaint300dpi(state, bcCodeQR, "https://id.gs1.org/01/05901234123457/10/PARTIA-2027?17=271231");
}
BENCHMARK(BM_QrDigitalLinkEncodeAndPaint300dpi);

void BM_Gs1DataMatrixEncodeAndPaint300dpi(benchmark::State& state) {
    MatrixEncodeAndPaint300dpi(state, bcCodeGS1DataMatrix, "5901234123457");
}
BENCHMARK(BM_Gs1DataMatrixEncodeAndPaint300dpi);

void BM_QrDigitalLinkEncode(benchmark::State& state) {
    TBarcodeSymbol s;
    s.SetTyp(bcCodeQR);
    s.SetText("https://id.gs1.org/01/05901234123457/10/PARTIA-2027?17=271231");
    for (auto _ : state) benchmark::DoNotOptimize(s.BuildMatrix());
}
BENCHMARK(BM_QrDigitalLinkEncode);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
