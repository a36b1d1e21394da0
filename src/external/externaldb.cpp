#include "externaldb.h"

#include "externaltable.h"
#include "folderquery.h"
#include "foldervtab.h"
#include "odbcconnect.h"
#include "queryguard.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QTime>
#include <atomic>
#include <cmath>
#include <map>
#include <sqlite3.h>

#include "codepage.h"

namespace {

QString Quote(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

sqlite3* SqliteHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    return handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3* const*>(handle.data()) : nullptr;
}

bool IsTableExtension(const QString& suffix) {
    return suffix.compare(QLatin1String("db"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString ExternalValueText(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d)) return {};
        QString s = QString::number(d, 'f', QLocale::FloatingPointShortest);
        s.replace(u'.', u',');
        return s;
    }
    case QMetaType::QDate: return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime: return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime: return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QByteArray: return FromWin1250(value.toByteArray());
    default: return value.toString();
    }
}

QStringList QueryTableNames(const QString& sql) {
    QStringList names;
    for (const TQueryTable& t : QueryTables(sql))
        if (!names.contains(t.Name, Qt::CaseInsensitive)) names << t.Name;
    return names;
}

struct TExternalDatabase::TLoaded {
    std::map<QString, QString> ByFile;  // file path -> SQL name it was read as
    QStringList SqlNames;               // lower case
    std::vector<std::unique_ptr<TExtTable>> Tables;  // walked by the connection's virtual tables
    std::unique_ptr<TQueryGuard> Guard;              // lets the queries read these tables only
};

TExternalDatabase::TExternalDatabase() : Loaded(std::make_unique<TLoaded>()) {
    static std::atomic<int> counter{0};
    Connection = QStringLiteral("prandel-outside-%1").arg(++counter);
}

TExternalDatabase::~TExternalDatabase() {
    Disconnect();
    if (QSqlDatabase::contains(Connection)) QSqlDatabase::removeDatabase(Connection);
}

void TExternalDatabase::ClearParams() {
    Disconnect();
    User.clear();
    Password.clear();
    HasPassword = false;
}

void TExternalDatabase::SetDatabaseName(int dbType, const QString& name) {
    Disconnect();
    DbType = dbType;
    Name = name;
}

void TExternalDatabase::Disconnect() {
    if (QSqlDatabase::contains(Connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(Connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(Connection);
    }
    IsConnected = false;
    Loaded = std::make_unique<TLoaded>();
}

void TExternalDatabase::Connect() {
    Disconnect();
    const bool folder = DbType == 1 || DbType == 3;
    if (folder) {
        const QFileInfo info(Name);
        if (Name.trimmed().isEmpty() || !info.isDir() || !info.isReadable())
            throw TExternalError(QStringLiteral("Katalog %1 nie istnieje.").arg(QDir::toNativeSeparators(Name)));
    }
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(folder ? QStringLiteral("QSQLITE") : QStringLiteral("QODBC"), Connection);
        if (folder) {
            // The tables live in the temporary schema; the database itself,
            // and any a query might attach, cannot be written.
            db.setDatabaseName(QStringLiteral(":memory:"));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        } else {
            SetOdbcDataSource(db, Name, User, HasPassword ? std::optional<QString>(Password) : std::nullopt);
            // Read-only, as the update never writes there.
            db.setConnectOptions(QStringLiteral("SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY"));
        }
        if (!db.open()) {
            error = db.lastError().text();
        } else if (folder) {
            sqlite3* h = SqliteHandle(db);
            if (!h || !RegisterFolderModule(h, &Loaded->Tables)) error = QStringLiteral("Brak bazy SQLite.");
            else Loaded->Guard = std::make_unique<TQueryGuard>(h);
        }
    }
    if (!error.isNull()) {
        {
            QSqlDatabase db = QSqlDatabase::database(Connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(Connection);
        throw TExternalError(error.isEmpty() ? QStringLiteral("Nie można połączyć się z bazą %1.").arg(Name) : error);
    }
    IsConnected = true;
}

QSqlQuery TExternalDatabase::Open(const QString& sql) {
    if (!IsConnected) throw TExternalError(QStringLiteral("Brak połączenia z zewnętrzną bazą danych."));
    const QString text = DbType == 1 || DbType == 3 ? LoadTablesOf(sql) : sql;
    QSqlDatabase db = QSqlDatabase::database(Connection, false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // Decimal columns as numbers, so that they read as the folder tables do.
    q.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!q.exec(text)) throw TExternalError(q.lastError().text());
    return q;
}

QString TExternalDatabase::LoadTablesOf(const QString& sql) {
    const QDir dir(Name);
    const QStringList files = dir.entryList(QDir::Files | QDir::Readable);
    // The type's own files first when a folder holds both kinds.
    const QString own = DbType == 1 ? QStringLiteral("db") : QStringLiteral("dbf");
    std::vector<TQueryTable> found;
    for (const TQueryTable& table : QueryTables(sql)) {
        const QString& name = table.Name;
        if (Loaded->SqlNames.contains(name.toLower())) {
            found.push_back(table);
            continue;
        }
        QString match;
        for (const QString& f : files) {
            const QFileInfo info(f);
            if (!IsTableExtension(info.suffix())) continue;
            const bool full = f.compare(name, Qt::CaseInsensitive) == 0;
            const bool base = info.completeBaseName().compare(name, Qt::CaseInsensitive) == 0;
            if (!full && !base) continue;
            if (match.isEmpty() || full || info.suffix().compare(own, Qt::CaseInsensitive) == 0) match = f;
            if (full) break;
        }
        if (match.isEmpty()) continue;  // no such file: SQLite names what is missing
        LoadTable(name, dir.filePath(match));
        found.push_back(table);
    }
    return QuoteQueryTables(sql, found);
}

void TExternalDatabase::LoadTable(const QString& sqlName, const QString& path) {
    QSqlDatabase db = QSqlDatabase::database(Connection, false);
    QSqlQuery q(db);
    const TQueryGuard::TTrusted setup(*Loaded->Guard);
    const QString key = QFileInfo(path).absoluteFilePath();
    if (auto it = Loaded->ByFile.find(key); it != Loaded->ByFile.end()) {
        // The same file under a second name.
        if (!q.exec(QStringLiteral("CREATE TEMP VIEW %1 AS SELECT * FROM %2").arg(Quote(sqlName), Quote(it->second))))
            throw TExternalError(q.lastError().text());
        Loaded->SqlNames << sqlName.toLower();
        Loaded->Guard->AllowReading(sqlName);
        return;
    }
    QString error;
    std::unique_ptr<TExtTable> table = OpenExtTable(path, error);
    if (!table) throw TExternalError(error);

    // The table stays in its file: SQLite walks it through our reader.
    Loaded->Tables.push_back(std::move(table));
    if (!q.exec(QStringLiteral("CREATE VIRTUAL TABLE temp.%1 USING %2(%3)")
                    .arg(Quote(sqlName), QLatin1String(kFolderModule), QString::number(Loaded->Tables.size() - 1)))) {
        Loaded->Tables.pop_back();
        throw TExternalError(q.lastError().text());
    }
    Loaded->ByFile[key] = sqlName;
    Loaded->SqlNames << sqlName.toLower();
    Loaded->Guard->AllowReading(sqlName);
    ++TablesLoaded;
}
