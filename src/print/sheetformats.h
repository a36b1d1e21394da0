#pragma once
#include "settings.h"

#include <QString>
#include <vector>

// A sheet of adhesive labels sold ready cut: its label size (whole
// millimetres, as layouts hold them) and how its labels lie on the page.
// Margins count from the paper's edge, as the program places a sheet's
// labels. A
// label a fraction of a millimetre smaller than the sheet's keeps the sheet's
// distance from one label to the next in its gap.
struct TSheetFormat {
    QString Name;
    int LabelWidth = 0;
    int LabelHeight = 0;
    TSheetLayout Sheet;
};

// The common A4 sheets: 2 × 7, 3 × 7, 3 × 8, 4 × 10 and 5 × 13 labels.
const std::vector<TSheetFormat>& SheetFormats();
// The index of the format whose sheet is `sheet`, or -1.
int FindSheetFormat(const TSheetLayout& sheet);

// Writes the label size of the layout file at `path` (its PANEL), keeping its
// objects; false when the file is missing or cannot be read or written.
bool SetLayoutLabelSize(const QString& path, int width, int height);
