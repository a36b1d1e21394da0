#include "barcodetypecombo.h"

#include "barcodetypes.h"

#include <QComboBox>

void FillBarcodeTypeCombo(QComboBox* combo, int code) {
    combo->clear();
    for (int i = 0; i < 23; ++i) combo->addItem(*BarcodeTypeShortName(i));
    combo->setCurrentIndex(code >= 0 && code <= 22 ? code : -1);
}
