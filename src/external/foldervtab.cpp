#include "foldervtab.h"

#include "csvtext.h"
#include "externaldb.h"

#include <QStringList>
#include <sqlite3.h>

namespace {

struct TVTab {
    sqlite3_vtab Base{};
    const TExtTable* Table = nullptr;
    TFolderTables* Folder = nullptr;
};

struct TVCursor {
    sqlite3_vtab_cursor Base{};
    TExtPosition At;
    sqlite3_int64 RowId = 0;
    bool AtEnd = true;
    QByteArray Scratch;
};

QString QuoteName(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

int Connect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err) {
    auto* folder = static_cast<TFolderTables*>(aux);
    bool ok = false;
    const qsizetype index = argc >= 4 ? QByteArray(argv[3]).trimmed().toLongLong(&ok) : -1;
    if (!ok || index < 0 || static_cast<std::size_t>(index) >= folder->Tables.size()) {
        *err = sqlite3_mprintf("no such folder table");
        return SQLITE_ERROR;
    }
    const TExtTable* table = folder->Tables[static_cast<std::size_t>(index)].get();
    QStringList columns;
    for (const QString& name : FolderColumnNames(*table)) columns << QuoteName(name);
    const QByteArray schema = QStringLiteral("CREATE TABLE x(%1)").arg(columns.join(u',')).toUtf8();
    const int rc = sqlite3_declare_vtab(db, schema.constData());
    if (rc != SQLITE_OK) return rc;
    auto* v = new TVTab;
    v->Table = table;
    v->Folder = folder;
    *out = &v->Base;
    return SQLITE_OK;
}

int BestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
    const auto* v = reinterpret_cast<TVTab*>(vtab);
    // Always a full scan; the query's own conditions are checked by SQLite.
    info->estimatedRows = std::max<sqlite3_int64>(1, v->Table->RecordCount());
    info->estimatedCost = static_cast<double>(info->estimatedRows);
    return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* vtab) {
    delete reinterpret_cast<TVTab*>(vtab);
    return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    *out = &(new TVCursor)->Base;
    return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cur) {
    delete reinterpret_cast<TVCursor*>(cur);
    return SQLITE_OK;
}

// Ends the query with the reader's message.
int ReadFailed(TVTab* v, const QString& message) {
    sqlite3_free(v->Base.zErrMsg);
    v->Base.zErrMsg = sqlite3_mprintf("%s", message.toUtf8().constData());
    return SQLITE_ERROR;
}

int Next(sqlite3_vtab_cursor* cur) {
    auto* c = reinterpret_cast<TVCursor*>(cur);
    auto* v = reinterpret_cast<TVTab*>(cur->pVtab);
    c->AtEnd = !v->Table->MoveAt(c->At);
    ++c->RowId;
    if (c->AtEnd && c->At.Cut) {
        // The table was shortened, changed or found damaged under us: its
        // rows so far may belong to a file being rewritten, so the query
        // fails rather than ending early.
        const QString own = v->Table->ReadError();
        if (own.isEmpty()) return ReadFailed(v, QStringLiteral("Plik tabeli został skrócony w trakcie odczytu."));
        // The reader's own words name the file and what is wrong with it:
        // kept for the update's message.
        v->Folder->ReadFailure = own;
        return ReadFailed(v, own);
    }
    if (c->AtEnd && c->At.Damaged) {
        // Every whole record was given; those cut off by the file's end are
        // not silently missing.
        return ReadFailed(v, QStringLiteral("Plik tabeli jest uszkodzony: kończy się w połowie rekordu."));
    }
    return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* cur, int, const char*, int, sqlite3_value**) {
    auto* c = reinterpret_cast<TVCursor*>(cur);
    // From the start again; the bytes read ahead so far serve the new walk
    // (an inner table of a join is walked once per outer row).
    c->At.Major = 0;
    c->At.Minor = 0;
    c->At.Cut = false;
    c->At.Damaged = false;
    c->RowId = 0;
    return Next(cur);
}

