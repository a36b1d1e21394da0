#include "settings.h"

#include "cipher.h"
#include "codepage.h"
#include "datetimetext.h"
#include "inifile.h"
#include "layoutpaths.h"
#include "printers.h"
#include "settingskeys.h"
#include "silentfailure.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSysInfo>

bool TSettings::LoadFromFile(const QString& path) {
    namespace K = SettingKeys;
    if (!QFileInfo::exists(path)) return false;
    const TIniFile ini(path);
    if (ini.ReadFailed()) return false;
    ReadFrom(ini);
    return true;
}

namespace {

// A place that cannot be empty (a host, a database, a shop): an empty value
// reads as the default.
QString ReadPlace(const TIniFile& ini, const TSettingKey& key) {
    const QString value = ReadSettingString(ini, key).trimmed();
    return value.isEmpty() ? QString::fromUtf8(key.Default) : value;
}

const QString kCipherKey = QString::fromLatin1(kPasswordKey);

TGoodsStoreSettings ReadGoodsStore(const TIniFile& ini) {
    namespace K = SettingKeys;
    TGoodsStoreSettings s;
    s.Kind = static_cast<TGoodsStoreKind>(ReadSettingInteger(ini, K::GoodsStoreKind));
    s.Host = ReadPlace(ini, K::GoodsStoreHost);
    s.Port = static_cast<int>(ReadSettingInteger(ini, K::GoodsStorePort));
    s.Database = ReadPlace(ini, K::GoodsStoreDatabase);
    s.User = ReadSettingString(ini, K::GoodsStoreUser);
    s.Password = DecipherText(kCipherKey, ReadSettingString(ini, K::GoodsStorePassword));
    s.Shop = ReadPlace(ini, K::GoodsStoreShop);
    s.Workstation = ReadSettingString(ini, K::GoodsStoreWorkstation).trimmed();
    return s;
}

void WriteGoodsStore(TIniFile& ini, const TGoodsStoreSettings& s) {
    namespace K = SettingKeys;
    WriteSetting(ini, K::GoodsStoreKind, qint64{static_cast<int>(s.Kind)});
    WriteSetting(ini, K::GoodsStoreHost, s.Host);
    WriteSetting(ini, K::GoodsStorePort, qint64{s.Port});
    WriteSetting(ini, K::GoodsStoreDatabase, s.Database);
    WriteSetting(ini, K::GoodsStoreUser, s.User);
    WriteSetting(ini, K::GoodsStorePassword, EncipherText(kCipherKey, s.Password));
    WriteSetting(ini, K::GoodsStoreShop, s.Shop);
    WriteSetting(ini, K::GoodsStoreWorkstation, s.Workstation);
}

}  // namespace

QString TGoodsStoreSettings::WorkstationName() const {
    return Workstation.isEmpty() ? QSysInfo::machineHostName() : Workstation;
}

void TSettings::ReadFrom(const TIniFile& ini) {
    namespace K = SettingKeys;
    LabelFileName = LayoutFullPath(ReadSettingString(ini, K::LabelFileName));
    FrameColor = static_cast<std::int32_t>(ReadSettingInteger(ini, K::FrameColor));
    DatabaseType = ReadSettingString(ini, K::DatabaseType);
    LastPrintDate = ReadSettingDateTime(ini, K::LastPrintDate, CurrentMoment());
    PrinterName = ReadSettingString(ini, K::PrinterName);
    if (PrinterName.isEmpty()) PrinterName = DefaultPrinterName();
    Orientation = ReadSettingString(ini, K::Orientation);
    AskLabelCount = ReadSettingBool(ini, K::AskLabelCount);
    AdminName = ReadSettingString(ini, K::AdminName);
    AdminPassword = ReadSettingString(ini, K::AdminPassword);
    CurrencySymbol = ReadSettingString(ini, K::CurrencySymbol);
    KgSymbol = ReadSettingString(ini, K::KgSymbol);
    LitreSymbol = ReadSettingString(ini, K::LitreSymbol);
    SquareMetreSymbol = ReadSettingString(ini, K::SquareMetreSymbol);
    DoubleGr = ReadSettingBool(ini, K::DoubleGr);
    AlwaysGr = ReadSettingBool(ini, K::AlwaysGr);
    DotSeparator = ReadSettingBool(ini, K::DotSeparator);
    SmallGr = ReadSettingBool(ini, K::SmallGr);
    BarcodeType = static_cast<std::uint8_t>(ReadSettingInteger(ini, K::BarcodeType));
    BarcodeShowText = ReadSettingBool(ini, K::BarcodeShowText);
    QrEcc = ReadSettingString(ini, K::QrEcc);
    Scale = static_cast<std::uint8_t>(ReadSettingInteger(ini, K::Scale));
    CheckType = static_cast<std::uint8_t>(ReadSettingInteger(ini, K::CheckType));
    Sheet.Left = static_cast<int>(ReadSettingInteger(ini, K::SheetLeft));
    Sheet.Top = static_cast<int>(ReadSettingInteger(ini, K::SheetTop));
    Sheet.HGap = static_cast<int>(ReadSettingInteger(ini, K::SheetHGap));
    Sheet.VGap = static_cast<int>(ReadSettingInteger(ini, K::SheetVGap));
    Sheet.Columns = static_cast<int>(ReadSettingInteger(ini, K::SheetColumns));
    Sheet.Rows = static_cast<int>(ReadSettingInteger(ini, K::SheetRows));
    AskStartCell = ReadSettingBool(ini, K::AskStartCell);
    GoodsStore = ReadGoodsStore(ini);
    Calibrations.Clear();
    Papers.Clear();
    for (const QString& section : ini.ReadSections()) {
        if (const QString printer = CalibrationPrinter(section); !printer.isEmpty())
            Calibrations.Set(printer, QPoint(static_cast<int>(ReadSettingInteger(ini, K::CalibrationX, section)),
                                           static_cast<int>(ReadSettingInteger(ini, K::CalibrationY, section))));
        if (const QString printer = PaperPrinter(section); !printer.isEmpty())
            Papers.Set(printer, TPrinterPaper{ReadSettingBool(ini, K::PrinterRoll, section),
                                              static_cast<int>(ReadSettingInteger(ini, K::PrinterDarkness, section))});
    }
}

