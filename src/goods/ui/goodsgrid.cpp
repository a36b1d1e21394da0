#include "goodsgrid.h"

#include "barcodetypes.h"
#include "goodslistmodel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

QPixmap MarkIcon(bool checked, const QPalette& palette) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette.color(QPalette::Dark), 1));
    p.setBrush(palette.color(QPalette::Base));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    if (checked) {
        p.setPen(QPen(QColor(0, 128, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(4, 8.5), QPointF(7, 11.5), QPointF(12.5, 4.5)}));
    }
    return pm;
}

// Paints every cell as the list wants it: the mark icon before the name, the
// tooltip colour behind marked rows, barcode type names instead of codes.
class TGoodsCellDelegate : public QStyledItemDelegate {
public:
    explicit TGoodsCellDelegate(TGoodsGrid* grid) : QStyledItemDelegate(grid), Grid(grid) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool highlighted = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        const QRect r = option.rect;
        p->fillRect(r, highlighted ? pal.brush(QPalette::Active, QPalette::Highlight) : pal.brush(QPalette::Base));
        const bool marked = index.data(TGoodsListModel::SelectRole).toBool();
        const QColor marker = QToolTip::palette().color(QPalette::ToolTipBase);
        QString text = index.data(Qt::DisplayRole).toString();
        int indent = 0;
        if (index.column() == TGoodsListModel::colNazwa) {
            if (text.isEmpty()) return;
            if (marked) {
                if (!highlighted) p->fillRect(r, marker);
                p->drawPixmap(r.topLeft(), Grid->CheckedIcon);
            } else {
                p->drawPixmap(r.topLeft(), Grid->UncheckedIcon);
            }
            indent = 25;
        } else {
            if (marked && !highlighted) p->fillRect(r, marker);
            if (index.column() == TGoodsListModel::colTypKodu) {
                const QVariant code = index.data(TGoodsListModel::TypeCodeRole);
                bool ok = false;
                const qint64 n = code.toLongLong(&ok);
                text.clear();
                if (code.isValid() && ok && n >= 0 && n < BarcodeTypeCount)
                    if (auto name = BarcodeTypeShortName(static_cast<int>(n))) text = *name;
            }
        }
        if (text.isEmpty()) return;
        p->setPen(highlighted ? pal.color(QPalette::Active, QPalette::HighlightedText) : pal.color(QPalette::Text));
        p->drawText(r.adjusted(indent, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }

private:
    const TGoodsGrid* Grid;
};

}  // namespace

TGoodsGrid::TGoodsGrid(QWidget* parent) : QTableView(parent) {
    CheckedIcon = MarkIcon(true, palette());
    UncheckedIcon = MarkIcon(false, palette());
    setItemDelegate(new TGoodsCellDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    // The selected row stays visible when the grid has no focus.
    QPalette pal = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);
}

void TGoodsGrid::SetList(TGoodsListModel* model) {
    setModel(model);
    setColumnHidden(TGoodsListModel::colSelect, true);
}

void TGoodsGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    const int x = event->position().toPoint().x();
    if (event->button() == Qt::LeftButton && x >= 1 && x <= 17 && indexAt(event->position().toPoint()).isValid())
        emit IconAreaClicked();
}

void TGoodsGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit SpacePressed();
        return;
    }
    QTableView::keyPressEvent(event);
}
