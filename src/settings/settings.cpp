#include "settings.h"

#include "codepage.h"
#include "datetimetext.h"
#include "inifile.h"
#include "layoutpaths.h"
#include "printers.h"
#include "settingskeys.h"

#include <QCryptographicHash>
#include <QFileInfo>

bool TSettings::LoadFromFile(const QString& path) {
    namespace K = SettingKeys;
    if (!QFileInfo::exists(path)) return false;
    const TIniFile ini(path);
    if (ini.ReadFailed()) return false;
    ReadFrom(ini);
    return true;
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
    Scale = static_cast<std::uint8_t>(ReadSettingInteger(ini, K::Scale));
    CheckType = static_cast<std::uint8_t>(ReadSettingInteger(ini, K::CheckType));
}

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
