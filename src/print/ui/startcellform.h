#pragma once
#include "sheetgrid.h"

#include <QDialog>
#include <QWidget>

class QLabel;
class QPushButton;
class QSpinBox;

// A small picture of one page of cells: the cells before the chosen one grey
// (already used), the chosen one marked; a click chooses a cell.
class TSheetPicture : public QWidget {
    Q_OBJECT
public:
    TSheetPicture(const TCellGrid& grid, QWidget* parent = nullptr);

    int Cell() const { return FCell; }
    void SetCell(int cell);
    // The picture's rectangle of a cell (from 1), for tests and painting.
    QRectF CellArea(int cell) const;
    QSize sizeHint() const override;

signals:
    void CellClicked(int cell);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TCellGrid Grid;
    int FCell = 1;
};

// The start cell dialog: which cell of the first page the job starts at, so
// that a partly used sheet of labels can be used up.
class TStartCellForm : public QDialog {
    Q_OBJECT
public:
    TStartCellForm(const TCellGrid& grid, int cell, QWidget* parent = nullptr);

    QLabel* Label1;
    TSheetPicture* pbSheet;
    QSpinBox* edCell;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    int Cell() const;
};

// Shows the start cell dialog for a page of `grid`; on OK stores the chosen
// cell (from 1) into `cell` and returns true; on cancel `cell` stays.
bool QueryStartCell(const TCellGrid& grid, int& cell);
