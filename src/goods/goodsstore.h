#pragma once
#include "goodsrecord.h"
#include "settings.h"
#include "unitprice.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// The order of a table object on the goods.
enum class TGoodsOrder { Key, Name };

// One goods update's writes into a store. The store may hold records it has
// taken until it writes them, a batch at a time, each batch one transaction;
// a record that fails leaves nothing of itself behind and is counted.
class TGoodsMerge {
public:
    struct TCounts {
        int Changed = 0;   // goods added or changed
        int Rejected = 0;  // records the store refused
    };
    virtual ~TGoodsMerge() = default;

    // Takes one record by its ID (the goods key): NAZWA, CENA, WAGA,
    // KODKRESKOWY and TYPKODU as read, and KROTKITERMIN when the record knows
    // it (a changed one is a change; unknown, the goods keep theirs and new
    // goods get 0). New and changed goods get NEW, no mark and their unit
    // price; goods without a name or a price are not added.
    // Raises TEngineError when a batch cannot be written at all.
    virtual void Add(const TGoodsRecord& record) = 0;
    // About how many records are to come (the external count), so that the
    // store can choose how to compare them; a hint, not a promise.
    virtual void Expect(qint64 /*rows*/) {}
    // Writes what is held. Raises TEngineError.
    virtual void Commit() = 0;
    // What the records written so far did.
    virtual TCounts Counts() const = 0;
    // Why the last refused record was refused, as the store said it.
    virtual QString LastError() const = 0;
};

// A transaction over the store's changes, rolled back unless committed;
// nested ones join the outermost.
class TGoodsTransaction {
public:
    virtual ~TGoodsTransaction() = default;
    // Raises TEngineError.
    virtual void Commit() = 0;
};

// Held while one goods update runs; the lock goes when it is destroyed.
class TUpdateLock {
public:
    virtual ~TUpdateLock() = default;
};

// How long a goods update waiting for another one's lock waits between tries.
inline constexpr int kUpdateLockRetryMs = 500;
// Said when another workstation's update holds the lock.
inline const QString kUpdateBusy = QStringLiteral("Aktualizacja trwa na innym stanowisku.");

// What a store says of itself (the companion's check): its kind, where it is,
// how many goods, price history entries and marks (this workstation's) it
// holds, and the version of its layout.
struct TGoodsStoreReport {
    TGoodsStoreKind Kind = TGoodsStoreKind::Local;
    QString Location;
    qint64 Goods = 0;
    qint64 History = 0;
    qint64 Marked = 0;
    // The server shop's schema version; 0 for the local file, which has none
    // of its own (an older file is brought up to the program's when opened).
    int SchemaVersion = 0;
};

// Where the goods are kept. Every part of the program reaches the goods
// through one: the table objects of the lists (views, search, the record
// dialog) are bound to it, and the passes over many goods (marking,
// deleting, stamping print dates, the update's merge) are its own. Once
// opened or created, every change of a price through it or a table bound to
// it keeps the price history, whichever part of the program makes it.
class TGoodsStore {
public:
    using Progress = std::function<void()>;
    virtual ~TGoodsStore() = default;

    // Where the goods are, for messages: the goods file's path.
    virtual QString Location() const = 0;

    // Creates the store when it does not exist yet, with its price history;
    // an existing one of an earlier version gets the history it lacks, nothing
    // else. False when the store could not be made (the reason is logged).
    virtual bool Create() = 0;
    // The start-up step: creates the store when missing (else gives an older
    // one what it lacks, the price history), then opens `list`, bound in name
    // order, with its current filter. Returns the start-up errors to show.
    virtual QStringList Open(TTable& list) = 0;
    // Points a table object at the goods, in `order`, with the lowest price
    // as its calculated field NAJNIZSZA.
    virtual void Bind(TTable& table, TGoodsOrder order) = 0;

    // The whole table in key order, for passes over every record; closed
    // between operations.
    virtual TTable& Whole() = 0;

    // The goods under a filter (a view's), in name order, one record at a
    // time; `progress` after each. Raises TEngineError.
    virtual std::vector<TGoodsRecord> Records(const QString& filter, const Progress& progress = {}) = 0;

    // Marks. Each runs in one transaction and raises TEngineError on failure,
    // the marks then as they were.
    // Clears every mark.
    virtual void ClearMarks(const Progress& progress) = 0;
    // Unmarks the goods under `viewFilter`, marks those of them that also
    // match `checkFilter`; returns how many that marked.
    virtual int SelectByType(const QString& viewFilter, const QString& checkFilter, const Progress& progress) = 0;
    virtual int CountWhere(const QString& filter) = 0;
    virtual int DeleteWhere(const QString& filter, const Progress& progress = {}) = 0;

    // The key for goods entered by hand: the smallest of 0, 1, 2, ... that is
    // no goods' ID (as its decimal text).
    virtual qint64 NextFreeId() = 0;

    // Writes `moment` into PRINTDATE of the goods with these IDs, all in one
    // transaction, calling `step` after each. With `allOrNone` every one is
    // stamped or none: a failure, or goods no longer there, raises
    // TEngineError with the cause. Without it the goods stamped before a
    // failure keep their dates, the failure is logged and nothing raised.
    // Returns how many were stamped.
    virtual int StampPrintDates(const QStringList& ids, const QDateTime& moment, bool allOrNone,
                                const Progress& step = {}) = 0;

    // The goods update: NEW goes off for every goods (in one pass), then the
    // returned merge takes the external records. Raises TEngineError.
    virtual void ClearNewFlags(const Progress& progress) = 0;
    virtual std::unique_ptr<TGoodsMerge> BeginMerge(const TUnitSymbols& symbols) = 0;

    // Raises TEngineError when the store cannot begin one.
    virtual std::unique_ptr<TGoodsTransaction> Transaction() = 0;

    // One goods update at a time per shop: the lock when it is free, null
    // while another workstation's update holds it. Raises TEngineError.
    virtual std::unique_ptr<TUpdateLock> TryLockUpdate() = 0;
    // Takes the update lock. While another update holds it, asks `busy` once
    // whether to wait (no `busy`: not); waiting, tries again every
    // kUpdateLockRetryMs and calls `waiting` every few milliseconds meanwhile
    // (a window processes its messages), which ends the wait by returning
    // false. Null when not waited for or the wait was ended.
    std::unique_ptr<TUpdateLock> LockUpdate(const std::function<bool()>& busy, const std::function<bool()>& waiting);

    // Brings what this workstation reads up to date with the store's changes
    // made elsewhere (the local file has no elsewhere). Raises TEngineError.
    virtual void CatchUp() = 0;

    // Creates the store when missing, then counts what it holds. Raises
    // TEngineError with the program's message when it cannot be opened.
    virtual TGoodsStoreReport Report() = 0;
};

// The goods of `list` (set up, closed) under `filter`, in its order, read in
// one walk; `progress` after each record. Raises TEngineError.
std::vector<TGoodsRecord> ReadRecords(TTable& list, const QString& filter, const TGoodsStore::Progress& progress);

// The goods file "towary.db" in the data folder's "DB" folder.
std::unique_ptr<TGoodsStore> MakeLocalGoodsStore();
