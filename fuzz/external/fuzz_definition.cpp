// Reads arbitrary bytes as a definition file through the definition manager,
// as the program selects one by name, asks everything the update and the
// configuration ask, converts the queries' text, then saves the definition
// into a copy and loads the copy: every value reads back as the file's
// profile rules give it.
#include "cipher.h"
#include "inifile.h"
#include "odbcmanager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

// What the INI reader gives for a value that was written as `v`.
QString AsRead(const QString& v) {
    QString t = v.trimmed();
    if (t.size() >= 2 && (t.front() == u'"' || t.front() == u'\'') && t.back() == t.front()) t = t.mid(1, t.size() - 2);
    return t.left(TIniFile::kMaxValueLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    if (size < 1) return 0;
    // The first byte picks the name, which picks the text conversion.
    static const QString names[] = {QStringLiteral("Buchalter II"), QStringLiteral("LeftHand Mała Księgowość"),
                                    QStringLiteral("Sklep")};
    const QString name = names[data[0] % 3];
    const QString folder = dir.path() + u'/';
    for (const QString& n : names) QFile::remove(folder + n + QStringLiteral(".cdb"));
    const QString copy = folder + QStringLiteral("copy.cdb");
    QFile::remove(copy);
    {
        QFile f(folder + name + QStringLiteral(".cdb"));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data + 1), static_cast<qint64>(size - 1));
    }
    TODBCManager m;
    m.SetDefinitionFolder(folder);
    try {
        m.SelectDefinition(name);
    } catch (const TODBCManagerException& e) {
        if (e.Code != TODBCManager::ReadFailed) std::abort();
        return 0;
    }
    QStringList listed;
    if (m.ListDefinitions(listed) != 0) std::abort();
    if (m.GetDbType() < 1 || m.GetDbType() > 5 || m.GetDbTypeName().isEmpty()) std::abort();
    if (!m.GetDsnName().startsWith(QStringLiteral("Prandel etykiet-"))) std::abort();
    (void)m.GetDataLocation();
    const QString password = m.GetSqlPassword();
    // A password that deciphers enciphers to the same stored text.
    if (!password.isEmpty() &&
        EncipherText(QString::fromLatin1(kPasswordKey), password).compare(m.GetStoredSqlPassword().left(
                                                                              m.GetStoredSqlPassword().size() / 2 * 2),
                                                                          Qt::CaseInsensitive) != 0)
        std::abort();
    for (const QString& text : {m.GetQuery1(), m.GetQuery2(), m.GetUser(), m.SqlUser}) {
        const QByteArray bytes = text.toLatin1();
        const QByteArray converted = m.ConvertText(bytes);
        if (name == names[0] && converted.size() != bytes.size()) std::abort();
        (void)m.ConvertText(text);
    }

    // Saved into a copy and loaded again.
    if (!QFile::copy(folder + name + QStringLiteral(".cdb"), copy)) std::abort();
    if (!m.SaveToFile(copy)) std::abort();
    TODBCManager again;
    try {
        again.LoadFromFile(copy);
    } catch (const TODBCManagerException&) {
        std::abort();
    }
    if (again.GetDbType() != m.GetDbType() || again.GetQuery1() != m.GetQuery1() || again.GetQuery2() != m.GetQuery2() ||
        again.GetDsnName() != m.GetDsnName() || again.GetOdbcValues() != m.GetOdbcValues())
        std::abort();
    switch (m.GetDbType()) {
    case 1:
    case 3:
        if (again.GetDataPath() != AsRead(m.GetDataPath())) std::abort();
        break;
    case 2:
        if (again.GetSourceDB() != AsRead(m.GetSourceDB())) std::abort();
        break;
    case 4:
        if (again.GetServer() != AsRead(m.GetServer()) || again.GetDatabase() != AsRead(m.GetDatabase()) ||
            again.GetUser() != AsRead(m.GetUser()).trimmed() || again.SqlLogin != m.SqlLogin ||
            again.SqlUser != AsRead(m.SqlUser) || again.GetStoredSqlPassword() != AsRead(m.GetStoredSqlPassword()))
            std::abort();
        break;
    case 5:
        if (again.GetDbname() != AsRead(m.GetDbname())) std::abort();
        break;
    }
    return 0;
}
