#pragma once
#include "cancelflag.h"

#include <QColor>
#include <QString>
#include <functional>

class TGoodsSession;
class TPreparePrintingForm;
class TSettings;
class QWidget;

// What printing and the preview work with: the window's goods session and
// settings, its print progress dialog, and the configuration page's live
// values, read when the command runs.
struct TPrintPieces {
    TPrintPieces(TGoodsSession& goods, TSettings& settings) : Goods(goods), Settings(settings) {}
    TGoodsSession& Goods;
    TSettings& Settings;
    TPreparePrintingForm* PrepareForm = nullptr;
    std::function<QString()> PrinterBoxText;
    std::function<QString()> OrientationText;
    std::function<QColor()> FrameColor;
    // The preview: writes the layout being designed to the given file.
    std::function<bool(const QString& path)> SaveDesign;
    QWidget* Parent = nullptr;
};

// "Drukuj": the marked goods through the progress dialog.
void sbtnDoPrintClick(const TPrintPieces& pieces);
// The preview of the current goods record with the layout being designed.
void tbShowClick(const TPrintPieces& pieces);
