// Any type code, check digit setting and text: the engine either builds a
// pattern of valid elements (a module matrix of the size it says) that it can
// measure and paint, or reports its own error; it never crashes or reads out
// of range.
#include "barcodesymbol.h"
#include "symbolpainting.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

// fontconfig keeps its font caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    TBarcodeSymbol s;
    s.SetTyp(static_cast<TBarcodeType>(data[0] % 32));
    s.SetChecksum(data[1] & 1);
    s.SetCheckSumMethod(data[1] & 2 ? csmNone : csmModulo10);
    s.SetRatio(1.0 + (data[1] >> 2) / 16.0);
    s.SetModul(1 + data[2] % 3);
    s.SetAngle(data[2] / 3 * 90.0 / 8);
    s.SetHeight(8);
    s.SetShowText(static_cast<TBarcodeOption>(data[2] % 4));
    s.SetText(QString::fromUtf8(reinterpret_cast<const char*>(data + 3), static_cast<qsizetype>(size - 3)));
    if (IsMatrixType(s.Typ())) {
        s.SetQrEcc(static_cast<TQrEcc>(data[1] % 4));
        try {
            const TModuleMatrix m = s.BuildMatrix();
            if (m.Rows <= 0 || m.Columns <= 0 || m.Dark.size() != static_cast<size_t>(m.Rows) * static_cast<size_t>(m.Columns))
                std::abort();
            for (const unsigned char d : m.Dark)
                if (d > 1) std::abort();
            QImage image(200, 200, QImage::Format_RGB32);
            QPainter painter(&image);
            PaintMatrix(painter, m, QRect(0, 0, 200, 200 - data[2] % 100), 96 + data[2]);
        } catch (const TBarcodeError&) {
        }
        return 0;
    }
    try {
        const QString pattern = s.BuildPattern();
        const QString text = s.Text();
        const int width = s.Width();
        if (s.Text() != text || width <= 0) std::abort();
        // Asking for the painted width changes nothing and, upright and
        // without a legend, is the width of the bars.
        const int painted = s.PaintedWidth(s.Modul());
        if (s.Text() != text || (s.ShowText() == bcoNone && s.Angle() == 0 && painted != width)) std::abort();
        for (const QChar c : pattern) {
            const char16_t u = c.unicode();
            if (!((u >= '0' && u <= '3') || (u >= '5' && u <= '8') || (u >= 'A' && u <= 'D'))) std::abort();
        }
        if (width < 4000) {
            QImage image(64, 64, QImage::Format_RGB32);
            QPainter painter(&image);
            s.PaintTo(painter);
        }
    } catch (const TBarcodeError&) {
    }
    return 0;
}
