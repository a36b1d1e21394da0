#pragma once
#include "engine.h"
#include "goodsrecord.h"
#include "unitprice.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

// The price history of the goods, kept in the goods file beside the goods table
// so that a label can show, next to a reduced price, the lowest price of the 30
// days before the reduction.
//
// Table "HISTORIA_CEN": "ID" (the goods ID), "KWOTA" (the price as an amount,
// null when the price text is no number) and "CHWILA" (when it took effect, in
// milliseconds since 1970-01-01 UTC), indexed on ID and CHWILA. The goods
// table's own columns are not touched.
//
// Each connection of the program to a goods file with a sound history keeps the
// history itself, in the statement that writes the goods row: a new record
// continues the history of its ID (goods deleted and taken in again keep the
// prices they had), and a new record or a changed CENA adds an entry when its
// amount differs from the last one (so "4,99" after "4.99" adds none). An
// entry is never dated before the last one of its goods, whatever the clock
// did. Deleting goods keeps their history; entries go only when no lowest
// price can read them any more (older than the one in effect when the window
// of the goods' latest reduction opens, and, for perishable goods, than the
// price before the run of reductions they are measured from; goods marked
// perishable later are measured from what their history still holds).
inline const QString kPriceHistoryTable = QStringLiteral("HISTORIA_CEN");
// The calculated field of the goods table objects: the lowest price, an amount.
inline const QString kLowestPriceField = QString::fromLatin1(kLowestPriceColumn);
// How far back the lowest price looks from a reduction.
inline constexpr qint64 kLowestPriceDays = 30;

// Where the history takes "now" from; tests put a clock of their own. An empty
// clock, the default, is the system's.
using TPriceClock = std::function<QDateTime()>;
void SetPriceClock(TPriceClock clock);
QDateTime PriceClockNow();
// Whether a clock of its own is set (a store that dates entries by another
// clock, a server's, then takes this one instead).
bool PriceClockInstalled();

// The start-up step for the goods file at `path`: a history that is missing is
// made, every goods record getting its current price as the first entry dated
// now; a table of that name without the history's columns is set aside under a
// name of its own ("HISTORIA_CEN_USZKODZONA", then with a number) and a new
// history made in its place. The goods table is only read. False, with the
// reason logged, when the history could not be made usable; the goods then
// have no lowest price, and nothing else changes.
bool EnsurePriceHistory(const QString& path);

// What each connection of the engine to a goods file needs for the price
// history (its SQL functions, and the statements that keep the history when
// it is sound); the goods table is the one the file's name names. Table
// objects on a goods file are given it as their connection setup.
void PreparePriceHistory(TSqliteConnection& conn, const QString& path);

// The same for a goods file that copies another store's goods and history
// (a server's): the SQL functions the lowest price reads, an empty history
// when the file has none yet, and none of the statements that keep the
// history: it arrives from where the goods come from.
void PrepareCopiedPriceHistory(TSqliteConnection& conn, const QString& path);

// The set-based merge writes the entries of a batch itself, in one statement,
// instead of the statements that keep the history row by row. SQLite only.
//
// Whether this connection keeps the history of the goods file (its history
// is sound).
bool HistoryKeptBy(TSqliteConnection& conn);
// Takes the row-by-row statements off the goods table (the one that trims old
// entries too with `trimming`) until ResumeRowHistory puts them back; both
// join the transaction in progress, so a rollback puts them back too.
void SuspendRowHistory(TSqliteConnection& conn, bool trimming = false);
void ResumeRowHistory(TSqliteConnection& conn, const QString& path);
// The statement that gives every staged row written (AKCJA 1 or 2) of the
// staging table `stage` its entry, by the rules of the row-by-row statements:
// an entry when the amount of CENA differs from the last entry's or there is
// none, dated at the bound moment (milliseconds) or at the last entry when
// the clock went back.
QString AddEntriesOfStage(const QString& stage);
// The statement that gives every record of the goods table `goods` (SQL's
// name) an entry of its current price, dated at the bound moment
// (milliseconds): the first entries of goods of which the history has none.
QString AddFirstEntries(const QString& goods);

// The lowest price field of a goods table object whose table SQL knows as
// `goodsTable`: for goods whose current price is lower than the one before it
// (a reduction), the lowest price in effect during the 30 days before the
// reduction took effect, or since the goods' first entry when that is less
// than 30 days before it. A price text that is no number ("promocja") is no
// price in effect: its entries are skipped, and the rule reads the others.
// Null when there is no reduction, and whenever the history cannot be trusted
// for the goods: its last amount is not the amount of CENA (or CENA is no
// number), a moment is no integer, or the last entry lies after now.
//
// Perishable goods (KROTKITERMIN) are measured instead from the price in
// effect before the first of the reductions that follow one another without a
// rise, however far back: reduced three evenings in a row from 10 to 8, 6 and
// 4, they show 10. The goods table needs the column KROTKITERMIN.
//
// This is the reference price of a reduction (ReductionOf): the lowest price
// object, the list's column, the view "Obniżone" and the announced discount
// all read it.
TFieldDef LowestPriceField(const QString& goodsTable);
// Its gate (TCalculatedGate): goods have a lowest price only when an entry of
// their history is above their price, which one read of the whole history
// tells for all of them at once.
TCalculatedGate LowestPriceGate();

// The lowest price of the table's current record; nullopt when it has none or
// the table has no such field.
std::optional<TAmount> LowestPrice(TTable& table);
// The same of a value of the field.
std::optional<TAmount> LowestPriceOf(const QVariant& value);
// A value of the lowest price field as its text: AmountText of the amount,
// always with at least two decimals ("10,00", "4,60", "2,0051"), or empty for
// a null (or any other) value.
QString LowestPriceText(const QVariant& value);

// A reduction as a label announces it: against its reference price, never
// overstated.
struct TReduction {
    TAmount Reference = 0;   // the reference price (the lowest price field)
    TAmount Difference = 0;  // the reference less the price, above 0
    int Percent = 0;         // the difference in whole percent of the reference, rounded down (33,33 % is 33)
};
// The reduction from `reference` to `price`; nullopt unless the price is at
// least 0 and below the reference (a price above the lowest of the 30 days is
// no reduction to announce).
std::optional<TReduction> ReductionFrom(TAmount reference, TAmount price);
// The reduction of a goods record: from NAJNIZSZA to CENA; nullopt when the
// goods have no reference price or either is no amount.
std::optional<TReduction> ReductionOf(const TGoodsRecord& goods);
// The difference in złoty with two decimals, the grosz below rounded down:
// "2,00", "0,33", "1 250,00".
QString ReductionAmountText(TAmount difference);
