// Reading a CSV export of 100,000 and 1,000,000 goods the way the folder
// engine walks a table (every line split, decoded and handed over as values),
// beside the same goods from a dBase table: a semicolon file in Windows-1250
// with decimal commas, a comma file in UTF-8 with its byte-order mark and
// quoted names, and a UTF-8 file without the mark (each line checked). The
// files are written once, before the runs, in pieces. Counters: lines per
// second, the peak resident memory of the process (the same after 100,000
// and 1,000,000 lines when the reader's memory is constant) and the largest
// piece of the file held at once.
#include "codepage.h"
#include "csvtable.h"
#include "externaltable.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <sys/resource.h>

namespace {

struct TGoods {
    QByteArray Id, Name, Price, Weight, Code, Type;
};

TGoods Goods(int i) {
    static const char* const names[] = {"Mleko świeże 3,2%", "Chleb żytni", "Ser żółty gouda", "Masło extra",
                                        "Woda źródlana", "Kiełbasa śląska", "Sok jabłkowy; 100%", "Pierogi ruskie"};
    static const char* const weights[] = {"1 l", "500 g", "150 g", "200 g", "1,5 l", "0,5 kg", "1 l", "450 g"};
    TGoods g;
    g.Id = QByteArray::number(1000 + i);
    g.Name = QByteArray(names[i % 8]) + ' ' + QByteArray::number(i);
    g.Price = QByteArray::number(1 + i % 50) + ',' + QByteArray::number(10 + i % 90);
    g.Weight = weights[i % 8];
    g.Code = QByteArray::number(5900000000000LL + i);
    g.Type = "14";
    return g;
}

enum class TFormat { SemicolonWin1250, CommaUtf8Bom, SemicolonUtf8, DBase };

QByteArray Quoted(const QByteArray& v) { return '"' + QByteArray(v).replace("\"", "\"\"") + '"'; }

QByteArray CsvLine(const TGoods& g, TFormat format) {
    switch (format) {
    case TFormat::SemicolonWin1250: {
        const QByteArray name = ToWin1250(QString::fromUtf8(g.Name));
        return g.Id + ';' + (name.contains(';') ? Quoted(name) : name) + ';' + g.Price + ';' + ToWin1250(QString::fromUtf8(g.Weight)) +
               ';' + g.Code + ';' + g.Type + "\r\n";
    }
    case TFormat::CommaUtf8Bom:
        return g.Id + ',' + Quoted(g.Name) + ',' + Quoted(g.Price) + ',' + g.Weight + ',' + g.Code + ',' + g.Type + '\n';
    default:
        return g.Id + ';' + Quoted(g.Name) + ';' + g.Price + ';' + g.Weight + ';' + g.Code + ';' + g.Type + '\n';
    }
}

// A dBase III record: the deletion mark, then each value padded to its field.
QByteArray DbfRecord(const TGoods& g) {
    const std::pair<QByteArray, int> values[] = {{g.Id.rightJustified(8), 8},
                                                 {ToWin1250(QString::fromUtf8(g.Name)), 40},
                                                 {g.Price, 10},
                                                 {ToWin1250(QString::fromUtf8(g.Weight)), 12},
                                                 {g.Code, 13},
                                                 {g.Type.rightJustified(2), 2}};
    QByteArray r(" ");
    for (const auto& [v, width] : values) r += v.leftJustified(width, ' ', true);
    return r;
}

QByteArray DbfHeader(int rows) {
    const std::pair<const char*, char> fields[] = {{"ID", 'N'}, {"NAZWA", 'C'}, {"CENA", 'C'}, {"WAGA", 'C'}, {"KOD", 'C'}, {"TYPKODU", 'N'}};
    const int widths[] = {8, 40, 10, 12, 13, 2};
    const int headerSize = 32 * 7 + 1;
    const int recordSize = 1 + 8 + 40 + 10 + 12 + 13 + 2;
    QByteArray h(32, '\0');
    h[0] = 0x03;
    for (int k = 0; k < 4; ++k) h[4 + k] = static_cast<char>((rows >> (8 * k)) & 0xFF);
    h[8] = static_cast<char>(headerSize & 0xFF);
    h[9] = static_cast<char>(headerSize >> 8);
    h[10] = static_cast<char>(recordSize);
    h[29] = static_cast<char>(0xC8);  // Windows-1250
    for (int k = 0; k < 6; ++k) {
        QByteArray d = QByteArray(fields[k].first).leftJustified(11, '\0');
        d += fields[k].second;
        d += QByteArray(4, '\0');
        d += static_cast<char>(widths[k]);
        d += QByteArray(15, '\0');
        h += d;
    }
    return h + '\r';
}

void WriteFile(const QString& path, int rows, TFormat format) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    QByteArray chunk;
    switch (format) {
    case TFormat::DBase: chunk = DbfHeader(rows); break;
    case TFormat::SemicolonWin1250: chunk = "ID;NAZWA;CENA;WAGA;KOD;TYPKODU\r\n"; break;
    case TFormat::CommaUtf8Bom: chunk = "\xEF\xBB\xBF\"ID\",\"NAZWA\",\"CENA\",\"WAGA\",\"KOD\",\"TYPKODU\"\n"; break;
    case TFormat::SemicolonUtf8: chunk = "ID;NAZWA;CENA;WAGA;KOD;TYPKODU\n"; break;
    }
    for (int i = 0; i < rows; ++i) {
        const TGoods g = Goods(i);
        chunk += format == TFormat::DBase ? DbfRecord(g) : CsvLine(g, format);
        if (chunk.size() >= (1 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    if (format == TFormat::DBase) chunk += '\x1a';
    f.write(chunk);
}

QTemporaryDir* Folder() {
    static QTemporaryDir dir;
    return &dir;
}

QString FileOf(int rows, TFormat format) {
    return Folder()->filePath(QStringLiteral("towary-%1-%2.%3")
                                  .arg(rows)
                                  .arg(static_cast<int>(format))
                                  .arg(format == TFormat::DBase ? QStringLiteral("dbf") : QStringLiteral("csv")));
}

double PeakResidentMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

void ReadTable(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const auto format = static_cast<TFormat>(state.range(1));
    const QString path = FileOf(rows, format);
    qsizetype largest = 0;
    for (auto _ : state) {
        QString error;
        std::unique_ptr<TExtTable> table;
        if (format == TFormat::DBase)
            table = OpenExtTable(path, error);
        else
            table = TCsvTable::Open(path, {}, error);
        if (!table) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        TExtPosition at;
        std::vector<QVariant> row;
        int n = 0;
        while (table->NextAt(at, row)) {
            ++n;
            largest = std::max(largest, at.Window.Bytes.size());
            benchmark::DoNotOptimize(row.data());
        }
        if (n != rows || at.Cut) state.SkipWithError("the table gave other rows");
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["peak_rss_mb"] = PeakResidentMb();
    state.counters["window_kb"] = static_cast<double>(largest) / 1024.0;
}
BENCHMARK(ReadTable)
    ->ArgsProduct({{100000, 1000000},
                   {static_cast<int>(TFormat::SemicolonWin1250), static_cast<int>(TFormat::CommaUtf8Bom),
                    static_cast<int>(TFormat::SemicolonUtf8), static_cast<int>(TFormat::DBase)}})
    ->ArgNames({"rows", "format"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (int rows : {100000, 1000000})
        for (TFormat f : {TFormat::SemicolonWin1250, TFormat::CommaUtf8Bom, TFormat::SemicolonUtf8, TFormat::DBase})
            WriteFile(FileOf(rows, f), rows, f);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
