#include "dclabel.h"

#include "pricefit.h"

#include <QPainter>

void TdcLabel::SetText(const QString& text) {
    // Screen readers and automation find a text object by what it shows.
    setAccessibleName(text);
    StoreAndRepaint(TextValue, text);
}

void TdcLabel::SetAlignment(quint8 alignment) { StoreAndRepaint(AlignmentValue, alignment); }

int TdcLabel::FontSize() const { return FontPointSize() / Scale(); }

void TdcLabel::SetFontSize(int points) { SetFontPointSize(Scaled(points)); }

TLayoutObject TdcLabel::ToLayoutObject() const {
    TLayoutObject o = GeometryToLayout(LayoutObjectKind::Label);
    o.Type = TypeValue;
    o.Text = TextValue;
    o.FontName = FontName();
    o.FontSize = FontSize();
    o.FontBold = FontBold();
    o.FontItalic = FontItalic();
    o.FontUnderline = FontUnderline();
    o.FontColor = FontColor();
    o.Alignment = AlignmentValue;
    return o;
}

void TdcLabel::FromLayoutObject(const TLayoutObject& o) {
    GeometryFromLayout(o);
    TypeValue = o.Type;
    SetText(o.Text);
    SetFontName(o.FontName);
    SetFontSize(o.FontSize);
    SetFontBold(o.FontBold);
    SetFontItalic(o.FontItalic);
    SetFontUnderline(o.FontUnderline);
    SetFontColor(o.FontColor);
    AlignmentValue = o.Alignment;
    UpdateHandles();
    update();
}

void TdcLabel::Paint(QPainter& painter) {
    painter.setFont(PaintFont());
    painter.setPen(ColorFromValue(FontColor()));
    painter.setBrush(Qt::NoBrush);
    painter.setClipRect(rect());
    const int flags = static_cast<int>(AlignmentFlags(AlignmentValue));
    if (TypeValue != ctLowestPrice) {
        painter.drawText(rect(), flags, TextValue);
        return;
    }
    // The template as it prints, "{cena}" standing for the price: wrapped,
    // and shrunk or cut where the box is too small.
    const auto fontAt = [&](int points) { return points == FontSize() ? PaintFont() : PaintFont(Scaled(points)); };
    const TFittedPriceText fit = FitPriceTemplate(TextValue, kPricePlaceholder.toString(), FontSize(), size(), flags,
                                                  [&](int points) { return QFontMetrics(fontAt(points), this); });
    painter.setFont(fontAt(fit.Points));
    painter.drawText(rect(), flags | Qt::TextWordWrap, fit.Text);
}
