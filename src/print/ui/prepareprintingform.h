#pragma once
#include "runprogressdialog.h"

#include "views.h"

// The print progress dialog: once on screen it starts the print command by a
// queued call, and its cancel button only asks the command to stop; it closes
// when the command has finished.
class TPreparePrintingForm : public TRunProgressDialog {
    Q_OBJECT
public:
    explicit TPreparePrintingForm(QWidget* parent = nullptr);

    // The view whose goods the command prints (the marked goods).
    TViewCode PrintViewCode = TViewCode::Marked;
    // The print command, called with PrintViewCode.
    std::function<void(TViewCode viewCode)> PrintSelected;

    QProgressBar* prPrepare = nullptr;
    QPushButton* Button1 = nullptr;
};
