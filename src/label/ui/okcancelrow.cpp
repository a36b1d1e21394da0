#include "okcancelrow.h"

#include <QDialog>
#include <QPushButton>

QHBoxLayout* OkCancelRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel) {
    ok = new QPushButton(QStringLiteral("&Ok"), dialog);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("&Anuluj"), dialog);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}
