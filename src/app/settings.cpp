#include "settings.h"

#include "codepage.h"
#include "datafolder.h"
#include "datetimetext.h"
#include "inifile.h"
#include "layoutpaths.h"
#include "printers.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace {
const QString kPortrait = QStringLiteral("Pionowa");
const QString kLandscape = QStringLiteral("Pozioma");
}  // namespace

bool TSettings::LoadFromFile(const QString& path) {
    if (!QFileInfo::exists(path)) return false;
    const TIniFile ini(path);
    if (ini.ReadFailed()) return false;
    const auto str = [&](const char* s, const char* k, const QString& d) {
        return ini.ReadString(QLatin1String(s), QLatin1String(k), d);
    };
    const auto integer = [&](const char* s, const char* k, int d) {
        return ini.ReadInteger(QLatin1String(s), QLatin1String(k), d);
    };
    const auto boolean = [&](const char* s, const char* k, bool d) {
        return ini.ReadBool(QLatin1String(s), QLatin1String(k), d);
    };

    LabelFileName = LayoutFullPath(str("LABEL", "FILENAME", QStringLiteral("30x20.etk")));
    FrameColor = integer("LABEL", "FRAMECOLOR", 0);
    DatabaseType = str("DATABASE", "TYPE", QString());
    LastPrintDate = CurrentMoment();
    TextToDateTime(str("LAST PRINT", "DATE", QString()), LastPrintDate);
    PrinterName = str("PRINTER", "NAME", QString());
    if (PrinterName.isEmpty()) PrinterName = DefaultPrinterName();
    Orientation = str("PRINTER", "ORIENTATION", kPortrait);
    if (Orientation != kPortrait && Orientation != kLandscape) Orientation = kPortrait;
    AskLabelCount = boolean("PRINTER", "ASKLABELCOUNT", false);
    AdminName = str("ADMIN", "NAME", QString());
    AdminPassword = str("ADMIN", "PASSWORD", QString());
    CurrencySymbol = str("SYMBOL", "ZL", QString::fromUtf8("zł"));
    KgSymbol = str("SYMBOL", "KG", QStringLiteral("kg"));
    LitreSymbol = str("SYMBOL", "L", QStringLiteral("litr"));
    SquareMetreSymbol = str("SYMBOL", "MKW", QStringLiteral("m2"));
    DoubleGr = boolean("PRICE", "DOUBLEGR", true);
    AlwaysGr = boolean("PRICE", "ALWAYSGR", true);
    DotSeparator = boolean("PRICE", "DOTSEPARATOR", false);
    SmallGr = boolean("PRICE", "SMALLGR", false);
    const int barcodeType = integer("BARCODE", "TYPE", 14);
    BarcodeType = static_cast<std::uint8_t>(barcodeType >= 0 && barcodeType <= 22 ? barcodeType : 14);
    BarcodeShowText = boolean("BARCODE", "SHOWTEXT", true);
    // Only the low byte counts, as the field is one byte wide.
    const int scale = integer("OTHER", "SCALE", 2) & 0xFF;
    Scale = static_cast<std::uint8_t>(scale >= 1 && scale <= 5 ? scale : 2);
    const int checkType = integer("OTHER", "CHECKTYPE", 0);
    CheckType = static_cast<std::uint8_t>(checkType == 1 || checkType == 3 || checkType == 4 ? checkType : 0);
    return true;
}

bool TSettings::SaveToFile(const QString& path) const {
    TIniFile ini(path);
    ini.WriteString(QStringLiteral("LABEL"), QStringLiteral("FILENAME"), LayoutDisplayName(LabelFileName));
    ini.WriteInteger(QStringLiteral("LABEL"), QStringLiteral("FRAMECOLOR"), FrameColor);
    ini.WriteString(QStringLiteral("DATABASE"), QStringLiteral("TYPE"), DatabaseType);
    ini.WriteString(QStringLiteral("PRINTER"), QStringLiteral("NAME"), PrinterName);
    ini.WriteString(QStringLiteral("PRINTER"), QStringLiteral("ORIENTATION"), Orientation);
    ini.WriteBool(QStringLiteral("PRINTER"), QStringLiteral("ASKLABELCOUNT"), AskLabelCount);
    ini.WriteString(QStringLiteral("LAST PRINT"), QStringLiteral("DATE"), DateTimeToText(LastPrintDate));
    ini.WriteString(QStringLiteral("ADMIN"), QStringLiteral("NAME"), AdminName);
    ini.WriteString(QStringLiteral("ADMIN"), QStringLiteral("PASSWORD"), AdminPassword);
    ini.WriteInteger(QStringLiteral("OTHER"), QStringLiteral("CHECKTYPE"), CheckType);
    return ini.UpdateFile();
}

QString PasswordHash(const QString& text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(ToWin1250(text), QCryptographicHash::Md5).toHex().toUpper());
}
