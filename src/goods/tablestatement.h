#pragma once
#include "engine.h"

#include <QString>
#include <QVariant>
#include <memory>

class TSqliteStatement;

// One statement on the file of an open table, prepared once and run many
// times straight through SQLite, for bulk work beside the cursor (the goods
// update runs three of them per external row). It must go before the table
// closes. Errors raise TEngineError; a duplicate key has the engine's text.
class TTableStatement {
public:
    TTableStatement(const TTable& table, const QString& sql);
    ~TTableStatement();
    Q_DISABLE_COPY(TTableStatement)

    // Parameters count from 1; a null value binds NULL.
    void Bind(int index, const QVariant& value);
    // A text bound as SQLite holds texts (UTF-8), so that a comparison with
    // stored texts converts nothing; a null QString binds NULL.
    void BindText(int index, const QString& text);
    // The next row: true for a row, false at the end.
    bool Step();
    // Ready to run again; the bound values stay.
    void Reset();

    qint64 Int64(int column) const;
    // The column as text; NULL reads as an empty text.
    QString Text(int column) const;
    // The same without a copy, valid until the statement steps or resets.
    QStringView TextView(int column) const;
    // The same as SQLite holds it (UTF-8); either view goes with the other.
    QUtf8StringView Utf8View(int column) const;

private:
    std::unique_ptr<TSqliteStatement> St;
};
