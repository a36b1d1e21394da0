#pragma once
#include "engine.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVariant>
#include <array>
#include <vector>

// The goods list as the grid shows it: one row per record of the list's table
// object in its order and under its filter, the columns NAZWA, CENA, WAGA,
// ABSCENA, the lowest price (NAJNIZSZA, read with the row), KODKRESKOWY, SELECT
// and TYPKODU. Only the rows that are looked at are
// read from the table, and kept in a small cache until the next Changed(), so a
// list of any length opens and paints at the cost of one screenful.
class TGoodsListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { colNazwa, colCena, colWaga, colAbsCena, colNajnizsza, colKod, colSelect, colTypKodu, ColumnCount };
    // Extra roles: the mark of the row (bool) and TYPKODU as stored (int, or an
    // invalid value for an empty field).
    enum Role { SelectRole = Qt::UserRole + 1, TypeCodeRole };
    static const char* FieldName(int column);

    explicit TGoodsListModel(TTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The table changed (post, delete, refresh, filter, open or close): every
    // row is read anew and attached views repaint.
    void Changed();
    // One row changed in place (same position, same order).
    void RowChanged(int row);

    TTable& Table() { return Tbl; }

private:
    struct Row {
        std::array<QString, ColumnCount> Text;
        bool Select = false;
        QVariant TypeCode;
    };
    const Row* RowAt(int row) const;

    TTable& Tbl;
    int Rows = 0;
    std::array<int, ColumnCount> FieldIndex{};
    mutable QHash<int, Row> Cache;
    mutable std::vector<QVariant> Scratch;
};

// Widths of the name, price, quantity, unit price and barcode columns for a
// grid `gridWidth` pixels wide: of x = gridWidth - 25 the name takes 45 %, the
// price 10 %, the quantity 12 %, the unit price 17 % (each rounded to the
// nearest pixel, halves to even) and the barcode what is left of x.
std::array<int, 5> GridColumnWidths(int gridWidth);
