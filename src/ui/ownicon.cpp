#include "ownicon.h"

#include <QPixmap>

QIcon OwnIcon(const QString& path) {
    // QIcon(path) would add the @2x twin only if a screen of that density is
    // present when the icon is made; a window dragged onto one later would get
    // a blurred enlargement.
    QString twin = path;
    twin.insert(twin.lastIndexOf(u'.'), QStringLiteral("@2x"));
    QIcon icon;
    icon.addPixmap(QPixmap(path));
    icon.addPixmap(QPixmap(twin));
    return icon;
}
