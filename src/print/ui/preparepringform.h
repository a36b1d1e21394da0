#pragma once
#include <QDialog>
#include <functional>

class QProgressBar;
class QPushButton;

// The print progress dialog: once on screen it starts the print command by a
// queued call, and its cancel button only asks the command to stop; it closes
// when the command has finished.
class TPreparePrintingForm : public QDialog {
    Q_OBJECT
public:
    explicit TPreparePrintingForm(QWidget* parent = nullptr);

    // The view whose goods the command prints (2: the marked goods).
    int PrintViewCode = 2;
    // The print command, called with PrintViewCode.
    std::function<void(int viewCode)> PrintSelected;
    // Set by the cancel button.
    bool* PrintCancelRequested = nullptr;

    void FormShow();
    void Button1Click();
    bool Running() const { return IsRunning; }

    QProgressBar* prPrepare;
    QPushButton* Button1;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void RunQueued();
    bool IsRunning = false;
};
