#pragma once
#include "engine.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QByteArrayView>
#include <functional>
#include <memory>
#include <vector>

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

// One row of COPY ... TO STDOUT, decoded from COPY's text format: every field
// as the server's text, a null apart from an empty text.
class TCopyFields {
public:
    int Count() const { return int(Fields.size()); }
    bool IsNull(int i) const { return Fields[size_t(i)].Null; }
    // Null for a null field.
    QString Text(int i) const;
    // The field's UTF-8 bytes, valid while the row is.
    QByteArrayView Utf8(int i) const;
    // A whole number; 0 for a null field.
    qint64 Int64(int i) const;

private:
    friend class TPgConnection;
    // Decodes one row as PQgetCopyData gives it (with its line end).
    void Decode(const char* line, int length);
    struct TField {
        qsizetype From = 0, Length = 0;
        bool Null = false;
    };
    QByteArray Data;
    std::vector<TField> Fields;
};

// One connection to a PostgreSQL server, closed with the object.
class TPgConnection {
public:
    TPgConnection() = default;
    ~TPgConnection();
    TPgConnection(const TPgConnection&) = delete;
    TPgConnection& operator=(const TPgConnection&) = delete;

    // Throws TServerLost with the message naming what failed: the server not
    // answering, the login refused, or no such database; TServerError when
    // the database does not keep its texts in UTF-8 (goods names in Polish
    // would not survive another encoding).
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

    // Runs `work` as one transaction, and once more when the server ended it
    // in a deadlock (40P01) or as not serializable (40001): statements that
    // touch many goods may meet another workstation's in the other order.
    // Within a transaction already open nothing can be rerun alone: `work`
    // then joins it, and the failure reaches the outermost transaction's
    // caller.
    void Retrying(const std::function<void()>& work);

    // COPY ... FROM STDIN: `write` hands rows (CopyRow's text) to `put`. A
    // throw from `write` ends the COPY with nothing of it kept.
    using TCopyPut = std::function<void(const QByteArray&)>;
    void CopyIn(const QString& sql, const std::function<void(const TCopyPut& put)>& write);
    // One row of COPY's text format.
    static QByteArray CopyRow(const QVariantList& values);
    // COPY ... TO STDOUT (text format): `read` gets every row, decoded, in
    // the order the server sends them. A throw from `read` is passed on once
    // the rest of the rows are read and dropped, the connection usable.
    void CopyOut(const QString& sql, const std::function<void(const TCopyFields& row)>& read);

    // `name` as an SQL identifier, quoted.
    QString Identifier(const QString& name) const;
    // `text` as an SQL string literal, quoted, for the statements that take
    // no parameters (COPY).
    QString Literal(const QString& text) const;

private:
    [[noreturn]] void Fail(pg_result* result, const QString& what);
    void Check(pg_result* result, const QString& what);

    pg_conn* Conn = nullptr;
    QString Place;
    int TransactionDepth = 0;
};
