// The goods list with 100,000 goods (or PRANDEL_BENCH_GOODS): opening it in
// name order to its first screen, clearing all marks, marking a view with a
// combined filter, finding the next free key, and one keyed lookup.
#include "datafolder.h"
#include "goodscount.h"
#include "goodstable.h"
#include "views.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const int kGoods = BenchGoodsCount();
const QDateTime kLastPrint(QDate(2026, 1, 2), QTime(3, 4, 5));

// A table of kGoods goods with varied names and marks, made once per process.
struct Fixture {
    QTemporaryDir dir;
    Fixture() {
        SetDataFolderOverride(dir.path());
        TTable t;
        if (!CreateGoodsTable(t)) qFatal("cannot create the goods table");
        t.Open();
        QSqlDatabase db = QSqlDatabase::database(t.ConnectionName());
        db.transaction();
        QSqlQuery q(db);
        q.prepare("INSERT INTO towary (ID, NAZWA, CENA, WAGA, TYPKODU, PRINTDATE, NEW, \"SELECT\") VALUES (?,?,?,?,?,?,?,?)");
        static const char* const words[] = {"mleko", "Chleb", "ser", "Żurek", "łosoś", "ćwikła", "Ananas", "kawa", "herbata", "sok"};
        QRandomGenerator rng(42);
        for (int i = 0; i < kGoods; ++i) {
            q.addBindValue(QString::number(i));
            q.addBindValue(QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(words[rng.bounded(10)])).arg(rng.bounded(100000)).arg(i));
            q.addBindValue(QStringLiteral("%1,99").arg(rng.bounded(100)));
            q.addBindValue(QStringLiteral("500 g"));
            q.addBindValue(14);
            const int p = rng.bounded(3);
            q.addBindValue(p == 0 ? QVariant() : QVariant(p == 1 ? QStringLiteral("2026-01-02 03:04:05.500") : QStringLiteral("2025-01-01 00:00:00.000")));
            q.addBindValue(rng.bounded(2));
            q.addBindValue(rng.bounded(2));
            if (!q.exec()) qFatal("insert failed");
        }
        db.commit();
    }
};

Fixture& Data() {
    static Fixture f;
    return f;
}

void OpenNameOrderFirstScreen(benchmark::State& state) {
    Data();
    for (auto _ : state) {
        TTable tbLocalShow;
        SetupGoodsTable(tbLocalShow, true);
        tbLocalShow.Open();
        QString last;
        tbLocalShow.First();
        for (int row = 0; row < 40 && !tbLocalShow.Eof(); ++row, tbLocalShow.Next())
            for (int f = 0; f < tbLocalShow.FieldCount(); ++f) last = tbLocalShow.Fields(f).AsString();
        benchmark::DoNotOptimize(last);
    }
}
BENCHMARK(OpenNameOrderFirstScreen)->Unit(benchmark::kMillisecond);

void ClearAllMarks(benchmark::State& state) {
    Data();
    TTable tbLocal, tbLocalShow;
    SetupGoodsTable(tbLocal, false);
    SetupGoodsTable(tbLocalShow, true);
    tbLocalShow.Open();
    tbLocalShow.First();  // the list on screen, refreshed by the operation
    for (auto _ : state) {
        state.PauseTiming();
        tbLocal.Open();
        tbLocal.UpdateWhere("", {{"SELECT", true}});
        state.ResumeTiming();
        ClearAllSelections(tbLocal, tbLocalShow);
    }
}
BENCHMARK(ClearAllMarks)->Unit(benchmark::kMillisecond);

void MarkViewWithCombinedFilter(benchmark::State& state) {
    Data();
    TTable tbLocal, tbLocalShow;
    SetupGoodsTable(tbLocal, false);
    SetupGoodsTable(tbLocalShow, true);
    tbLocalShow.SetFilter(ViewFilter(TViewCode::Changed, kLastPrint));
    tbLocalShow.SetFiltered(true);
    tbLocalShow.Open();
    tbLocalShow.First();
    int count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tbLocal.Open();
        tbLocal.UpdateWhere("", {{"SELECT", true}});
        state.ResumeTiming();
        count = SelectByType(tbLocal, tbLocalShow, ViewFilter(TViewCode::Changed, kLastPrint), ViewFilter(TViewCode::NeverPrinted, kLastPrint));
    }
    state.counters["marked"] = count;
}
BENCHMARK(MarkViewWithCombinedFilter)->Unit(benchmark::kMillisecond);

void NextFreeKey(benchmark::State& state) {
    Data();
    TTable tbLocal;
    SetupGoodsTable(tbLocal, false);
    qint64 id = 0;
    for (auto _ : state) id = NextFreeId(tbLocal);
    state.counters["id"] = double(id);
}
BENCHMARK(NextFreeKey)->Unit(benchmark::kMillisecond);

void KeyedLookup(benchmark::State& state) {
    Data();
    TTable tbLocal;
    SetupGoodsTable(tbLocal, false);
    tbLocal.Open();
    QRandomGenerator rng(7);
    bool found = true;
    for (auto _ : state) found = tbLocal.FindKey(QString::number(rng.bounded(kGoods))) && found;
    if (!found) state.SkipWithError("a key was not found");
}
BENCHMARK(KeyedLookup)->Unit(benchmark::kMicrosecond);

// The lookup followed by reading the found record's name from the file.
void KeyedLookupAndRead(benchmark::State& state) {
    Data();
    TTable tbLocal;
    SetupGoodsTable(tbLocal, false);
    tbLocal.Open();
    QRandomGenerator rng(7);
    QString name;
    for (auto _ : state) {
        if (tbLocal.FindKey(QString::number(rng.bounded(kGoods)))) name = tbLocal.FieldByName("NAZWA").AsString();
        benchmark::DoNotOptimize(name);
    }
}
BENCHMARK(KeyedLookupAndRead)->Unit(benchmark::kMicrosecond);

}  // namespace
