#pragma once
#include <QPixmap>
#include <QTableView>

class TGoodsListModel;

// The goods grid: a read-only list with whole-row selection that stays visible
// without focus. It draws the mark icon before each name, the tooltip colour
// behind marked rows and barcode type names instead of codes, and reports clicks
// in the mark icon area and the space bar.
class TGoodsGrid : public QTableView {
    Q_OBJECT
public:
    explicit TGoodsGrid(QWidget* parent = nullptr);

    // Shows the goods list; its SELECT column stays hidden.
    void SetList(TGoodsListModel* model);

    QPixmap CheckedIcon;
    QPixmap UncheckedIcon;

signals:
    void IconAreaClicked();
    void SpacePressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
