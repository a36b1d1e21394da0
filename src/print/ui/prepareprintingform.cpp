#include "prepareprintingform.h"

TPreparePrintingForm::TPreparePrintingForm(QWidget* parent)
    : TRunProgressDialog(QStringLiteral("Trwa przygotowywanie wydruku..."), QStringLiteral("prPrepare"),
                         QStringLiteral("Button1"), parent) {
    setObjectName(QStringLiteral("PreparePrintingForm"));
    prPrepare = Bar;
    Button1 = CancelButton;
    OnRun = [this] {
        if (PrintSelected) PrintSelected(PrintViewCode);
    };
}
