#pragma once
#include "goodsrecord.h"
#include "unitprice.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class TTable;

// The record dialog: its boxes write straight into the current record of the
// list's table object, which the caller has put in insert or edit state; the
// caller posts or cancels afterwards.
class TEditRecordForm : public QDialog {
    Q_OBJECT
public:
    TEditRecordForm(TTable& table, bool insertMode, const TUnitSymbols& symbols, QWidget* parent = nullptr);

    // "Przelicz": the unit price of the price and quantity now in the boxes.
    void btnCalculateClick();
    // The OK rule: name and price are not blank.
    void UpdateOkButton();
    // TYPKODU from the barcode type list (on OK).
    void StoreCodeType();

    QLineEdit* edName;
    QLineEdit* edPrice;
    QLineEdit* edWeight;
    QLineEdit* edAbsPrice;
    QLineEdit* edBarcode;
    QPushButton* btnCalculate;
    QComboBox* cbCodeType;
    // KROTKITERMIN, written into the record as it is ticked.
    QCheckBox* chkPerishable;
    QPushButton* btnOk;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* BoundEdit(TGoodsColumn column, const char* objectName);
    QCheckBox* BoundCheckBox(TGoodsColumn column, const QString& caption, const char* objectName);

    TTable& Table;
    TUnitSymbols Symbols;
};
