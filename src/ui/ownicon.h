#pragma once
#include <QIcon>
#include <QString>

// One of the program's own icons from the resources: `path` names the drawing
// at its size on an ordinary screen ("name.png"), and "name@2x.png" beside it
// the same drawing at twice the size. The icon holds both, so that neither
// screen density scales a pixmap.
QIcon OwnIcon(const QString& path);
