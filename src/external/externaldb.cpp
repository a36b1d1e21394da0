#include "externaldb.h"

#include "csvtable.h"
#include "externaltable.h"
#include "folderquery.h"
#include "foldervtab.h"
#include "odbcconnect.h"
#include "odbcmanager.h"
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

bool IsCsvFile(const QString& file) { return QFileInfo(file).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0; }

bool IsTableExtension(const QString& suffix) {
    return suffix.compare(QLatin1String("db"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
}

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Every file of the folder that may be a table, also one that cannot be read
// or is no regular file: opening it then says what is wrong with it, rather
// than the query saying that there is no such table.
constexpr QDir::Filters TableEntries = QDir::Files | QDir::System;

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
    std::map<QString, const TExtTable*> ByName;  // lower-case SQL name -> its table
    std::map<QString, QString> FileOf;           // lower-case SQL name -> its file
    TFolderTables Folder;                        // walked by the connection's virtual tables
    std::unique_ptr<TQueryGuard> Guard;          // lets the queries read these tables only
    // Of the query run last: the CSV files it reads, and its table names
    // that have no file.
    QStringList CsvFiles;
    QStringList Missing;
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

void TExternalDatabase::SetCsvSettings(const QString& separator, const QString& codePage) {
    CsvSeparator = separator;
    CsvCodePage = codePage;
}

bool TExternalDatabase::IsFolder() const { return IsFolderType(DbType); }

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
    const bool folder = IsFolder();
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
            if (!h || !RegisterFolderModule(h, &Loaded->Folder) || !RegisterNumberFunction(h)) error = QStringLiteral("Brak bazy SQLite.");
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
    const QString text = IsFolder() ? LoadTablesOf(sql) : sql;
    QSqlDatabase db = QSqlDatabase::database(Connection, false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // Decimal columns as numbers, so that they read as the folder tables do.
    q.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    Loaded->Folder.ReadFailure.clear();
    if (!q.exec(text)) throw Failure(q.lastError());
    return q;
}

TExternalError TExternalDatabase::Failure(const QSqlError& error) const {
    const QString text = error.text();
    if (!IsFolder()) return TExternalError(text);
    if (!Loaded->Folder.ReadFailure.isEmpty()) return TExternalError(text, Loaded->Folder.ReadFailure);
    const QString engine = error.databaseText();
    const QLatin1String noColumn("no such column: "), noTable("no such table: ");
    if (engine.startsWith(noColumn) && !Loaded->CsvFiles.isEmpty()) {
        const QString column = engine.mid(noColumn.size());
        return TExternalError(text, Loaded->CsvFiles.size() == 1
                                        ? QStringLiteral("W pliku %1 nie ma kolumny %2.").arg(Loaded->CsvFiles.first(), column)
                                        : QStringLiteral("W plikach %1 nie ma kolumny %2.").arg(Loaded->CsvFiles.join(QStringLiteral(", ")), column));
    }
    if (engine.startsWith(noTable) && DbType == DbKind::CsvFiles) {
        QString table = engine.mid(noTable.size());
        if (table.startsWith(QLatin1String("temp."))) table = table.mid(5);
        if (Loaded->Missing.contains(table, Qt::CaseInsensitive)) {
            const QString file = IsTableExtension(QFileInfo(table).suffix()) ? table : table + QStringLiteral(".csv");
            return TExternalError(text, QStringLiteral("W katalogu %1 nie ma pliku %2.").arg(Shown(Name), file));
        }
    }
    return TExternalError(text);
}

QString TExternalDatabase::TableFile(const QString& name, const QStringList& files, QString& refusal) const {
    // A folder of CSV files has no other tables; a Paradox or dBase folder
    // reads CSV files too, its own kind first when it holds both of those.
    const bool csvOnly = DbType == DbKind::CsvFiles;
    const QString own = DbType == DbKind::Paradox ? QStringLiteral("db") : QStringLiteral("dbf");
    QStringList candidates;
    for (const QString& f : files) {
        const QFileInfo info(f);
        if (csvOnly ? !IsCsvFile(f) : !IsTableExtension(info.suffix())) continue;
        if (f.compare(name, Qt::CaseInsensitive) == 0) return f;  // named with its extension
        if (info.completeBaseName().compare(name, Qt::CaseInsensitive) == 0) candidates << f;
    }
    if (candidates.isEmpty()) return {};
    // A CSV export beside a table of that name (or two exports whose names
    // differ in case) could be either: the query must say which.
    const auto csv = std::find_if(candidates.begin(), candidates.end(), IsCsvFile);
    if (csv != candidates.end() && candidates.size() > 1) {
        const QString other = *std::find_if(candidates.begin(), candidates.end(), [&](const QString& c) { return c != *csv; });
        refusal = QStringLiteral("Tabela %1 ma w katalogu %2 dwa pliki: %3 i %4. Podaj w zapytaniu nazwę pliku z rozszerzeniem "
                                 "(na przykład \"%4\") albo usuń zbędny plik.")
                      .arg(name, Shown(Name), other, *csv);
        return {};
    }
    for (const QString& c : candidates)
        if (QFileInfo(c).suffix().compare(own, Qt::CaseInsensitive) == 0) return c;
    return candidates.first();
}

bool TExternalDatabase::ReadsCsv(const QString& sql) const {
    if (!IsFolder()) return false;
    if (DbType == DbKind::CsvFiles) return true;
    const QStringList files = QDir(Name).entryList(TableEntries);
    for (const TQueryTable& table : QueryTables(sql)) {
        QString refusal;
        const QString file = TableFile(table.Name, files, refusal);
        if (!refusal.isEmpty() || IsCsvFile(file)) return true;
    }
    return false;
}

QString TExternalDatabase::LoadTablesOf(const QString& sql) {
    const QDir dir(Name);
    const QStringList files = dir.entryList(TableEntries);
    std::vector<TQueryTable> found;
    std::vector<const TExtTable*> used;
    Loaded->CsvFiles.clear();
    Loaded->Missing.clear();
    for (const TQueryTable& table : QueryTables(sql)) {
        const QString key = table.Name.toLower();
        if (!Loaded->SqlNames.contains(key)) {
            QString refusal;
            const QString file = TableFile(table.Name, files, refusal);
            if (!refusal.isEmpty()) throw TExternalError(refusal, refusal);
            if (file.isEmpty()) {
                Loaded->Missing << table.Name;
                continue;  // no such file: SQLite names what is missing
            }
            LoadTable(table.Name, dir.filePath(file));
        }
        found.push_back(table);
        used.push_back(Loaded->ByName[key]);
        const QString& file = Loaded->FileOf[key];
        if (IsCsvFile(file) && !Loaded->CsvFiles.contains(Shown(file))) Loaded->CsvFiles << Shown(file);
    }
    // The columns of the CSV files by the form a query's name finds them
    // under, and the names of the other tables' columns, which stay theirs.
    std::map<QString, QString> csvColumns;
    QStringList otherColumns;
    for (const TExtTable* t : used) {
        const bool csv = dynamic_cast<const TCsvTable*>(t) != nullptr;
        for (const QString& c : FolderColumnNames(*t)) {
            if (csv) csvColumns.emplace(FoldColumnName(c), c);
            else otherColumns << c;
        }
    }
    if (csvColumns.empty()) return QuoteQueryTables(sql, found);
    return RewriteFolderQuery(sql, found, [&](const QString& name) -> QString {
        if (otherColumns.contains(name, Qt::CaseInsensitive)) return {};
        const auto it = csvColumns.find(FoldColumnName(name));
        return it == csvColumns.end() ? QString() : it->second;
    });
}

void TExternalDatabase::LoadTable(const QString& sqlName, const QString& path) {
    QSqlDatabase db = QSqlDatabase::database(Connection, false);
    QSqlQuery q(db);
    const TQueryGuard::TTrusted setup(*Loaded->Guard);
    const QString key = QFileInfo(path).absoluteFilePath();
    const QString lower = sqlName.toLower();
    if (auto it = Loaded->ByFile.find(key); it != Loaded->ByFile.end()) {
        // The same file under a second name.
        if (!q.exec(QStringLiteral("CREATE TEMP VIEW %1 AS SELECT * FROM %2").arg(Quote(sqlName), Quote(it->second))))
            throw TExternalError(q.lastError().text());
        Loaded->ByName[lower] = Loaded->ByName[it->second.toLower()];
        Loaded->FileOf[lower] = path;
        Loaded->SqlNames << lower;
        Loaded->Guard->AllowReading(sqlName);
        return;
    }
    QString error;
    std::unique_ptr<TExtTable> table;
    if (IsCsvFile(path)) {
        // The reader's messages name the file and what is wrong with it.
        table = OpenExtTable(path, CsvOptions(), error);
        if (!table) throw TExternalError(error, error);
    } else {
        table = OpenExtTable(path, error);
        if (!table) throw TExternalError(error);
    }

    // The table stays in its file: SQLite walks it through our reader.
    std::vector<std::unique_ptr<TExtTable>>& tables = Loaded->Folder.Tables;
    tables.push_back(std::move(table));
    if (!q.exec(QStringLiteral("CREATE VIRTUAL TABLE temp.%1 USING %2(%3)")
                    .arg(Quote(sqlName), QLatin1String(kFolderModule), QString::number(tables.size() - 1)))) {
        tables.pop_back();
        throw TExternalError(q.lastError().text());
    }
    Loaded->ByFile[key] = sqlName;
    Loaded->ByName[lower] = tables.back().get();
    Loaded->FileOf[lower] = path;
    Loaded->SqlNames << lower;
    Loaded->Guard->AllowReading(sqlName);
    ++TablesLoaded;
}

TCsvOptions TExternalDatabase::CsvOptions() const {
    TCsvOptions options;
    const auto separator = CsvSeparatorFromText(CsvSeparator.trimmed());
    if (!separator) {
        const QString text = QStringLiteral("Separator pól \"%1\" podany w definicji (sekcja [CSV], SEPARATOR) nie jest "
                                            "jednym znakiem; podaj na przykład ; , | albo TAB.")
                                 .arg(CsvSeparator);
        throw TExternalError(text, text);
    }
    const auto codePage = CsvCodePageFromName(CsvCodePage);
    if (!codePage) {
        const QString text = QStringLiteral("Strona kodowa \"%1\" podana w definicji (sekcja [CSV], CODEPAGE) jest nieznana; "
                                            "podaj 1250, 852 albo ISO-8859-2.")
                                 .arg(CsvCodePage);
        throw TExternalError(text, text);
    }
    options.Separator = *separator;
    options.CodePage = *codePage;
    return options;
}
