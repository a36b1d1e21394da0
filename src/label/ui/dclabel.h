#pragma once
#include "dccomponent.h"

// A text object: a goods field (price, name, unit price, barcode, the lowest
// price, a 2D code) or a fixed text.
class TdcLabel : public TdcComponent {
    Q_OBJECT
public:
    // A price field (AType 0) with no text, Arial at 15 points on the panel.
    TdcLabel(QWidget* panel, quint8 scale);

    // What the object stands for, a TCompoType.
    quint8 AType() const { return Props.Type; }
    void SetAType(quint8 type);
    // What the panel shows: a goods field's caption, a fixed text, the lowest
    // price's or the 2D code's template.
    const QString& Text() const { return Props.Text; }
    void SetText(const QString& text);
    // TLabelAlignment: left, right or centred at the top of the box.
    quint8 Alignment() const { return Props.Alignment; }
    void SetAlignment(quint8 alignment);
    // A 2D code's symbology (TMatrixSymbol) and whether it carries GS1 data.
    quint8 Symbol() const { return Props.Symbol; }
    void SetSymbol(quint8 symbol);
    bool Gs1() const { return Props.Gs1; }
    void SetGs1(bool on);

protected:
    void Paint(QPainter& painter) override;
    // Screen readers and automation find a text object by what it shows.
    void PropertiesChanged() override { setAccessibleName(Props.Text); }
};
