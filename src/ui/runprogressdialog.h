#pragma once
#include "cancelflag.h"

#include <QDialog>
#include <functional>

class QProgressBar;
class QPushButton;

// A modal dialog that runs one long job with a progress bar and a Cancel
// button. Once on screen it starts the job by a queued call, so the dialog is
// painted before the work begins; Cancel and Escape only ask the job to stop
// (through the cancel flag); the dialog closes itself when the job has ended.
// The update and the print command each have one for the life of the window.
class TRunProgressDialog : public QDialog {
    Q_OBJECT
public:
    TRunProgressDialog(const QString& title, const QString& barName, const QString& buttonName,
                       QWidget* parent = nullptr);

    // The job to run while shown, and the flag that Cancel sets.
    std::function<void()> OnRun;
    TCancelFlag CancelRequested;

    // Resets the bar and queues the start of the job.
    void StartOnShow();
    // The Cancel button: asks the job to stop.
    void CancelClick();
    bool Running() const { return IsRunning; }

    QProgressBar* Bar = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void RunQueued();
    bool IsRunning = false;
};
