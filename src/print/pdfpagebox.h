#pragma once
#include "units.h"

#include <QString>

// Qt's PDF writer gives every page a size in whole points (a 30 × 20 mm
// label came out 29.98 × 20.11 mm) and draws from the top of that size.
// This sets the page boxes of the PDF file at `path` to exactly `label` from
// the same top-left corner, in place:
// each box is rewritten in its own number of bytes, so the file's index
// stays valid. False when the file cannot be changed or has no page box.
bool FitPdfPagesToLabel(const QString& path, TMmSize label);
