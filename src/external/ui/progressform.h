#pragma once
#include "runprogressdialog.h"

// "Trwa aktualizacja bazy danych": shown modally for one update; the run
// starts by a queued call once the dialog is on screen, and the dialog closes
// when the run ends. One instance lives as long as the main window.
class TProgressForm : public TRunProgressDialog {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget* parent = nullptr);

    void FormShow() { StartOnShow(); }
    void btnCancelClick() { CancelClick(); }

    QProgressBar* prRefresh = nullptr;
    QPushButton* btnCancel = nullptr;
};
