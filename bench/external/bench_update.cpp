// The goods update from a dBase folder of 10,000 and 100,000 goods: the first
// run into an empty goods table and a second run that finds no change, end to
// end (connection, reading the table into the folder engine, the query, the
// merge). The peak resident memory of the process is reported as a counter.
#include "datafolder.h"
#include "externaldb.h"
#include "goodstable.h"
#include "goodsupdate.h"
#include "odbcmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

// A dBase III table of n goods with Windows-1250 names, written byte by byte.
void WriteGoodsTable(const QString& path, int n) {
    struct F { const char* name; char type; int len; };
    const F fields[] = {{"ID", 'N', 8}, {"NAZWA", 'C', 40}, {"CENA", 'C', 10}, {"WAGA", 'C', 12}, {"KOD", 'C', 13}, {"TYPKODU", 'N', 2}};
    int recordSize = 1;
    for (const F& f : fields) recordSize += f.len;
    const int headerSize = 32 + 32 * 6 + 1;
    QByteArray out(32, '\0');
    out[0] = 0x03;
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    out[8] = static_cast<char>(headerSize & 0xFF), out[9] = static_cast<char>(headerSize >> 8);
    out[10] = static_cast<char>(recordSize & 0xFF), out[11] = static_cast<char>(recordSize >> 8);
    out[29] = static_cast<char>(0xC8);
    for (const F& f : fields) {
        QByteArray d(32, '\0');
        d.replace(0, static_cast<qsizetype>(qstrlen(f.name)), f.name);
        d[11] = f.type;
        d[16] = static_cast<char>(f.len);
        out += d;
    }
    out += '\r';
    out.reserve(out.size() + qsizetype(n) * recordSize + 1);
    static const char* const names[] = {"Mleko \xb6wie\xbf" "e", "Chleb \xbfytni", "Ser \xbf\xf3\xb3ty", "Mas\xb3o", "Woda"};
    static const char* const weights[] = {"1 l", "500 g", "150 g", "200 g", "1,5 l"};
    auto field = [&](const QByteArray& v, int len, bool right) {
        const QByteArray pad(len - v.size(), ' ');
        out += right ? pad + v : v + pad;
    };
    for (int i = 0; i < n; ++i) {
        out += ' ';
        field(QByteArray::number(i + 1), 8, true);
        field(QByteArray(names[i % 5]) + ' ' + QByteArray::number(i), 40, false);
        field(QByteArray::number(1 + i % 50) + ',' + QByteArray::number(10 + i % 90), 10, false);
        field(weights[i % 5], 12, false);
        field(QByteArray::number(5900000000000LL + i), 13, false);
        field("14", 2, true);
    }
    out += '\x1a';
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size()) qFatal("cannot write the table");
}

double PeakResidentMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

struct Shop {
    QTemporaryDir dir;
    TODBCManager manager;
    explicit Shop(int n) {
        SetDataFolderOverride(dir.path() + QStringLiteral("/data"));
        QDir().mkpath(dir.path() + QStringLiteral("/sklep"));
        QDir().mkpath(dir.path() + QStringLiteral("/data/SQLCFG"));
        WriteGoodsTable(dir.path() + QStringLiteral("/sklep/TOWARY.DBF"), n);
        QFile cdb(dir.path() + QStringLiteral("/data/SQLCFG/Bench.cdb"));
        if (!cdb.open(QIODevice::WriteOnly)) qFatal("cannot write the definition");
        cdb.write("[DATABASE]\r\nTYPE=3\r\nDataPath=" + dir.path().toUtf8() +
                  "/sklep\r\n[SQL]\r\nQUERY1=SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU FROM TOWARY\r\n"
                  "QUERY2=SELECT COUNT(*) FROM TOWARY\r\n");
        cdb.close();
        manager.SetDefinitionFolder(dir.path() + QStringLiteral("/data/SQLCFG/"));
        manager.SelectDefinition(QStringLiteral("Bench"));
    }
    TUpdateOutcome Run() {
        TTable tbLocal;
        SetupGoodsTable(tbLocal, false);
        TExternalDatabase db;
        ConnectOutside(db, manager);
        TUpdateRun run;
        run.dbOutside = &db;
        run.Manager = &manager;
        run.tbLocal = &tbLocal;
        return RunGoodsUpdate(run);
    }
};

void UpdateIntoEmptyTable(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Shop shop(n);
        TTable t;
        if (!CreateGoodsTable(t)) qFatal("cannot create the goods table");
        state.ResumeTiming();
        const TUpdateOutcome out = shop.Run();
        if (!out.Ok || out.Changes != n) state.SkipWithError("the update failed");
    }
    state.counters["rows"] = n;
    state.counters["peak_rss_mb"] = PeakResidentMb();
}
BENCHMARK(UpdateIntoEmptyTable)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void SecondRunWithoutChange(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Shop shop(n);
    TTable t;
    if (!CreateGoodsTable(t)) qFatal("cannot create the goods table");
    if (shop.Run().Changes != n) qFatal("the first run failed");
    for (auto _ : state) {
        const TUpdateOutcome out = shop.Run();
        if (!out.Ok || out.Changes != 0) state.SkipWithError("the second run changed rows");
    }
    state.counters["rows"] = n;
    state.counters["peak_rss_mb"] = PeakResidentMb();
}
BENCHMARK(SecondRunWithoutChange)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
