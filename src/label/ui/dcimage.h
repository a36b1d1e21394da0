#pragma once
#include "dccomponent.h"

#include <QImage>

// A picture object. Created behind every other object of the panel; it stays
// behind the texts, as printing draws texts over pictures.
class TdcImage : public TdcComponent {
    Q_OBJECT
public:
    TdcImage(QWidget* panel, quint8 scale);

    const QString& FileName() const { return Props.FileName; }
    // Loads the picture. In real-size mode the object takes the picture's pixel
    // size, limited to the room right of and below it on the panel. A file
    // that cannot be read sets LoadError, empties FileName and the picture and
    // keeps the size.
    void SetFileName(const QString& path);
    bool RealSize() const { return Props.RealSize; }
    void SetRealSize(bool on);
    bool LoadError() const { return Error; }
    // The picture of FileName already read (undo keeps pictures): no file
    // access, no resize.
    void SetPicture(const QImage& picture);
    // Just behind the first text of the panel.
    void BringToFront() override;
    const QImage& Bitmap() const { return Picture; }

    // Reading an image section loads its picture (check LoadError); the box
    // of the section wins over the picture's size.
    void FromLayoutObject(const TLayoutObject& object) override;

protected:
    void Paint(QPainter& painter) override;
    // "Mapa bitowa: logo.bmp", for screen readers.
    void PropertiesChanged() override;

private:
    QImage Picture;
    bool Error = false;
};
