#pragma once
#include "engine.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>

struct pg_conn;
struct pg_result;

// Where a goods server is and who logs in. The password lives only here and in
// libpq's keyword array: no connection string holding it is ever made, so none
// can reach a log.
struct TPgParams {
    QString Host;
    int Port = 5432;
    QString Database;
    QString User;
    QString Password;
    // "host:port/database", for messages and logs.
    QString Place() const;
};

// A statement the server refused: the server's SQLSTATE and its own text.
class TServerError : public TEngineError {
public:
    TServerError(const QString& message, const QString& sqlState);
    const QString& SqlState() const { return State; }

private:
    QString State;
};

// The link to the server is gone (server stopped, network down, session ended
// by the server); whatever the statement was, it was not committed.
class TServerLost : public TServerError {
public:
    using TServerError::TServerError;
};

// The rows of one statement, values as text (null: an empty QVariant); whole
// numbers and booleans come as such.
class TPgResult {
public:
    explicit TPgResult(pg_result* result = nullptr);
    int Rows() const;
    int Columns() const;
    QVariant Value(int row, int column) const;

private:
    std::shared_ptr<pg_result> Result;
};

// One connection to a PostgreSQL server, closed with the object.
class TPgConnection {
public:
    TPgConnection() = default;
    ~TPgConnection();
    TPgConnection(const TPgConnection&) = delete;
    TPgConnection& operator=(const TPgConnection&) = delete;

    // Throws TServerLost with the message naming what failed: the server not
    // answering, the login refused, or no such database.
    void Connect(const TPgParams& params);
    bool Connected() const;
    // Whether the link broke after it was made.
    bool Lost() const;

    // A statement with parameters `?` (outside quotes; `$n` works as well),
    // sent apart from the text, never formatted into it. Without parameters
    // the text may hold several statements.
    TPgResult Exec(const QString& sql, const QVariantList& params = {});
    // The first value of the first row, empty without rows.
    QVariant Scalar(const QString& sql, const QVariantList& params = {});

    // Transactions nest: only the outermost Commit commits; a Rollback at any
    // depth rolls the whole transaction back.
    void Begin();
    void Commit();
    void Rollback();
    int Depth() const { return TransactionDepth; }

    // COPY ... FROM STDIN: `write` hands rows (CopyRow's text) to `put`. A
    // throw from `write` ends the COPY with nothing of it kept.
    using TCopyPut = std::function<void(const QByteArray&)>;
    void CopyIn(const QString& sql, const std::function<void(const TCopyPut& put)>& write);
    // One row of COPY's text format.
    static QByteArray CopyRow(const QVariantList& values);

    // `name` as an SQL identifier, quoted.
    QString Identifier(const QString& name) const;

private:
    [[noreturn]] void Fail(pg_result* result, const QString& what);
    void Check(pg_result* result, const QString& what);

    pg_conn* Conn = nullptr;
    QString Place;
    int TransactionDepth = 0;
};
