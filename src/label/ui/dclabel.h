#pragma once
#include "dccomponent.h"

// A text object: a goods field (price, name, unit price, barcode) or a fixed text.
class TdcLabel : public TdcComponent {
    Q_OBJECT
public:
    TdcLabel(QWidget* panel, quint8 scale);

    const QString& Text() const { return Props.Text; }
    void SetText(const QString& text);
    quint8 Alignment() const { return Props.Alignment; }
    void SetAlignment(quint8 alignment);
    quint8 AType() const { return Props.Type; }
    void SetAType(quint8 type);

protected:
    void Paint(QPainter& painter) override;
    // Screen readers and automation find a text object by what it shows.
    void PropertiesChanged() override { setAccessibleName(Props.Text); }
};
