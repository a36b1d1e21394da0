#include "dclabel.h"

#include "inifile.h"

#include <QPainter>

void TdcLabel::SetText(const QString& text) { StoreAndRepaint(TextValue, text); }

void TdcLabel::SetAlignment(quint8 alignment) { StoreAndRepaint(AlignmentValue, alignment); }

int TdcLabel::FontSize() const { return FontPointSize() / Scale(); }

void TdcLabel::SetFontSize(int points) { SetFontPointSize(Scaled(points)); }

void TdcLabel::SaveToIni(TIniFile& ini, const QString& section) const {
    TdcComponent::SaveToIni(ini, section);
    TLayoutObject o;
    o.Kind = LayoutObjectKind::Label;
    o.Type = TypeValue;
    o.Text = TextValue;
    o.FontName = FontName();
    o.FontSize = FontSize();
    o.FontBold = FontBold();
    o.FontItalic = FontItalic();
    o.FontUnderline = FontUnderline();
    o.FontColor = FontColor();
    o.Alignment = AlignmentValue;
    WriteLabelKeys(ini, section, o);
}

void TdcLabel::LoadFromIni(const TIniFile& ini, const QString& section) {
    TdcComponent::LoadFromIni(ini, section);
    TLayoutObject o;
    ReadLayoutObject(ini, section, LayoutObjectKind::Label, DesignerLayoutDefaults(), o);
    TypeValue = o.Type;
    TextValue = o.Text;
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
    painter.drawText(rect(), static_cast<int>(AlignmentFlags(AlignmentValue)), TextValue);
}
