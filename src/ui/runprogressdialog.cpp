#include "runprogressdialog.h"

#include "aligner.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TRunProgressDialog::TRunProgressDialog(const QString& title, const QString& barName, const QString& buttonName,
                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    TAligner::Install(this);
    setWindowTitle(title);
    setModal(true);
    Bar = new QProgressBar(this);
    Bar->setObjectName(barName);
    Bar->setRange(0, 100);
    Bar->setValue(0);
    Bar->setMinimumWidth(320);
    CancelButton = new QPushButton(QStringLiteral("&Anuluj"), this);
    CancelButton->setObjectName(buttonName);
    CancelButton->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(CancelButton, &QPushButton::clicked, this, &TRunProgressDialog::CancelClick);
}

void TRunProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    StartOnShow();
}

void TRunProgressDialog::StartOnShow() {
    Bar->setRange(0, 100);
    Bar->setValue(0);
    QMetaObject::invokeMethod(this, &TRunProgressDialog::RunQueued, Qt::QueuedConnection);
}

void TRunProgressDialog::RunQueued() {
    if (IsRunning || !isVisible()) return;
    IsRunning = true;
    QCoreApplication::processEvents();
    if (OnRun) OnRun();
    IsRunning = false;
    done(QDialog::Rejected);
}

void TRunProgressDialog::CancelClick() { CancelRequested.Request(); }

void TRunProgressDialog::reject() {
    // Escape while the job runs asks it to stop, like the button.
    if (IsRunning) {
        CancelClick();
        return;
    }
    QDialog::reject();
}
