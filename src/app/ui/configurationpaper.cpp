// The printer's paper on the configuration page: a sheet of labels or a roll
// of labels, and the roll's darkness, kept per printer as its offset is.
#include "configurationpage.h"

#include "printers.h"
#include "settingskeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QBoxLayout>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {
const QString kSheet = QStringLiteral("Arkusz");
const QString kRoll = QStringLiteral("Rolka etykiet");
}  // namespace

void TConfigurationPage::BuildPaperFields(QBoxLayout* form, const std::function<void(const QString&, QWidget*)>& caption) {
    cbPaperKind = new QComboBox(gbPrinter);
    cbPaperKind->setObjectName(QStringLiteral("cbPaperKind"));
    cbPaperKind->addItems({kSheet, kRoll});
    caption(QStringLiteral("Papier drukarki"), cbPaperKind);
    lbRollHint = new QLabel(
        QStringLiteral("Ta drukarka wygląda na drukarkę etykiet: zwykle drukuje z rolki, jedną etykietę na stronie."),
        gbPrinter);
    lbRollHint->setObjectName(QStringLiteral("lbRollHint"));
    lbRollHint->setWordWrap(true);
    lbRollHint->setAccessibleName(QStringLiteral("Podpowiedź: drukarka etykiet"));
    QFont hint = lbRollHint->font();
    hint.setBold(false);
    hint.setItalic(true);
    lbRollHint->setFont(hint);
    lbRollHint->setVisible(false);
    form->addWidget(lbRollHint);
    edDarkness = new QSpinBox(gbPrinter);
    edDarkness->setObjectName(QStringLiteral("edDarkness"));
    const TSettingKey& darkness = SettingKeys::PrinterDarkness;
    edDarkness->setRange(static_cast<int>(darkness.Min), static_cast<int>(darkness.Max));
    // 0: the printer's own setting.
    edDarkness->setSpecialValueText(QStringLiteral("jak w drukarce"));
    caption(QStringLiteral("Zaczernienie etykiet z rolki"), edDarkness);
    connect(cbPaperKind, &QComboBox::currentIndexChanged, this, &TConfigurationPage::PaperEdited);
    connect(edDarkness, &QSpinBox::valueChanged, this, &TConfigurationPage::PaperEdited);
}

void TConfigurationPage::ShowPaper() {
    const QString printer = cbPrinterName->currentText();
    const TPrinterPaper paper = Papers.Get(printer);
    Showing = true;
    cbPaperKind->setCurrentIndex(paper.Roll ? 1 : 0);
    edDarkness->setValue(paper.Darkness);
    PaperEdited();
    Showing = false;
    // A hint only where the user has not chosen yet.
    bool hint = false;
    if (!printer.isEmpty() && !Papers.Has(printer)) {
        const std::optional<TPrintQueueInfo> queue = PrintQueueInfo(printer);
        hint = LooksLikeLabelPrinter(printer, queue ? queue->MakeAndModel : QString());
    }
    lbRollHint->setVisible(hint && !paper.Roll);
}

void TConfigurationPage::PaperEdited() {
    const bool roll = cbPaperKind->currentIndex() == 1;
    // A roll prints one label a page: the sheet, the start label and the
    // orientation do not count for it.
    edDarkness->setEnabled(roll);
    if (cbPrinterOrientation) cbPrinterOrientation->setEnabled(!roll);
    for (QWidget* w : std::initializer_list<QWidget*>{cbSheetFormat, edSheetLeft, edSheetTop, edSheetHGap, edSheetVGap,
                                                      edSheetColumns, edSheetRows, cbAskStartCell})
        if (w) w->setEnabled(!roll);
    if (Showing) return;
    const QString printer = cbPrinterName->currentText();
    if (printer.isEmpty()) return;
    if (roll) lbRollHint->setVisible(false);
    Papers.Set(printer, TPrinterPaper{roll, edDarkness->value()});
}
