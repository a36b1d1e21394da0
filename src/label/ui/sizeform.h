#pragma once
#include <QAbstractSpinBox>
#include <QDialog>

class QPushButton;

// A length in millimetres shown in centimetres with one decimal ("20,5 cm"),
// in a read-only edit with up and down buttons that step by one millimetre
// within 10 to 300. A value passed in from outside that range is shown as it
// is until the first step.
class TMmBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TMmBox(QWidget* parent = nullptr);

    int Value() const { return Mm; }
    void SetValue(int mm);
    void stepBy(int steps) override;

    static constexpr int Min = 10;
    static constexpr int Max = 300;
    // "3,0 cm" for 30.
    static QString Text(int mm);

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
    QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }

private:
    int Mm = 0;
};

// "Wprowadź rozmiar etykiety": the label's height and width.
class TSizeForm : public QDialog {
    Q_OBJECT
public:
    TSizeForm(int height, int width, QWidget* parent = nullptr);

    TMmBox* edHeight;
    TMmBox* edWidth;
    QPushButton* btnOk;
    QPushButton* btnCancel;
};
