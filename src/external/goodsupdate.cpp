#include "goodsupdate.h"

#include "engine.h"
#include "externaldb.h"
#include "goodsstore.h"
#include "odbcmanager.h"
#include "prompter.h"
#include "silentfailure.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <cmath>
#include <optional>

namespace {

// Column 5: the integer value, of which only the low 8 bits count; the
// default type (EAN-13) when it cannot be read as an integer.
std::uint8_t BarcodeTypeOf(const QVariant& v) {
    if (v.isNull()) return 0;  // an empty integer reads 0
    qint64 n = kDefaultBarcodeType;
    switch (v.typeId()) {
    case QMetaType::Bool: n = v.toBool() ? 1 : 0; break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 9e18) return kDefaultBarcodeType;
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
        if (!ok) return kDefaultBarcodeType;
    }
    }
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) & 0xFF);
}

// Column 6: a perishable good's mark.
bool PerishableOf(const QVariant& v) {
    const QString text = ExternalValueText(v).trimmed();
    for (const char* yes : {"1", "t", "tak", "true"})
        if (text.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0) return true;
    return false;
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
    return ReadExternalRow(query, manager, query.record().count());
}

ExternalGoodsRecord ReadExternalRow(const QSqlQuery& query, const TODBCManager& manager, int columns) {
    if (columns < 4) throw TExternalError(QStringLiteral("Zapytanie zwraca mniej niż cztery kolumny."));
    ExternalGoodsRecord r;
    r.Id = ExternalValueText(query.value(0)).left(255);
    r.Name = manager.ConvertText(ExternalValueText(query.value(1))).left(50).trimmed();
    r.Price = ExternalValueText(query.value(2)).left(10).trimmed();
    r.Weight = ReplaceLineBreaks(manager.ConvertText(ExternalValueText(query.value(3)))).left(50).trimmed();
    if (columns > 4) r.Barcode = ExternalValueText(query.value(4)).trimmed().left(255);
    r.BarcodeType = columns > 5 ? BarcodeTypeOf(query.value(5)) : kDefaultBarcodeType;
    if (columns > 6) r.Perishable = PerishableOf(query.value(6));
    return r;
}

TGoodsRecord GoodsRecordOf(const ExternalGoodsRecord& row) {
    TGoodsRecord r;
    r.ID = MakeGoodsKey(row.Id, row.Barcode);
    r.NAZWA = row.Name;
    r.CENA = row.Price;
    r.WAGA = row.Weight;
    r.KODKRESKOWY = row.Barcode;
    r.TYPKODU = row.BarcodeType;
    r.KROTKITERMIN = row.Perishable;
    return r;
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
    TGoodsStore& store = *run.Store;
    std::unique_ptr<TGoodsMerge> merge;
    // A run that reads CSV files clears the marks in a transaction that ends
    // only once its queries are open: the folder engine has then copied each
    // CSV file aside and checked it whole, so an export that is damaged,
    // changes while it is read or lacks a column leaves the goods table as it
    // was, and nothing a file holds can stop the merge half way. Other runs
    // keep the cleared marks and what they merged before a failure.
    std::unique_ptr<TGoodsTransaction> opening;
    const auto counted = [&] {
        if (!merge) return;
        out.Changes = merge->Counts().Changed;
        out.Rejected = merge->Counts().Rejected;
        if (out.Rejected > 0) out.Reason = merge->LastError();
    };
    std::unique_ptr<TUpdateLock> lock;
    try {
        lock = store.LockUpdate(run.OtherUpdateBusy, [&] {
            process();
            return !cancelled();
        });
        if (!lock) {
            out.Stopped = true;
            out.Message = kUpdateBusy;
            return out;
        }
        if (run.dbOutside->ReadsCsv(run.Manager->GetQuery1()) || run.dbOutside->ReadsCsv(run.Manager->GetQuery2()))
            opening = store.Transaction();
        store.ClearNewFlags(process);

        // The count first: some drivers serve one open statement at a time.
        qint64 expected = 0;
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
            expected = max;
        }
        std::optional<QSqlQuery> query(run.dbOutside->Open(run.Manager->GetQuery1()));
        QSqlQuery& qrOutside = *query;
        bool more = qrOutside.next();
        if (!more && qrOutside.lastError().isValid()) throw run.dbOutside->Failure(qrOutside.lastError());
        // The columns of a query's rows are counted once.
        const int columns = qrOutside.record().count();
        // The first row is read before the marks are kept, so that a query
        // of too few columns fails as a whole too.
        std::optional<ExternalGoodsRecord> record;
        if (more) record = ReadExternalRow(qrOutside, *run.Manager, columns);
        if (opening) opening->Commit();
        opening.reset();
        merge = store.BeginMerge(run.Symbols);
        merge->Expect(expected);
        while (record) {
            more = qrOutside.next();
            if (!more && qrOutside.lastError().isValid()) throw run.dbOutside->Failure(qrOutside.lastError());
            process();
            if (cancelled()) break;
            if (run.StepProgress) run.StepProgress();
            merge->Add(GoodsRecordOf(*record));
            if (cancelled()) break;
            record.reset();
            if (more) record = ReadExternalRow(qrOutside, *run.Manager, columns);
        }
        merge->Commit();
        counted();
        merge.reset();
        query.reset();
        run.dbOutside->Disconnect();
        out.Ok = true;
        out.Message = out.Changes > 0 ? kUpdateCountPrefix + QString::number(out.Changes) : kUpdateNoChanges;
        if (out.Rejected > 0) out.Message += u'\n' + kUpdateRejectedPrefix + QString::number(out.Rejected);
    } catch (const std::exception& e) {
        const auto* external = dynamic_cast<const TExternalError*>(&e);
        // Marks cleared before the queries could be opened come back (a CSV
        // run); rows merged before the failure stay merged.
        opening.reset();
        if (merge) {
            try {
                merge->Commit();
            } catch (const std::exception& e) {
                SilentFailure(lcExternal, QStringLiteral("the rows merged before the failure could not be committed"), e);
            }
            counted();
            merge.reset();
        }
        const auto* engine = dynamic_cast<const TEngineError*>(&e);
        out.Reason = external ? external->Message() : engine ? engine->Message() : QString::fromLocal8Bit(e.what());
        SilentFailure(lcExternal, QStringLiteral("the goods update failed: %1").arg(out.Reason));
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
    // Stopped by the user's own answer to the busy question: nothing to add.
    if (out.Stopped) return true;
    if (!out.Ok) {
        Prompter::current().error(out.Message);
        return false;
    }
    Prompter::current().info(out.Message);
    try {
        if (run.tbLocalShow && run.tbLocalShow->Active()) run.tbLocalShow->Refresh();
        if (out.Changes > 0 && run.ShowChanged) run.ShowChanged();
    } catch (const std::exception& e) {
        SilentFailure(lcExternal, QStringLiteral("the goods list was not shown again after the update"), e);
        Prompter::current().error(kUpdateError);
        return false;
    }
    return true;
}
