#include "odbcmanager.h"

#include "cipher.h"
#include "codepage.h"
#include "datafolder.h"
#include "inifile.h"
#include "mazovia.h"
#include "odbcinstaller.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <functional>

namespace {

const QString kDatabase = QStringLiteral("DATABASE");
const QString kLogin = QStringLiteral("LOGIN PARAMS");
const QString kDsnPrefix = QStringLiteral("Prandel etykiet-");

struct TypeInfo {
    const char* name;
    const char* driver;
};

// Indexed by type code 1..6.
constexpr std::array<TypeInfo, 6> kTypes = {{
    {"Paradox", "Microsoft Paradox Driver"},
    {"FoxPro", "Microsoft Visual FoxPro Driver"},
    {"DBase", "Microsoft dBase Driver"},
    {"MSSQL", "SQL Server"},
    {"Firebird", "Firebird"},
    {"Pliki CSV", nullptr},  // read by the program itself, as Paradox and dBase are
}};

bool ValidType(int type) { return type >= 1 && type <= static_cast<int>(kTypes.size()); }

bool HasLineBreak(const QString& text) { return text.contains(u'\n') || text.contains(u'\r'); }

// The first installed driver, in the order of the driver list, whose name
// fits and which has a section: its name and driver file.
bool FirstDriver(const std::function<bool(const QString&)>& fits, QString& driverName, QString& driverPath) {
    QStringList drivers;
    if (!OdbcInstaller::InstalledDrivers(drivers)) return false;
    for (const QString& name : drivers) {
        if (!fits(name)) continue;
        bool found = false;
        const QString path = OdbcInstaller::DriverValue(name, QStringLiteral("Driver"), &found);
        if (!found) continue;
        driverName = name;
        driverPath = path;
        return true;
    }
    return false;
}

}  // namespace

bool SplitNameValue(const QString& line, QString& name, QString& value) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) return false;
    name = line.left(eq);
    value = line.mid(eq + 1);
    return true;
}

bool FindOdbcDriver(int type, QString& driverPath, QString& driverName) {
    if (!ValidType(type) || !kTypes[type - 1].driver) return false;
    const QString wanted = QString::fromLatin1(kTypes[type - 1].driver);
    if (FirstDriver([&](const QString& name) { return name.contains(wanted, Qt::CaseSensitive); }, driverName, driverPath))
        return true;
    // Linux systems usually reach SQL Server through FreeTDS.
    return type == DbKind::SqlServer &&
           FirstDriver([](const QString& name) { return name.contains(QLatin1String("FreeTDS"), Qt::CaseSensitive); },
                       driverName, driverPath);
}

const char* TODBCManagerException::what() const noexcept {
    switch (Code) {
    case TODBCManager::ReadFailed: return "the definition file cannot be read";
    case TODBCManager::DataSourceFailed: return "the ODBC data source cannot be written";
    case TODBCManager::NoDriver: return "no ODBC driver is installed for the database type";
    case TODBCManager::UnregisteredDriver: return "the definition names an ODBC driver that is not registered";
    default: return "the external database definition failed";
    }
}

TODBCManager::TODBCManager() = default;
TODBCManager::~TODBCManager() = default;

