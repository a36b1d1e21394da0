#include "sizeform.h"

#include "aligner.h"
#include "okcancelrow.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TMmBox::TMmBox(QWidget* parent) : QAbstractSpinBox(parent) {
    lineEdit()->setReadOnly(true);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    SetValue(0);
}

QString TMmBox::Text(int mm) { return QStringLiteral("%1,%2 cm").arg(mm / 10).arg(mm % 10); }

void TMmBox::SetValue(int mm) {
    Mm = mm;
    lineEdit()->setText(Text(Mm));
}

void TMmBox::stepBy(int steps) {
    // Every step is one click: one millimetre, then the limits.
    for (int i = 0; i < std::abs(steps); ++i) Mm = qBound(Min, Mm + (steps > 0 ? 1 : -1), Max);
    SetValue(Mm);
}

TSizeForm::TSizeForm(int height, int width, QWidget* parent) : QDialog(parent) {
    TAligner::Install(this);
    setObjectName(QStringLiteral("SizeForm"));
    setWindowTitle(QString::fromUtf8("Wprowadź rozmiar etykiety"));
    auto* form = new QFormLayout;
    edHeight = new TMmBox(this);
    edHeight->setObjectName(QStringLiteral("edHeight"));
    edHeight->setAccessibleName(QString::fromUtf8("Wysokość"));
    edHeight->SetValue(height);
    form->addRow(QString::fromUtf8("&Wysokość"), edHeight);
    edWidth = new TMmBox(this);
    edWidth->setObjectName(QStringLiteral("edWidth"));
    edWidth->setAccessibleName(QString::fromUtf8("Szerokość"));
    edWidth->SetValue(width);
    form->addRow(QString::fromUtf8("&Szerokość"), edWidth);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(OkCancelRow(this, btnOk, btnCancel));
    setFixedSize(sizeHint());
}
