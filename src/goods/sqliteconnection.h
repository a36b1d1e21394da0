#pragma once
#include "engine.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The engine's side of SQLite: one connection per file, shared by every table
// object on it so that the cursors never lock each other out, and the statements
// the cursors keep prepared. Only the engine's own files include this.

struct TSqliteConnection {
    QString Name;  // the Qt SQL connection name
    QSqlDatabase Db;
    sqlite3* Handle = nullptr;
    int TxDepth = 0;  // open TTableTransaction guards
    TConnectionSetup Setup = nullptr;  // what the file's kind needs, once run

    ~TSqliteConnection();
};

// The table inside a file is named after the file without its extension.
QString SqlTableName(const QString& fileName);

// The connection of the file at `path`, opened (with the name order registered)
// when no table object holds it yet, and given `setup` when it has not had it.
// Raises TEngineError.
std::shared_ptr<TSqliteConnection> AcquireConnection(const QString& path, TConnectionSetup setup = nullptr);

// Begins the transaction of a change: the file's write lock is taken at once,
// waiting while another process holds it (within the busy timeout). False,
// with SQLite's text in `error`, when it cannot.
bool BeginWrite(TSqliteConnection& conn, QString* error = nullptr);

// Holds the file's shared lock from the first read to the end of the guard:
// the reads within see one state of the file, and SQLite takes the lock once
// instead of for every statement run. Within a transaction in progress it
// does nothing. Only reads may run within it: a write would have to wait for
// a lock this connection already shares.
class TReadTransaction {
public:
    explicit TReadTransaction(TSqliteConnection& conn);
    ~TReadTransaction();
    Q_DISABLE_COPY(TReadTransaction)

private:
    sqlite3* Handle = nullptr;  // null when the guard began nothing
};

// Prepares and runs one statement through Qt SQL with its values bound in order.
// Raises TEngineError; a duplicate key gets the engine's own text.
QSqlQuery RunQuery(TSqliteConnection& conn, const QString& sql, const QVariantList& binds = {});

// One prepared statement, finalized with its owner. Used where the engine reads
// many rows, straight from SQLite.
class TSqliteStatement {
public:
    // Raises TEngineError when the text does not compile.
    TSqliteStatement(sqlite3* db, const QString& sql);
    ~TSqliteStatement();
    Q_DISABLE_COPY(TSqliteStatement)

    // Parameters count from 1.
    void Bind(int index, const QVariant& value);
    void Bind(int index, qint64 value);
    // A text as UTF-8 (SQLite's own encoding: no conversion inside it); a
    // null QString binds NULL.
    void BindText(int index, const QString& text);
    // The next row: true for a row, false at the end. An error resets the
    // statement and raises TEngineError (a duplicate key with the engine's own
    // text).
    bool Step();
    // Ready to run again; the bound values stay.
    void Reset();
    // The row id of the last row this connection inserted.
    qint64 LastInsertRowId() const;

    bool IsNull(int column) const;
    // The column's storage class is an integer, a text.
    bool IsInteger(int column) const;
    bool IsText(int column) const;
    qint64 Int64(int column) const;
    QString Text(int column) const;
    // The same without a copy, valid until the statement steps or resets.
    QStringView TextView(int column) const;
    // The same as SQLite holds it, UTF-8, without converting it; a text view
    // of the column, or this one after it, is no longer valid.
    QUtf8StringView Utf8View(int column) const;
    // The column as stored: null, integer, floating value or text.
    QVariant Value(int column) const;

private:
    sqlite3* Db;
    sqlite3_stmt* Handle = nullptr;
};
