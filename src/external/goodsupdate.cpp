#include "goodsupdate.h"

#include "engine.h"
#include "externaldb.h"
#include "odbcmanager.h"
#include "prompter.h"
#include "silentfailure.h"
#include "tablestatement.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <cmath>
#include <optional>

namespace {

constexpr int kBatchRows = 10000;

QString Quote(const QString& name) { return u'"' + name + u'"'; }

// Column 5: the integer value, of which only the low 8 bits count; 14 when it
// cannot be read as an integer.
std::uint8_t BarcodeTypeOf(const QVariant& v) {
    if (v.isNull()) return 0;  // an empty integer reads 0
    qint64 n = 14;
    switch (v.typeId()) {
    case QMetaType::Bool: n = v.toBool() ? 1 : 0; break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 9e18) return 14;
        n = std::llround(d);
        break;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        n = v.toLongLong();
        break;
    default: {
        bool ok = false;
        n = v.toString().trimmed().toLongLong(&ok);
        if (!ok) return 14;
    }
    }
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) & 0xFF);
}

}  // namespace

QString MakeGoodsKey(const QString& id, const QString& barcode) { return (id + u'\\' + barcode).left(255); }

QString ReplaceLineBreaks(const QString& text) {
    QString s = text;
    for (QChar& c : s)
        if (c == u'\r' || c == u'\n') c = u' ';
    return s;
}

ExternalGoodsRecord ReadExternalRow(const QSqlQuery& query, const TODBCManager& manager) {
    const int columns = query.record().count();
    if (columns < 4) throw TExternalError(QStringLiteral("Zapytanie zwraca mniej niż cztery kolumny."));
    ExternalGoodsRecord r;
    r.Id = ExternalValueText(query.value(0)).left(255);
    r.Name = manager.ConvertText(ExternalValueText(query.value(1))).left(50).trimmed();
    r.Price = ExternalValueText(query.value(2)).left(10).trimmed();
    r.Weight = ReplaceLineBreaks(manager.ConvertText(ExternalValueText(query.value(3)))).left(50).trimmed();
    if (columns > 4) r.Barcode = ExternalValueText(query.value(4)).trimmed().left(255);
    r.BarcodeType = columns > 5 ? BarcodeTypeOf(query.value(5)) : 14;
    return r;
}

struct TGoodsMerger::TImpl {
    TTable* Table = nullptr;
    TUnitSymbols Symbols;
    // Run once or twice per external row: prepared statements straight on
    // SQLite, without Qt SQL's per-run cost.
    std::unique_ptr<TTableStatement> Find, Update, Insert;
    int IdSize = 30, NameSize = 50, PriceSize = 10, WeightSize = 50, UnitSize = 50, BarcodeSize = 50;
    std::unique_ptr<TTableTransaction> Batch;
    int InBatch = 0;
};

TGoodsMerger::TGoodsMerger(TTable& tbLocal, const TUnitSymbols& symbols) : D(std::make_unique<TImpl>()) {
    D->Table = &tbLocal;
    D->Symbols = symbols;
    auto size = [&](const char* field, int fallback) {
        const int i = tbLocal.FieldIndex(QLatin1String(field));
        if (i < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(QLatin1String(field)));
        const int s = tbLocal.Fields(i).Size();
        return s > 0 ? s : fallback;
    };
    D->IdSize = size("ID", 30);
    D->NameSize = size("NAZWA", 50);
    D->PriceSize = size("CENA", 10);
    D->WeightSize = size("WAGA", 50);
    D->UnitSize = size("ABSCENA", 50);
    D->BarcodeSize = size("KODKRESKOWY", 50);
    for (const char* f : {"TYPKODU", "NEW", "SELECT"})
        if (tbLocal.FieldIndex(QLatin1String(f)) < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(QLatin1String(f)));
    const QString table = Quote(QFileInfo(tbLocal.TableName()).completeBaseName());
    D->Find = std::make_unique<TTableStatement>(
        tbLocal, QStringLiteral("SELECT rowid, \"NAZWA\", \"CENA\", \"WAGA\", \"KODKRESKOWY\" FROM %1 WHERE \"ID\" = ?").arg(table));
    D->Update = std::make_unique<TTableStatement>(
        tbLocal, QStringLiteral("UPDATE %1 SET \"CENA\" = ?, \"NAZWA\" = ?, \"WAGA\" = ?, \"ABSCENA\" = ?, \"KODKRESKOWY\" = ?, "
                                "\"TYPKODU\" = ?, \"NEW\" = 1, \"SELECT\" = 0 WHERE rowid = ?")
                     .arg(table));
    D->Insert = std::make_unique<TTableStatement>(
        tbLocal, QStringLiteral("INSERT INTO %1 (\"ID\", \"CENA\", \"NAZWA\", \"WAGA\", \"ABSCENA\", \"KODKRESKOWY\", \"TYPKODU\", "
                                "\"NEW\", \"SELECT\") VALUES (?, ?, ?, ?, ?, ?, ?, 1, 0)")
                     .arg(table));
}

