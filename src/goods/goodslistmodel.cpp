#include "goodslistmodel.h"

#include "goodsrecord.h"
#include "pricehistory.h"
#include "rounding.h"
#include "silentfailure.h"

namespace {

// Rows kept between two changes: a few screenfuls of a tall window.
constexpr int kCacheRows = 1024;

using C = TGoodsColumn;
constexpr const char* kFields[TGoodsListModel::ColumnCount] = {
    GoodsColumnLatin1(C::NAZWA),       GoodsColumnLatin1(C::CENA),   GoodsColumnLatin1(C::WAGA),
    GoodsColumnLatin1(C::ABSCENA),     kLowestPriceColumn,           GoodsColumnLatin1(C::KODKRESKOWY),
    GoodsColumnLatin1(C::SELECT),      GoodsColumnLatin1(C::TYPKODU)};
const char* const kTitles[TGoodsListModel::ColumnCount] = {"Nazwa",          "Cena", "Waga",   "Cena za jednostkę",
                                                           "Najniższa cena", "Kod",  "SELECT", "Typ kodu"};

}  // namespace

const char* TGoodsListModel::FieldName(int column) {
    return column >= 0 && column < ColumnCount ? kFields[column] : "";
}

TGoodsListModel::TGoodsListModel(TTable& table, QObject* parent) : QAbstractTableModel(parent), Tbl(table) {
    Changed();
}

void TGoodsListModel::Changed() {
    beginResetModel();
    Cache.clear();
    Rows = 0;
    FieldIndex.fill(-1);
    try {
        if (Tbl.Active()) {
            Rows = Tbl.RecordCount();
            for (int c = 0; c < ColumnCount; ++c) FieldIndex[c] = Tbl.FieldIndex(QString::fromLatin1(kFields[c]));
        }
    } catch (const TEngineError& e) {
        SilentFailure(lcGoods, QStringLiteral("the goods list could not be read"), e);
        // A table that cannot be read shows as an empty list.
        Rows = 0;
    }
    endResetModel();
}

void TGoodsListModel::RowChanged(int row) {
    if (row < 0 || row >= Rows) return;
    Cache.remove(row);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

int TGoodsListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Rows; }

int TGoodsListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

const TGoodsListModel::Row* TGoodsListModel::RowAt(int row) const {
    if (row < 0 || row >= Rows) return nullptr;
    if (auto it = Cache.constFind(row); it != Cache.constEnd()) return &*it;
    if (Cache.size() >= kCacheRows) Cache.clear();
    Row r;
    try {
        if (!Tbl.Active() || !Tbl.RecordAt(row, Scratch)) return nullptr;
        for (int c = 0; c < ColumnCount; ++c) {
            const int f = FieldIndex[c];
            if (f < 0) continue;
            r.Text[c] = c == colNajnizsza ? LowestPriceText(Scratch[f]) : Tbl.DisplayText(f, Scratch[f]);
        }
        if (FieldIndex[colSelect] >= 0) r.Select = Scratch[FieldIndex[colSelect]].toBool();
        if (FieldIndex[colTypKodu] >= 0) r.TypeCode = Scratch[FieldIndex[colTypKodu]];
    } catch (const TEngineError& e) {
        // The row stays blank.
        SilentFailure(lcGoods, QStringLiteral("row %1 of the goods list could not be read").arg(row), e);
        return nullptr;
    }
    return &*Cache.insert(row, std::move(r));
}

QVariant TGoodsListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() < 0 || index.column() >= ColumnCount) return {};
    const Row* r = RowAt(index.row());
    if (!r) return {};
    switch (role) {
    case Qt::DisplayRole: return r->Text[index.column()];
    case SelectRole: return r->Select;
    case TypeCodeRole: return r->TypeCode;
    default: return {};
    }
}

QVariant TGoodsListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) return {};
    return QString::fromUtf8(kTitles[section]);
}

std::array<int, 5> GridColumnWidths(int gridWidth) {
    const long long x = gridWidth - 25;
    std::array<int, 5> w{};
    w[0] = int(RoundRatioHalfEven(x, 45, 100));
    w[1] = int(RoundRatioHalfEven(x, 10, 100));
    w[2] = int(RoundRatioHalfEven(x, 12, 100));
    w[3] = int(RoundRatioHalfEven(x, 17, 100));
    w[4] = int(x - w[0] - w[1] - w[2] - w[3]);
    return w;
}
