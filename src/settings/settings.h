#pragma once
#include <QDateTime>
#include <QMap>
#include <QPoint>
#include <QString>
#include <cstdint>

#include "byprinter.h"

// The program's settings, read from settings.ini at start and written at close.
// Values are plain fields: the range rules of the schema (settingskeys.h) are
// applied when reading.
class TIniFile;

// Where labels go on a page, in tenths of a millimetre: the first label's
// corner from the printable area's top-left corner, the gaps between
// neighbouring labels, and the sheet's columns and rows (0: as many as fit
// the printable area). All zero: labels side by side from the corner.
struct TSheetLayout {
    int Left = 0;
    int Top = 0;
    int HGap = 0;
    int VGap = 0;
    int Columns = 0;
    int Rows = 0;
    bool operator==(const TSheetLayout&) const = default;
};

// Where the goods live, as [GOODSSTORE] of settings.ini says. The password
// is plain here only: the file keeps it enciphered.
enum class TGoodsStoreKind : quint8 { Local = 0, Server = 1 };

struct TGoodsStoreSettings {
    TGoodsStoreKind Kind = TGoodsStoreKind::Local;
    QString Host = QStringLiteral("localhost");
    int Port = 5432;
    QString Database = QStringLiteral("etykiety");
    QString User;
    QString Password;
    QString Shop = QStringLiteral("sklep");
    QString Workstation;  // empty: the computer's host name
    // The name this computer's marks and print dates are kept under.
    QString WorkstationName() const;
    bool operator==(const TGoodsStoreSettings&) const = default;
};

// The offsets that correct printers (tenths of a millimetre, added to every
// position on the page), by printer name.
using TCalibrations = TByPrinter<QPoint>;

class TSettings {
public:
    QString LabelFileName;  // full path once read
    std::int32_t FrameColor = 0;
    QDateTime LastPrintDate = QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    QString AdminName;
    QString AdminPassword;  // 32 upper-case hex digits, or empty
    QString PrinterName;
    QString Orientation;  // "Pionowa" or "Pozioma" once read
    QString DatabaseType;
    QString CurrencySymbol, KgSymbol, LitreSymbol, SquareMetreSymbol;
    bool AlwaysGr = false, DoubleGr = false, DotSeparator = false, SmallGr = false;
    std::uint8_t BarcodeType = 0;  // 0-22 once read
    bool BarcodeShowText = false;
    QString QrEcc;  // "L", "M", "Q" or "H" once read
    std::uint8_t CheckType = 0;  // 0, 1, 3, 4 or 5 once read
    std::uint8_t Scale = 0;      // 1-5 once read
    bool AskLabelCount = false;
    std::int32_t LabelCount = 0;  // labels per record of the current print job; never stored
    TSheetLayout Sheet;
    bool AskStartCell = false;  // ask which cell of a partly used sheet to start at
    TCalibrations Calibrations;
    // Sheet or roll, and the darkness, of each printer set up.
    TByPrinter<TPrinterPaper> Papers;
    TGoodsStoreSettings GoodsStore;

    // False when the file does not exist or cannot be read; values read before
    // a failure stay.
    bool LoadFromFile(const QString& path);
    // Every value from `ini`, with the schema's defaults and rules.
    void ReadFrom(const TIniFile& ini);
    // Writes the keys kept from run to run; false when the write failed.
    bool SaveToFile(const QString& path) const;
    // Writes only the moment of the last print command (the companion's
    // print, which must not overwrite what a running program keeps).
    bool SaveLastPrintDate(const QString& path) const;
};

// The settings of the file at `path`, or every default when it cannot be read
// (the companion, which has no window to report a missing file in).
TSettings ReadSettingsOrDefaults(const QString& path);

// The zoom of the design page: Scale, or 2 while Scale is outside 1-5 (only
// possible when no settings file was read).
std::uint8_t DesignScale(const TSettings& settings);

// MD5 of the text's Windows-1250 bytes, 32 upper-case hexadecimal digits.
QString PasswordHash(const QString& text);