namespace {

// A name that cannot head a section would damage the file.
bool SectionName(const QString& printer) {
    if (printer.isEmpty() || printer.contains(u']') || printer.contains(u'\n') || printer.contains(u'\r')) {
        SilentFailure(lcSettings, QStringLiteral("no section for the printer %1").arg(printer));
        return false;
    }
    return true;
}

}  // namespace

TSettings ReadSettingsOrDefaults(const QString& path) {
    TSettings settings;
    if (!settings.LoadFromFile(path)) settings.ReadFrom(TIniFile(QString()));
    return settings;
}

bool TSettings::SaveToFile(const QString& path) const {
    namespace K = SettingKeys;
    TIniFile ini(path);
    WriteSetting(ini, K::LabelFileName, LayoutDisplayName(LabelFileName));
    WriteSetting(ini, K::FrameColor, qint64{FrameColor});
    WriteSetting(ini, K::DatabaseType, DatabaseType);
    WriteSetting(ini, K::PrinterName, PrinterName);
    WriteSetting(ini, K::Orientation, Orientation);
    WriteSetting(ini, K::AskLabelCount, AskLabelCount);
    WriteSetting(ini, K::LastPrintDate, LastPrintDate);
    WriteSetting(ini, K::AdminName, AdminName);
    WriteSetting(ini, K::AdminPassword, AdminPassword);
    WriteSetting(ini, K::CheckType, qint64{CheckType});
    WriteSetting(ini, K::SheetLeft, qint64{Sheet.Left});
    WriteSetting(ini, K::SheetTop, qint64{Sheet.Top});
    WriteSetting(ini, K::SheetHGap, qint64{Sheet.HGap});
    WriteSetting(ini, K::SheetVGap, qint64{Sheet.VGap});
    WriteSetting(ini, K::SheetColumns, qint64{Sheet.Columns});
    WriteSetting(ini, K::SheetRows, qint64{Sheet.Rows});
    WriteSetting(ini, K::AskStartCell, AskStartCell);
    WriteGoodsStore(ini, GoodsStore);
    for (auto it = Calibrations.All().begin(); it != Calibrations.All().end(); ++it) {
        if (!SectionName(it.key())) continue;
        const QString section = CalibrationSection(it.key());
        WriteSetting(ini, K::CalibrationX, qint64{it->x()}, section);
        WriteSetting(ini, K::CalibrationY, qint64{it->y()}, section);
    }
    for (auto it = Papers.All().begin(); it != Papers.All().end(); ++it) {
        if (!SectionName(it.key())) continue;
        const QString section = PaperSection(it.key());
        WriteSetting(ini, K::PrinterRoll, it->Roll, section);
        WriteSetting(ini, K::PrinterDarkness, qint64{it->Darkness}, section);
    }
    return ini.UpdateFile();
}

bool TSettings::SaveLastPrintDate(const QString& path) const {
    TIniFile ini(path);
    WriteSetting(ini, SettingKeys::LastPrintDate, LastPrintDate);
    return ini.UpdateFile();
}

std::uint8_t DesignScale(const TSettings& settings) {
    const auto& scale = SettingKeys::Scale;
    return settings.Scale >= scale.Min && settings.Scale <= scale.Max ? settings.Scale : 2;
}

QString PasswordHash(const QString& text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(ToWin1250(text), QCryptographicHash::Md5).toHex().toUpper());
}
