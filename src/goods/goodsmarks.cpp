#include "goodsmarks.h"

#include "silentfailure.h"

namespace {

const QString kSelect = QStringLiteral("SELECT");

// The whole table for one operation: closed again however the operation ends.
class TWholeTablePass {
public:
    explicit TWholeTablePass(TTable& table) : Table(table) {}
    ~TWholeTablePass() {
        try {
            Table.Close();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the whole goods table was not closed"), e);
        }
    }
    // Opens the table anew without filter.
    TTable& Open() {
        Table.Close();
        Table.SetFiltered(false);
        Table.Open();
        return Table;
    }
    TWholeTablePass(const TWholeTablePass&) = delete;
    TWholeTablePass& operator=(const TWholeTablePass&) = delete;

private:
    TTable& Table;
};

QString MarkedInView(TViewCode view, const QDateTime& lastPrint) {
    return CombineFilters(ViewFilter(view, lastPrint), ViewFilter(TViewCode::Marked, lastPrint));
}

}  // namespace

void ClearAllSelections(TGoodsSession& goods, const TTable::Progress& progress) {
    TWholeTablePass pass(goods.tbLocal);
    ClearAllSelections(goods.tbLocal, goods.tbLocalShow, progress);
    goods.SelectCounter.SetCount(0);
}

int SelectByType(TGoodsSession& goods, TViewCode view, TViewCode check, const QDateTime& lastPrint,
                 const TTable::Progress& progress) {
    // However the marking ends, the list goes to its first marked record.
    struct TToFirstMarked {
        TTable& List;
        ~TToFirstMarked() {
            try {
                if (List.Active()) List.Locate(kSelect, true);
            } catch (const std::exception& e) {
                SilentFailure(lcGoods, QStringLiteral("the goods list did not move to its first marked record"), e);
            }
        }
    } toFirstMarked{goods.tbLocalShow};
    TWholeTablePass pass(goods.tbLocal);
    const int count = SelectByType(goods.tbLocal, goods.tbLocalShow, ViewFilter(view, lastPrint),
                                   ViewFilter(check, lastPrint), progress);
    goods.SelectCounter.SetCount(count);
    return count;
}

bool ToggleMark(TGoodsSession& goods, bool& toggling) {
    TTable& list = goods.tbLocalShow;
    TSelectCounter& counter = goods.SelectCounter;
    if (!list.Active() || list.IsEmpty()) return false;
    int delta = 0;
    try {
        toggling = true;
        list.Edit();
        toggling = false;
        TField select = list.FieldByName(kSelect);
        const bool was = select.AsBoolean();
        select.SetAsBoolean(!was);
        delta = was ? -1 : 1;
        if (was)
            counter.Decrement();
        else
            counter.Increment();
        list.Post();
    } catch (...) {
        // The mark was not stored: the counter goes back to the marks there are.
        toggling = false;
        if (delta != 0) counter.SetCount(counter.Count - delta);
        try {
            list.Cancel();
        } catch (const std::exception& e) {
            SilentFailure(lcGoods, QStringLiteral("the unstored mark was not cancelled"), e);
        }
        throw;
    }
    return true;
}

int CountMarkedInView(TGoodsSession& goods, TViewCode view, const QDateTime& lastPrint) {
    TWholeTablePass pass(goods.tbLocal);
    return pass.Open().CountWhere(MarkedInView(view, lastPrint));
}

int DeleteMarkedInView(TGoodsSession& goods, TViewCode view, const QDateTime& lastPrint) {
    TWholeTablePass pass(goods.tbLocal);
    const int removed = pass.Open().DeleteWhere(MarkedInView(view, lastPrint));
    goods.tbLocal.Close();
    goods.tbLocalShow.Refresh();
    goods.SelectCounter.SetCount(goods.SelectCounter.Count - removed);
    return removed;
}

bool ForgetCurrentMark(TGoodsSession& goods) {
    TTable& list = goods.tbLocalShow;
    if (list.FieldByName(kSelect).AsBoolean()) goods.SelectCounter.Decrement();
    return list.RecordCount() - 1 != 0;
}
