#include "loginforms.h"

#include "helpwindow.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDialogButtonBox* Buttons(QDialog* dialog, QPushButton** ok, QPushButton** cancel) {
    auto* box = new QDialogButtonBox(dialog);
    *ok = box->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    *cancel = box->addButton(QStringLiteral("&Anuluj"), QDialogButtonBox::RejectRole);
    (*ok)->setObjectName(QStringLiteral("btnOk"));
    (*cancel)->setObjectName(QStringLiteral("btnCancel"));
    (*ok)->setDefault(true);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

QLineEdit* Edit(QWidget* parent, const char* name, bool password) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    if (password) e->setEchoMode(QLineEdit::Password);
    e->setMinimumWidth(200);
    return e;
}

void FixedSize(QDialog* d) {
    d->layout()->setSizeConstraint(QLayout::SetFixedSize);
    d->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

}  // namespace

TLogForm::TLogForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LogForm"));
    setWindowTitle(QStringLiteral("Zaloguj"));
    setModal(true);
    auto* form = new QFormLayout;
    edUserName = Edit(this, "edUserName", false);
    edPasswd = Edit(this, "edPasswd", true);
    form->addRow(QString::fromUtf8("Użytkownik"), edUserName);
    form->addRow(QString::fromUtf8("Hasło"), edPasswd);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Buttons(this, &btnOk, &btnCancel));
    FixedSize(this);
    AttachHelp(this, HelpContext);
}

TChPasswdForm::TChPasswdForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ChPasswdForm"));
    setWindowTitle(QString::fromUtf8("Wprowadź nowe hasło"));
    setModal(true);
    auto* form = new QFormLayout;
    Edit1 = Edit(this, "Edit1", false);
    Edit2 = Edit(this, "Edit2", true);
    Edit3 = Edit(this, "Edit3", true);
    form->addRow(QString::fromUtf8("Użytkownik"), Edit1);
    form->addRow(QString::fromUtf8("Hasło"), Edit2);
    form->addRow(QString::fromUtf8("Potwierdź hasło"), Edit3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Buttons(this, &btnOk, &btnCancel));
    FixedSize(this);
    AttachHelp(this, HelpContext);
    connect(Edit2, &QLineEdit::textChanged, this, &TChPasswdForm::EditChange);
    connect(Edit3, &QLineEdit::textChanged, this, &TChPasswdForm::EditChange);
    EditChange();
}

void TChPasswdForm::EditChange() { btnOk->setEnabled(Edit2->text() == Edit3->text()); }
