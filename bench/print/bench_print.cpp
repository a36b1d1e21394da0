// Speed of label printing: one 30 × 20 mm label (name, price, unit price,
// EAN-13) drawn at 300 dpi into a bitmap in at most 0.3 ms, and with a 2D code
// (QR or Data Matrix of a Digital Link, or their GS1 kinds of the GTIN) beside
// the EAN-13 in at most 0.6 ms; jobs of 1,000 and 10,000 such labels into a
// PDF in at most 0.5 s and 4 s, each within 150 MB resident memory, time and
// memory growing linearly with the label count, and 1,000 with a 2D code in
// at most 0.5 s;
// the print dates of a 4,000-label job stamped in at most 1 s (one commit,
// not one disk sync per goods record).
#include "datafolder.h"
#include "goodsstore.h"
#include "goodstable.h"
#include "layout.h"
#include "printcommand.h"
#include "printmanager.h"
#include "views.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

TLayoutObject Field(quint8 type, int l, int t, int r, int b, int size, bool bold) {
    TLayoutObject o;
    o.Kind = LayoutObjectKind::Label;
    o.Type = type;
    o.Left = TMm(l);
    o.Top = TMm(t);
    o.Right = TMm(r);
    o.Bottom = TMm(b);
    o.FontName = QStringLiteral("Arial");
    o.FontSize = size;
    o.FontBold = bold;
    o.Alignment = taCenter;
    return o;
}

// The shipped 30 × 20 mm layout's fields.
void LoadLayout(TPrintManager& m, const QTemporaryDir& dir, std::vector<TLayoutObject> objects) {
    TLabelLayout l;
    l.Width = TMm(30);
    l.Height = TMm(20);
    l.Objects = std::move(objects);
    const QString path = dir.filePath(QStringLiteral("30x20.etk"));
    SaveLayoutFile(path, l);
    m.LayoutFileName = path;
    m.LoadLayout();
    TPrintOptions o;
    m.SetOptions(o);
}

void LoadLabel(TPrintManager& m, const QTemporaryDir& dir) {
    LoadLayout(m, dir, {Field(ctName, 1, 0, 29, 4, 6, true), Field(ctPrice, 1, 4, 29, 10, 14, true),
                        Field(ctAbsPrice, 1, 10, 29, 13, 5, false), Field(ctCode, 2, 13, 28, 20, 6, false)});
}

// The shipped 30 × 20 mm layout with both codes (30x20-qr.etk), its 2D code
// of the kind `kind`: 0 QR, 1 Data Matrix (of the Digital Link), 2 GS1 QR,
// 3 GS1 DataMatrix (of the GTIN).
void LoadLabelWith2D(TPrintManager& m, const QTemporaryDir& dir, int kind) {
    TLayoutObject code = Field(ctMatrixCode, 18, 0, 29, 12, 5, false);
    code.Symbol = kind % 2 == 0 ? msQR : msDataMatrix;
    code.Gs1 = kind >= 2;
    code.Text = code.Gs1 ? QStringLiteral("{gtin}") : CompoCaption(ctMatrixCode);
    LoadLayout(m, dir, {Field(ctName, 1, 0, 17, 4, 6, true), Field(ctPrice, 1, 4, 17, 10, 12, true),
                        Field(ctAbsPrice, 1, 10, 17, 13, 5, false), code, Field(ctCode, 2, 13, 28, 20, 6, false)});
}

TPrintGoods Record(int i) {
    static const char* const codes[] = {"5901234123457", "4006381333931", "9780201379624", "5900017304007"};
    TPrintGoods g;
    g.ID = QString::number(i);
    g.NAZWA = QStringLiteral("Mleko UHT 3,2% 1 l nr %1").arg(i);
    g.CENA = QStringLiteral("%1,%2").arg(2 + i % 20).arg(i % 100);
    g.ABSCENA = QStringLiteral("%1,%2 zł/l").arg(2 + i % 20).arg(i % 100);
    g.KODKRESKOWY = QString::fromLatin1(codes[i % 4]);
    g.TYPKODU = 14;
    return g;
}

long PeakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// One label after another of the goods, each into the same 300 dpi bitmap.
void DrawLabels(benchmark::State& state, TPrintManager& m) {
    QImage image(354, 236, QImage::Format_RGB32);
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    QPainter painter(&image);
    painter.setClipRect(image.rect());
    int i = 0;
    for (auto _ : state) m.DrawLabel(Record(i++), painter);
}

void BM_DrawLabel300dpi(benchmark::State& state) {
    QTemporaryDir dir;
    TPrintManager m;
    LoadLabel(m, dir);
    DrawLabels(state, m);
}
BENCHMARK(BM_DrawLabel300dpi)->Unit(benchmark::kMicrosecond);

void BM_DrawLabelWith2D300dpi(benchmark::State& state) {
    QTemporaryDir dir;
    TPrintManager m;
    LoadLabelWith2D(m, dir, static_cast<int>(state.range(0)));
    DrawLabels(state, m);
}
BENCHMARK(BM_DrawLabelWith2D300dpi)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// range(0) labels into a PDF; range(1): the label alone (-1) or with the 2D
// code of that kind beside its EAN-13 (LoadLabelWith2D).
void BM_PdfJob(benchmark::State& state) {
    QTemporaryDir dir;
    TPrintManager m;
    if (state.range(1) < 0)
        LoadLabel(m, dir);
    else
        LoadLabelWith2D(m, dir, static_cast<int>(state.range(1)));
    m.SelectPrinter(QStringLiteral("PDF"));
    m.PdfFileName = dir.filePath(QStringLiteral("job.pdf"));
    TPrintGoodsList list;
    for (int i = 0; i < state.range(0); ++i) list.push_back(Record(i));
    for (auto _ : state) m.PrintList(list, 1);
    state.counters["labels"] = static_cast<double>(state.range(0));
    state.counters["pdf_kB"] = static_cast<double>(QFileInfo(m.PdfFileName).size() / 1024);
    state.counters["peak_rss_MB"] = static_cast<double>(PeakRssMb());
}
BENCHMARK(BM_PdfJob)
    ->Args({1000, -1})
    ->Args({10000, -1})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// After a job: the marked goods of a table of 4,000, all of them printed,
// get the job's moment as their print date.
void BM_StampPrintDates(benchmark::State& state) {
    QTemporaryDir dir;
    SetDataFolderOverride(dir.path());
    TTable tbLocal;
    if (!CreateGoodsTable(tbLocal)) qFatal("cannot create the goods table");
    tbLocal.Open();
    {
        QSqlDatabase db = QSqlDatabase::database(tbLocal.ConnectionName());
        db.transaction();
        QSqlQuery q(db);
        q.prepare("INSERT INTO towary (ID, NAZWA, CENA, TYPKODU, NEW, \"SELECT\") VALUES (?,?,?,?,0,1)");
        for (int i = 0; i < state.range(0); ++i) {
            const TPrintGoods g = Record(i);
            q.addBindValue(g.ID);
            q.addBindValue(g.NAZWA);
            q.addBindValue(g.CENA);
            q.addBindValue(14);
            if (!q.exec()) qFatal("insert failed");
        }
        db.commit();
    }
    tbLocal.Close();
    const std::unique_ptr<TGoodsStore> store = MakeLocalGoodsStore();
    if (!store->Create()) qFatal("cannot prepare the goods store");
    int moment = 0;
    for (auto _ : state) {
        const TPrintGoodsList list = store->Records(ViewFilter(TViewCode::Marked, QDateTime()));
        QStringList ids;
        for (const TPrintGoods& g : list) ids << g.ID;
        const QDateTime at = QDateTime(QDate(2026, 1, 1), QTime(8, 0)).addSecs(++moment);
        if (store->StampPrintDates(ids, at, true) != state.range(0)) qFatal("not every record stamped");
    }
    state.counters["records"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_StampPrintDates)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
