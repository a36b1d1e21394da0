// The goods update from a dBase folder of 10,000 and 100,000 goods: the first
// run into an empty goods table, a second run that finds no change and one
// that finds every price changed, end to end (connection, reading the table
// into the folder engine, the query, the merge), each into a goods file with
// its price history (history=1) and into one of an earlier version without it
// (history=0), which the update leaves so. Beside it the first run of
// 100,000 and 1,000,000 goods from the dBase table and from the same goods
// exported as a CSV file (semicolons, Windows-1250) in a folder of CSV files.
// The peak resident memory of the process is reported as a counter.
#include "datafolder.h"
#include "externaldb.h"
#include "goodsstore.h"
#include "goodstable.h"
#include "goodsupdate.h"
#include "odbcmanager.h"
#include "pricehistory.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <array>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

// The values of goods i, in Windows-1250: ID, NAZWA, CENA, WAGA, KOD, TYPKODU;
// `priceRise` is added to the price's whole part.
std::array<QByteArray, 6> GoodsValues(int i, int priceRise) {
    static const char* const names[] = {"Mleko \xb6wie\xbf" "e", "Chleb \xbfytni", "Ser \xbf\xf3\xb3ty", "Mas\xb3o", "Woda"};
    static const char* const weights[] = {"1 l", "500 g", "150 g", "200 g", "1,5 l"};
    return {QByteArray::number(i + 1), QByteArray(names[i % 5]) + ' ' + QByteArray::number(i),
            QByteArray::number(1 + priceRise + i % 50) + ',' + QByteArray::number(10 + i % 90), weights[i % 5],
            QByteArray::number(5900000000000LL + i), "14"};
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot write the table");
}

// A dBase III table of n goods with Windows-1250 names, written byte by byte.
void WriteGoodsTable(const QString& path, int n, int priceRise = 0) {
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
    for (int i = 0; i < n; ++i) {
        out += ' ';
        const auto values = GoodsValues(i, priceRise);
        for (std::size_t k = 0; k < values.size(); ++k) {
            const QByteArray pad(fields[k].len - values[k].size(), ' ');
            out += fields[k].type == 'N' ? pad + values[k] : values[k] + pad;
        }
    }
    out += '\x1a';
    WriteFile(path, out);
}

// The same goods as a sales program exports them: a header line, semicolons,
// Windows-1250, CR LF.
void WriteGoodsCsv(const QString& path, int n) {
    QByteArray out = "ID;NAZWA;CENA;WAGA;KOD;TYPKODU\r\n";
    out.reserve(qsizetype(n) * 60);
    for (int i = 0; i < n; ++i) {
        const auto values = GoodsValues(i, 0);
        for (std::size_t k = 0; k < values.size(); ++k) out += values[k] + (k + 1 < values.size() ? ";" : "\r\n");
    }
    WriteFile(path, out);
}

double PeakResidentMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

struct Shop {
    QTemporaryDir dir;
    TODBCManager manager;
    QString folder;
    // `csv`: the goods as a CSV export in a folder of CSV files.
    explicit Shop(int n, bool csv = false) {
        SetDataFolderOverride(dir.path() + QStringLiteral("/data"));
        folder = dir.path() + QStringLiteral("/sklep");
        QDir().mkpath(folder);
        QDir().mkpath(dir.path() + QStringLiteral("/data/SQLCFG"));
        if (csv) WriteGoodsCsv(folder + QStringLiteral("/TOWARY.CSV"), n);
        else WriteGoodsTable(folder + QStringLiteral("/TOWARY.DBF"), n);
        QFile cdb(dir.path() + QStringLiteral("/data/SQLCFG/Bench.cdb"));
        if (!cdb.open(QIODevice::WriteOnly)) qFatal("cannot write the definition");
        cdb.write(QByteArray("[DATABASE]\r\nTYPE=") + (csv ? "6" : "3") + "\r\nDataPath=" + dir.path().toUtf8() +
                  "/sklep\r\n[SQL]\r\nQUERY1=SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU FROM TOWARY\r\n"
                  "QUERY2=SELECT COUNT(*) FROM TOWARY\r\n");
        cdb.close();
        manager.SetDefinitionFolder(dir.path() + QStringLiteral("/data/SQLCFG/"));
        manager.SelectDefinition(QStringLiteral("Bench"));
    }
    TUpdateOutcome Run() {
        const std::unique_ptr<TGoodsStore> store = MakeLocalGoodsStore();
        TExternalDatabase db;
        ConnectOutside(db, manager);
        TUpdateRun run;
        run.dbOutside = &db;
        run.Manager = &manager;
        run.Store = store.get();
        return RunGoodsUpdate(run);
    }
};

// An empty goods table, with its price history or, as an earlier version of
// the program left it, without one.
void MakeGoodsTable(bool history) {
    TTable t;
    if (!CreateGoodsTable(t)) qFatal("cannot create the goods table");
    if (history) return;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-legacy"));
        db.setDatabaseName(t.FilePath());
        if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("DROP TABLE ") + kPriceHistoryTable)) qFatal("cannot drop the history");
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-legacy"));
}

void UpdateIntoEmptyTable(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Shop shop(n, state.range(2) != 0);
        MakeGoodsTable(state.range(1) != 0);
        state.ResumeTiming();
        const TUpdateOutcome out = shop.Run();
        if (!out.Ok || out.Changes != n) state.SkipWithError("the update failed");
    }
    state.counters["rows"] = n;
    state.counters["peak_rss_mb"] = PeakResidentMb();
}
BENCHMARK(UpdateIntoEmptyTable)
    ->ArgsProduct({{10000, 100000}, {0, 1}, {0}})
    ->ArgNames({"rows", "history", "csv"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
// From a dBase table (csv=0) and from the same goods exported as CSV (csv=1).
BENCHMARK(UpdateIntoEmptyTable)
    ->ArgsProduct({{100000, 1000000}, {1}, {0, 1}})
    ->ArgNames({"rows", "history", "csv"})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(1);

void SecondRunWithoutChange(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Shop shop(n);
    MakeGoodsTable(state.range(1) != 0);
    if (shop.Run().Changes != n) qFatal("the first run failed");
    for (auto _ : state) {
        const TUpdateOutcome out = shop.Run();
        if (!out.Ok || out.Changes != 0) state.SkipWithError("the second run changed rows");
    }
    state.counters["rows"] = n;
    state.counters["peak_rss_mb"] = PeakResidentMb();
}
BENCHMARK(SecondRunWithoutChange)
    ->ArgsProduct({{10000, 100000}, {0, 1}})
    ->ArgNames({"rows", "history"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Every price of the external system changed since the last run: each row is
// rewritten, and with the history each gets a new entry.
void EveryPriceChanged(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    int rise = 0;
    Shop shop(n);
    MakeGoodsTable(state.range(1) != 0);
    if (shop.Run().Changes != n) qFatal("the first run failed");
    for (auto _ : state) {
        state.PauseTiming();
        WriteGoodsTable(shop.folder + QStringLiteral("/TOWARY.DBF"), n, ++rise);
        state.ResumeTiming();
        const TUpdateOutcome out = shop.Run();
        if (!out.Ok || out.Changes != n) state.SkipWithError("the run missed changes");
    }
    state.counters["rows"] = n;
    state.counters["peak_rss_mb"] = PeakResidentMb();
}
BENCHMARK(EveryPriceChanged)
    ->ArgsProduct({{100000}, {0, 1}})
    ->ArgNames({"rows", "history"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
