#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;

// "Podaj tekst": one line of text for a fixed text of the label. OK is
// enabled only while the text holds more than blanks.
class TEditTextForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditTextForm(const QString& initial, QWidget* parent = nullptr);

    QLineEdit* edText;
    QPushButton* btnOk;
    QPushButton* btnCancel;

private:
    void EnableOk();
};
