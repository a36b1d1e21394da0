#include "progressform.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TProgressForm::TProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("ProgressForm"));
    setWindowTitle(QStringLiteral("Trwa aktualizacja bazy danych"));
    setModal(true);
    prRefresh = new QProgressBar(this);
    prRefresh->setObjectName(QStringLiteral("prRefresh"));
    prRefresh->setRange(0, 100);
    prRefresh->setValue(0);
    prRefresh->setMinimumWidth(320);
    btnCancel = new QPushButton(QStringLiteral("&Anuluj"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setDefault(true);
    btnCancel->setAutoDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prRefresh);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(btnCancel, &QPushButton::clicked, this, &TProgressForm::btnCancelClick);
}

void TProgressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TProgressForm::FormShow() {
    prRefresh->setValue(0);
    QMetaObject::invokeMethod(this, &TProgressForm::RunQueued, Qt::QueuedConnection);
}

void TProgressForm::RunQueued() {
    if (IsRunning || !isVisible()) return;
    IsRunning = true;
    QCoreApplication::processEvents();
    if (OnRun) OnRun();
    IsRunning = false;
    done(QDialog::Rejected);
}

void TProgressForm::btnCancelClick() {
    if (UpdateCancelRequested) *UpdateCancelRequested = true;
}

void TProgressForm::reject() {
    if (IsRunning) {
        btnCancelClick();
        return;
    }
    QDialog::reject();
}
