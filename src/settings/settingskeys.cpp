#include "settingskeys.h"

#include "datafolder.h"
#include "datetimetext.h"
#include "inifile.h"

namespace {

QString SectionOf(const TSettingKey& key, const QString& section) {
    return section.isEmpty() ? QString::fromLatin1(key.Section) : section;
}

QString NameOf(const TSettingKey& key) { return QString::fromLatin1(key.Name); }

QString DefaultOf(const TSettingKey& key) { return QString::fromUtf8(key.Default); }

bool Allowed(const TSettingKey& key, const QString& value) {
    if (!*key.Allowed) return true;
    return QString::fromUtf8(key.Allowed).split(u'|').contains(value);
}

const QString kCalibrationPrefix = QStringLiteral("CALIBRATION ");
const QString kPaperPrefix = QStringLiteral("PRINTER ");

QString PrinterOfSection(const QString& section, const QString& prefix) {
    if (!section.startsWith(prefix, Qt::CaseInsensitive)) return QString();
    return section.mid(prefix.size());
}
}  // namespace

QString CalibrationSection(const QString& printer) { return kCalibrationPrefix + printer; }

QString CalibrationPrinter(const QString& section) { return PrinterOfSection(section, kCalibrationPrefix); }

QString PaperSection(const QString& printer) { return kPaperPrefix + printer; }

QString PaperPrinter(const QString& section) { return PrinterOfSection(section, kPaperPrefix); }

QString SettingsFilePath() { return DataPath(QStringLiteral("settings.ini")); }

QString ReadSettingString(const TIniFile& ini, const TSettingKey& key, const QString& section) {
    const QString value = ini.ReadString(SectionOf(key, section), NameOf(key), DefaultOf(key));
    return Allowed(key, value) ? value : DefaultOf(key);
}

qint64 ReadSettingInteger(const TIniFile& ini, const TSettingKey& key, const QString& section) {
    int fallback = 0;
    TIniFile::ParseInteger(DefaultOf(key), fallback);
    qint64 value = ini.ReadInteger(SectionOf(key, section), NameOf(key), fallback);
    if (key.LowByte) value &= 0xFF;
    if (key.Max >= key.Min && (value < key.Min || value > key.Max)) return fallback;
    if (!Allowed(key, QString::number(value))) return fallback;
    return value;
}

bool ReadSettingBool(const TIniFile& ini, const TSettingKey& key, const QString& section) {
    return ini.ReadBool(SectionOf(key, section), NameOf(key), DefaultOf(key) != QLatin1String("0"));
}

QDateTime ReadSettingDateTime(const TIniFile& ini, const TSettingKey& key, const QDateTime& fallback,
                              const QString& section) {
    QDateTime moment = fallback;
    TextToDateTime(ini.ReadString(SectionOf(key, section), NameOf(key), DefaultOf(key)), moment);
    return moment;
}

void WriteSetting(TIniFile& ini, const TSettingKey& key, const QString& value, const QString& section) {
    ini.WriteString(SectionOf(key, section), NameOf(key), value);
}

void WriteSetting(TIniFile& ini, const TSettingKey& key, qint64 value, const QString& section) {
    ini.WriteString(SectionOf(key, section), NameOf(key), QString::number(value));
}

void WriteSetting(TIniFile& ini, const TSettingKey& key, bool value, const QString& section) {
    ini.WriteBool(SectionOf(key, section), NameOf(key), value);
}

void WriteSetting(TIniFile& ini, const TSettingKey& key, const QDateTime& value, const QString& section) {
    ini.WriteString(SectionOf(key, section), NameOf(key), DateTimeToText(value));
}
