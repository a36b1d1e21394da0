#include "configurationpage.h"

#include "externaldbbox.h"
#include "goodsstorebox.h"
#include "layoutpaths.h"
#include "plcolorbox.h"
#include "printcommand.h"
#include "printers.h"
#include "prompter.h"
#include "rounding.h"
#include "settingskeys.h"
#include "sheetformats.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
const QString kPortrait = QStringLiteral("Pionowa");
const QString kLandscape = QStringLiteral("Pozioma");

// The group's caption is bold, its controls are not.
QWidget* Plain(QWidget* w) {
    QFont f = w->font();
    f.setBold(false);
    w->setFont(f);
    return w;
}

// A length field in millimetres with one decimal, over the key's range of
// tenths of a millimetre.
QDoubleSpinBox* MmField(QWidget* parent, const char* name, const QString& accessible, const TSettingKey& key) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessible);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setRange(key.Min / 10.0, key.Max / 10.0);
    box->setSuffix(QStringLiteral(" mm"));
    Plain(box);
    return box;
}

QSpinBox* CountField(QWidget* parent, const char* name, const QString& accessible, const TSettingKey& key) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessible);
    box->setRange(static_cast<int>(key.Min), static_cast<int>(key.Max));
    // 0: as many as fit the printable area.
    box->setSpecialValueText(QStringLiteral("auto"));
    Plain(box);
    return box;
}

int Tenths(const QDoubleSpinBox* box) { return RoundHalfEven(static_cast<long double>(box->value()) * 10); }

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
    auto* columns = new QHBoxLayout(gbPrinter);
    auto* form = new QVBoxLayout;
    columns->addLayout(form, 1);
    const auto caption = [&](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, gbPrinter);
        label->setBuddy(buddy);
        form->addWidget(Plain(label));
        form->addWidget(Plain(buddy));
        buddy->setAccessibleName(text);
    };
    cbPrinterName = new QComboBox(gbPrinter);
    cbPrinterName->setObjectName(QStringLiteral("cbPrinterName"));
    caption(QStringLiteral("Nazwa"), cbPrinterName);
    BuildPaperFields(form, caption);
    cbPrinterOrientation = new QComboBox(gbPrinter);
    cbPrinterOrientation->setObjectName(QStringLiteral("cbPrinterOrientation"));
    caption(QStringLiteral("Orientacja strony"), cbPrinterOrientation);
    cbColor = new TPLColorBox(gbPrinter);
    cbColor->setObjectName(QStringLiteral("cbColor"));
    caption(QStringLiteral("Kolor obramowania"), cbColor);
    cbAskLabelCounter = new QCheckBox(QString::fromUtf8("Pytaj o ilość drukowanych etykiet"), gbPrinter);
    cbAskLabelCounter->setObjectName(QStringLiteral("cbAskLabelCounter"));
    form->addWidget(Plain(cbAskLabelCounter));
    form->addStretch(1);
    auto* sheet = new QGridLayout;
    columns->addSpacing(12);
    columns->addLayout(sheet);
    BuildSheetFields(sheet);
    gbPrinter->setMaximumWidth(760);
    layout->addWidget(gbPrinter);
    // The two databases side by side: where the goods come from, where they live.
    auto* databases = new QHBoxLayout;
    GroupBox6 = new TExternalDbBox(manager, servers, this);
    GroupBox6->setMaximumWidth(520);
    databases->addWidget(GroupBox6, 0, Qt::AlignTop);
    gbGoodsStore = new TGoodsStoreBox(this);
    gbGoodsStore->setMaximumWidth(420);
    databases->addWidget(gbGoodsStore, 0, Qt::AlignTop);
    databases->addStretch(1);
    layout->addLayout(databases);
    layout->addStretch(1);
}

