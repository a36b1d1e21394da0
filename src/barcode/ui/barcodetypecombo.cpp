#include "barcodetypecombo.h"

#include "barcodetypes.h"

#include <QComboBox>

void FillBarcodeTypeCombo(QComboBox* combo, int code) {
    combo->clear();
    for (int i = 0; i < BarcodeTypeCount; ++i) combo->addItem(*BarcodeTypeShortName(i));
    combo->setCurrentIndex(IsBarcodeType(code) ? code : -1);
}
