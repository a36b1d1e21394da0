#include "dcimage.h"

#include "bitmap.h"
#include "dclabel.h"

#include <QFileInfo>
#include <QPainter>

TdcImage::TdcImage(QWidget* panel, quint8 scale) : TdcComponent(panel, scale) {
    lower();
    setAccessibleName(AccessibleText());
}

QString TdcImage::AccessibleText() const {
    const QString caption = QString::fromUtf8("Mapa bitowa");
    return File.isEmpty() ? caption : caption + QStringLiteral(": ") + QFileInfo(File).fileName();
}

void TdcImage::SetFileName(const QString& path) {
    File = path;
    if (!LoadLabelBitmap(path, Picture)) {
        Error = true;
        File.clear();
        Picture = QImage();
        setAccessibleName(AccessibleText());
        update();
        return;
    }
    setAccessibleName(AccessibleText());
    if (Real) {
        int w = Picture.width();
        if (qint64(Left()) + w > PanelWidth()) w = PanelWidth() - Left();
        int h = Picture.height();
        if (qint64(Top()) + h > PanelHeight()) h = PanelHeight() - Top();
        resize(qMax(0, w), qMax(0, h));
    }
    UpdateHandles();
    update();
    Error = false;
}

void TdcImage::SetPicture(const QString& path, const QImage& picture) {
    File = path;
    Picture = picture;
    Error = false;
    setAccessibleName(AccessibleText());
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
    if (Real == on) return;
    StoreAndRepaint(Real, on);
}

TLayoutObject TdcImage::ToLayoutObject() const {
    TLayoutObject o = GeometryToLayout(LayoutObjectKind::Image);
    o.Type = ctUserBitmap;
    o.FileName = File;
    o.RealSize = Real;
    return o;
}

void TdcImage::FromLayoutObject(const TLayoutObject& o) {
    GeometryFromLayout(o);
    const QSize box = size();
    Real = o.RealSize;
    SetFileName(o.FileName);
    // The box in the file wins over the picture's own size.
    resize(box);
    UpdateHandles();
}

void TdcImage::Paint(QPainter& painter) {
    if (Picture.isNull()) return;
    const QRect target = Real ? QRect(0, 0, Scaled(Picture.width()), Scaled(Picture.height())) : rect();
    painter.setClipRect(rect());
    painter.drawImage(target, Picture);
}
