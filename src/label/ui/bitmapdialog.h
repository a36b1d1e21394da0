#pragma once
#include <QFileDialog>

class QLabel;

// "Wybierz mapę bitową...": a picture-open dialog with a preview of the file
// under the cursor, drawn as the label will show it (white is transparent).
// Windows bitmaps come first; PNG and JPEG pictures are offered too.
class TBitmapDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TBitmapDialog(const QString& folder, QWidget* parent = nullptr);

    // The file chosen (once the dialog was accepted), or empty.
    QString ChosenFile() const;

    QLabel* lbPreview;

    static constexpr int PreviewSize = 160;

private:
    void ShowPreview(const QString& path);
};
