// Writes settings.ini, a layout or a definition through the program's own
// code, for the robustness tests to kill in the middle of a write or to
// starve of disk space:
//
//   robust_writer settings|layout|definition FILE 0|1   one write of that variant;
//       prints "zapisano" or "błąd zapisu", then reads the file again and
//       prints "odczytano" (the program goes on after a failed write)
//   robust_writer settings|layout|definition FILE loop  the two variants in
//       turn, until killed
#include "datafolder.h"
#include "inifile.h"
#include "layout.h"
#include "layoutpaths.h"
#include "odbcmanager.h"
#include "settings.h"

#include <QFileInfo>
#include <cstdio>
#include <cstring>

namespace {

bool WriteSettings(const QString& path, int v) {
    TSettings s;
    s.LabelFileName = LayoutsFolder() + (v ? QStringLiteral("58x40.etk") : QStringLiteral("30x20.etk"));
    s.FrameColor = v ? 255 : 0;
    s.DatabaseType = v ? QStringLiteral("Sklep demonstracyjny") : QStringLiteral("Buchalter II");
    s.PrinterName = v ? QStringLiteral("PDF") : QStringLiteral("Biuro");
    s.Orientation = v ? QStringLiteral("Pozioma") : QStringLiteral("Pionowa");
    s.AskLabelCount = v;
    s.LastPrintDate = QDateTime(QDate(2025, 3, v ? 2 : 1), QTime(10, v ? 30 : 15, 0));
    s.AdminName = v ? QStringLiteral("kierownik") : QStringLiteral("admin");
    s.AdminPassword = PasswordHash(v ? QStringLiteral("nowe") : QStringLiteral("stare"));
    s.CheckType = v ? 4 : 1;
    return s.SaveToFile(path);
}

bool WriteLayout(const QString& path, int v) {
    TLabelLayout layout;
    layout.Width = TMm(v ? 58 : 30);
    layout.Height = TMm(v ? 40 : 20);
    const int labels = v ? 40 : 60;
    for (int i = 0; i < labels; ++i) {
        TLayoutObject o;
        o.Left = TMm(i % 20);
        o.Top = TMm(i % 15);
        o.Right = o.Left + TMm(5 + v);
        o.Bottom = o.Top + TMm(3);
        o.Type = static_cast<quint8>(i % 5);
        o.Text = QStringLiteral("Napis %1 wariantu %2 ").arg(i).arg(v).repeated(4);
        o.FontName = QStringLiteral("Arial");
        o.FontSize = 8 + v;
        layout.Objects.push_back(o);
    }
    for (int i = 0; i < 3 + 2 * v; ++i) {
        TLayoutObject o;
        o.Kind = LayoutObjectKind::Image;
        o.Right = TMm(10);
        o.Bottom = TMm(10);
        o.FileName = QStringLiteral("/srv/obrazy/logo%1.bmp").arg(i);
        layout.Objects.push_back(o);
    }
    return SaveLayoutFile(path, layout);
}

bool WriteDefinition(const QString& path, int v) {
    TODBCManager m;
    try {
        m.LoadFromFile(path);
    } catch (const TODBCManagerException&) {
        return false;
    }
    m.SetServer(v ? QStringLiteral("NOWY\\SKLEP") : QStringLiteral("STARY\\SQLEXPRESS"));
    m.SetDatabase(v ? QStringLiteral("Sklep2025") : QStringLiteral("Sklep"));
    m.SqlLogin = v;
    m.SqlUser = v ? QStringLiteral("kasjer") : QStringLiteral("sa");
    m.SetSqlPassword(v ? QStringLiteral("nowe hasło") : QStringLiteral("stare"));
    return m.SaveToFile(path);
}

bool Write(const char* kind, const QString& path, int v) {
    if (std::strcmp(kind, "settings") == 0) return WriteSettings(path, v);
    if (std::strcmp(kind, "layout") == 0) return WriteLayout(path, v);
    return WriteDefinition(path, v);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "użycie: robust_writer settings|layout|definition PLIK 0|1|loop\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[2]);
    // The layouts folder of the settings is the file's own folder's.
    SetDataFolderOverride(QFileInfo(path).absolutePath());
    if (std::strcmp(argv[3], "loop") == 0) {
        for (int i = 1;; ++i) Write(argv[1], path, i % 2);
    }
    const bool ok = Write(argv[1], path, std::atoi(argv[3]));
    std::printf("%s\n", ok ? "zapisano" : "błąd zapisu");
    std::fflush(stdout);
    // The program goes on: the file is read again as the next start would.
    TIniFile again(path);
    std::printf("%s\n", again.ReadFailed() ? "błąd odczytu" : "odczytano");
    return ok ? 0 : 1;
}
