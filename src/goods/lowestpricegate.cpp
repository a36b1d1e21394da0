// The gate of the lowest price field: which goods can have a lowest price at
// all, told for a whole walk of the goods table from one read of the history.
#include "pricehistory.h"

#include "filterexpr.h"
#include "sqliteconnection.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// The highest amount of each hash of a goods ID: an open table of a power of
// two slots, kept at most half full; hash 0 marks a free slot (and an ID
// hashed to 0 counts as hashed to 1).
class THighestByHash {
public:
    // Room for about `count` hashes without growing.
    explicit THighestByHash(qint64 count) {
        size_t room = 1024;
        while (room < static_cast<size_t>(std::max<qint64>(count, 0))) room *= 2;
        Slots.resize(room);
    }
    void Add(size_t hash, qint64 amount) {
        if (2 * (Used + 1) > Slots.size()) Grow();
        TSlot& s = Slots[Index(Key(hash))];
        if (s.Hash == 0) {
            s = {Key(hash), amount};
            ++Used;
        } else if (amount > s.Amount) {
            s.Amount = amount;
        }
    }
    std::optional<qint64> Find(size_t hash) const {
        if (Slots.empty()) return std::nullopt;
        const TSlot& s = Slots[Index(Key(hash))];
        return s.Hash == 0 ? std::nullopt : std::optional<qint64>(s.Amount);
    }

private:
    struct TSlot {
        size_t Hash = 0;
        qint64 Amount = 0;
    };
    static size_t Key(size_t hash) { return hash == 0 ? 1 : hash; }
    // The slot of a key, or the free one where it would go.
    size_t Index(size_t key) const {
        const size_t mask = Slots.size() - 1;
        for (size_t i = key & mask;; i = (i + 1) & mask)
            if (Slots[i].Hash == key || Slots[i].Hash == 0) return i;
    }
    void Grow() {
        std::vector<TSlot> old = std::exchange(Slots, std::vector<TSlot>(std::max<size_t>(1024, 2 * Slots.size())));
        for (const TSlot& s : old)
            if (s.Hash != 0) Slots[Index(s.Hash)] = s;
    }
    std::vector<TSlot> Slots;
    size_t Used = 0;
};

}  // namespace

TCalculatedGate LowestPriceGate() {
    return [](TSqliteConnection& conn, const TTable& table) -> TRowTest {
        const int id = table.FieldIndex(QStringLiteral("ID")), price = table.FieldIndex(QStringLiteral("CENA"));
        if (id < 0 || price < 0) return {};
        // The highest amount of each goods' entries, by a hash of the ID's
        // text: goods sharing a hash share the highest, which may let some
        // through but never leaves one out. An amount that is no integer
        // compares above every price in SQL, so it lets its goods through.
        constexpr qint64 kAboveAll = std::numeric_limits<qint64>::max();
        // Goods mostly have two entries or more: room for half the entries.
        TSqliteStatement count(conn.Handle, QStringLiteral("SELECT max(rowid) FROM ") + QuoteName(kPriceHistoryTable));
        THighestByHash highest(count.Step() ? count.Int64(0) : 0);
        TSqliteStatement st(conn.Handle, QStringLiteral("SELECT \"ID\", \"KWOTA\" FROM ") + QuoteName(kPriceHistoryTable));
        while (st.Step()) {
            if (!st.IsText(0) || st.IsNull(1)) continue;
            const QUtf8StringView key = st.Utf8View(0);
            highest.Add(qHash(QByteArrayView(key.data(), key.size())), st.IsInteger(1) ? st.Int64(1) : kAboveAll);
        }
        return [id, price, highest = std::move(highest)](const TRowReader& row) {
            const auto text = row.Utf8(price);
            if (!text) return !row.IsNull(price);  // a price that is no text is read as SQL reads it
            // Anything but plain ASCII goes through SQL's own conversion.
            if (std::any_of(text->begin(), text->end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) return true;
            const auto amount = ParseAmount(QString::fromLatin1(text->data(), text->size()));
            if (!amount) return false;
            const auto key = row.Utf8(id);
            if (!key) return true;
            const std::optional<qint64> top = highest.Find(qHash(*key));
            return top && *top > *amount;
        };
    };
}
