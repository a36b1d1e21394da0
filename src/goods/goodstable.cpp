#include "goodstable.h"

#include "datafolder.h"
#include "pricehistory.h"
#include "silentfailure.h"
#include "views.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString GoodsDatabaseFolder() { return GetDataFolder() + QStringLiteral("DB"); }

void SetupGoodsTable(TTable& table, bool nameOrder) { SetupGoodsTable(table, nameOrder, GoodsDatabaseFolder(), PreparePriceHistory); }

void SetupGoodsTable(TTable& table, bool nameOrder, const QString& folder, TConnectionSetup setup) {
    table.Close();
    table.SetDatabaseName(folder);
    table.SetTableName(kGoodsTableName);
    table.SetIndexName(nameOrder ? kNameIndex : QString());
    table.SetConnectionSetup(setup);
    table.SetCalculatedFields({LowestPriceField(QFileInfo(kGoodsTableName).completeBaseName())}, LowestPriceGate());
}

void DefineGoodsTable(TTable& table) {
    table.FieldDefs() = GoodsFieldDefs();
    table.IndexDefs() = {
        {QString(), {GoodsColumnName(TGoodsColumn::ID)}, true, false, true},
        {kNameIndex, {GoodsColumnName(TGoodsColumn::NAZWA)}, false, true, false},
    };
}

bool EnsureGoodsColumns(TTable& tbLocal) {
    try {
        tbLocal.Close();
        tbLocal.SetDatabaseName(GoodsDatabaseFolder());
        tbLocal.SetTableName(kGoodsTableName);
        tbLocal.SetConnectionSetup(PreparePriceHistory);
        tbLocal.FieldDefs() = GoodsFieldDefs();
        if (const int added = tbLocal.AddMissingFields(); added > 0)
            qCInfo(lcGoods) << "the goods table gained" << added << "column(s) of this version";
        return true;
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("the goods table did not gain the columns of this version"), e);
        return false;
    }
}

bool CreateGoodsTable(TTable& tbLocal) {
    try {
        if (!QDir().mkpath(GoodsDatabaseFolder())) return false;
        tbLocal.Close();
        tbLocal.SetDatabaseName(GoodsDatabaseFolder());
        tbLocal.SetTableName(kGoodsTableName);
        tbLocal.SetConnectionSetup(PreparePriceHistory);
        if (tbLocal.Exists()) {
            EnsureGoodsColumns(tbLocal);
            return true;
        }
        DefineGoodsTable(tbLocal);
        tbLocal.CreateTable();
        // A table without its price history still holds the goods.
        EnsurePriceHistory(tbLocal.FilePath());
        return true;
    } catch (const std::exception& e) {
        // The caller reports the failure; the reason goes to the log.
        SilentFailure(lcGoods, QStringLiteral("the goods table was not created"), e);
        return false;
    } catch (...) {
        SilentFailure(lcGoods, QStringLiteral("the goods table was not created"));
        return false;
    }
}

QStringList OpenGoodsList(TTable& tbLocal, TTable& tbLocalShow) {
    QStringList errors;
    SetupGoodsTable(tbLocal, false);
    const QString filter = tbLocalShow.Filter();
    const bool filtered = tbLocalShow.Filtered();
    SetupGoodsTable(tbLocalShow, true);
    tbLocalShow.SetFilter(filter);
    tbLocalShow.SetFiltered(filtered);
    if (!tbLocal.Exists()) {
        CreateGoodsTable(tbLocal);
    } else {
        EnsureGoodsColumns(tbLocal);
        EnsurePriceHistory(tbLocal.FilePath());
    }
    try {
        tbLocalShow.Open();
    } catch (const TEngineError&) {
        errors << QStringLiteral("błąd podczas odczytu bazy danych towarów.");
        if (!CreateGoodsTable(tbLocal)) errors << QStringLiteral("błąd podczas tworzenia bazy danych towarów.");
    }
    return errors;
}

qint64 NextFreeId(TTable& tbLocal) {
    tbLocal.SetFiltered(false);
    tbLocal.Close();
    // Whatever order an earlier operation left, keys are looked up on ID.
    tbLocal.SetIndexName(QString());
    tbLocal.Open();
    const qint64 n = tbLocal.RecordCount();
    // Among the n + 11 candidates 0 .. n + 10 at most n are taken. One pass over
    // the keys finds which; a key counts only as the exact decimal text of its
    // number (so "07" does not take 7).
    std::vector<bool> taken(static_cast<size_t>(n + 11), false);
    tbLocal.ForEachKey([&](const QString& key) {
        if (key.isEmpty() || key.size() > 18) return;
        if (key.size() > 1 && key[0] == u'0') return;
        qint64 v = 0;
        for (QChar c : key) {
            if (c < u'0' || c > u'9') return;
            v = v * 10 + (c.unicode() - '0');
        }
        if (v <= n + 10) taken[static_cast<size_t>(v)] = true;
    });
    tbLocal.Close();
    for (qint64 i = 0; i <= n + 10; ++i)
        if (!taken[static_cast<size_t>(i)]) return i;
    return n + 10;  // not reached
}

void ProcessPendingMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void ClearAllSelections(TTable& tbLocal, TTable& tbLocalShow, const TTable::Progress& progress) {
    tbLocal.SetFiltered(false);
    tbLocal.Open();
    tbLocal.UpdateWhere(QString(), {{GoodsColumnName(TGoodsColumn::SELECT), false}}, progress);
    if (tbLocalShow.Active()) tbLocalShow.Refresh();
}

int SelectByType(TTable& tbLocal, TTable& tbLocalShow, const QString& viewFilter, const QString& checkFilter,
                 const TTable::Progress& progress) {
    tbLocal.Close();
    tbLocal.SetFiltered(false);
    tbLocal.Open();
    const QString combined = CombineFilters(viewFilter, checkFilter);
    int count = 0;
    {
        TTableTransaction tx(tbLocal);
        // The goods of the view lose their marks and those that also match
        // the check get one, in one pass that rewrites only what changes.
        tbLocal.MarkWhere(viewFilter, checkFilter, GoodsColumnName(TGoodsColumn::SELECT), progress);
        count = tbLocal.CountWhere(combined);
        tx.Commit();
    }
    if (tbLocalShow.Active()) tbLocalShow.Refresh();
    tbLocal.Close();
    return count;
}
