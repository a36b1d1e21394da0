#pragma once
#include <QDateTime>
#include <QString>
#include <array>

class TIniFile;

// The schema of settings.ini: every key the program reads or writes, with its
// section, its type, the value that stands in when the key is missing or its
// text cannot be read, and the rule that corrects a value read. Every reader of
// settings.ini goes through this table, so a key is named in one place only.

enum class TSettingType : quint8 { String, Integer, Boolean, DateTime };

struct TSettingKey {
    const char* Section;
    const char* Name;
    TSettingType Type;
    // The default as the file would hold it ("1"/"0" for booleans). A
    // date-time without a default reads as the moment of reading.
    const char* Default = "";
    // Integers: a value outside Min..Max reads as the default (no range when
    // Max < Min). Only the low byte counts for one-byte fields.
    qint64 Min = 0;
    qint64 Max = -1;
    bool LowByte = false;
    // "|"-separated values a read value must equal exactly (case counts);
    // any other reads as the default. Empty: every value is taken.
    const char* Allowed = "";
};

namespace SettingKeys {
using T = TSettingType;
inline constexpr TSettingKey LabelFileName{"LABEL", "FILENAME", T::String, "30x20.etk"};
inline constexpr TSettingKey FrameColor{"LABEL", "FRAMECOLOR", T::Integer, "0"};
inline constexpr TSettingKey DatabaseType{"DATABASE", "TYPE", T::String};
inline constexpr TSettingKey LastPrintDate{"LAST PRINT", "DATE", T::DateTime};
inline constexpr TSettingKey PrinterName{"PRINTER", "NAME", T::String};
inline constexpr TSettingKey Orientation{"PRINTER", "ORIENTATION", T::String, "Pionowa",
                                         0, -1, false, "Pionowa|Pozioma"};
inline constexpr TSettingKey AskLabelCount{"PRINTER", "ASKLABELCOUNT", T::Boolean, "0"};
inline constexpr TSettingKey AdminName{"ADMIN", "NAME", T::String};
inline constexpr TSettingKey AdminPassword{"ADMIN", "PASSWORD", T::String};
inline constexpr TSettingKey CurrencySymbol{"SYMBOL", "ZL", T::String, "zł"};
inline constexpr TSettingKey KgSymbol{"SYMBOL", "KG", T::String, "kg"};
inline constexpr TSettingKey LitreSymbol{"SYMBOL", "L", T::String, "litr"};
inline constexpr TSettingKey SquareMetreSymbol{"SYMBOL", "MKW", T::String, "m2"};
inline constexpr TSettingKey DoubleGr{"PRICE", "DOUBLEGR", T::Boolean, "1"};
inline constexpr TSettingKey AlwaysGr{"PRICE", "ALWAYSGR", T::Boolean, "1"};
inline constexpr TSettingKey DotSeparator{"PRICE", "DOTSEPARATOR", T::Boolean, "0"};
inline constexpr TSettingKey SmallGr{"PRICE", "SMALLGR", T::Boolean, "0"};
inline constexpr TSettingKey BarcodeType{"BARCODE", "TYPE", T::Integer, "14", 0, 22};
inline constexpr TSettingKey BarcodeShowText{"BARCODE", "SHOWTEXT", T::Boolean, "1"};
inline constexpr TSettingKey QrEcc{"BARCODE", "QRECC", T::String, "M", 0, -1, false, "L|M|Q|H"};
inline constexpr TSettingKey Scale{"OTHER", "SCALE", T::Integer, "2", 1, 5, true};
inline constexpr TSettingKey CheckType{"OTHER", "CHECKTYPE", T::Integer, "0", 0, -1, false, "0|1|3|4|5"};
// Written by the first-run test only, never held in TSettings.
inline constexpr TSettingKey FirstRun{"OTHER", "FIRSTRUN", T::Boolean, "1"};
// Sheets of adhesive labels, in tenths of a millimetre: the first label's
// corner (from the paper's edge along an axis whose count is set, else from
// the printable area's corner), the gaps between labels, and the sheet's
// columns and rows (0: as many as fit the printable area).
inline constexpr TSettingKey SheetLeft{"SHEET", "LEFT", T::Integer, "0", 0, 1000};
inline constexpr TSettingKey SheetTop{"SHEET", "TOP", T::Integer, "0", 0, 1000};
inline constexpr TSettingKey SheetHGap{"SHEET", "HGAP", T::Integer, "0", 0, 500};
inline constexpr TSettingKey SheetVGap{"SHEET", "VGAP", T::Integer, "0", 0, 500};
inline constexpr TSettingKey SheetColumns{"SHEET", "COLUMNS", T::Integer, "0", 0, 50};
inline constexpr TSettingKey SheetRows{"SHEET", "ROWS", T::Integer, "0", 0, 100};
inline constexpr TSettingKey AskStartCell{"SHEET", "ASKSTARTCELL", T::Boolean, "0"};
// The offset that corrects one printer, in tenths of a millimetre, in a
// section of its own per printer: CalibrationSection(printer name).
inline constexpr TSettingKey CalibrationX{"CALIBRATION", "X", T::Integer, "0", -300, 300};
inline constexpr TSettingKey CalibrationY{"CALIBRATION", "Y", T::Integer, "0", -300, 300};
// What one printer prints on, in a section of its own per printer:
// PaperSection(printer name). ROLL=1: a roll of labels, one label a page;
// DARKNESS 1-30 is handed to the driver, 0 keeps the printer's own.
inline constexpr TSettingKey PrinterRoll{"PRINTER", "ROLL", T::Boolean, "0"};
inline constexpr TSettingKey PrinterDarkness{"PRINTER", "DARKNESS", T::Integer, "0", 0, 30};
// Where the goods live: KIND 0 the local file of the data folder, 1 a shop
// on a PostgreSQL server shared by several workstations. The password is
// kept enciphered as the definitions keep theirs; an empty WORKSTATION is
// the computer's host name.
inline constexpr TSettingKey GoodsStoreKind{"GOODSSTORE", "KIND", T::Integer, "0", 0, 1};
inline constexpr TSettingKey GoodsStoreHost{"GOODSSTORE", "HOST", T::String, "localhost"};
inline constexpr TSettingKey GoodsStorePort{"GOODSSTORE", "PORT", T::Integer, "5432", 1, 65535};
inline constexpr TSettingKey GoodsStoreDatabase{"GOODSSTORE", "DATABASE", T::String, "etykiety"};
inline constexpr TSettingKey GoodsStoreUser{"GOODSSTORE", "USER", T::String};
inline constexpr TSettingKey GoodsStorePassword{"GOODSSTORE", "PASSWORD", T::String};
inline constexpr TSettingKey GoodsStoreShop{"GOODSSTORE", "SHOP", T::String, "sklep"};
inline constexpr TSettingKey GoodsStoreWorkstation{"GOODSSTORE", "WORKSTATION", T::String};
}  // namespace SettingKeys

