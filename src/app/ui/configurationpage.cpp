#include "configurationpage.h"

#include "externaldbbox.h"
#include "plcolorbox.h"
#include "printers.h"
#include "settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {
const QString kPortrait = QStringLiteral("Pionowa");
const QString kLandscape = QStringLiteral("Pozioma");
}  // namespace

TConfigurationPage::TConfigurationPage(TODBCManager& manager, TMSSQLServers* servers, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QVBoxLayout(this);
    gbPrinter = new QGroupBox(QStringLiteral(" Drukaraka "), this);  // sic
    gbPrinter->setObjectName(QStringLiteral("gbPrinter"));
    QFont bold = gbPrinter->font();
    bold.setBold(true);
    gbPrinter->setFont(bold);
    auto* form = new QVBoxLayout(gbPrinter);
    // The group's caption is bold, its controls are not.
    const auto plain = [](QWidget* w) {
        QFont f = w->font();
        f.setBold(false);
        w->setFont(f);
        return w;
    };
    const auto caption = [&](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, gbPrinter);
        label->setBuddy(buddy);
        form->addWidget(plain(label));
        form->addWidget(plain(buddy));
        buddy->setAccessibleName(text);
    };
    cbPrinterName = new QComboBox(gbPrinter);
    cbPrinterName->setObjectName(QStringLiteral("cbPrinterName"));
    caption(QStringLiteral("Nazwa"), cbPrinterName);
    cbPrinterOrientation = new QComboBox(gbPrinter);
    cbPrinterOrientation->setObjectName(QStringLiteral("cbPrinterOrientation"));
    caption(QStringLiteral("Orientacja strony"), cbPrinterOrientation);
    cbColor = new TPLColorBox(gbPrinter);
    cbColor->setObjectName(QStringLiteral("cbColor"));
    caption(QStringLiteral("Kolor obramowania"), cbColor);
    cbAskLabelCounter = new QCheckBox(QString::fromUtf8("Pytaj o ilość drukowanych etykiet"), gbPrinter);
    cbAskLabelCounter->setObjectName(QStringLiteral("cbAskLabelCounter"));
    form->addWidget(plain(cbAskLabelCounter));
    gbPrinter->setMaximumWidth(520);
    layout->addWidget(gbPrinter);
    GroupBox6 = new TExternalDbBox(manager, servers, this);
    GroupBox6->setMaximumWidth(520);
    layout->addWidget(GroupBox6);
    layout->addStretch(1);
}

void TConfigurationPage::FillPrinterLists() {
    cbPrinterName->clear();
    cbPrinterName->addItems(InstalledPrinterNames());
    cbPrinterOrientation->clear();
    cbPrinterOrientation->addItems({kPortrait, kLandscape});
}

void TConfigurationPage::Fill(const TSettings& settings) {
    cbColor->SetSelected(settings.FrameColor);
    GroupBox6->Fill();
    // A printer that is no longer installed leaves the box empty.
    cbPrinterName->setCurrentIndex(
        cbPrinterName->findText(settings.PrinterName, Qt::MatchExactly | Qt::MatchCaseSensitive));
    cbPrinterOrientation->setCurrentIndex(0);
    const int o = cbPrinterOrientation->findText(settings.Orientation, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (o >= 0) cbPrinterOrientation->setCurrentIndex(o);
    cbAskLabelCounter->setChecked(settings.AskLabelCount);
}

void TConfigurationPage::Store(TSettings& settings) {
    settings.FrameColor = cbColor->Selected();
    settings.DatabaseType = GroupBox6->DefinitionName();
    GroupBox6->StoreDatabaseFields();
    settings.PrinterName = cbPrinterName->currentIndex() >= 0 ? cbPrinterName->currentText() : QString();
    settings.Orientation = cbPrinterOrientation->currentText();
    settings.AskLabelCount = cbAskLabelCounter->isChecked();
}
