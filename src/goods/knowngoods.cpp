#include "knowngoods.h"

#include "engine.h"

#include <algorithm>
#include <sqlite3.h>

namespace {

constexpr int kTopBits = 16;
constexpr std::uint64_t kOffset = 14695981039346656037ULL;
constexpr std::uint64_t kPrime = 1099511628211ULL;
// The low bits of the texts' fingerprint: the perishable flag, set in every
// goods read (a forgotten entry has 0), and set when no stored text has a
// byte at an end that may be a blank.
constexpr std::uint64_t kPerishable = 1;
constexpr std::uint64_t kRead = 2;
constexpr std::uint64_t kTrimmed = 4;
constexpr std::uint64_t kFlags = 7;

// FNV-1a over the bytes of the text as SQLite holds it (UTF-8): two texts of
// one length that differ in a single byte always differ here.
inline std::uint64_t AddByte(std::uint64_t h, unsigned char b) { return (h ^ b) * kPrime; }

std::uint64_t AddUtf8(std::uint64_t h, const unsigned char* p, int n) {
    for (int i = 0; i < n; ++i) h = AddByte(h, p[i]);
    return AddByte(h, 0xFF);  // never within UTF-8: ends the text
}

// The same for a text in memory, encoded on the way as QString::toUtf8 does.
std::uint64_t AddUtf16(std::uint64_t h, QStringView text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (c < 0x80) {
            h = AddByte(h, static_cast<unsigned char>(c));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), text[++i].unicode());
        } else if (QChar::isSurrogate(c)) {
            c = 0xFFFD;
        }
        if (c < 0x800) {
            h = AddByte(h, static_cast<unsigned char>(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            h = AddByte(h, static_cast<unsigned char>(0xE0 | (c >> 12)));
            h = AddByte(h, static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
        } else {
            h = AddByte(h, static_cast<unsigned char>(0xF0 | (c >> 18)));
            h = AddByte(h, static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F)));
            h = AddByte(h, static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
        }
        h = AddByte(h, static_cast<unsigned char>(0x80 | (c & 0x3F)));
    }
    return AddByte(h, 0xFF);
}

// Spreads the bits (a bijection: no fingerprints meet that did not before),
// so that the top bits index the table evenly.
std::uint64_t Mixed(std::uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBULL;
    return h ^ (h >> 31);
}

std::uint64_t KeyHash(QStringView key) { return Mixed(AddUtf16(kOffset, key)); }

std::uint64_t TextsOf(std::uint64_t h, bool perishable) { return (Mixed(h) & ~kFlags) | kRead | (perishable ? kPerishable : 0); }

// False when the text begins or ends with a byte that is, or may begin or
// end, a blank as QString::trimmed takes them (any byte above ASCII too).
bool SurelyTrimmed(const unsigned char* p, int n) {
    const auto plain = [](unsigned char b) { return b > 0x20 && b < 0x7F; };
    return n == 0 || (plain(p[0]) && plain(p[n - 1]));
}

std::size_t TopOf(std::uint64_t key) { return static_cast<std::size_t>(key >> (64 - kTopBits)); }

}  // namespace

void TKnownGoods::Load(sqlite3* db, const QString& goods) {
    Clear();
    const QByteArray sql = QStringLiteral("SELECT \"ID\", \"NAZWA\", \"CENA\", \"WAGA\", \"KODKRESKOWY\", \"KROTKITERMIN\" FROM %1")
                               .arg(goods)
                               .toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        throw TEngineError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    bool trimmed = true;
    const auto text = [st, &trimmed](std::uint64_t h, int column) {
        const auto* p = sqlite3_column_text(st, column);  // NULL reads as an empty text
        const int n = p ? sqlite3_column_bytes(st, column) : 0;
        trimmed = trimmed && SurelyTrimmed(p, n);
        return AddUtf8(h, p, n);
    };
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        trimmed = true;
        const std::uint64_t name = text(kOffset, 1);
        std::uint64_t t = name;
        for (int c = 2; c <= 4; ++c) t = text(t, c);
        const std::uint64_t texts = TextsOf(t, sqlite3_column_int64(st, 5) != 0);
        Entries.push_back({Mixed(text(kOffset, 0)), trimmed ? texts | kTrimmed : texts, name});
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        Clear();
        throw TEngineError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    std::sort(Entries.begin(), Entries.end(), [](const TEntry& a, const TEntry& b) { return a.Key < b.Key; });
    // Keys of one hash cannot be told apart: neither is known.
    for (std::size_t i = 1; i < Entries.size(); ++i)
        if (Entries[i].Key == Entries[i - 1].Key) Entries[i].Texts = Entries[i - 1].Texts = 0;
    Starts.assign((std::size_t{1} << kTopBits) + 1, 0);
    for (const TEntry& e : Entries) ++Starts[TopOf(e.Key) + 1];
    for (std::size_t i = 1; i < Starts.size(); ++i) Starts[i] += Starts[i - 1];
    Entries.shrink_to_fit();
    IsLoaded = true;
}

void TKnownGoods::Clear() {
    Entries = {};
    Starts = {};
    IsLoaded = false;
}

const TKnownGoods::TEntry* TKnownGoods::Find(std::uint64_t key) const {
    if (!IsLoaded) return nullptr;
    const std::size_t top = TopOf(key);
    const TEntry* first = Entries.data() + Starts[top];
    const TEntry* last = Entries.data() + Starts[top + 1];
    const TEntry* e = std::lower_bound(first, last, key, [](const TEntry& a, std::uint64_t k) { return a.Key < k; });
    return e != last && e->Key == key ? e : nullptr;
}

TKnownGoods::TVerdict TKnownGoods::Compare(const QString& key, const TGoodsRecord& r) const {
    const TEntry* e = Find(KeyHash(key));
    if (!e || e->Texts == 0) return TVerdict::Unknown;
    const std::uint64_t name = AddUtf16(kOffset, r.NAZWA);
    std::uint64_t t = name;
    for (const QString* text : {&r.CENA, &r.WAGA, &r.KODKRESKOWY}) t = AddUtf16(t, *text);
    // A record that does not know the flag leaves the goods' own.
    const std::uint64_t ignored = kTrimmed | (r.KROTKITERMIN ? 0 : kPerishable);
    if ((TextsOf(t, r.KROTKITERMIN.value_or(false)) | ignored) == (e->Texts | ignored)) return TVerdict::Unchanged;
    // Texts that differ in any byte differ in their fingerprint; they are
    // then different texts unless blanks at an end make them the same.
    if (!(e->Texts & kTrimmed)) return TVerdict::Unknown;
    return name == e->Name ? TVerdict::Changed : TVerdict::Renamed;
}

void TKnownGoods::Forget(const QString& key) {
    if (TEntry* e = Find(KeyHash(key))) e->Texts = 0;
}