TGoodsMerger::~TGoodsMerger() {
    try {
        Commit();
    } catch (const std::exception& e) {
        SilentFailure(lcExternal, QStringLiteral("the last batch of the update could not be committed"), e);
    }
}

void TGoodsMerger::Commit() {
    if (D->Batch) D->Batch->Commit();
    D->Batch.reset();
    D->InBatch = 0;
}

bool TGoodsMerger::MergeGoodsRow(const ExternalGoodsRecord& record, bool& changed) {
    changed = false;
    try {
        if (!D->Batch) D->Batch = std::make_unique<TTableTransaction>(*D->Table);
        // A text is stored cut to its field; an empty text is stored as null.
        auto stored = [](const QString& text, int size) { return text.isEmpty() ? QVariant() : QVariant(text.left(size)); };
        const QString key = MakeGoodsKey(record.Id, record.Barcode).left(D->IdSize);
        TTableStatement& find = *D->Find;
        find.Bind(1, key);
        const bool found = find.Step();
        qint64 rowId = -1;
        bool same = false;
        if (found) {
            rowId = find.Int64(0);
            same = find.Text(1).trimmed() == record.Name && find.Text(2).trimmed() == record.Price &&
                   find.Text(3).trimmed() == record.Weight && find.Text(4).trimmed() == record.Barcode;
        }
        find.Reset();
        if (found ? same : record.Name.isEmpty() || record.Price.isEmpty()) return true;
        const QVariant unit = stored(UnitPriceText(record.Price, record.Weight, D->Symbols), D->UnitSize);
        TTableStatement& q = found ? *D->Update : *D->Insert;
        int i = 1;
        if (!found) q.Bind(i++, key);
        q.Bind(i++, stored(record.Price, D->PriceSize));
        q.Bind(i++, stored(record.Name, D->NameSize));
        q.Bind(i++, stored(record.Weight, D->WeightSize));
        q.Bind(i++, unit);
        q.Bind(i++, stored(record.Barcode, D->BarcodeSize));
        q.Bind(i++, static_cast<qint64>(record.BarcodeType));
        if (found) q.Bind(i++, rowId);
        q.Step();  // an error resets the statement and raises
        q.Reset();
        changed = true;
        if (++D->InBatch >= kBatchRows) {
            Commit();
            LetWaitingWritersIn();
        }
        return true;
    } catch (const std::exception& e) {
        SilentFailure(lcExternal, QStringLiteral("goods row %1 not merged").arg(record.Id), e);
        changed = false;
        return false;
    }
}

QString DataSourceErrorText(int code, const QString& dbTypeName, const QString& driver) {
    QString text = QStringLiteral("Wystąpił błąd podczas tworzenia źródła danych ODBC.");
    if (code == TODBCManager::NoDriver)
        text += QStringLiteral("\nBrak zainstalowanego sterownika dla bazy danych typu: \"%1\"").arg(dbTypeName);
    if (code == TODBCManager::UnregisteredDriver)
        text += QStringLiteral("\nSterownik \"%1\" podany w definicji nie jest zarejestrowany w unixODBC (odbcinst). "
                               "Definicja może wskazać tylko nazwę zarejestrowanego sterownika, nie ścieżkę do pliku.")
                    .arg(driver);
    return text;
}

void ConnectOutside(TExternalDatabase& dbOutside, const TODBCManager& manager) {
    dbOutside.ClearParams();
    dbOutside.SetDatabaseName(manager.GetDbType(), manager.GetDataLocation());
    dbOutside.SetCsvSettings(manager.GetCsvSeparator(), manager.GetCsvCodePage());
    if (manager.SqlLogin) {
        dbOutside.SetUserName(manager.SqlUser);
        dbOutside.SetPassword(manager.GetSqlPassword());
    } else {
        dbOutside.SetUserName(manager.GetUser());
    }
    dbOutside.Connect();
}

