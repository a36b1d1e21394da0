#pragma once
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>

struct TCsvOptions;

// Every failure of the external database, with the driver's or reader's text.
// The update shows its own message; when the failure is about a file of the
// folder and what is wrong with it (a damaged CSV file, a column the file
// lacks), the program's text for the user comes with it as `Shown`.
class TExternalError : public std::runtime_error {
public:
    explicit TExternalError(const QString& message, const QString& shown = QString())
        : std::runtime_error(message.toStdString()), Text(message), ShownText(shown) {}
    QString Message() const { return Text; }
    QString Shown() const { return ShownText; }

private:
    QString Text;
    QString ShownText;
};

// A value of the external database as text: numbers with a decimal comma and
// no grouping, dates as "yyyy-MM-dd", moments as "yyyy-MM-dd HH:mm:ss",
// logical values as "True" and "False", "" for an empty value.
QString ExternalValueText(const QVariant& value);

// The connection to the external database. Folder types (Paradox 1, dBase 3,
// CSV files 6) are read by our own table readers into an in-memory SQLite
// database, which runs the queries; the other types are ODBC data sources.
// Paradox and dBase folders read ".db", ".dbf" and ".csv" files, a folder of
// CSV files only ".csv" files.
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
    // How CSV files are read: the definition's SEPARATOR and CODEPAGE as
    // written (empty: the first line decides; Windows-1250). A value that
    // names no separator or code page fails the first query that reads a
    // CSV file, with a message naming it.
    void SetCsvSettings(const QString& separator, const QString& codePage);
    QString DatabaseName() const { return Name; }

    // Throws TExternalError when the folder or data source cannot be opened.
    void Connect();
    void Disconnect();

    // Runs a query and gives it positioned before its first row. The folder
    // engine first reads the tables the query names after FROM and JOIN (a
    // table name matches a file name without regard to case, with or without
    // its extension, bare or quoted; a name with two files, TOWARY.DBF and
    // towary.csv, is refused). Throws TExternalError on failure.
    QSqlQuery Open(const QString& sql);
    // The error of a query of this connection that failed while its rows
    // were walked, with the program's text for the user where there is one.
    TExternalError Failure(const QSqlError& error) const;
    // True when the query reads a CSV file (or may: a name with two files).
    // Nothing is opened.
    bool ReadsCsv(const QString& sql) const;

    // Tables read by the folder engine so far, for tests.
    int TablesRead() const { return TablesLoaded; }

private:
    bool IsFolder() const;
    // The file of the folder that a table name of a query stands for: empty
    // when there is none; `refusal` set when two files claim the name.
    QString TableFile(const QString& name, const QStringList& files, QString& refusal) const;
    // Reads the query's tables; the query as SQLite is to run it.
    QString LoadTablesOf(const QString& sql);
    void LoadTable(const QString& sqlName, const QString& path);
    // The definition's CSV settings; throws TExternalError for one that
    // names no separator or code page.
    TCsvOptions CsvOptions() const;

    int DbType = 0;
    QString Name;
    QString User;
    QString Password;
    bool HasPassword = false;
    QString CsvSeparator;
    QString CsvCodePage;
    QString Connection;
    bool IsConnected = false;
    int TablesLoaded = 0;
    struct TLoaded;
    std::unique_ptr<TLoaded> Loaded;
};

// The tables a folder query names after FROM and JOIN, in order, each once
// (case ignored).
QStringList QueryTableNames(const QString& sql);
