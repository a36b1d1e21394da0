#pragma once
#include "settings.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TExternalDbBox;
class TGoodsStoreBox;
class TMSSQLServers;
class TODBCManager;
class TPLColorBox;

// Page 2 of the main window: the printer group " Drukaraka " (sic) and, below
// it, the external database group beside the group of where the goods live. It
// shows the settings and takes the edits back; the print command reads the
// printer, orientation and frame colour live from its boxes. Beside the
// printer's boxes are the sheet of labels (format, margins, gaps, columns and
// rows, the start cell question) and the offset of the printer chosen in the
// name box, with its calibration page. Under the name box is that printer's
// paper: a sheet, or a roll of labels with its darkness (a printer whose name
// or driver says it prints labels gets a hint, never a changed setting).
class TConfigurationPage : public QWidget {
    Q_OBJECT
public:
    // `servers` fills the SQL Server drop-downs (may be null).
    TConfigurationPage(TODBCManager& manager, TMSSQLServers* servers, QWidget* parent = nullptr);

    // The installed printers and the two orientations (at creation).
    void FillPrinterLists();
    // Shows the settings; the external database group shows its manager.
    void Fill(const TSettings& settings);
    // Takes the edited values back into the settings and the manager.
    void Store(TSettings& settings);

    // The sheet as the fields show it, in tenths of a millimetre.
    TSheetLayout Sheet() const;
    // Fills the fields from a sheet format (an index of SheetFormats()) and,
    // after the question, writes its label size into the layout file.
    void cbSheetFormatChange(int format);
    // Prints the calibration page on the chosen printer with its offset.
    void btnCalibrationClick();

    // The layout file whose label size a sheet format sets.
    std::function<QString()> LayoutFile;

    QGroupBox* gbPrinter = nullptr;
    QComboBox* cbPrinterName = nullptr;
    QComboBox* cbPaperKind = nullptr;  // "Arkusz" or "Rolka etykiet"
    QSpinBox* edDarkness = nullptr;
    QLabel* lbRollHint = nullptr;
    QComboBox* cbPrinterOrientation = nullptr;
    TPLColorBox* cbColor = nullptr;
    QCheckBox* cbAskLabelCounter = nullptr;
    QComboBox* cbSheetFormat = nullptr;
    QDoubleSpinBox* edSheetLeft = nullptr;
    QDoubleSpinBox* edSheetTop = nullptr;
    QDoubleSpinBox* edSheetHGap = nullptr;
    QDoubleSpinBox* edSheetVGap = nullptr;
    QSpinBox* edSheetColumns = nullptr;
    QSpinBox* edSheetRows = nullptr;
    QCheckBox* cbAskStartCell = nullptr;
    QDoubleSpinBox* edOffsetX = nullptr;
    QDoubleSpinBox* edOffsetY = nullptr;
    QPushButton* btnCalibration = nullptr;
    TExternalDbBox* GroupBox6 = nullptr;
    TGoodsStoreBox* gbGoodsStore = nullptr;

signals:
    // A sheet format wrote a new label size into the layout file.
    void LayoutResized();

private:
    void BuildSheetFields(class QGridLayout* grid);
    // The paper fields under the name box (configurationpaper.cpp).
    void BuildPaperFields(class QBoxLayout* form, const std::function<void(const QString&, QWidget*)>& caption);
    void ShowPaper();
    void PaperEdited();
    void ShowSheet(const TSheetLayout& sheet);
    void ShowOffset();
    void OffsetEdited();
    void SheetEdited();

    // The offsets as edited, and the printer whose offset the fields show.
    TCalibrations Calibrations;
    TByPrinter<TPrinterPaper> Papers;
    QString OffsetPrinter;
    bool Showing = false;
};
