#include "layoutpaths.h"

#include "datafolder.h"

QString LayoutsFolder() { return GetDataFolder() + QStringLiteral("LABELS/"); }

QString LayoutFullPath(const QString& name) {
    if (name.isEmpty() || name.contains(u'/')) return name;
    return LayoutsFolder() + name;
}

QString LayoutDisplayName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0) return path;
    if (path.left(slash + 1) == LayoutsFolder()) return path.mid(slash + 1);
    return path;
}
