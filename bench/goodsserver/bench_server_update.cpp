// The goods update of a shop of 100,000 goods (or PRANDEL_BENCH_GOODS) on a
// server on this machine, through the server store's merge as the update runs
// it (the workstation's copy catching up at the end): into an empty shop, the
// same goods again with nothing changed, and every price changed. Wall time:
// most of the work is the server's.
#include "datafolder.h"
#include "goodscount.h"
#include "goodsrecord.h"
#include "pgserver.h"
#include "servergoodsstore.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const int kGoods = BenchGoodsCount();

struct Fixture {
    TPgServer server;
    QTemporaryDir home;
    int shops = 0;
    Fixture() {
        if (!server.started()) qFatal("%s", qPrintable(server.error()));
        SetDataFolderOverride(home.path());
    }
    // A workstation's store of a shop of its own, empty.
    std::unique_ptr<TGoodsStore> FreshShop() {
        TGoodsStoreSettings s;
        s.Kind = TGoodsStoreKind::Server;
        s.Host = QStringLiteral("127.0.0.1");
        s.Port = server.port();
        s.Database = QStringLiteral("sklep");
        s.User = QStringLiteral("prandel");
        s.Shop = QStringLiteral("sklep%1").arg(++shops);
        s.Workstation = QStringLiteral("kasa1");
        auto store = MakeServerGoodsStore(s);
        store->CatchUp();
        return store;
    }
};

Fixture& Data() {
    static Fixture f;
    return f;
}

// Merges the shop's goods at `cents` plus their number as prices; the goods changed.
int Update(TGoodsStore& store, int cents) {
    store.ClearNewFlags({});
    auto merge = store.BeginMerge(TUnitSymbols{});
    merge->Expect(kGoods);
    TGoodsRecord r;
    r.WAGA = QStringLiteral("500 g");
    for (int i = 0; i < kGoods; ++i) {
        const int price = cents + i % 1000;
        r.ID = QStringLiteral("%1\\%2").arg(i).arg(5900000000000LL + i);
        r.NAZWA = QStringLiteral("Towar %1").arg(i);
        r.CENA = QStringLiteral("%1,%2").arg(price / 100).arg(price % 100, 2, 10, QLatin1Char('0'));
        r.KODKRESKOWY = QString::number(5900000000000LL + i);
        merge->Add(r);
    }
    merge->Commit();
    return merge->Counts().Changed;
}

void FirstUpdate(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        state.PauseTiming();
        auto store = f.FreshShop();
        state.ResumeTiming();
        if (Update(*store, 100) != kGoods) state.SkipWithError("not every goods added");
    }
    state.counters["goods"] = kGoods;
}
BENCHMARK(FirstUpdate)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void UpdateNothingChanged(benchmark::State& state) {
    Fixture& f = Data();
    auto store = f.FreshShop();
    Update(*store, 100);
    for (auto _ : state)
        if (Update(*store, 100) != 0) state.SkipWithError("goods changed");
}
BENCHMARK(UpdateNothingChanged)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void UpdateEveryPriceChanged(benchmark::State& state) {
    Fixture& f = Data();
    auto store = f.FreshShop();
    Update(*store, 100);
    int cents = 100;
    for (auto _ : state)
        if (Update(*store, ++cents) != kGoods) state.SkipWithError("not every goods changed");
}
BENCHMARK(UpdateEveryPriceChanged)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
