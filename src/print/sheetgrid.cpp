#include "sheetgrid.h"

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

namespace {

// A sheet's labels run to the paper's very edge, and the paper's size comes
// in whole points (A4 is 209.9 mm wide): a label ending up to this much past
// the edge still counts.
constexpr TMm10 kPaperSlack(5);

// From one label's corner to the next: computed from the whole distance, so
// that a gap adds no rounding of its own to the label's.
int StepPixels(TMm label, TMm10 gap, int cellPixels, int dpi) {
    if (gap == TMm10()) return cellPixels;
    return ToDots(ToMm10(label) + gap, dpi).Value();
}

// What the cells of one axis are measured from: its pixel in the printable
// area's coordinates, and how far from it a label may end.
struct TAxis {
    int OriginPixels = 0;
    TMm10 Limit;
};

// A sheet's axis (its count given) is measured from the paper's edge, which is
// where the sheet's makers measure; the printer's border only cuts what lies
// in it. Without a count the labels fill the printable area from its corner.
TAxis SheetAxis(int count, int paperStart, int paperLength, int printableLength, int dpi) {
    if (count > 0) return {paperStart, ToMm10(TDots(paperLength), dpi) + kPaperSlack};
    return {0, ToMm10(TDots(printableLength), dpi)};
}

// How many labels of `cell` fit along one axis from `origin`, `gap` apart.
int CellsAlong(TMm10 origin, TMm10 cell, TMm10 gap, TMm10 limit, int count) {
    return CellsThatFit(origin.Value(), cell.Value(), (cell + gap).Value(), limit.Value(), count);
}

}  // namespace

TCellGrid PageCellGrid(const TSheetLayout& sheet, TMm10Point offset, TMmSize label, TResolution resolution,
                       QSize printable, const QRect& paper) {
    const TMm10 hGap(sheet.HGap), vGap(sheet.VGap);
    TCellGrid g;
    g.Cell = ToDots(label, resolution);
    g.Step = QSize(StepPixels(label.Width, hGap, g.Cell.width(), resolution.X),
                   StepPixels(label.Height, vGap, g.Cell.height(), resolution.Y));
    const TAxis x = SheetAxis(sheet.Columns, paper.x(), paper.width(), printable.width(), resolution.X);
    const TAxis y = SheetAxis(sheet.Rows, paper.y(), paper.height(), printable.height(), resolution.Y);
    const TMm10Point origin{TMm10(sheet.Left) + offset.X, TMm10(sheet.Top) + offset.Y};
    g.Origin = QPoint(x.OriginPixels, y.OriginPixels) + ToDots(origin, resolution);
    // Whether a label fits is measured in tenths of a millimetre: summed
    // pixel sizes of labels that fill a sheet exactly can overrun its
    // width by the rounding of each one.
    g.Columns = CellsAlong(origin.X, ToMm10(label.Width), hGap, x.Limit, sheet.Columns);
    g.Rows = CellsAlong(origin.Y, ToMm10(label.Height), vGap, y.Limit, sheet.Rows);
    return g;
}
