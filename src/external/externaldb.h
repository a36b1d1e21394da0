#pragma once
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>

// Every failure of the external database, with the driver's or reader's text
// (the update shows its own message instead).
class TExternalError : public std::runtime_error {
public:
    explicit TExternalError(const QString& message) : std::runtime_error(message.toStdString()), Text(message) {}
    QString Message() const { return Text; }

private:
    QString Text;
};

// A value of the external database as text: numbers with a decimal comma and
// no grouping, dates as "yyyy-MM-dd", moments as "yyyy-MM-dd HH:mm:ss",
// logical values as "True" and "False", "" for an empty value.
QString ExternalValueText(const QVariant& value);

// The connection to the external database. Folder types (Paradox 1, dBase 3)
// are read by our own table readers into an in-memory SQLite database, which
// runs the queries; the other types are ODBC data sources.
class TExternalDatabase {
public:
    TExternalDatabase();
    ~TExternalDatabase();
    Q_DISABLE_COPY(TExternalDatabase)

    // Empties the parameters and disconnects.
    void ClearParams();
    void SetDatabaseName(int dbType, const QString& name);
    void SetUserName(const QString& user) { User = user; }
    void SetPassword(const QString& password) { Password = password; HasPassword = true; }
    QString DatabaseName() const { return Name; }

    // Throws TExternalError when the folder or data source cannot be opened.
    void Connect();
    void Disconnect();

    // Runs a query and gives it positioned before its first row. The folder
    // engine first reads the tables the query names after FROM and JOIN (a
    // table name matches a file name without regard to case, with or without
    // its extension, bare or quoted). Throws TExternalError on failure.
    QSqlQuery Open(const QString& sql);

    // Tables read by the folder engine so far, for tests.
    int TablesRead() const { return TablesLoaded; }

private:
    // Reads the query's tables; the query as SQLite is to run it.
    QString LoadTablesOf(const QString& sql);
    void LoadTable(const QString& sqlName, const QString& path);

    int DbType = 0;
    QString Name;
    QString User;
    QString Password;
    bool HasPassword = false;
    QString Connection;
    bool IsConnected = false;
    int TablesLoaded = 0;
    struct TLoaded;
    std::unique_ptr<TLoaded> Loaded;
};

// The tables a folder query names after FROM and JOIN, in order, each once
// (case ignored).
QStringList QueryTableNames(const QString& sql);
