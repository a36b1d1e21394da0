#pragma once
#include "printmanager.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <optional>

class QPushButton;
class QWidget;

// The preview window of one label: the label's bitmap above a bottom panel
// with the close button, never larger than 640 × 480 pixels.
class TShowLableForm : public QDialog {
    Q_OBJECT
public:
    explicit TShowLableForm(QWidget* parent = nullptr);

    static constexpr int MaxWidth = 640;
    static constexpr int MaxHeight = 480;

    QWidget* PaintBox1;
    QWidget* Panel2;
    QPushButton* btnClose;
    QImage Bitmap;

    // Draws the record's label of `manager` into the bitmap and sizes the
    // window to it (cut at the size limit). For a roll printer the bitmap is
    // the label's page, the label on it moved by the printer's offset as
    // the printer will print it.
    void Render(TPrintManager& manager, const TPrintGoods& goods);
};

// The scratch layout the preview reads, in the data folder.
QString PreviewLayoutPath();

// Shows the record's label drawn with the layout in PreviewLayoutPath(), which
// is deleted once read; with `rollOffset`, as the page of a roll printer with
// that offset (tenths of a millimetre). Errors give the preview's error
// message.
void ShowLabelPreview(const TPrintGoods& goods, const TPrintOptions& options, QWidget* parent = nullptr,
                      std::optional<QPoint> rollOffset = std::nullopt);
