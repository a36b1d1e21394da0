#include "bitmapdialog.h"

#include "bitmap.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>

TBitmapDialog::TBitmapDialog(const QString& folder, QWidget* parent) : QFileDialog(parent) {
    setObjectName(QStringLiteral("BitmapDialog"));
    setWindowTitle(QString::fromUtf8("Wybierz mapę bitową..."));
    // The preview needs the toolkit's own dialog.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setDirectory(folder);
    // The toolkit's dialog matches names without regard to case, so
    // "LOGO.BMP" from Windows shows too.
    setNameFilters({QStringLiteral("Pliki map bitowych (*.bmp)"), QStringLiteral("Obrazy PNG i JPEG (*.png *.jpg *.jpeg)"),
                    QStringLiteral("Wszystkie obrazy (*.bmp *.png *.jpg *.jpeg)")});

    lbPreview = new QLabel(this);
    lbPreview->setObjectName(QStringLiteral("lbPreview"));
    lbPreview->setAccessibleName(QString::fromUtf8("Podgląd mapy bitowej"));
    lbPreview->setFixedSize(PreviewSize, PreviewSize);
    lbPreview->setAlignment(Qt::AlignCenter);
    lbPreview->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(lbPreview, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &TBitmapDialog::ShowPreview);
}

QString TBitmapDialog::ChosenFile() const {
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void TBitmapDialog::ShowPreview(const QString& path) {
    QImage picture;
    if (!LoadLabelBitmap(path, picture)) {
        lbPreview->setPixmap({});
        lbPreview->setText(QFileInfo(path).isFile() ? QStringLiteral("?") : QString());
        return;
    }
    // On white, as on the label; a small picture is not blown up.
    const QSize box(PreviewSize - 8, PreviewSize - 8);
    const QSize size = picture.size().boundedTo(box).expandedTo({1, 1});
    QImage shown(picture.size().scaled(size, Qt::KeepAspectRatio).expandedTo({1, 1}), QImage::Format_RGB32);
    shown.fill(Qt::white);
    {
        QPainter p(&shown);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(shown.rect(), picture);
    }
    lbPreview->setPixmap(QPixmap::fromImage(shown));
}
