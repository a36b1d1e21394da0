#include "progressform.h"

#include "helpcontexts.h"

#include <QPushButton>

TProgressForm::TProgressForm(QWidget* parent)
    : TRunProgressDialog(QStringLiteral("Trwa aktualizacja bazy danych"), QStringLiteral("prRefresh"),
                         QStringLiteral("btnCancel"), parent) {
    setObjectName(QStringLiteral("ProgressForm"));
    setProperty("HelpContext", HelpContext::Refresh);
    prRefresh = Bar;
    btnCancel = CancelButton;
    btnCancel->setAutoDefault(true);
}
