// A workstation's copy of a shop of 100,000 goods (or PRANDEL_BENCH_GOODS) on a
// server on this machine: its first load into an empty data folder, a catch-up
// with nothing new, and one after a price changed on the server.
#include "datafolder.h"
#include "goodscount.h"
#include "pgserver.h"
#include "servermirror.h"
#include "serverschema.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const int kGoods = BenchGoodsCount();
const QString kShop = QStringLiteral("sklep");

// The server, its shop filled once per process: goods with varied names, each
// with its first history entry, a tenth of them marked by this workstation.
struct Fixture {
    TPgServer server;
    TPgParams params;
    TPgConnection conn;
    Fixture() {
        if (!server.started()) qFatal("%s", qPrintable(server.error()));
        params = {QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("sklep"), QStringLiteral("prandel"), {}};
        conn.Connect(params);
        PrepareShopSchema(conn, kShop);
        conn.Exec(QStringLiteral("SET prandel.program = on"));
        static const char* const words[] = {"mleko", "Chleb", "ser", "Żurek", "łosoś", "ćwikła", "Ananas", "kawa", "herbata", "sok"};
        QRandomGenerator rng(42);
        conn.CopyIn(QStringLiteral("COPY sklep.towary (\"ID\", \"NAZWA\", \"CENA\", kwota, \"WAGA\", \"TYPKODU\", \"NEW\") FROM STDIN"),
                    [&](const TPgConnection::TCopyPut& put) {
                        for (int i = 0; i < kGoods; ++i) {
                            const int price = rng.bounded(10000);
                            put(TPgConnection::CopyRow({QString::number(i),
                                                        QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(words[rng.bounded(10)])).arg(rng.bounded(100000)).arg(i),
                                                        QStringLiteral("%1,%2").arg(price / 100).arg(price % 100, 2, 10, QLatin1Char('0')), price,
                                                        QStringLiteral("500 g"), 14, rng.bounded(2) == 1}));
                        }
                    });
        conn.Exec(QStringLiteral("INSERT INTO sklep.stanowiska_towary (stanowisko, \"ID\", \"SELECT\", \"PRINTDATE\")"
                                 " SELECT 'kasa1', \"ID\", true, '2026-01-02 03:04:05.5' FROM sklep.towary WHERE nr % 10 = 0"));
        // As the server's autovacuum would have by the time a workstation starts.
        conn.Exec(QStringLiteral("ANALYZE sklep.towary, sklep.historia_cen, sklep.stanowiska_towary, sklep.usuniete"));
    }
};

Fixture& Data() {
    static Fixture f;
    return f;
}

// A workstation's copy in a data folder of its own.
struct TCopy {
    QTemporaryDir home;
    std::unique_ptr<TServerMirror> mirror;
    explicit TCopy(Fixture& f) {
        SetDataFolderOverride(home.path());
        mirror = std::make_unique<TServerMirror>(f.conn, f.params, kShop, QStringLiteral("kasa1"));
    }
};

void FirstLoad(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        state.PauseTiming();
        TCopy copy(f);
        state.ResumeTiming();
        const auto done = copy.mirror->CatchUp();
        if (!done.Whole || done.Goods != kGoods) state.SkipWithError("not a whole first load");
    }
    state.counters["goods"] = kGoods;
}
BENCHMARK(FirstLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

void CatchUpAfterOnePriceChanged(benchmark::State& state) {
    Fixture& f = Data();
    TCopy copy(f);
    copy.mirror->CatchUp();
    qint64 price = 100;
    for (auto _ : state) {
        state.PauseTiming();
        ++price;
        f.conn.Exec(QStringLiteral("UPDATE sklep.towary SET \"CENA\" = ?, kwota = ? WHERE \"ID\" = '7'"), {QString::number(price), price * 100});
        state.ResumeTiming();
        const auto done = copy.mirror->CatchUp();
        if (done.Whole || done.Goods != 1) state.SkipWithError("not one goods read");
    }
}
BENCHMARK(CatchUpAfterOnePriceChanged)->Unit(benchmark::kMillisecond);

void CatchUpNothingNew(benchmark::State& state) {
    Fixture& f = Data();
    TCopy copy(f);
    copy.mirror->CatchUp();
    for (auto _ : state) copy.mirror->CatchUp();
}
BENCHMARK(CatchUpNothingNew)->Unit(benchmark::kMillisecond);

}  // namespace
