#include "sheetgrid.h"

#include "rounding.h"
#include "settings.h"
#include "units.h"

#include <algorithm>
#include <climits>

int TCellGrid::CellsPerPage() const {
    return static_cast<int>(std::min<qint64>(qint64{Columns} * Rows, INT_MAX));
}

QRect TCellGrid::CellRect(int column, int row) const {
    return QRect(QPoint(Origin.x() + column * Step.width(), Origin.y() + row * Step.height()), Cell);
}

bool TCellGrid::Advance(int& column, int& row) const {
    if (++column < Columns) return false;
    column = 0;
    if (++row < Rows) return false;
    row = 0;
    return true;
}

int CellsThatFit(int origin, int cell, int step, int limit, int most) {
    int n = 1;
    if (step <= 0) {
        n = kUnboundedCells;
    } else {
        const qint64 room = qint64{limit} - origin - cell;
        if (room > 0) n = static_cast<int>(std::min<qint64>(1 + room / step, kUnboundedCells));
    }
    return most > 0 ? std::min(n, most) : n;
}

int TenthsToPixels(int tenths, int dpi) { return static_cast<int>(RoundRatioHalfEven(tenths, std::max(dpi, 1), 254)); }

int PixelsToTenths(int pixels, int dpi) { return static_cast<int>(RoundRatioHalfEven(pixels, 254, std::max(dpi, 1))); }

namespace {

// A sheet's labels run to the paper's very edge, and the paper's size comes
// in whole points (A4 is 209.9 mm wide): a label ending up to this many
// tenths of a millimetre past the edge still counts.
constexpr int kPaperSlack = 5;

// From one label's corner to the next: computed from the whole distance, so
// that a gap adds no rounding of its own to the label's.
int StepPixels(int labelMm, int gapTenths, int cellPixels, int dpi) {
    if (gapTenths == 0) return cellPixels;
    return TenthsToPixels(labelMm * 10 + gapTenths, dpi);
}

// What the cells of one axis are measured from: its pixel in the printable
// area's coordinates, and how far from it a label may end, in tenths of a
// millimetre.
struct TAxis {
    int OriginPixels = 0;
    int Limit = 0;
};

// A sheet's axis (its count given) is measured from the paper's edge, which is
// where the sheet's makers measure; the printer's border only cuts what lies
// in it. Without a count the labels fill the printable area from its corner.
TAxis SheetAxis(int count, int paperStart, int paperLength, int printableLength, int dpi) {
    if (count > 0) return {paperStart, PixelsToTenths(paperLength, dpi) + kPaperSlack};
    return {0, PixelsToTenths(printableLength, dpi)};
}

}  // namespace

TCellGrid PageCellGrid(const TSheetLayout& sheet, QPoint offset, QSize labelMm, int dpiX, int dpiY, QSize printable,
                       const QRect& paper) {
    TCellGrid g;
    g.Cell = QSize(MmToPixels(labelMm.width(), 1, dpiX), MmToPixels(labelMm.height(), 1, dpiY));
    g.Step = QSize(StepPixels(labelMm.width(), sheet.HGap, g.Cell.width(), dpiX),
                   StepPixels(labelMm.height(), sheet.VGap, g.Cell.height(), dpiY));
    const TAxis x = SheetAxis(sheet.Columns, paper.x(), paper.width(), printable.width(), dpiX);
    const TAxis y = SheetAxis(sheet.Rows, paper.y(), paper.height(), printable.height(), dpiY);
    const QPoint origin(sheet.Left + offset.x(), sheet.Top + offset.y());
    g.Origin = QPoint(x.OriginPixels + TenthsToPixels(origin.x(), dpiX), y.OriginPixels + TenthsToPixels(origin.y(), dpiY));
    // Whether a label fits is measured in tenths of a millimetre: summed
    // pixel sizes of labels that fill a sheet exactly can overrun its
    // width by the rounding of each one.
    const int cellX = labelMm.width() * 10;
    const int cellY = labelMm.height() * 10;
    g.Columns = CellsThatFit(origin.x(), cellX, cellX + sheet.HGap, x.Limit, sheet.Columns);
    g.Rows = CellsThatFit(origin.y(), cellY, cellY + sheet.VGap, y.Limit, sheet.Rows);
    return g;
}
