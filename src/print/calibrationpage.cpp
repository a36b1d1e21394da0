#include "calibrationpage.h"

#include "printer.h"
#include "printmanager.h"
#include "sheetgrid.h"
#include "silentfailure.h"

#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <cstdlib>

namespace {

constexpr int kInset = 20;       // millimetres from the corner to the first crosshairs
constexpr int kCrossArm = 6;     // millimetres from a crosshair's centre to its ends
constexpr int kRulerAt = 40;     // millimetres from the corner to the rulers' base lines
constexpr int kTickMm = 2;       // tick lengths in millimetres: every mm, every 5 mm, every 10 mm
constexpr int kTickHalfCm = 3;
constexpr int kTickCm = 5;

// A length in tenths of a millimetre as the page writes it: "-4,5".
QString MmText(int tenths) {
    const QString digits = QString::number(std::abs(tenths) / 10) + u',' + QString::number(std::abs(tenths) % 10);
    return tenths < 0 ? u'−' + digits : digits;
}

// Millimetres from the paper's corner, moved by the printer's offset as a
// sheet's labels are, in device pixels of the printable area: what lies in the
// printer's border is cut, the rest stays where its caption says.
class TPageScale {
public:
    TPageScale(const QPaintDevice& device, QPoint paperCorner, QPoint offset)
        : DpiX(device.logicalDpiX()), DpiY(device.logicalDpiY()), Corner(paperCorner), Offset(offset) {}
    int X(double mm) const { return Corner.x() + TenthsToPixels(static_cast<int>(mm * 10) + Offset.x(), DpiX); }
    int Y(double mm) const { return Corner.y() + TenthsToPixels(static_cast<int>(mm * 10) + Offset.y(), DpiY); }
    QPoint At(double x, double y) const { return QPoint(X(x), Y(y)); }
    // A length, not a position: no offset.
    int Length(double mm) const { return TenthsToPixels(static_cast<int>(mm * 10), DpiX); }

private:
    int DpiX, DpiY;
    QPoint Corner;
    QPoint Offset;
};

void DrawCross(QPainter& p, const TPageScale& s, QPoint mm) {
    const QPoint c = s.At(mm.x(), mm.y());
    p.drawLine(s.At(mm.x() - kCrossArm, mm.y()), s.At(mm.x() + kCrossArm, mm.y()));
    p.drawLine(s.At(mm.x(), mm.y() - kCrossArm), s.At(mm.x(), mm.y() + kCrossArm));
    const int r = s.Length(2);
    p.drawEllipse(c, r, r);
    p.drawText(c + QPoint(s.Length(2.5), -s.Length(2.5)),
               QStringLiteral("%1 / %2 mm").arg(mm.x()).arg(mm.y()));
}

// A ruler along the top (horizontal) or the left (vertical) of the page, its
// ticks at every millimetre from the paper's edge, numbered every centimetre.
void DrawRuler(QPainter& p, const TPageScale& s, bool horizontal, int lengthMm) {
    for (int mm = 0; mm <= lengthMm; ++mm) {
        const int tick = mm % 10 == 0 ? kTickCm : mm % 5 == 0 ? kTickHalfCm : kTickMm;
        if (horizontal) {
            p.drawLine(s.At(mm, kRulerAt), s.At(mm, kRulerAt - tick));
            if (mm % 10 == 0 && mm > 0) p.drawText(s.At(mm, kRulerAt - kTickCm) + QPoint(s.Length(0.5), 0), QString::number(mm / 10));
        } else {
            p.drawLine(s.At(kRulerAt, mm), s.At(kRulerAt - tick, mm));
            if (mm % 10 == 0 && mm > 0) p.drawText(s.At(kRulerAt - kTickCm, mm) + QPoint(0, -s.Length(0.5)), QString::number(mm / 10));
        }
    }
    if (horizontal)
        p.drawLine(s.At(0, kRulerAt), s.At(lengthMm, kRulerAt));
    else
        p.drawLine(s.At(kRulerAt, 0), s.At(kRulerAt, lengthMm));
}

}  // namespace

std::vector<QPoint> CalibrationCrosses(QPoint paperMm) {
    const int right = std::max(kInset, (paperMm.x() - kInset) / 10 * 10);
    const int bottom = std::max(kInset, (paperMm.y() - kInset) / 10 * 10);
    return {{kInset, kInset}, {right, kInset}, {kInset, bottom}, {right, bottom}};
}

QString CalibrationInstructions(const QString& printer, QPoint offset) {
    return QStringLiteral(
               "Strona kalibracyjna drukarki „%1”.\n"
               "Przesunięcie użyte na tej stronie: w poziomie %2 mm, w pionie %3 mm.\n\n"
               "Zmierz linijką odległość środka każdego krzyżyka od lewej i od górnej krawędzi kartki; "
               "podpis krzyżyka mówi, ile powinna wynosić. Podziałki liczą milimetry od krawędzi kartki.\n"
               "Krzyżyk dalej od krawędzi, niż powinien: zmniejsz przesunięcie o różnicę; "
               "bliżej: zwiększ je o różnicę. Przykład: krzyżyk „20 / 20 mm” leży 24,5 mm od lewej "
               "krawędzi, więc przesunięcie w poziomie to obecne minus 4,5 mm.\n"
               "Przesunięcie wpisuje się na stronie Konfiguracja, w grupie Drukarka.")
        .arg(printer, MmText(offset.x()), MmText(offset.y()));
}

void DrawCalibrationPage(QPainter& p, const TPrintTarget& target, const QString& printer, QPoint offset) {
    const QPaintDevice& device = target.PaintDevice();
    const QRect paper = target.PaperRect();
    const TPageScale s(device, paper.topLeft(), offset);
    // The paper in whole millimetres.
    const QPoint paperMm(paper.width() * 254 / std::max(device.logicalDpiX(), 1) / 10,
                         paper.height() * 254 / std::max(device.logicalDpiY(), 1) / 10);
    QPen pen(Qt::black);
    pen.setWidth(std::max(1, s.Length(0.2)));
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8);
    p.setFont(font);
    for (const QPoint& mm : CalibrationCrosses(paperMm)) DrawCross(p, s, mm);
    DrawRuler(p, s, true, paperMm.x());
    DrawRuler(p, s, false, paperMm.y());
    font.setPointSizeF(9);
    p.setFont(font);
    const QPoint text = s.At(kRulerAt + 10, kRulerAt + 10);
    const int width = std::max(paperMm.x() - kRulerAt - 10 - kInset, 50);
    p.drawText(QRect(text, QSize(s.Length(width), s.Length(100))), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               CalibrationInstructions(printer, offset));
}

void PrintCalibrationPage(TPrintTarget& target, const QString& printer, QPoint offset) {
    try {
        target.BeginDoc();
        DrawCalibrationPage(target.Canvas(), target, printer, offset);
        target.EndDoc();
    } catch (const std::exception& e) {
        SilentFailure(lcPrint, QStringLiteral("the calibration page of %1 failed").arg(printer), e);
        try {
            if (target.Printing()) target.EndDoc();
        } catch (const std::exception& ended) {
            SilentFailure(lcPrint, QStringLiteral("a failed calibration page could not be ended"), ended);
        }
        throw TPrintManagerException(TPrintOutcome::PrinterFailed, QString::fromUtf8(e.what()));
    }
}
