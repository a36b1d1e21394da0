#include "edittextform.h"

#include "aligner.h"
#include "okcancelrow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TEditTextForm::TEditTextForm(const QString& initial, QWidget* parent) : QDialog(parent) {
    TAligner::Install(this);
    setObjectName(QStringLiteral("EditTextForm"));
    setWindowTitle(QStringLiteral("Podaj tekst"));
    auto* prompt = new QLabel(QString::fromUtf8("Proszę wpisać tekst wyświetlany na etykiecie"), this);
    edText = new QLineEdit(initial, this);
    edText->setObjectName(QStringLiteral("edText"));
    edText->setAccessibleName(prompt->text());
    prompt->setBuddy(edText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(edText);
    layout->addLayout(OkCancelRow(this, btnOk, btnCancel));
    connect(edText, &QLineEdit::textChanged, this, &TEditTextForm::EnableOk);
    edText->setMinimumWidth(320);
    setFixedSize(sizeHint());
    edText->setFocus();
    EnableOk();
}

void TEditTextForm::EnableOk() { btnOk->setEnabled(!edText->text().trimmed().isEmpty()); }
