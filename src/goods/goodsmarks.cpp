#include "goodsmarks.h"

#include "silentfailure.h"

namespace {

const QString kSelect = GoodsColumnName(TGoodsColumn::SELECT);

QString MarkedInView(TViewCode view, const QDateTime& lastPrint) {
    return CombineFilters(ViewFilter(view, lastPrint), ViewFilter(TViewCode::Marked, lastPrint));
}

}  // namespace

void ClearAllSelections(TGoodsSession& goods, const TTable::Progress& progress) {
    goods.Store->ClearMarks(progress);
    if (goods.tbLocalShow.Active()) goods.tbLocalShow.Refresh();
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
    const int count = goods.Store->SelectByType(ViewFilter(view, lastPrint), ViewFilter(check, lastPrint), progress);
    if (goods.tbLocalShow.Active()) goods.tbLocalShow.Refresh();
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
    return goods.Store->CountWhere(MarkedInView(view, lastPrint));
}

int DeleteMarkedInView(TGoodsSession& goods, TViewCode view, const QDateTime& lastPrint) {
    const int removed = goods.Store->DeleteWhere(MarkedInView(view, lastPrint));
    goods.tbLocalShow.Refresh();
    goods.SelectCounter.SetCount(goods.SelectCounter.Count - removed);
    return removed;
}

bool ForgetCurrentMark(TGoodsSession& goods) {
    TTable& list = goods.tbLocalShow;
    if (list.FieldByName(kSelect).AsBoolean()) goods.SelectCounter.Decrement();
    return list.RecordCount() - 1 != 0;
}
