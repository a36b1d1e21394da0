// The goods page with 100,000 goods (or PRANDEL_BENCH_GOODS), through its own
// operations: painting one screenful of the grid, opening a view, selecting by
// type, clearing marks, toggling one mark and a search.
#include "datafolder.h"
#include "goodscount.h"
#include "goodslistmodel.h"
#include "goodspage.h"
#include "goodstable.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const int kGoods = BenchGoodsCount();
const QDateTime kLastPrint(QDate(2026, 1, 2), QTime(3, 4, 5));

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<TGoodsSession> goods;  // outlives the page
    std::unique_ptr<TGoodsPage> page;
    Fixture() {
        SetDataFolderOverride(dir.path());
        {
            TTable t;
            if (!CreateGoodsTable(t)) qFatal("cannot create the goods table");
            t.Open();
            QSqlDatabase db = QSqlDatabase::database(t.ConnectionName());
            db.transaction();
            QSqlQuery q(db);
            q.prepare("INSERT INTO towary (ID, NAZWA, CENA, WAGA, ABSCENA, KODKRESKOWY, TYPKODU, PRINTDATE, NEW, \"SELECT\") "
                      "VALUES (?,?,?,?,?,?,?,?,?,?)");
            static const char* const words[] = {"mleko", "Chleb", "ser", "Żurek", "łosoś", "ćwikła", "Ananas", "kawa", "herbata", "sok"};
            QRandomGenerator rng(42);
            for (int i = 0; i < kGoods; ++i) {
                q.addBindValue(QString::number(i));
                q.addBindValue(QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(words[rng.bounded(10)])).arg(rng.bounded(100000)).arg(i));
                q.addBindValue(QStringLiteral("%1,99").arg(rng.bounded(100)));
                q.addBindValue(QStringLiteral("500 g"));
                q.addBindValue(QString::fromUtf8("9,98 zł/kg"));
                q.addBindValue(QStringLiteral("590123412345%1").arg(i % 10));
                q.addBindValue(rng.bounded(23));
                const int p = rng.bounded(3);
                q.addBindValue(p == 0 ? QVariant() : QVariant(p == 1 ? QStringLiteral("2026-01-02 03:04:05.500") : QStringLiteral("2025-01-01 00:00:00.000")));
                q.addBindValue(rng.bounded(2));
                q.addBindValue(rng.bounded(2));
                if (!q.exec()) qFatal("insert failed");
            }
            db.commit();
        }
        TGoodsPageContext context;
        context.LastPrintDate = [] { return kLastPrint; };
        goods = std::make_unique<TGoodsSession>();
        page = std::make_unique<TGoodsPage>(*goods, context);
        page->resize(1000, 800);
        page->show();
        page->OpenGoodsList();
        page->ShowView(0);
        page->LayoutColumns();
    }
};

Fixture& Data() {
    static Fixture f;
    return f;
}

// One screenful of rows painted from a fresh read of the list (the cache is
// emptied as after every change of the table).
void PaintScreenful(benchmark::State& state) {
    TGoodsPage& page = *Data().page;
    QWidget* viewport = page.gdMain->viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    int row = 0;
    for (auto _ : state) {
        state.PauseTiming();
        page.Model()->Changed();
        row = (row + 5000) % kGoods;
        page.gdMain->scrollTo(page.Model()->index(row, 0), QAbstractItemView::PositionAtTop);
        state.ResumeTiming();
        viewport->render(&image);
    }
    state.counters["rows"] = double(viewport->height() / page.gdMain->rowHeight(0));
}
BENCHMARK(PaintScreenful)->Unit(benchmark::kMillisecond);

void OpenView(benchmark::State& state) {
    TGoodsPage& page = *Data().page;
    int item = 0;
    for (auto _ : state) {
        item = (item + 1) % 4;
        page.ShowView(item);
        benchmark::DoNotOptimize(page.Model()->rowCount());
    }
}
BENCHMARK(OpenView)->Unit(benchmark::kMillisecond);

void SelectByTypeInView(benchmark::State& state) {
    TGoodsPage& page = *Data().page;
    page.ShowView(0);
    page.SetCheckType(TViewCode::NeverPrinted);
    for (auto _ : state) page.sbtnCheckAllClick();
    state.counters["marked"] = page.SelectCounter.Count;
}
BENCHMARK(SelectByTypeInView)->Unit(benchmark::kMillisecond);

void ClearMarks(benchmark::State& state) {
    TGoodsPage& page = *Data().page;
    page.ShowView(0);
    page.SetCheckType(TViewCode::All);
    for (auto _ : state) {
        state.PauseTiming();
        page.sbtnCheckAllClick();
        state.ResumeTiming();
        page.ClearAllSelections(false);
    }
}
BENCHMARK(ClearMarks)->Unit(benchmark::kMillisecond);

void ToggleOneMark(benchmark::State& state) {
    TGoodsPage& page = *Data().page;
    page.ShowView(0);
    page.tbLocalShow.MoveTo(kGoods / 2);
    for (auto _ : state) page.ToggleCurrentMark();
}
BENCHMARK(ToggleOneMark)->Unit(benchmark::kMicrosecond);

void SearchByName(benchmark::State& state) {
    TGoodsPage& page = *Data().page;
    page.ShowView(0);
    const QString prefixes[] = {QString::fromUtf8("żu"), "SER 5", QString::fromUtf8("ŁOSOŚ 1"), "kawa 99"};
    int i = 0;
    for (auto _ : state) page.Search(prefixes[i++ % 4]);
}
BENCHMARK(SearchByName)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Data().page.reset();
    return 0;
}
