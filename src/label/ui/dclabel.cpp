#include "dclabel.h"

#include "fieldpainter.h"
#include "matrixcode.h"

#include <QPainter>

TdcLabel::TdcLabel(QWidget* panel, quint8 scale) : TdcComponent(panel, scale) {
    Props.Kind = LayoutObjectKind::Label;
    Props.Type = ctPrice;
}

void TdcLabel::SetText(const QString& text) { Edit([&](TObjectProperties& p) { p.Text = text; }); }
void TdcLabel::SetAlignment(quint8 alignment) { Edit([&](TObjectProperties& p) { p.Alignment = alignment; }); }
void TdcLabel::SetAType(quint8 type) { Edit([&](TObjectProperties& p) { p.Type = type; }); }
void TdcLabel::SetSymbol(quint8 symbol) { Edit([&](TObjectProperties& p) { p.Symbol = symbol; }); }
void TdcLabel::SetGs1(bool on) { Edit([&](TObjectProperties& p) { p.Gs1 = on; }); }

void TdcLabel::Paint(QPainter& painter) {
    painter.setClipRect(rect());
    // The object's text drawn as it prints, at the panel's resolution times
    // the zoom; a goods field shows its caption, the lowest price its
    // template with "{cena}" standing for the price, a 2D code its symbol
    // of the template filled with sample goods.
    TFieldValue shown{Props.Type == ctLowestPrice ? kPricePlaceholder.toString() : Props.Text, std::nullopt};
    if (Props.Type == ctMatrixCode)
        shown = {FillCodeTemplate(Props.Text, SampleCodeValues()).value_or(Props.Text), MatrixCodeType(Props)};
    TFieldPainter fields;
    fields.Draw(Props, PaintFonts(FontSize()), shown, rect(), Resolution(), painter);
}
