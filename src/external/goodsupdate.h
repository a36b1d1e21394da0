#pragma once
#include "cancelflag.h"
#include "goodsrecord.h"
#include "unitprice.h"

#include <QSqlQuery>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class TGoodsStore;
class TTable;
class TODBCManager;
class TExternalDatabase;

// One row of the definition's goods query after the column rules.
struct ExternalGoodsRecord {
    QString Id;       // at most 255 characters
    QString Name;     // at most 50
    QString Price;    // at most 10
    QString Weight;   // at most 50
    QString Barcode;  // at most 255
    std::uint8_t BarcodeType = kDefaultBarcodeType;
    std::optional<bool> Perishable;  // nullopt: the query has no such column
};

// Identifier, backslash and barcode, cut to 255 characters.
QString MakeGoodsKey(const QString& id, const QString& barcode);
// Each carriage return and line feed becomes a blank; the length stays.
QString ReplaceLineBreaks(const QString& text);

// Reads the current row of the goods query by the column rules. Throws
// TExternalError when one of the first four columns is missing. An optional
// seventh column says whether the goods are perishable (KROTKITERMIN): 1, T,
// "tak" or a true logical value (case ignored) are; 0, F, "nie", an empty
// value and anything else are not.
ExternalGoodsRecord ReadExternalRow(const QSqlQuery& query, const TODBCManager& manager);
// The same for a query whose rows have `columns` columns.
ExternalGoodsRecord ReadExternalRow(const QSqlQuery& query, const TODBCManager& manager, int columns);

// The goods record an external row merges into: its key, texts and type.
TGoodsRecord GoodsRecordOf(const ExternalGoodsRecord& row);

// What one run needs and lets the window do.
struct TUpdateRun {
    TExternalDatabase* dbOutside = nullptr;
    const TODBCManager* Manager = nullptr;  // queries and text conversion
    TGoodsStore* Store = nullptr;   // where the goods are merged
    TTable* tbLocalShow = nullptr;  // the list shown; may be null
    TUnitSymbols Symbols;
    TCancelFlag UpdateCancelRequested;  // set by the window's Cancel
    std::function<void(int)> SetMaximum;   // the progress bar's length
    std::function<void()> StepProgress;    // one row further
    std::function<void()> ProcessMessages;
    std::function<void()> ShowChanged;     // switch the grid to "Zmienione"
    // Another workstation's update holds the shop's update lock: true to wait
    // for it (the wait processes messages and ends on Cancel), false to stop.
    // None: stop.
    std::function<bool()> OtherUpdateBusy;
};

struct TUpdateOutcome {
    bool Ok = false;
    int Changes = 0;
    // Rows the goods store refused (each logged); the message says how many
    // on a line of its own, Reason why the last one was refused.
    int Rejected = 0;
    // The message the run ends with. A failed run's is "Wystąpił błąd podczas
    // aktualizacji bazy danych.", with a line below it when the program can
    // say what is wrong with a file of the folder (a CSV export).
    QString Message;
    QString Reason;   // why a failed run failed, as the engine or reader said it (the user sees Message)
    // The run did not start: another workstation's update held the lock and
    // it was not waited for, or the wait was cancelled (Message kUpdateBusy).
    bool Stopped = false;
};

// One run without any message to the user. It takes the shop's update lock
// first and holds it to the end.
TUpdateOutcome RunGoodsUpdate(TUpdateRun& run);
// One run as the progress dialog makes it: shows the count or error message
// and switches the grid after changes. True when it completed or was
// cancelled, false when it failed.
bool UpdateGoods(TUpdateRun& run);

// The connect step of the update command: the database name, login parameters
// and connection for the manager's definition. Throws TExternalError.
void ConnectOutside(TExternalDatabase& dbOutside, const TODBCManager& manager);

// The message for a data source that could not be made: the code of the
// manager's exception (with the driver it names), or 0 for any other failure.
QString DataSourceErrorText(int code, const QString& dbTypeName, const QString& driver = QString());

inline const QString kUpdateConnectError = QStringLiteral("Błąd podczas łączenia z zewnętrzną bazą danych.");
inline const QString kUpdateError = QStringLiteral("Wystąpił błąd podczas aktualizacji bazy danych.");
inline const QString kUpdateNoChanges = QStringLiteral("Nie stwierdzono zmian od ostatniej aktualizacji.");
inline const QString kUpdateCountPrefix = QStringLiteral("Liczba zmienionych pozycji: ");
inline const QString kUpdateRejectedPrefix = QStringLiteral("Liczba pozycji, których nie udało się zapisać: ");
inline const QString kUpdateConfirm = QStringLiteral("Potwierdzasz aktualizację danych?");