int TODBCManager::ListDefinitions(QStringList& names) const {
    names.clear();
    // Without a folder there is nothing to list (not the working folder).
    if (DefinitionFolder.isEmpty()) return -1;
    QDir dir(DefinitionFolder);
    const QStringList entries =
        dir.entryList({QStringLiteral("*.cdb")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString& entry : entries) {
        const QString name = entry.left(entry.size() - 4);
        if (!name.trimmed().isEmpty()) names << name;
    }
    return static_cast<int>(names.indexOf(DefinitionName));
}

void TODBCManager::SelectDefinition(const QString& name) {
    DefinitionName = name;
    if (name.isEmpty()) return;
    // Definitions are listed from the definition folder, so they are loaded
    // from there too; until it is set, it is the data folder's "SQLCFG".
    const QString folder = DefinitionFolder.isEmpty() ? GetDataFolder() + QStringLiteral("SQLCFG/") : DefinitionFolder;
    QString path = folder + name + QStringLiteral(".cdb");
    if (!QFileInfo(path).isFile()) {
        // The listing takes the extension in any case (Sklep.CDB), so does the
        // selection; the name itself must match exactly.
        const QStringList entries =
            QDir(folder).entryList({QStringLiteral("*.cdb")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        const auto it = std::find_if(entries.begin(), entries.end(),
                                     [&](const QString& e) { return e.size() == name.size() + 4 && e.startsWith(name); });
        if (it == entries.end()) throw TODBCManagerException(ReadFailed);
        path = folder + *it;
    }
    LoadFromFile(path);
}

void TODBCManager::LoadFromFile(const QString& path) {
    DefinitionFile = path;
    if (!QFileInfo(path).isFile()) throw TODBCManagerException(ReadFailed);
    TIniFile ini(path);
    if (ini.ReadFailed() || !ini.FileExisted()) throw TODBCManagerException(ReadFailed);

    int type = ini.ReadInteger(kDatabase, QStringLiteral("TYPE"), 1);
    if (!ValidType(type)) type = 1;
    DbType = static_cast<std::uint8_t>(type);
    switch (DbType) {
    case DbKind::Paradox:
    case DbKind::DBase:
    case DbKind::CsvFiles:
        DataPath = ini.ReadString(kDatabase, QStringLiteral("DataPath"), QString());
        break;
    case DbKind::FoxPro:
        SourceDB = ini.ReadString(kDatabase, QStringLiteral("SourceDB"), QString());
        break;
    case DbKind::SqlServer:
        Server = ini.ReadString(kDatabase, QStringLiteral("Server"), QString());
        Database = ini.ReadString(kDatabase, QStringLiteral("Database"), QString());
        break;
    case DbKind::Firebird:
        Dbname = ini.ReadString(kDatabase, QStringLiteral("Dbname"), QString());
        break;
    }

    OdbcValues.clear();
    const QString odbc = QStringLiteral("ODBC");
    for (const QString& key : ini.ReadSection(odbc))
        OdbcValues << key + u'=' + ini.ReadString(odbc, key, QString());

    const QString sql = QStringLiteral("SQL");
    Query1 = ini.ReadString(sql, QStringLiteral("QUERY1"), QString());
    Query2 = ini.ReadString(sql, QStringLiteral("QUERY2"), QString());
    const QString csv = QStringLiteral("CSV");
    CsvSeparator = ini.ReadString(csv, QStringLiteral("SEPARATOR"), QString());
    CsvCodePage = ini.ReadString(csv, QStringLiteral("CODEPAGE"), QString());
    DsnName = kDsnPrefix + ini.ReadString(kDatabase, QStringLiteral("DSN"), QString());
    User = ini.ReadString(kLogin, QStringLiteral("USER"), QString()).trimmed();
    SqlLogin = ini.ReadBool(kLogin, QStringLiteral("SQLLOGIN"), false);
    SqlUser = ini.ReadString(kLogin, QStringLiteral("SQLUSER"), QString());
    SqlPass = ini.ReadString(kLogin, QStringLiteral("SQLPASS"), QString());
}

bool TODBCManager::SaveToFile(const QString& path) {
    if (DefinitionFile.trimmed().isEmpty()) return true;
    TIniFile ini(path);
    if (ini.ReadFailed()) return false;
    switch (DbType) {
    case DbKind::Paradox:
    case DbKind::DBase:
    case DbKind::CsvFiles:
        ini.WriteString(kDatabase, QStringLiteral("DataPath"), DataPath);
        break;
    case DbKind::FoxPro:
        ini.WriteString(kDatabase, QStringLiteral("SourceDB"), SourceDB);
        break;
    case DbKind::SqlServer:
        ini.WriteString(kDatabase, QStringLiteral("Server"), Server);
        ini.WriteString(kDatabase, QStringLiteral("Database"), Database);
        ini.WriteString(kLogin, QStringLiteral("USER"), User);
        ini.WriteInteger(kLogin, QStringLiteral("SQLLOGIN"), SqlLogin ? 1 : 0);
        ini.WriteString(kLogin, QStringLiteral("SQLUSER"), SqlUser);
        ini.WriteString(kLogin, QStringLiteral("SQLPASS"), SqlPass);
        break;
    case DbKind::Firebird:
        ini.WriteString(kDatabase, QStringLiteral("Dbname"), Dbname);
        break;
    }
    return ini.UpdateFile();
}

bool TODBCManager::Save() {
    // With no definition selected, nothing may be written into the one that
    // was viewed last (a cancelled first-start dialog leaves it loaded).
    if (DefinitionName.isEmpty()) return true;
    return SaveToFile(DefinitionFile);
}

QString TODBCManager::GetDbTypeName() const {
    return ValidType(DbType) ? QString::fromLatin1(kTypes[DbType - 1].name) : QString();
}

QString TODBCManager::GetDataLocation() const {
    if (!IsFolderType(DbType)) return DsnName;
    // A relative folder names tables shipped with the program, such as the
    // demonstration shop; the folder of the program's files is its base.
    if (!DataPath.trimmed().isEmpty() && QDir::isRelativePath(DataPath.trimmed()))
        return QDir::cleanPath(GetProgramFolder() + DataPath.trimmed());
    return DataPath;
}

QString TODBCManager::GetSqlPassword() const { return DecipherText(QString::fromLatin1(kPasswordKey), SqlPass); }

void TODBCManager::SetSqlPassword(const QString& password) {
    SqlPass = EncipherText(QString::fromLatin1(kPasswordKey), password);
}

namespace {

const QString kMazoviaDefinition = QStringLiteral("Buchalter II");
const QString kUtf8Definition = QStringLiteral("LeftHand Mała Księgowość");

}  // namespace

QByteArray TODBCManager::ConvertText(const QByteArray& text) const {
    if (DefinitionName == kMazoviaDefinition) return MazoviaToWin1250(text);
    if (DefinitionName == kUtf8Definition) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder.decode(text);
        // Bytes that are no UTF-8 (text the external system already stored in
        // a single-byte code page) are kept rather than turned into stand-ins.
        if (decoded.isEmpty() || decoder.hasError()) return text;
        return ToWin1250(decoded, '?');
    }
    return text;
}

QString TODBCManager::ConvertText(const QString& text) const {
    // Most definitions convert nothing: a text that Windows-1250 holds whole
    // comes back as it was.
    const bool converts = DefinitionName == kMazoviaDefinition || DefinitionName == kUtf8Definition;
    if (!converts && FitsWin1250(text)) return text;
    return FromWin1250(ConvertText(ToWin1250(text)));
}

bool TODBCManager::DriverLoads(const QString& driverPath) const { return OdbcInstaller::LibraryLoads(driverPath); }

void TODBCManager::CreateDataSource() {
    if (DbType == DbKind::CsvFiles) return;
    // The location values and the definition's ODBC values, in writing order;
    // a later value of the same name replaces an earlier one.
    QList<std::pair<QString, QString>> values;
    switch (DbType) {
    case DbKind::FoxPro:
        values.append({QStringLiteral("SourceDB"), SourceDB});
        break;
    case DbKind::SqlServer:
        values.append({QStringLiteral("Server"), Server});
        values.append({QStringLiteral("Database"), Database});
        break;
    case DbKind::Firebird:
        values.append({QStringLiteral("Dbname"), Dbname});
        break;
    default:
        break;
    }
    for (const QString& line : OdbcValues) {
        QString name;
        QString value;
        // The driver manager never reads a value without a name.
        if (!SplitNameValue(line, name, value) || name.trimmed().isEmpty()) continue;
        // Value names match without regard to case, as the driver manager reads them.
        auto same = std::find_if(values.begin(), values.end(), [&](const std::pair<QString, QString>& v) {
            return v.first.trimmed().compare(name.trimmed(), Qt::CaseInsensitive) == 0;
        });
        if (same != values.end())
            same->second = value;
        else
            values.append({name, value});
    }
    // A line break would split the value and leave a stray line in the
    // user's DSN file; such a definition is refused before anything changes.
    if (DsnName.trimmed().isEmpty() || HasLineBreak(DsnName) || DsnName.contains(u'[') || DsnName.contains(u']'))
        throw TODBCManagerException(DataSourceFailed);
    for (const auto& [name, value] : values)
        if (HasLineBreak(name) || HasLineBreak(value) || name.trimmed().startsWith(u'[')) throw TODBCManagerException(DataSourceFailed);

    // The definition may choose another driver, by the name it is registered
    // under; never by a file, which the driver manager would load whatever
    // library it is.
    QString chosen;
    bool choosing = false;
    for (auto it = values.begin(); it != values.end();) {
        if (it->first.trimmed().compare(QStringLiteral("Driver"), Qt::CaseInsensitive) == 0) {
            chosen = it->second.trimmed();
            choosing = !chosen.isEmpty();
            it = values.erase(it);
        } else {
            ++it;
        }
    }
    // Names match without regard to case, as the driver manager reads its list.
    QString chosenName, chosenPath;
    if (choosing && !FirstDriver([&](const QString& name) { return name.compare(chosen, Qt::CaseInsensitive) == 0; },
                                 chosenName, chosenPath))
        throw TODBCManagerException(UnregisteredDriver, chosen);

    OdbcInstaller::RemoveUserDsn(DsnName);
    if (!OdbcInstaller::CreateEmptyUserDsn(DsnName)) throw TODBCManagerException(DataSourceFailed);

    QString driverPath;
    QString driverName;
    if (!FindOdbcDriver(DbType, driverPath, driverName)) throw TODBCManagerException(NoDriver);
    if (choosing) {
        driverName = chosenName;
        driverPath = chosenPath;
    }
    // odbcinst.ini may name the driver file bare; the data source needs the
    // full path the driver manager would load.
    const QString driverValue = OdbcInstaller::ResolveLibrary(driverPath);
    if (driverValue.isEmpty()) throw TODBCManagerException(NoDriver);

    if (!OdbcInstaller::WriteUserDsnValue(DsnName, QStringLiteral("Driver"), driverValue))
        throw TODBCManagerException(DataSourceFailed);
    for (const auto& [name, value] : values)
        if (!OdbcInstaller::WriteUserDsnValue(DsnName, name, value)) throw TODBCManagerException(DataSourceFailed);
    if (!OdbcInstaller::WriteUserDsnValue(QStringLiteral("ODBC Data Sources"), DsnName, driverName))
        throw TODBCManagerException(DataSourceFailed);
}

void PrepareODBCManager(TODBCManager& manager) {
    manager.SetDsnName(QStringLiteral("Prandel etykiet"));
    manager.SetDefinitionFolder(GetDataFolder() + QStringLiteral("SQLCFG/"));
}
