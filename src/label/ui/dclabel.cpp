#include "dclabel.h"

#include "pricefit.h"

#include <QPainter>

TdcLabel::TdcLabel(QWidget* panel, quint8 scale) : TdcComponent(panel, scale) {
    Props.Kind = LayoutObjectKind::Label;
    Props.Type = ctPrice;
}

void TdcLabel::SetText(const QString& text) { Edit([&](TObjectProperties& p) { p.Text = text; }); }
void TdcLabel::SetAlignment(quint8 alignment) { Edit([&](TObjectProperties& p) { p.Alignment = alignment; }); }
void TdcLabel::SetAType(quint8 type) { Edit([&](TObjectProperties& p) { p.Type = type; }); }

void TdcLabel::Paint(QPainter& painter) {
    painter.setFont(PaintFont());
    painter.setPen(ColorFromValue(FontColor()));
    painter.setBrush(Qt::NoBrush);
    painter.setClipRect(rect());
    const int flags = static_cast<int>(AlignmentFlags(Props.Alignment));
    if (Props.Type != ctLowestPrice) {
        painter.drawText(rect(), flags, Props.Text);
        return;
    }
    // The template as it prints, "{cena}" standing for the price: wrapped,
    // and shrunk or cut where the box is too small.
    const auto fontAt = [&](int points) { return points == FontSize() ? PaintFont() : PaintFont(Scaled(points)); };
    const TFittedPriceText fit = FitPriceTemplate(Props.Text, kPricePlaceholder.toString(), FontSize(), size(), flags,
                                                  [&](int points) { return QFontMetrics(fontAt(points), this); });
    painter.setFont(fontAt(fit.Points));
    painter.drawText(rect(), flags | Qt::TextWordWrap, fit.Text);
}
