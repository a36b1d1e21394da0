#pragma once
#include "dccomponent.h"

// A text object: a goods field (price, name, unit price, barcode) or a fixed text.
class TdcLabel : public TdcComponent {
    Q_OBJECT
public:
    using TdcComponent::TdcComponent;

    const QString& Text() const { return TextValue; }
    void SetText(const QString& text);
    quint8 Alignment() const { return AlignmentValue; }
    void SetAlignment(quint8 alignment);
    quint8 AType() const { return TypeValue; }
    void SetAType(quint8 type) { TypeValue = type; }
    // Points at scale 1: the design size div Scale.
    int FontSize() const;
    void SetFontSize(int points);

    // A label section: kind, text, font and alignment.
    TLayoutObject ToLayoutObject() const override;
    void FromLayoutObject(const TLayoutObject& object) override;

protected:
    void Paint(QPainter& painter) override;

private:
    QString TextValue;
    quint8 AlignmentValue = taLeftJustify;
    quint8 TypeValue = ctPrice;
};
