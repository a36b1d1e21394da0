#pragma once

class QComboBox;

// Fills a combo box with the short type names in code order and selects the
// item of `code` (nothing selected for a code that is no barcode type).
void FillBarcodeTypeCombo(QComboBox* combo, int code);
