#pragma once
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class TExternalDbBox;
class TMSSQLServers;
class TODBCManager;
class TPLColorBox;
class TSettings;

// Page 2 of the main window: the printer group " Drukaraka " (sic) and, below
// it, the external database group. It shows the settings and takes the edits
// back; the print command reads the printer, orientation and frame colour
// live from its boxes.
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

    QGroupBox* gbPrinter = nullptr;
    QComboBox* cbPrinterName = nullptr;
    QComboBox* cbPrinterOrientation = nullptr;
    TPLColorBox* cbColor = nullptr;
    QCheckBox* cbAskLabelCounter = nullptr;
    TExternalDbBox* GroupBox6 = nullptr;
};
