#include "progressform.h"

#include <QPushButton>

TProgressForm::TProgressForm(QWidget* parent)
    : TRunProgressDialog(QStringLiteral("Trwa aktualizacja bazy danych"), QStringLiteral("prRefresh"),
                         QStringLiteral("btnCancel"), parent) {
    setObjectName(QStringLiteral("ProgressForm"));
    prRefresh = Bar;
    btnCancel = CancelButton;
    btnCancel->setAutoDefault(true);
}
