#pragma once
#include "printoptions.h"

#include <QColor>
#include <QDateTime>
#include <QString>
#include <functional>

class TTable;
class TPreparePrintingForm;
class QWidget;

// The pieces of the main window that printing and the preview work with.
struct TPrintPieces {
    TTable* tbLocal = nullptr;
    TTable* tbLocalShow = nullptr;
    TPreparePrintingForm* PrepareForm = nullptr;
    bool* PrintCancelRequested = nullptr;
    int* LabelCount = nullptr;
    QDateTime* LastPrintDate = nullptr;
    // Read when the command runs: the configuration page and the settings.
    std::function<QString()> PrinterBoxText;
    std::function<QString()> PrinterSetting;
    std::function<QString()> OrientationText;
    std::function<QColor()> FrameColor;
    std::function<QString()> LayoutFileName;
    std::function<bool()> AskLabelCount;
    std::function<TPrintOptions()> Options;
    // The preview: writes the layout being designed to the given file.
    std::function<bool(const QString& path)> SaveDesign;
    QWidget* Parent = nullptr;
};

// "Drukuj": the marked goods through the progress dialog.
void sbtnDoPrintClick(const TPrintPieces& pieces);
// The preview of the current goods record with the layout being designed.
void tbShowClick(const TPrintPieces& pieces);