void TConfigurationPage::BuildSheetFields(QGridLayout* grid) {
    namespace K = SettingKeys;
    int row = 0;
    const auto line = [&](const QString& text, QWidget* first, QWidget* second) {
        auto* label = new QLabel(text, gbPrinter);
        label->setBuddy(first);
        grid->addWidget(Plain(label), row, 0);
        if (second) {
            grid->addWidget(first, row, 1);
            grid->addWidget(second, row, 2);
        } else {
            grid->addWidget(first, row, 1, 1, 2);
        }
        ++row;
    };
    cbSheetFormat = new QComboBox(gbPrinter);
    cbSheetFormat->setObjectName(QStringLiteral("cbSheetFormat"));
    cbSheetFormat->setAccessibleName(QStringLiteral("Format arkusza etykiet"));
    cbSheetFormat->addItem(QStringLiteral("Własny"));
    for (const TSheetFormat& f : SheetFormats()) cbSheetFormat->addItem(f.Name);
    Plain(cbSheetFormat);
    line(QStringLiteral("Arkusz etykiet"), cbSheetFormat, nullptr);
    edSheetLeft = MmField(gbPrinter, "edSheetLeft", QStringLiteral("Margines lewy"), K::SheetLeft);
    edSheetTop = MmField(gbPrinter, "edSheetTop", QStringLiteral("Margines górny"), K::SheetTop);
    line(QStringLiteral("Marginesy: lewy, górny"), edSheetLeft, edSheetTop);
    edSheetHGap = MmField(gbPrinter, "edSheetHGap", QStringLiteral("Odstęp poziomy między etykietami"), K::SheetHGap);
    edSheetVGap = MmField(gbPrinter, "edSheetVGap", QStringLiteral("Odstęp pionowy między etykietami"), K::SheetVGap);
    line(QStringLiteral("Odstępy: poziomy, pionowy"), edSheetHGap, edSheetVGap);
    edSheetColumns = CountField(gbPrinter, "edSheetColumns", QStringLiteral("Kolumny etykiet"), K::SheetColumns);
    edSheetRows = CountField(gbPrinter, "edSheetRows", QStringLiteral("Wiersze etykiet"), K::SheetRows);
    line(QStringLiteral("Kolumny, wiersze"), edSheetColumns, edSheetRows);
    cbAskStartCell = new QCheckBox(QStringLiteral("Pytaj o pierwszą etykietę na arkuszu"), gbPrinter);
    cbAskStartCell->setObjectName(QStringLiteral("cbAskStartCell"));
    grid->addWidget(Plain(cbAskStartCell), row++, 0, 1, 3);
    edOffsetX = MmField(gbPrinter, "edOffsetX", QStringLiteral("Przesunięcie drukarki w poziomie"), K::CalibrationX);
    edOffsetY = MmField(gbPrinter, "edOffsetY", QStringLiteral("Przesunięcie drukarki w pionie"), K::CalibrationY);
    line(QStringLiteral("Przesunięcie drukarki"), edOffsetX, edOffsetY);
    btnCalibration = new QPushButton(QStringLiteral("Drukuj stronę kalibracyjną"), gbPrinter);
    btnCalibration->setObjectName(QStringLiteral("btnCalibration"));
    btnCalibration->setAccessibleName(btnCalibration->text());
    grid->addWidget(Plain(btnCalibration), row++, 1, 1, 2);
    grid->setRowStretch(row, 1);

    for (QDoubleSpinBox* box : {edSheetLeft, edSheetTop, edSheetHGap, edSheetVGap})
        connect(box, &QDoubleSpinBox::valueChanged, this, &TConfigurationPage::SheetEdited);
    for (QSpinBox* box : {edSheetColumns, edSheetRows})
        connect(box, &QSpinBox::valueChanged, this, &TConfigurationPage::SheetEdited);
    for (QDoubleSpinBox* box : {edOffsetX, edOffsetY})
        connect(box, &QDoubleSpinBox::valueChanged, this, &TConfigurationPage::OffsetEdited);
    connect(cbSheetFormat, &QComboBox::activated, this, [this](int index) { cbSheetFormatChange(index - 1); });
    connect(cbPrinterName, &QComboBox::currentTextChanged, this, &TConfigurationPage::ShowOffset);
    connect(cbPrinterName, &QComboBox::currentTextChanged, this, &TConfigurationPage::ShowPaper);
    connect(btnCalibration, &QPushButton::clicked, this, &TConfigurationPage::btnCalibrationClick);
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
    Calibrations = settings.Calibrations;
    Papers = settings.Papers;
    // A printer that is no longer installed leaves the box empty.
    cbPrinterName->setCurrentIndex(
        cbPrinterName->findText(settings.PrinterName, Qt::MatchExactly | Qt::MatchCaseSensitive));
    ShowOffset();
    ShowPaper();
    cbPrinterOrientation->setCurrentIndex(0);
    const int o = cbPrinterOrientation->findText(settings.Orientation, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (o >= 0) cbPrinterOrientation->setCurrentIndex(o);
    cbAskLabelCounter->setChecked(settings.AskLabelCount);
    ShowSheet(settings.Sheet);
    cbAskStartCell->setChecked(settings.AskStartCell);
    gbGoodsStore->Fill(settings.GoodsStore);
}

void TConfigurationPage::Store(TSettings& settings) {
    settings.FrameColor = cbColor->Selected();
    settings.DatabaseType = GroupBox6->DefinitionName();
    GroupBox6->StoreDatabaseFields();
    settings.PrinterName = cbPrinterName->currentIndex() >= 0 ? cbPrinterName->currentText() : QString();
    settings.Orientation = cbPrinterOrientation->currentText();
    settings.AskLabelCount = cbAskLabelCounter->isChecked();
    settings.Sheet = Sheet();
    settings.AskStartCell = cbAskStartCell->isChecked();
    settings.GoodsStore = gbGoodsStore->Values();
    for (auto it = Calibrations.All().begin(); it != Calibrations.All().end(); ++it)
        settings.Calibrations.Set(it.key(), *it);
    for (auto it = Papers.All().begin(); it != Papers.All().end(); ++it) settings.Papers.Set(it.key(), *it);
}

TSheetLayout TConfigurationPage::Sheet() const {
    TSheetLayout s;
    s.Left = Tenths(edSheetLeft);
    s.Top = Tenths(edSheetTop);
    s.HGap = Tenths(edSheetHGap);
    s.VGap = Tenths(edSheetVGap);
    s.Columns = edSheetColumns->value();
    s.Rows = edSheetRows->value();
    return s;
}

void TConfigurationPage::ShowSheet(const TSheetLayout& sheet) {
    Showing = true;
    edSheetLeft->setValue(sheet.Left / 10.0);
    edSheetTop->setValue(sheet.Top / 10.0);
    edSheetHGap->setValue(sheet.HGap / 10.0);
    edSheetVGap->setValue(sheet.VGap / 10.0);
    edSheetColumns->setValue(sheet.Columns);
    edSheetRows->setValue(sheet.Rows);
    Showing = false;
    SheetEdited();
}

void TConfigurationPage::SheetEdited() {
    if (Showing) return;
    // The format box names the format the fields hold, or "Własny".
    cbSheetFormat->setCurrentIndex(FindSheetFormat(Sheet()) + 1);
}

void TConfigurationPage::ShowOffset() {
    OffsetPrinter = cbPrinterName->currentText();
    const QPoint offset = Calibrations.Get(OffsetPrinter);
    Showing = true;
    edOffsetX->setValue(offset.x() / 10.0);
    edOffsetY->setValue(offset.y() / 10.0);
    Showing = false;
}

void TConfigurationPage::OffsetEdited() {
    if (Showing || OffsetPrinter.isEmpty()) return;
    Calibrations.Set(OffsetPrinter, QPoint(Tenths(edOffsetX), Tenths(edOffsetY)));
}

void TConfigurationPage::cbSheetFormatChange(int format) {
    const std::vector<TSheetFormat>& formats = SheetFormats();
    if (format < 0 || format >= static_cast<int>(formats.size())) return;
    const TSheetFormat& f = formats[format];
    ShowSheet(f.Sheet);
    // The formats are portrait A4 sheets.
    cbPrinterOrientation->setCurrentIndex(cbPrinterOrientation->findText(kPortrait));
    const QString path = LayoutFile ? LayoutFile() : QString();
    if (path.isEmpty()) return;
    const QString question = QStringLiteral("Zmienić rozmiar etykiety w pliku wyglądu \"%1\" na %2 × %3 mm?")
                                 .arg(LayoutDisplayName(path))
                                 .arg(f.LabelWidth)
                                 .arg(f.LabelHeight);
    if (!Prompter::current().confirmYesNo(question)) return;
    if (!SetLayoutLabelSize(path, f.LabelWidth, f.LabelHeight)) {
        Prompter::current().error(QString::fromUtf8("Wystąpił błąd podczas zapisu pliku: \"%1\".").arg(path));
        return;
    }
    emit LayoutResized();
}

void TConfigurationPage::btnCalibrationClick() {
    PrintCalibration(cbPrinterName->currentIndex() >= 0 ? cbPrinterName->currentText() : QString(),
                     cbPrinterOrientation->currentText(), QPoint(Tenths(edOffsetX), Tenths(edOffsetY)));
}
