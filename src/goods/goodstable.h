#pragma once
#include "engine.h"
#include "goodsrecord.h"

#include <QString>
#include <QStringList>

// The local goods table "towary.db" in the data folder's "DB" folder.
inline const QString kGoodsTableName = QStringLiteral("towary.db");
inline const QString kNameIndex = QStringLiteral("IDNAZWA");

// The data folder's "DB" folder, without a trailing "/".
QString GoodsDatabaseFolder();

// Points a table object at the goods table, in primary (ID) or name order, with
// the lowest price as its calculated field NAJNIZSZA (see pricehistory.h).
void SetupGoodsTable(TTable& table, bool nameOrder);
// The same for a goods file "towary.db" in `folder` whose connections get
// `setup` instead (a copy of another store's goods).
void SetupGoodsTable(TTable& table, bool nameOrder, const QString& folder, TConnectionSetup setup);
// Gives a closed table object the goods table's fields and indexes, to
// create the table from.
void DefineGoodsTable(TTable& table);

// Creates the goods table when it does not exist: the "DB" folder, the
// fields and both indexes, and the price history beside it. True when the table exists afterwards; false when
// anything failed on the way (no error escapes). An existing file only gains
// the columns of this version it lacks (EnsureGoodsColumns).
bool CreateGoodsTable(TTable& tbLocal);

// Gives an existing goods file of an earlier version the columns it lacks
// (KROTKITERMIN), with their defaults on every row; nothing else changes.
// Closes `tbLocal` and leaves it pointed at the file. False, with the reason
// logged, when they could not be added.
bool EnsureGoodsColumns(TTable& tbLocal);

// The start-up step of the goods list: creates the table when the file is
// missing (else gives an existing one the columns and the price history it
// lacks, see EnsurePriceHistory), then opens `tbLocalShow` in name order with its current filter. Returns
// the start-up errors to show (empty when the list is open).
QStringList OpenGoodsList(TTable& tbLocal, TTable& tbLocalShow);

// The key for a record entered by hand: the smallest of 0, 1, 2, ... that is not
// the ID of a record (as its decimal text). Reopens `tbLocal` in primary order
// without filter and closes it again.
qint64 NextFreeId(TTable& tbLocal);

// Lets the window process pending messages during long passes.
void ProcessPendingMessages();

// Clears the mark of every record through `tbLocal`, then refreshes `tbLocalShow`
// when it is open. Raises TEngineError on failure; the table is then unchanged.
void ClearAllSelections(TTable& tbLocal, TTable& tbLocalShow, const TTable::Progress& progress = ProcessPendingMessages);

// Selection by type: unmarks every record of the view, marks those of them that
// also match the check filter, refreshes `tbLocalShow` and returns the number of
// marked records (the count under the combined filter). One transaction: on an
// error the marks are as they were.
int SelectByType(TTable& tbLocal, TTable& tbLocalShow, const QString& viewFilter, const QString& checkFilter,
                 const TTable::Progress& progress = ProcessPendingMessages);
