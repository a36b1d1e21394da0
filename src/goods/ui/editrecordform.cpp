#include "editrecordform.h"

#include "aligner.h"
#include "barcodetypecombo.h"
#include "barcodetypes.h"
#include "engine.h"
#include "goodstable.h"
#include "silentfailure.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

TEditRecordForm::TEditRecordForm(TTable& table, bool insertMode, const TUnitSymbols& symbols, QWidget* parent)
    : QDialog(parent), Table(table), Symbols(symbols) {
    TAligner::Install(this);
    setObjectName(QStringLiteral("EditRecordForm"));
    setWindowTitle(insertMode ? QStringLiteral("Dodaj nowy rekord") : QStringLiteral("Edycja rekordu"));
    setModal(true);

    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* control, QWidget* extra = nullptr) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(control, row, 1);
        if (extra) grid->addWidget(extra, row, 2);
        ++row;
    };
    edName = BoundEdit(TGoodsColumn::NAZWA, "edName");
    edPrice = BoundEdit(TGoodsColumn::CENA, "edPrice");
    edWeight = BoundEdit(TGoodsColumn::WAGA, "edWeight");
    edAbsPrice = BoundEdit(TGoodsColumn::ABSCENA, "edAbsPrice");
    edBarcode = BoundEdit(TGoodsColumn::KODKRESKOWY, "edBarcode");
    btnCalculate = new QPushButton(QStringLiteral("Przelicz"), this);
    btnCalculate->setObjectName(QStringLiteral("btnCalculate"));
    btnCalculate->setFlat(true);
    btnCalculate->setAutoDefault(false);
    btnCalculate->setCursor(Qt::PointingHandCursor);
    btnCalculate->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); text-decoration: underline; border: none; }"));
    cbCodeType = new QComboBox(this);
    cbCodeType->setObjectName(QStringLiteral("cbCodeType"));

    addRow(QStringLiteral("Nazwa"), edName);
    addRow(QStringLiteral("Cena"), edPrice);
    addRow(QStringLiteral("Waga"), edWeight);
    addRow(QString::fromUtf8("Cena za jednostkę"), edAbsPrice, btnCalculate);
    addRow(QStringLiteral("Kod"), edBarcode);
    addRow(QStringLiteral("Typ kodu"), cbCodeType);
    chkPerishable = BoundCheckBox(TGoodsColumn::KROTKITERMIN, QString::fromUtf8("Krótki termin przydatności"), "chkPerishable");
    grid->addWidget(chkPerishable, row++, 1, 1, 2);

    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Anuluj"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // fixed border
    edName->setMinimumWidth(320);

    // A record without a type (a new one, or one stored without) shows EAN-13,
    // and OK stores it.
    int code = kDefaultBarcodeType;
    try {
        code = static_cast<int>(std::clamp<qint64>(BarcodeTypeCode(Table.FieldByName(GoodsColumnName(TGoodsColumn::TYPKODU))), -1, BarcodeTypeCount));
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("the barcode type of the record was not read"), e);
        code = kDefaultBarcodeType;
    }
    FillBarcodeTypeCombo(cbCodeType, code);

    connect(edName, &QLineEdit::textChanged, this, &TEditRecordForm::UpdateOkButton);
    connect(edPrice, &QLineEdit::textChanged, this, &TEditRecordForm::UpdateOkButton);
    connect(btnCalculate, &QPushButton::clicked, this, &TEditRecordForm::btnCalculateClick);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateOkButton();
}

QLineEdit* TEditRecordForm::BoundEdit(TGoodsColumn column, const char* objectName) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(objectName));
    const QString name = GoodsColumnName(column);
    try {
        TField f = Table.FieldByName(name);
        if (f.Size() > 0) edit->setMaxLength(f.Size());
        edit->setText(f.AsString());
    } catch (const std::exception& e) {
        // A table without the field leaves the box unbound.
        SilentFailure(lcGoods, QStringLiteral("the record dialog has no field %1").arg(name), e);
        edit->setEnabled(false);
        return edit;
    }
    connect(edit, &QLineEdit::textChanged, this, [this, name](const QString& text) {
        try {
            Table.FieldByName(name).SetAsString(text);
        } catch (const std::exception& e) {
            // The record is not being edited: nothing to write into.
            SilentFailure(lcGoods, QStringLiteral("the record dialog did not write %1").arg(name), e);
        }
    });
    return edit;
}

QCheckBox* TEditRecordForm::BoundCheckBox(TGoodsColumn column, const QString& caption, const char* objectName) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QLatin1String(objectName));
    box->setAccessibleName(caption);
    const QString name = GoodsColumnName(column);
    try {
        box->setChecked(Table.FieldByName(name).AsBoolean());
    } catch (const std::exception& e) {
        // A goods file that could not gain the field leaves the box unbound.
        SilentFailure(lcGoods, QStringLiteral("the record dialog has no field %1").arg(name), e);
        box->setEnabled(false);
        return box;
    }
    connect(box, &QCheckBox::toggled, this, [this, name](bool checked) {
        try {
            Table.FieldByName(name).SetAsBoolean(checked);
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the record dialog did not write %1").arg(name), e);
        }
    });
    return box;
}

void TEditRecordForm::UpdateOkButton() {
    btnOk->setEnabled(!edName->text().trimmed().isEmpty() && !edPrice->text().trimmed().isEmpty());
}

void TEditRecordForm::btnCalculateClick() {
    edAbsPrice->setText(UnitPriceText(edPrice->text(), edWeight->text(), Symbols));
}

void TEditRecordForm::StoreCodeType() {
    // With no type chosen (a stored code outside the list) the field keeps its value.
    if (cbCodeType->currentIndex() < 0) return;
    try {
        Table.FieldByName(GoodsColumnName(TGoodsColumn::TYPKODU)).SetAsInteger(cbCodeType->currentIndex());
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("the record dialog did not write TYPKODU"), e);
    }
}

void TEditRecordForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    UpdateOkButton();
}
