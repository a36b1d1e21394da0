#include "sqliteconnection.h"

#include "polishcollation.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <chrono>
#include <map>
#include <sqlite3.h>
#include <thread>

TSqliteConnection::~TSqliteConnection() {
    Db.close();
    Db = QSqlDatabase();
    QSqlDatabase::removeDatabase(Name);
}

namespace {

std::map<QString, std::weak_ptr<TSqliteConnection>>& Registry() {
    static std::map<QString, std::weak_ptr<TSqliteConnection>> connections;
    return connections;
}

QString LastError(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

const QString kDuplicateKey = QStringLiteral("Naruszenie klucza: rekord o tym kluczu już istnieje.");

// How long a statement waits for a goods file another process is writing,
// and how often it looks whether the file is free again.
constexpr auto kBusyTimeout = std::chrono::milliseconds(15000);
constexpr int kBusyPollMs = 2;

// The busy handler of every connection. SQLite's own waits ever longer
// between two looks (up to 100 ms), and so would miss the moment a writer
// working in batches leaves between two of them.
int WaitWhileBusy(void*, int attempt) {
    thread_local std::chrono::steady_clock::time_point since;
    if (attempt == 0) since = std::chrono::steady_clock::now();
    if (std::chrono::steady_clock::now() - since >= kBusyTimeout) return 0;
    sqlite3_sleep(kBusyPollMs);
    return 1;
}

}  // namespace

void LetWaitingWritersIn() { std::this_thread::sleep_for(std::chrono::milliseconds(5 * kBusyPollMs)); }

bool BeginWrite(TSqliteConnection& conn, QString* error) {
    // The write lock is taken at once, waiting for it as the busy timeout
    // allows. A transaction that began by reading would get it only at its
    // first write, and there SQLite does not wait (two such transactions
    // would wait for each other): it would fail while another process writes.
    if (conn.Handle && sqlite3_exec(conn.Handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    if (error) *error = conn.Handle ? LastError(conn.Handle) : QStringLiteral("Baza nie jest otwarta.");
    return false;
}

TReadTransaction::TReadTransaction(TSqliteConnection& conn) {
    if (conn.Handle && conn.TxDepth == 0 && sqlite3_get_autocommit(conn.Handle) &&
        sqlite3_exec(conn.Handle, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK)
        Handle = conn.Handle;
}

TReadTransaction::~TReadTransaction() {
    // Nothing was written: ending it only lets the lock go.
    if (Handle && !sqlite3_get_autocommit(Handle) && sqlite3_exec(Handle, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(Handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

namespace {

void RunSetup(TSqliteConnection& c, const QString& path, TConnectionSetup setup) {
    if (!setup || c.Setup == setup) return;
    c.Setup = setup;
    setup(c, path);
}

}  // namespace

std::shared_ptr<TSqliteConnection> AcquireConnection(const QString& path, TConnectionSetup setup) {
    const QString key = QFileInfo(path).absoluteFilePath();
    auto& reg = Registry();
    if (auto it = reg.find(key); it != reg.end())
        if (auto c = it->second.lock()) {
            RunSetup(*c, key, setup);
            return c;
        }
    static int counter = 0;
    auto c = std::make_shared<TSqliteConnection>();
    c->Name = QStringLiteral("prandel-table-%1").arg(++counter);
    c->Db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), c->Name);
    c->Db.setDatabaseName(key);
    if (!c->Db.open()) throw TEngineError(QStringLiteral("Nie można otworzyć bazy %1: %2").arg(key, c->Db.lastError().text()));
    const QVariant h = c->Db.driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) c->Handle = *static_cast<sqlite3* const*>(h.constData());
    if (!c->Handle) throw TEngineError(QStringLiteral("Sterownik bazy nie udostępnia połączenia SQLite."));
    // Another process on the same data folder (the nightly update beside a
    // print) holds the file a transaction at a time: wait for it.
    sqlite3_busy_handler(c->Handle, WaitWhileBusy, nullptr);
    if (!RegisterPolishCollation(c->Handle))
        throw TEngineError(QStringLiteral("Nie można otworzyć bazy %1: %2").arg(key, LastError(c->Handle)));
    // An unknown double-quoted name is an error, never a text.
    for (int op : {SQLITE_DBCONFIG_DQS_DML, SQLITE_DBCONFIG_DQS_DDL}) sqlite3_db_config(c->Handle, op, 0, nullptr);
    // Whole-table passes (opening the list, marking) must not read the file anew
    // each time: a page cache that holds a large goods table, and reads mapped
    // into memory. Both concern this connection only, never the file.
    sqlite3_exec(c->Handle, "PRAGMA cache_size = -65536; PRAGMA mmap_size = 268435456;", nullptr, nullptr, nullptr);
    RunSetup(*c, key, setup);
    reg[key] = c;
    return c;
}

QSqlQuery RunQuery(TSqliteConnection& conn, const QString& sql, const QVariantList& binds) {
    QSqlQuery q(conn.Db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) throw TEngineError(q.lastError().text());
    for (const QVariant& b : binds) q.addBindValue(b);
    if (!q.exec()) {
        const QString text = q.lastError().text();
        if (text.contains(QLatin1String("UNIQUE constraint failed"))) throw TEngineError(kDuplicateKey);
        throw TEngineError(text);
    }
    return q;
}

// ---------------------------------------------------------------------------
// Statements

TSqliteStatement::TSqliteStatement(sqlite3* db, const QString& sql) : Db(db) {
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(Db, utf8.constData(), int(utf8.size()), &Handle, nullptr) != SQLITE_OK) {
        const QString error = LastError(Db);
        sqlite3_finalize(Handle);
        throw TEngineError(error);
    }
}

TSqliteStatement::~TSqliteStatement() { sqlite3_finalize(Handle); }

void TSqliteStatement::Bind(int index, qint64 value) { sqlite3_bind_int64(Handle, index, value); }

void TSqliteStatement::BindText(int index, const QString& text) {
    if (text.isNull()) {
        sqlite3_bind_null(Handle, index);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text64(Handle, index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void TSqliteStatement::Bind(int index, const QVariant& v) {
    if (v.isNull()) {
        sqlite3_bind_null(Handle, index);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool: sqlite3_bind_int64(Handle, index, v.toLongLong()); break;
    case QMetaType::Double: sqlite3_bind_double(Handle, index, v.toDouble()); break;
    default: {
        const QString s = v.toString();
        sqlite3_bind_text16(Handle, index, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
    }
    }
}

bool TSqliteStatement::Step() {
    const int rc = sqlite3_step(Handle);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const int code = sqlite3_extended_errcode(Db);
    const QString error = LastError(Db);
    sqlite3_reset(Handle);
    if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY) throw TEngineError(kDuplicateKey);
    throw TEngineError(error);
}

void TSqliteStatement::Reset() { sqlite3_reset(Handle); }

qint64 TSqliteStatement::LastInsertRowId() const { return sqlite3_last_insert_rowid(Db); }

bool TSqliteStatement::IsNull(int column) const { return sqlite3_column_type(Handle, column) == SQLITE_NULL; }

bool TSqliteStatement::IsInteger(int column) const { return sqlite3_column_type(Handle, column) == SQLITE_INTEGER; }

bool TSqliteStatement::IsText(int column) const { return sqlite3_column_type(Handle, column) == SQLITE_TEXT; }

qint64 TSqliteStatement::Int64(int column) const { return sqlite3_column_int64(Handle, column); }

QString TSqliteStatement::Text(int column) const { return TextView(column).toString(); }

QStringView TSqliteStatement::TextView(int column) const {
    const void* text = sqlite3_column_text16(Handle, column);
    return QStringView(static_cast<const QChar*>(text), sqlite3_column_bytes16(Handle, column) / 2);
}

QUtf8StringView TSqliteStatement::Utf8View(int column) const {
    const unsigned char* text = sqlite3_column_text(Handle, column);
    return QUtf8StringView(reinterpret_cast<const char*>(text), sqlite3_column_bytes(Handle, column));
}

QVariant TSqliteStatement::Value(int column) const {
    switch (sqlite3_column_type(Handle, column)) {
    case SQLITE_NULL: return QVariant();
    case SQLITE_INTEGER: return qint64(sqlite3_column_int64(Handle, column));
    case SQLITE_FLOAT: return sqlite3_column_double(Handle, column);
    default: return Text(column);
    }
}

// ---------------------------------------------------------------------------
// Transactions: nested guards join the outermost one.

TTableTransaction::TTableTransaction(TTable& table) : TTableTransaction(table.Conn) {}

TTableTransaction::TTableTransaction(std::shared_ptr<TSqliteConnection> conn) : Conn(std::move(conn)) {
    if (!Conn) throw TEngineError(QStringLiteral("Tabela nie jest otwarta."));
    Outer = Conn->TxDepth == 0;
    QString error;
    if (Outer && !BeginWrite(*Conn, &error)) throw TEngineError(QStringLiteral("Nie można rozpocząć transakcji: %1").arg(error));
    ++Conn->TxDepth;
}

void TTableTransaction::Commit() {
    if (Done) return;
    Done = true;
    --Conn->TxDepth;
    if (Outer && !Conn->Db.commit()) {
        const QString text = Conn->Db.lastError().text();
        Conn->Db.rollback();
        throw TEngineError(QStringLiteral("Nie można zapisać zmian: %1").arg(text));
    }
}

TTableTransaction::~TTableTransaction() {
    if (Done) return;
    --Conn->TxDepth;
    if (Outer) Conn->Db.rollback();
}
