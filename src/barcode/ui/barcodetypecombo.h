#pragma once

class QComboBox;

// Fills a combo box with the 23 short type names in code order and selects
// the item of `code` (nothing selected for a code above 22).
void FillBarcodeTypeCombo(QComboBox* combo, int code);
