#include "tablestatement.h"

#include "sqliteconnection.h"

#include <QSqlDriver>

TTableStatement::TTableStatement(const TTable& table, const QString& sql) {
    // The table's connection is the engine's SQLite connection of its file.
    const QSqlDatabase db = QSqlDatabase::database(table.ConnectionName(), false);
    const QVariant h = db.isValid() && db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0 || !*static_cast<sqlite3* const*>(h.constData()))
        throw TEngineError(QStringLiteral("Tabela %1 nie jest otwarta.").arg(table.TableName()));
    St = std::make_unique<TSqliteStatement>(*static_cast<sqlite3* const*>(h.constData()), sql);
}

TTableStatement::~TTableStatement() = default;

void TTableStatement::Bind(int index, const QVariant& value) { St->Bind(index, value); }

void TTableStatement::BindText(int index, const QString& text) { St->BindText(index, text); }

bool TTableStatement::Step() { return St->Step(); }

void TTableStatement::Reset() { St->Reset(); }

qint64 TTableStatement::Int64(int column) const { return St->Int64(column); }

QString TTableStatement::Text(int column) const { return St->Text(column); }

QStringView TTableStatement::TextView(int column) const { return St->TextView(column); }

QUtf8StringView TTableStatement::Utf8View(int column) const { return St->Utf8View(column); }
