#include "loginforms.h"


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

// A small fixed-size modal dialog: labelled edit boxes over OK and Cancel,
// with F1 opening its help page.
void BuildEditDialog(QDialog* d, const char* name, const QString& title,
                     std::initializer_list<std::pair<QString, QLineEdit*>> rows, QPushButton** ok,
                     QPushButton** cancel, int helpContext) {
    d->setObjectName(QLatin1String(name));
    d->setWindowTitle(title);
    d->setModal(true);
    auto* form = new QFormLayout;
    for (const auto& [label, edit] : rows) {
        form->addRow(label, edit);
        edit->setAccessibleName(label);
    }
    auto* layout = new QVBoxLayout(d);
    layout->addLayout(form);
    layout->addWidget(Buttons(d, ok, cancel));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    d->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    d->setProperty("HelpContext", helpContext);
}

}  // namespace

TLogForm::TLogForm(QWidget* parent) : QDialog(parent) {
    edUserName = Edit(this, "edUserName", false);
    edPasswd = Edit(this, "edPasswd", true);
    BuildEditDialog(this, "LogForm", QStringLiteral("Zaloguj"),
                    {{QString::fromUtf8("Użytkownik"), edUserName}, {QString::fromUtf8("Hasło"), edPasswd}}, &btnOk,
                    &btnCancel, HelpContext);
}

TChPasswdForm::TChPasswdForm(QWidget* parent) : QDialog(parent) {
    Edit1 = Edit(this, "Edit1", false);
    Edit2 = Edit(this, "Edit2", true);
    Edit3 = Edit(this, "Edit3", true);
    BuildEditDialog(this, "ChPasswdForm", QString::fromUtf8("Wprowadź nowe hasło"),
                    {{QString::fromUtf8("Użytkownik"), Edit1},
                     {QString::fromUtf8("Hasło"), Edit2},
                     {QString::fromUtf8("Potwierdź hasło"), Edit3}},
                    &btnOk, &btnCancel, HelpContext);
    connect(Edit2, &QLineEdit::textChanged, this, &TChPasswdForm::EditChange);
    connect(Edit3, &QLineEdit::textChanged, this, &TChPasswdForm::EditChange);
    EditChange();
}

void TChPasswdForm::EditChange() { btnOk->setEnabled(Edit2->text() == Edit3->text()); }