TUpdateOutcome RunGoodsUpdate(TUpdateRun& run) {
    TUpdateOutcome out;
    run.UpdateCancelRequested.Reset();
    const auto cancelled = [&run] { return run.UpdateCancelRequested.Requested(); };
    auto process = [&] {
        if (run.ProcessMessages) run.ProcessMessages();
    };
    TTable& tbLocal = *run.tbLocal;
    std::unique_ptr<TGoodsMerger> merger;
    // A run that reads CSV files clears the marks in a transaction that ends
    // only once its queries are open: the folder engine has then copied each
    // CSV file aside and checked it whole, so an export that is damaged,
    // changes while it is read or lacks a column leaves the goods table as it
    // was, and nothing a file holds can stop the merge half way. Other runs
    // keep the cleared marks and what they merged before a failure.
    std::optional<TTableTransaction> opening;
    try {
        tbLocal.Close();
        tbLocal.SetFiltered(false);
        tbLocal.Open();
        if (run.dbOutside->ReadsCsv(run.Manager->GetQuery1()) || run.dbOutside->ReadsCsv(run.Manager->GetQuery2()))
            opening.emplace(tbLocal);
        tbLocal.UpdateWhere(QStringLiteral("NEW = TRUE"), {{QStringLiteral("NEW"), false}}, process);

        // The count first: some drivers serve one open statement at a time.
        {
            QSqlQuery count = run.dbOutside->Open(run.Manager->GetQuery2());
            qint64 max = 0;
            if (count.next()) {
                bool ok = false;
                max = ExternalValueText(count.value(0)).trimmed().toLongLong(&ok);
                if (!ok) max = std::llround(count.value(0).toDouble(&ok));
                if (!ok) throw TExternalError(QStringLiteral("Liczba towarów nie jest liczbą."));
            }
            if (run.SetMaximum) run.SetMaximum(static_cast<int>(std::clamp<qint64>(max, 0, INT32_MAX)));
        }
        std::optional<QSqlQuery> query(run.dbOutside->Open(run.Manager->GetQuery1()));
        QSqlQuery& qrOutside = *query;
        bool more = qrOutside.next();
        if (!more && qrOutside.lastError().isValid()) throw run.dbOutside->Failure(qrOutside.lastError());
        // The first row is read before the marks are kept, so that a query
        // of too few columns fails as a whole too.
        std::optional<ExternalGoodsRecord> record;
        if (more) record = ReadExternalRow(qrOutside, *run.Manager);
        if (opening) opening->Commit();
        merger = std::make_unique<TGoodsMerger>(tbLocal, run.Symbols);
        while (record) {
            more = qrOutside.next();
            if (!more && qrOutside.lastError().isValid()) throw run.dbOutside->Failure(qrOutside.lastError());
            process();
            if (cancelled()) break;
            if (run.StepProgress) run.StepProgress();
            bool changed = false;
            merger->MergeGoodsRow(*record, changed);
            if (changed) ++out.Changes;
            if (cancelled()) break;
            record.reset();
            if (more) record = ReadExternalRow(qrOutside, *run.Manager);
        }
        merger->Commit();
        merger.reset();
        tbLocal.Close();
        query.reset();
        run.dbOutside->Disconnect();
        out.Ok = true;
        out.Message = out.Changes > 0 ? kUpdateCountPrefix + QString::number(out.Changes) : kUpdateNoChanges;
    } catch (const std::exception& e) {
        const auto* external = dynamic_cast<const TExternalError*>(&e);
        out.Reason = external ? external->Message() : QString::fromLocal8Bit(e.what());
        // Marks cleared before the queries could be opened come back (a CSV
        // run); rows merged before the failure stay merged.
        opening.reset();
        if (merger) {
            try {
                merger->Commit();
            } catch (const std::exception& e) {
                SilentFailure(lcExternal, QStringLiteral("the rows merged before the failure could not be committed"), e);
            }
        }
        out.Ok = false;
        // The update's message; a reader's word on the file (a CSV export
        // that is damaged or lacks a column) on the line below it.
        const QString shown = external ? external->Shown() : QString();
        out.Message = shown.isEmpty() ? kUpdateError : kUpdateError + u'\n' + shown;
    }
    return out;
}

bool UpdateGoods(TUpdateRun& run) {
    const TUpdateOutcome out = RunGoodsUpdate(run);
    if (!out.Ok) {
        Prompter::current().error(out.Message);
        return false;
    }
    Prompter::current().info(out.Message);
    try {
        if (run.tbLocalShow && run.tbLocalShow->Active()) run.tbLocalShow->Refresh();
        if (out.Changes > 0 && run.ShowChanged) run.ShowChanged();
    } catch (const std::exception&) {
        Prompter::current().error(kUpdateError);
        return false;
    }
    return true;
}
