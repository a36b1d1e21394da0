#pragma once
#include <QWidget>

class QLineEdit;
class QScrollArea;
class TDesignPanel;
class TdcComponent;
class TSettings;

// Page 1 of the main window: the layout's file name and the design panel
// `plProjDesign` in a scroll area. It reads and writes the layout file that
// the settings name, at the settings' zoom, and sets the window's
// LayoutModified flag whenever an object changes.
class TDesignPage : public QWidget {
    Q_OBJECT
public:
    TDesignPage(TSettings& settings, bool& layoutModified, QWidget* parent = nullptr);

    // Loads the layout file named by the settings into the panel (the first
    // object selected); false when the file exists but cannot be read.
    bool ReloadLayout();
    // The designer's Save: writes the panel into the layout file named by the
    // settings; on failure the error message names the layout as the settings
    // hold it. Clears LayoutModified on success.
    bool SaveLayout();
    // The panel written to another file (the preview's scratch layout).
    bool SaveLayoutTo(const QString& path) const;

    // The file name box shows the layout in display form, and gives it back.
    void ShowFileName();
    void StoreFileName();

    QLineEdit* edLabelFileName = nullptr;
    QScrollArea* sbDesign = nullptr;
    TDesignPanel* plProjDesign = nullptr;

private:
    void ObjectSelected(TdcComponent* object);

    TSettings& Settings;
    bool& LayoutModified;
};
