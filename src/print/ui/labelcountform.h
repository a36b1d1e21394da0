#pragma once
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// The copies dialog: how many times each label is printed.
class TLabelCountForm : public QDialog {
    Q_OBJECT
public:
    explicit TLabelCountForm(int recordCount, QWidget* parent = nullptr);

    QLabel* Label1;
    QComboBox* ComboBox1;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    // The entered count; valid after the dialog was accepted.
    int Copies() const;
    // OK closes only on an integer; otherwise the message and the dialog stays.
    bool FormCloseQuery();

    void done(int result) override;
};

// Shows the copies dialog for `recordCount` records; on OK stores the entered
// count (any integer) into `copies` and returns true; on cancel `copies` stays.
bool QueryLabelCount(int recordCount, int& copies);
