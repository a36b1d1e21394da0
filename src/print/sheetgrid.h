#pragma once
#include "units.h"

#include <QPoint>
#include <QRect>
#include <QSize>

struct TSheetLayout;

// The cells of one page in device pixels, in the coordinates of the printable
// area (its top-left corner is (0, 0); the first cell may start left of or
// above it, in the printer's border, when a sheet or a printer's offset says
// so). Cells are filled row by row,
// left to right and top to bottom.
struct TCellGrid {
    QPoint Origin;     // top-left corner of the first cell
    QSize Cell;        // one label
    QSize Step;        // from one cell's corner to its right and lower neighbour's
    int Columns = 1;   // per row, at least 1
    int Rows = 1;      // per page, at least 1

    // Columns × Rows, at most INT_MAX.
    int CellsPerPage() const;
    // The rectangle of cell `index` (0 is the first) of a page.
    QRect CellRect(int column, int row) const;
    // Moves to the next cell; true when the page is full, and then
    // (column, row) start the next page at (0, 0).
    bool Advance(int& column, int& row) const;
};

// A column count that never fills a row (labels without size).
inline constexpr int kUnboundedCells = 0x3fffffff;

// How many cells of `cell` fit one after the other from `origin` at `step`
// before a cell would end past `limit`, all four in one unit; the first always
// counts (a label larger than the page is printed cut, one to a row or page).
// At most `most` when it is above 0. A step of 0 never ends a row.
int CellsThatFit(int origin, int cell, int step, int limit, int most = 0);

// The grid of labels of size `label` on a page whose printable area is
// `printable` pixels and whose paper is `paper` (in the printable area's
// coordinates), at `resolution`. Each axis on its own:
// - with a column (row) count, the sheet's: the first cell's corner lies at
//   the sheet's margin plus the printer's `offset` from the paper's edge, as
//   sheets are measured, and there are that many cells, except those that
//   would end off the paper by more than half a millimetre; the border the
//   printer cannot print only cuts the outer labels;
// - without one, the margin plus the offset count from the printable area's
//   corner, and there are as many cells as end within the printable area
//   (measured in tenths of a millimetre).
// Neighbouring cells are a label plus the sheet's gap apart. With every value
// 0 this is the page of cells side by side from the printable area's corner,
// as many as fit.
TCellGrid PageCellGrid(const TSheetLayout& sheet, TMm10Point offset, TMmSize label, TResolution resolution,
                       QSize printable, const QRect& paper);
