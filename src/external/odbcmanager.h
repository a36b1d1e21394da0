#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <exception>

// Failures of the definition manager; the command that started the work turns
// the code into its message.
class TODBCManagerException : public std::exception {
public:
    explicit TODBCManagerException(std::int32_t code, const QString& driver = QString()) : Code(code), Driver(driver) {}
    // What the code means, for logs; the user sees the command's own message.
    const char* what() const noexcept override;
    std::int32_t Code;
    QString Driver;  // the driver the definition names, when it is not registered
};

// Splits "name=value" at the first "="; both parts are kept as they are.
// False when the line holds no "=".
bool SplitNameValue(const QString& line, QString& name, QString& value);

// The kinds of external database, by the numbers definitions hold as TYPE.
struct DbKind {
    enum : int { Paradox = 1, FoxPro, DBase, SqlServer, Firebird, CsvFiles };
};

// The database types whose tables lie in a folder that the program reads
// itself (Paradox, dBase, CSV files); the others are ODBC data sources.
inline bool IsFolderType(int type) {
    return type == DbKind::Paradox || type == DbKind::DBase || type == DbKind::CsvFiles;
}

// Finds the installed ODBC driver whose name contains the driver name of the
// database type (case counts), in the order of the driver list. An SQL Server
// definition also accepts a FreeTDS driver when no name fits exactly.
bool FindOdbcDriver(int type, QString& driverPath, QString& driverName);

// The selected external database definition: a ".cdb" file of the definition
// folder with the type of the external database, where it lies, how to log
// in, the ODBC values and the queries of the goods update.
class TODBCManager {
public:
    enum Code : std::int32_t { ReadFailed = 1, DataSourceFailed = 2, NoDriver = 3, UnregisteredDriver = 4 };

    TODBCManager();
    ~TODBCManager();
    Q_DISABLE_COPY(TODBCManager)

    // Fills `names` with the definitions of the definition folder, in the
    // order the file system gives them; returns the position of the selected
    // definition's name, or -1.
    int ListDefinitions(QStringList& names) const;
    // Selects a definition by name and loads it; throws code 1 when its file
    // is missing or cannot be read. An empty name only clears the selection.
    void SelectDefinition(const QString& name);
    // Throws code 1 when the file is missing or cannot be read.
    void LoadFromFile(const QString& path);
    // Writes the values the user may edit, for the loaded type only; every
    // other byte of the file stays as it was. False when the file cannot be written.
    bool SaveToFile(const QString& path);
    bool Save();

    int GetDbType() const { return DbType; }
    QString GetDbTypeName() const;
    // What the query engine opens: the folder for Paradox, dBase and CSV files
    // (a relative one taken from the program's shipped files), the data
    // source name for the others.
    QString GetDataLocation() const;
    QString GetSqlPassword() const;
    void SetSqlPassword(const QString& password);
    // A text read from the external database, in the program's code page.
    QByteArray ConvertText(const QByteArray& text) const;
    // The same for text whose bytes were read as Windows-1250 characters.
    QString ConvertText(const QString& text) const;

    // Writes the user data source `DsnName` for the loaded definition (a
    // folder of CSV files needs none: nothing is written); throws
    // code 2 when it cannot be written, code 3 when no driver fits or loads,
    // code 4 (before anything changes) when the definition's ODBC value
    // Driver names no driver registered with the driver manager.
    void CreateDataSource();
    bool DriverLoads(const QString& driverPath) const;

    QString GetQuery1() const { return Query1; }
    QString GetQuery2() const { return Query2; }
    // How the definition's CSV files are read (section CSV, any type with a
    // folder): SEPARATOR and CODEPAGE as written; empty when not given.
    QString GetCsvSeparator() const { return CsvSeparator; }
    QString GetCsvCodePage() const { return CsvCodePage; }
    QString GetDefinitionName() const { return DefinitionName; }
    QString GetDefinitionFile() const { return DefinitionFile; }
    QString GetDefinitionFolder() const { return DefinitionFolder; }
    QString GetDsnName() const { return DsnName; }
    QStringList GetOdbcValues() const { return OdbcValues; }
    QString GetUser() const { return User; }
    QString GetSourceDB() const { return SourceDB; }
    void SetSourceDB(const QString& value) { SourceDB = value; }
    QString GetDatabase() const { return Database; }
    void SetDatabase(const QString& value) { Database = value; }
    QString GetServer() const { return Server; }
    void SetServer(const QString& value) { Server = value; }
    QString GetDbname() const { return Dbname; }
    void SetDbname(const QString& value) { Dbname = value; }
    QString GetDataPath() const { return DataPath; }
    void SetDataPath(const QString& value) { DataPath = value; }
    void SetDsnName(const QString& value) { DsnName = value; }
    void SetDefinitionFolder(const QString& value) { DefinitionFolder = value; }
    // The enciphered password as the file holds it.
    QString GetStoredSqlPassword() const { return SqlPass; }

    // Read and written directly by the update and the configuration.
    bool SqlLogin = false;
    QString SqlUser;

private:
    QString DsnName;
    QString Query1;
    QString Query2;
    QString CsvSeparator;
    QString CsvCodePage;
    QString DefinitionName;
    QString DefinitionFile;
    QString DefinitionFolder;
    QStringList OdbcValues;
    std::uint8_t DbType = 1;
    QString SourceDB;
    QString Database;
    QString Server;
    QString Dbname;
    QString DataPath;
    QString User;
    QString SqlPass;
};

// Sets a new manager up as the program uses it: the data source name before
// any definition is loaded and the data folder's definition folder.
void PrepareODBCManager(TODBCManager& manager);
