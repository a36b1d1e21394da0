#include "labelcountform.h"

#include "aligner.h"
#include "prompter.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool ParseCount(const QString& text, int& value) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (ok) value = v;
    return ok;
}

}  // namespace

TLabelCountForm::TLabelCountForm(int recordCount, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    TAligner::Install(this);
    setObjectName(QStringLiteral("LabelCountForm"));
    setWindowTitle(QStringLiteral(" Wydruki"));
    Label1 = new QLabel(QStringLiteral("Ilość etykiet do druku: ") + QString::number(recordCount) + QStringLiteral("."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto* each = new QLabel(QStringLiteral("Każda etykieta będzie drukowana"), this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    for (int i = 1; i <= 20; ++i) ComboBox1->addItem(QString::number(i));
    ComboBox1->setCurrentIndex(0);
    auto* times = new QLabel(QStringLiteral("razy."), this);
    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Anuluj"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    auto* row = new QHBoxLayout;
    row->addWidget(each);
    row->addWidget(ComboBox1);
    row->addWidget(times);
    row->addStretch();
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TLabelCountForm::Copies() const {
    int v = 0;
    ParseCount(ComboBox1->currentText(), v);
    return v;
}

bool TLabelCountForm::FormCloseQuery() {
    int v = 0;
    if (ParseCount(ComboBox1->currentText(), v)) return true;
    Prompter::current().error(QStringLiteral("Należy wprowadzić liczbę."));
    return false;
}

void TLabelCountForm::done(int result) {
    if (result == QDialog::Accepted && !FormCloseQuery()) return;
    QDialog::done(result);
}

bool QueryLabelCount(int recordCount, int& copies) {
    TLabelCountForm form(recordCount);
    if (Prompter::current().runDialog(form) != QDialog::Accepted) return false;
    copies = form.Copies();
    return true;
}