int Eof(sqlite3_vtab_cursor* cur) { return reinterpret_cast<TVCursor*>(cur)->AtEnd ? 1 : 0; }

int Column(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int i) {
    auto* c = reinterpret_cast<TVCursor*>(cur);
    const TExtTable& table = *reinterpret_cast<TVTab*>(cur->pVtab)->Table;
    if (i < 0 || static_cast<std::size_t>(i) >= table.Fields().size()) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    // Text straight from the file's bytes where the reader can: an empty
    // text is a null, as its value would be.
    if (table.TextAt(c->At, i, c->Scratch)) {
        if (c->Scratch.isEmpty()) sqlite3_result_null(ctx);
        else sqlite3_result_text64(ctx, c->Scratch.constData(), static_cast<sqlite3_uint64>(c->Scratch.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        return SQLITE_OK;
    }
    const QVariant v = table.ValueAt(c->At, i);
    if (v.isNull()) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    switch (v.typeId()) {
    case QMetaType::LongLong: sqlite3_result_int64(ctx, v.toLongLong()); break;
    case QMetaType::Double: sqlite3_result_double(ctx, v.toDouble()); break;
    case QMetaType::Bool: sqlite3_result_int(ctx, v.toBool() ? 1 : 0); break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_result_blob64(ctx, b.constData(), static_cast<sqlite3_uint64>(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        c->Scratch = ExternalValueText(v).toUtf8();
        sqlite3_result_text64(ctx, c->Scratch.constData(), static_cast<sqlite3_uint64>(c->Scratch.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    }
    return SQLITE_OK;
}

int RowId(sqlite3_vtab_cursor* cur, sqlite3_int64* out) {
    *out = reinterpret_cast<TVCursor*>(cur)->RowId;
    return SQLITE_OK;
}

const sqlite3_module* Module() {
    static const sqlite3_module module = [] {
        sqlite3_module m{};  // no writing, no transactions
        m.iVersion = 0;
        m.xCreate = Connect;
        m.xConnect = Connect;
        m.xBestIndex = BestIndex;
        m.xDisconnect = Disconnect;
        m.xDestroy = Disconnect;
        m.xOpen = Open;
        m.xClose = Close;
        m.xFilter = Filter;
        m.xNext = Next;
        m.xEof = Eof;
        m.xColumn = Column;
        m.xRowid = RowId;
        return m;
    }();
    return &module;
}

void Number(sqlite3_context* ctx, int, sqlite3_value** args) {
    switch (sqlite3_value_type(args[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: sqlite3_result_value(ctx, args[0]); return;
    case SQLITE_TEXT: {
        const auto* text = static_cast<const char16_t*>(sqlite3_value_text16(args[0]));
        const int bytes = sqlite3_value_bytes16(args[0]);
        if (const auto n = CsvNumber(QStringView(text, bytes / 2))) {
            sqlite3_result_double(ctx, *n);
            return;
        }
        break;
    }
    default: break;
    }
    sqlite3_result_null(ctx);
}

}  // namespace

bool RegisterFolderModule(sqlite3* db, TFolderTables* tables) {
    return sqlite3_create_module_v2(db, kFolderModule, Module(), tables, nullptr) == SQLITE_OK;
}

QStringList FolderColumnNames(const TExtTable& table) {
    QStringList names, seen;
    for (const TExtField& f : table.Fields()) {
        QString name = f.Name;
        // Two fields of one name would stop the table; the second gets a number.
        for (int k = 2; seen.contains(name.toLower()); ++k) name = f.Name + QString::number(k);
        seen << name.toLower();
        names << name;
    }
    return names;
}

bool RegisterNumberFunction(sqlite3* db) {
    return sqlite3_create_function_v2(db, kNumberFunction, 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                      &Number, nullptr, nullptr, nullptr) == SQLITE_OK;
}
