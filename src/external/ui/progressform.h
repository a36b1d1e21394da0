#pragma once
#include <QDialog>
#include <functional>

class QProgressBar;
class QPushButton;

// "Trwa aktualizacja bazy danych": shown modally for one update; the run
// starts by a queued call once the dialog is on screen, and the dialog closes
// when the run ends. One instance lives as long as the main window.
class TProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget* parent = nullptr);

    // The run to make while shown, and the flag that Cancel sets.
    std::function<void()> OnRun;
    bool* UpdateCancelRequested = nullptr;

    void FormShow();
    void btnCancelClick();
    bool Running() const { return IsRunning; }

    QProgressBar* prRefresh = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    // Escape and the Cancel button only ask the run to stop; the dialog
    // closes when it has.
    void reject() override;

private:
    void RunQueued();
    bool IsRunning = false;
};
