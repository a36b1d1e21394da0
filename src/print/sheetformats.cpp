#include "sheetformats.h"

#include "layout.h"

#include <QFileInfo>

const std::vector<TSheetFormat>& SheetFormats() {
    // {left, top, horizontal gap, vertical gap, columns, rows} in tenths of a millimetre.
    static const std::vector<TSheetFormat> formats{
        {QStringLiteral("A4, 2 × 7 (14 etykiet 99,1 × 38,1 mm)"), 99, 38, {47, 151, 26, 1, 2, 7}},
        {QStringLiteral("A4, 3 × 7 (21 etykiet 63,5 × 38,1 mm)"), 63, 38, {72, 151, 30, 1, 3, 7}},
        {QStringLiteral("A4, 3 × 8 (24 etykiety 70 × 37 mm)"), 70, 37, {0, 5, 0, 0, 3, 8}},
        {QStringLiteral("A4, 4 × 10 (40 etykiet 52,5 × 29,7 mm)"), 52, 29, {0, 0, 5, 7, 4, 10}},
        {QStringLiteral("A4, 5 × 13 (65 etykiet 38,1 × 21,2 mm)"), 38, 21, {47, 107, 26, 2, 5, 13}},
    };
    return formats;
}

int FindSheetFormat(const TSheetLayout& sheet) {
    const std::vector<TSheetFormat>& formats = SheetFormats();
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i].Sheet == sheet) return static_cast<int>(i);
    return -1;
}

bool SetLayoutLabelSize(const QString& path, int width, int height) {
    if (!QFileInfo(path).isFile()) return false;
    // Read as the designer reads it, so that the file saved is the one the
    // designer would save with the new size.
    TLabelLayout layout;
    if (!LoadLayoutFile(path, DesignerLayoutDefaults(), layout)) return false;
    layout.Width = TMm(width);
    layout.Height = TMm(height);
    return SaveLayoutFile(path, layout);
}