// "CALIBRATION " and the printer's name: the section of one printer's offset.
QString CalibrationSection(const QString& printer);
// The printer whose offset a section holds; empty for any other section.
QString CalibrationPrinter(const QString& section);
// "PRINTER " and the printer's name: the section of one printer's paper.
QString PaperSection(const QString& printer);
// The printer whose paper a section holds; empty for any other section (the
// section "PRINTER" of the chosen printer among them).
QString PaperPrinter(const QString& section);

// settings.ini in the data folder.
QString SettingsFilePath();

// Typed reads with the key's default and rule. `section` replaces the key's
// own section for keys that exist once per printer or per sheet.
QString ReadSettingString(const TIniFile& ini, const TSettingKey& key, const QString& section = {});
qint64 ReadSettingInteger(const TIniFile& ini, const TSettingKey& key, const QString& section = {});
bool ReadSettingBool(const TIniFile& ini, const TSettingKey& key, const QString& section = {});
// A date-time text that cannot be read, or none, gives `fallback`.
QDateTime ReadSettingDateTime(const TIniFile& ini, const TSettingKey& key, const QDateTime& fallback,
                              const QString& section = {});

void WriteSetting(TIniFile& ini, const TSettingKey& key, const QString& value, const QString& section = {});
void WriteSetting(TIniFile& ini, const TSettingKey& key, qint64 value, const QString& section = {});
void WriteSetting(TIniFile& ini, const TSettingKey& key, bool value, const QString& section = {});
void WriteSetting(TIniFile& ini, const TSettingKey& key, const QDateTime& value, const QString& section = {});
// The char* overload would otherwise pick the bool one.
void WriteSetting(TIniFile& ini, const TSettingKey& key, const char* value, const QString& section = {}) = delete;
