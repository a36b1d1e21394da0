#pragma once
#include "goodsrecord.h"

#include <QString>
#include <cstdint>
#include <vector>

struct sqlite3;

// What the goods file held when the update read it whole: per goods key a
// fingerprint of the texts an update compares (NAZWA, CENA, WAGA,
// KODKRESKOWY) and the perishable flag. A nightly update mostly brings goods
// as they are; the fingerprint tells so at once, where a look-up of each key
// would cost a seek in the file. It only ever answers "unchanged for sure":
// goods it does not know, goods whose texts differ in any way (blanks at an
// end too) and goods forgotten since are left to the exact comparison.
//
// It also tells, without the look-up, that goods are there and differ (so
// that they are to be written), where their stored texts have no blanks at
// their ends (the exact comparison reads such texts trimmed).
//
// 24 bytes per goods, sorted by the key's hash, with a table of where each
// run of leading hash bits starts.
class TKnownGoods {
public:
    // Reads every row of the goods table `goods` (quoted, qualified) through
    // `db`. Raises TEngineError when it cannot be read.
    void Load(sqlite3* db, const QString& goods);
    void Clear();
    bool Loaded() const { return IsLoaded; }

    enum class TVerdict {
        Unknown,    // the exact comparison decides
        Unchanged,  // the goods hold the record's texts exactly, and its perishable flag when it knows it
        Changed,    // the goods are there and the record changes them
        Renamed     // the same, and the name is not the record's as it stands
    };
    TVerdict Compare(const QString& key, const TGoodsRecord& record) const;
    // The goods of `key` are being written: from now on the exact comparison decides.
    void Forget(const QString& key);

private:
    struct TEntry {
        std::uint64_t Key;
        std::uint64_t Texts;  // the low bits: flags (see knowngoods.cpp)
        std::uint64_t Name;
    };
    const TEntry* Find(std::uint64_t key) const;
    TEntry* Find(std::uint64_t key) { return const_cast<TEntry*>(std::as_const(*this).Find(key)); }

    std::vector<TEntry> Entries;
    std::vector<std::uint32_t> Starts;  // by the key hash's top bits, and one past the last
    bool IsLoaded = false;
};
