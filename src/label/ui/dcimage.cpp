#include "dcimage.h"

#include "bitmap.h"
#include "dclabel.h"

#include <QFileInfo>
#include <QPainter>

TdcImage::TdcImage(QWidget* panel, quint8 scale) : TdcComponent(panel, scale) {
    Props.Kind = LayoutObjectKind::Image;
    Props.Type = ctUserBitmap;
    lower();
    PropertiesChanged();
}

void TdcImage::PropertiesChanged() {
    const QString caption = QString::fromUtf8("Mapa bitowa");
    setAccessibleName(Props.FileName.isEmpty() ? caption
                                               : caption + QStringLiteral(": ") + QFileInfo(Props.FileName).fileName());
}

void TdcImage::SetFileName(const QString& path) {
    QImage read;
    if (!LoadLabelBitmap(path, read)) {
        Error = true;
        Picture = QImage();
        Edit([](TObjectProperties& p) { p.FileName.clear(); });
        return;
    }
    Picture = std::move(read);
    Edit([&](TObjectProperties& p) { p.FileName = path; });
    if (Props.RealSize) {
        int w = Picture.width();
        if (qint64(Left()) + w > PanelWidth()) w = PanelWidth() - Left();
        int h = Picture.height();
        if (qint64(Top()) + h > PanelHeight()) h = PanelHeight() - Top();
        resize(qMax(0, w), qMax(0, h));
    }
    UpdateHandles();
    Error = false;
}

void TdcImage::SetPicture(const QImage& picture) {
    Picture = picture;
    Error = false;
    update();
}

void TdcImage::BringToFront() {
    if (!parent()) return;
    for (QObject* sibling : parent()->children())
        if (auto* label = qobject_cast<TdcLabel*>(sibling)) {
            stackUnder(label);
            return;
        }
    raise();
}

void TdcImage::SetRealSize(bool on) {
    if (Props.RealSize == on) return;
    Edit([&](TObjectProperties& p) { p.RealSize = on; });
}

void TdcImage::FromLayoutObject(const TLayoutObject& o) {
    GeometryFromLayout(o);
    const QSize box = size();
    SetProperties(o);
    SetFileName(o.FileName);
    // The box in the file wins over the picture's own size.
    resize(box);
    UpdateHandles();
}

void TdcImage::Paint(QPainter& painter) {
    if (Picture.isNull()) return;
    const QRect target =
        Props.RealSize ? QRect(0, 0, Scaled(Picture.width()), Scaled(Picture.height())) : rect();
    painter.setClipRect(rect());
    painter.drawImage(target, Picture);
}
