// Reads arbitrary bytes as an INI file, reads every key, changes one and
// writes the file back: nothing may crash, and lines not written stay. The
// same bytes as settings.ini: every value read keeps its range rules, and the
// values written at close read back as they were.
#include "datafolder.h"
#include "inifile.h"
#include "settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir& Dir() {
    static QTemporaryDir dir;
    return dir;
}

bool Write(const QString& path, const std::uint8_t* data, std::size_t size) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) == static_cast<qint64>(size);
}

void FuzzSettings(const QString& path) {
    TSettings s;
    if (!s.LoadFromFile(path)) std::abort();
    if (s.BarcodeType > 22 || s.Scale < 1 || s.Scale > 5 || (s.CheckType != 0 && s.CheckType != 1 && s.CheckType != 3 && s.CheckType != 4) ||
        (s.Orientation != QStringLiteral("Pionowa") && s.Orientation != QStringLiteral("Pozioma")))
        std::abort();
    if (!s.SaveToFile(path)) std::abort();
    TSettings again;
    if (!again.LoadFromFile(path)) std::abort();
    if (again.LabelFileName != s.LabelFileName || again.FrameColor != s.FrameColor || again.DatabaseType != s.DatabaseType ||
        again.PrinterName != s.PrinterName || again.Orientation != s.Orientation || again.AskLabelCount != s.AskLabelCount ||
        again.LastPrintDate != s.LastPrintDate || again.AdminName != s.AdminName || again.AdminPassword != s.AdminPassword ||
        again.CheckType != s.CheckType)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // No print system is asked for the default printer.
    qputenv("PRANDEL_NO_CUPS", "1");
    SetDataFolderOverride(Dir().path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = Dir().filePath(QStringLiteral("fuzz.ini"));
    if (!Write(path, data, size)) return 0;
    {
        TIniFile ini(path);
        for (const QString& section : ini.ReadSections())
            for (const QString& key : ini.ReadSection(section)) {
                ini.ReadString(section, key, QString());
                ini.ReadInteger(section, key, 0);
            }
        ini.WriteString(QStringLiteral("LABEL1"), QStringLiteral("TEXT"), QStringLiteral("x"));
        ini.EraseSection(QStringLiteral("IMAGE1"));
        ini.UpdateFile();
    }
    if (!Write(path, data, size)) return 0;
    FuzzSettings(path);
    return 0;
}
