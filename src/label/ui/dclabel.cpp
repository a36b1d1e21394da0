#include "dclabel.h"

#include "fieldpainter.h"

#include <QPainter>

TdcLabel::TdcLabel(QWidget* panel, quint8 scale) : TdcComponent(panel, scale) {
    Props.Kind = LayoutObjectKind::Label;
    Props.Type = ctPrice;
}

void TdcLabel::SetText(const QString& text) { Edit([&](TObjectProperties& p) { p.Text = text; }); }
void TdcLabel::SetAlignment(quint8 alignment) { Edit([&](TObjectProperties& p) { p.Alignment = alignment; }); }
void TdcLabel::SetAType(quint8 type) { Edit([&](TObjectProperties& p) { p.Type = type; }); }

void TdcLabel::Paint(QPainter& painter) {
    painter.setClipRect(rect());
    // The object's text drawn as it prints, at the panel's resolution times
    // the zoom; a goods field shows its caption, the lowest price its
    // template with "{cena}" standing for the price.
    const QString shown = Props.Type == ctLowestPrice ? kPricePlaceholder.toString() : Props.Text;
    TFieldPainter fields;
    fields.Draw(Props, PaintFonts(FontSize()), {shown, std::nullopt}, rect(), Resolution(), painter);
}
