#include "calibrationpage.h"

#include "printer.h"
#include "printmanager.h"
#include "silentfailure.h"
#include "units.h"

#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <cstdlib>

namespace {

constexpr TMm kInset(20);       // from the corner to the first crosshairs
constexpr TMm kCrossArm(6);     // from a crosshair's centre to its ends
constexpr TMm kRulerAt(40);     // from the corner to the rulers' base lines
constexpr TMm kTick(2);         // tick lengths: every mm, every 5 mm, every 10 mm
constexpr TMm kTickHalfCm(3);
constexpr TMm kTickCm(5);

// A length in tenths of a millimetre as the page writes it: "-4,5".
QString MmText(int tenths) {
    const QString digits = QString::number(std::abs(tenths) / 10) + u',' + QString::number(std::abs(tenths) % 10);
    return tenths < 0 ? u'−' + digits : digits;
}

// Places measured from the paper's corner, moved by the printer's offset as a
// sheet's labels are, in device pixels of the printable area: what lies in the
// printer's border is cut, the rest stays where its caption says.
class TPageScale {
public:
    TPageScale(const QPaintDevice& device, QPoint paperCorner, TMm10Point offset)
        : Resolution(TResolution::Of(device)), Corner(paperCorner), Offset(offset) {}
    QPoint At(TMm10 x, TMm10 y) const { return Corner + ToDots(TMm10Point{x + Offset.X, y + Offset.Y}, Resolution); }
    QPoint At(TMm x, TMm y) const { return At(ToMm10(x), ToMm10(y)); }
    // A length, not a place: no offset.
    int Length(TMm10 length) const { return ToDots(length, Resolution.X).Value(); }
    int Length(TMm length) const { return Length(ToMm10(length)); }

private:
    TResolution Resolution;
    QPoint Corner;
    TMm10Point Offset;
};

void DrawCross(QPainter& p, const TPageScale& s, TMm x, TMm y) {
    const QPoint c = s.At(x, y);
    p.drawLine(s.At(x - kCrossArm, y), s.At(x + kCrossArm, y));
    p.drawLine(s.At(x, y - kCrossArm), s.At(x, y + kCrossArm));
    const int r = s.Length(TMm(2));
    p.drawEllipse(c, r, r);
    const int captionAt = s.Length(TMm10(25));
    p.drawText(c + QPoint(captionAt, -captionAt), QStringLiteral("%1 / %2 mm").arg(x.Value()).arg(y.Value()));
}

// A ruler along the top (horizontal) or the left (vertical) of the page, its
// ticks at every millimetre from the paper's edge, numbered every centimetre.
void DrawRuler(QPainter& p, const TPageScale& s, bool horizontal, TMm length) {
    const int gap = s.Length(TMm10(5));
    for (TMm mm; mm <= length; mm = mm + TMm(1)) {
        const int n = mm.Value();
        const TMm tick = n % 10 == 0 ? kTickCm : n % 5 == 0 ? kTickHalfCm : kTick;
        if (horizontal) {
            p.drawLine(s.At(mm, kRulerAt), s.At(mm, kRulerAt - tick));
            if (n % 10 == 0 && n > 0) p.drawText(s.At(mm, kRulerAt - kTickCm) + QPoint(gap, 0), QString::number(n / 10));
        } else {
            p.drawLine(s.At(kRulerAt, mm), s.At(kRulerAt - tick, mm));
            if (n % 10 == 0 && n > 0) p.drawText(s.At(kRulerAt - kTickCm, mm) + QPoint(0, -gap), QString::number(n / 10));
        }
    }
    if (horizontal)
        p.drawLine(s.At(TMm(0), kRulerAt), s.At(length, kRulerAt));
    else
        p.drawLine(s.At(kRulerAt, TMm(0)), s.At(kRulerAt, length));
}

}  // namespace

std::vector<QPoint> CalibrationCrosses(QPoint paperMm) {
    const int inset = kInset.Value();
    const int right = std::max(inset, (paperMm.x() - inset) / 10 * 10);
    const int bottom = std::max(inset, (paperMm.y() - inset) / 10 * 10);
    return {{inset, inset}, {right, inset}, {inset, bottom}, {right, bottom}};
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
    const TPageScale s(device, paper.topLeft(), {TMm10(offset.x()), TMm10(offset.y())});
    // The whole millimetres of the paper.
    const TMm paperWidth = WholeMmIn(TDots(paper.width()), device.logicalDpiX());
    const TMm paperHeight = WholeMmIn(TDots(paper.height()), device.logicalDpiY());
    QPen pen(Qt::black);
    pen.setWidth(std::max(1, s.Length(TMm10(2))));
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8);
    p.setFont(font);
    for (const QPoint& mm : CalibrationCrosses(QPoint(paperWidth.Value(), paperHeight.Value())))
        DrawCross(p, s, TMm(mm.x()), TMm(mm.y()));
    DrawRuler(p, s, true, paperWidth);
    DrawRuler(p, s, false, paperHeight);
    font.setPointSizeF(9);
    p.setFont(font);
    const TMm textAt = kRulerAt + TMm(10);
    const TMm width = std::max(paperWidth - textAt - kInset, TMm(50));
    p.drawText(QRect(s.At(textAt, textAt), QSize(s.Length(width), s.Length(TMm(100)))),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, CalibrationInstructions(printer, offset));
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
