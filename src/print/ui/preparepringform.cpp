#include "preparepringform.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TPreparePrintingForm::TPreparePrintingForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("PreparePrintingForm"));
    setWindowTitle(QStringLiteral("Trwa przygotowywanie wydruku..."));
    setModal(true);
    prPrepare = new QProgressBar(this);
    prPrepare->setObjectName(QStringLiteral("prPrepare"));
    prPrepare->setRange(0, 100);
    prPrepare->setValue(0);
    prPrepare->setMinimumWidth(320);
    Button1 = new QPushButton(QStringLiteral("&Anuluj"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prPrepare);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &TPreparePrintingForm::Button1Click);
}

void TPreparePrintingForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TPreparePrintingForm::FormShow() {
    prPrepare->setRange(0, 100);
    prPrepare->setValue(0);
    QMetaObject::invokeMethod(this, &TPreparePrintingForm::RunQueued, Qt::QueuedConnection);
}

void TPreparePrintingForm::RunQueued() {
    if (IsRunning || !isVisible()) return;
    IsRunning = true;
    QCoreApplication::processEvents();
    if (PrintSelected) PrintSelected(PrintViewCode);
    IsRunning = false;
    done(QDialog::Rejected);
}

void TPreparePrintingForm::Button1Click() {
    if (PrintCancelRequested) *PrintCancelRequested = true;
}

void TPreparePrintingForm::reject() {
    // Escape while printing asks the command to stop, like the button.
    if (IsRunning) {
        Button1Click();
        return;
    }
    QDialog::reject();
}
