#pragma once
#include "printmanager.h"

#include <QDialog>
#include <QImage>

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
    // window to it (cut at the size limit).
    void Render(TPrintManager& manager, const TPrintGoods& goods);
};

// The scratch layout the preview reads, in the data folder.
QString PreviewLayoutPath();

// Shows the record's label drawn with the layout in PreviewLayoutPath(), which
// is deleted once read. Errors give the preview's error message.
void ShowLabelPreview(const TPrintGoods& goods, const TPrintOptions& options, QWidget* parent = nullptr);
