// Reads arbitrary bytes as an INI file, reads every key, changes one and
// writes the file back: nothing may crash, and lines not written stay.
#include "inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    TIniFile ini(path);
    for (const QString& section : ini.ReadSections())
        for (const QString& key : ini.ReadSection(section)) {
            ini.ReadString(section, key, QString());
            ini.ReadInteger(section, key, 0);
        }
    ini.WriteString(QStringLiteral("LABEL1"), QStringLiteral("TEXT"), QStringLiteral("x"));
    ini.EraseSection(QStringLiteral("IMAGE1"));
    ini.UpdateFile();
    return 0;
}
