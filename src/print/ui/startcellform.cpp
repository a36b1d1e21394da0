#include "startcellform.h"

#include "okcancelrow.h"
#include "prompter.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The picture's longer side, in pixels.
constexpr int kPictureSize = 240;
constexpr int kPictureMargin = 4;

// A page with more cells than this is drawn as its outline only: the cells
// would be smaller than a pixel.
constexpr int kMostDrawnCells = 4000;

}  // namespace

TSheetPicture::TSheetPicture(const TCellGrid& grid, QWidget* parent) : QWidget(parent), Grid(grid) {
    setObjectName(QStringLiteral("pbSheet"));
    setAccessibleName(QStringLiteral("Arkusz etykiet"));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize TSheetPicture::sizeHint() const {
    const QRect all = Grid.CellRect(0, 0) | Grid.CellRect(Grid.Columns - 1, Grid.Rows - 1);
    const double scale = double(kPictureSize) / std::max({all.width(), all.height(), 1});
    return QSize(int(all.width() * scale), int(all.height() * scale)) + QSize(2, 2) * kPictureMargin;
}

QRectF TSheetPicture::CellArea(int cell) const {
    const QRect all = Grid.CellRect(0, 0) | Grid.CellRect(Grid.Columns - 1, Grid.Rows - 1);
    const double w = std::max(width() - 2 * kPictureMargin, 1);
    const double h = std::max(height() - 2 * kPictureMargin, 1);
    const double scale = std::min(w / std::max(all.width(), 1), h / std::max(all.height(), 1));
    const int index = cell - 1;
    const QRect r = Grid.CellRect(index % Grid.Columns, index / Grid.Columns).translated(-all.topLeft());
    return QRectF(kPictureMargin + r.x() * scale, kPictureMargin + r.y() * scale, r.width() * scale,
                  r.height() * scale);
}

void TSheetPicture::SetCell(int cell) {
    cell = std::clamp(cell, 1, Grid.CellsPerPage());
    if (cell == FCell) return;
    FCell = cell;
    update();
}

void TSheetPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    const int cells = Grid.CellsPerPage();
    if (cells > kMostDrawnCells) {
        p.setPen(palette().color(QPalette::Text));
        p.drawRect(rect().adjusted(kPictureMargin, kPictureMargin, -kPictureMargin - 1, -kPictureMargin - 1));
        return;
    }
    p.setPen(palette().color(QPalette::Mid));
    for (int cell = 1; cell <= cells; ++cell) {
        const QColor fill = cell < FCell    ? palette().color(QPalette::Mid)
                            : cell == FCell ? palette().color(QPalette::Highlight)
                                            : palette().color(QPalette::Base);
        p.setBrush(fill);
        p.drawRect(CellArea(cell));
    }
}

void TSheetPicture::mousePressEvent(QMouseEvent* event) {
    const int cells = std::min(Grid.CellsPerPage(), kMostDrawnCells);
    for (int cell = 1; cell <= cells; ++cell) {
        if (!CellArea(cell).contains(event->position())) continue;
        SetCell(cell);
        emit CellClicked(cell);
        return;
    }
}

TStartCellForm::TStartCellForm(const TCellGrid& grid, int cell, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("StartCellForm"));
    setWindowTitle(QStringLiteral(" Pierwsza etykieta"));
    Label1 = new QLabel(QStringLiteral("Od której etykiety arkusza zacząć drukowanie?\n"
                                       "Etykiety przed nią zostaną puste (tylko na pierwszym arkuszu)."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    pbSheet = new TSheetPicture(grid, this);
    auto* number = new QLabel(QStringLiteral("&Numer etykiety"), this);
    edCell = new QSpinBox(this);
    edCell->setObjectName(QStringLiteral("edCell"));
    edCell->setRange(1, grid.CellsPerPage());
    edCell->setAccessibleName(QStringLiteral("Numer etykiety"));
    number->setBuddy(edCell);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(pbSheet, 0, Qt::AlignHCenter);
    auto* row = new QHBoxLayout;
    row->addWidget(number);
    row->addWidget(edCell);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addLayout(OkCancelRow(this, btnOk, btnCancel));

    connect(edCell, &QSpinBox::valueChanged, pbSheet, &TSheetPicture::SetCell);
    connect(pbSheet, &TSheetPicture::CellClicked, edCell, &QSpinBox::setValue);
    edCell->setValue(cell);
    pbSheet->SetCell(edCell->value());
}

int TStartCellForm::Cell() const { return edCell->value(); }

bool QueryStartCell(const TCellGrid& grid, int& cell) {
    TStartCellForm form(grid, cell);
    if (Prompter::current().runDialog(form) != QDialog::Accepted) return false;
    cell = form.Cell();
    return true;
}
