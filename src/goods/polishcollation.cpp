#include "polishcollation.h"

#include "engine.h"

#include <algorithm>
#include <sqlite3.h>

namespace {

// Lower case, and each Polish letter right after its base letter.
int Weight(char32_t c) {
    if (c < 0x80) return int((c >= 'A' && c <= 'Z') ? c + 32 : c) << 2;
    const char32_t u = QChar::toLower(c);
    switch (u) {
    case 0x0105: return ('a' << 2) | 1;  // ą
    case 0x0107: return ('c' << 2) | 1;  // ć
    case 0x0119: return ('e' << 2) | 1;  // ę
    case 0x0142: return ('l' << 2) | 1;  // ł
    case 0x0144: return ('n' << 2) | 1;  // ń
    case 0x00F3: return ('o' << 2) | 1;  // ó
    case 0x015B: return ('s' << 2) | 1;  // ś
    case 0x017A: return ('z' << 2) | 1;  // ź
    case 0x017C: return ('z' << 2) | 2;  // ż
    default: return int(u) << 2;
    }
}

// The code unit, whatever the encoding.
char32_t Unit(QChar c) { return c.unicode(); }
char32_t Unit(unsigned char c) { return c; }

// The next code point of UTF-16 text.
char32_t NextCodePoint(const QChar* s, qsizetype n, qsizetype& i) {
    const char16_t c = s[i++].unicode();
    if (c >= 0xD800 && c < 0xDC00 && i < n) {
        const char16_t d = s[i].unicode();
        if (d >= 0xDC00 && d < 0xE000) {
            ++i;
            return char32_t(0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00));
        }
    }
    return c;
}

// The next code point of UTF-8 text, as SQLite stores it.
char32_t NextCodePoint(const unsigned char* s, int n, int& i) {
    const unsigned char c = s[i++];
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = c & (0x3F >> extra);
    while (extra-- > 0 && i < n && (s[i] & 0xC0) == 0x80) cp = (cp << 6) | (s[i++] & 0x3F);
    return cp;
}

// The name order of two texts in one encoding (UTF-16 from the program, UTF-8
// from SQLite).
template <class Char, class Size>
int CompareByWeight(const Char* a, Size na, const Char* b, Size nb) {
    Size i = 0, j = 0;
    while (i < na && j < nb) {
        // ASCII letters and digits of equal units need no decoding.
        if (a[i] == b[j] && Unit(a[i]) < 0x80) {
            ++i;
            ++j;
            continue;
        }
        const int x = Weight(NextCodePoint(a, na, i)), y = Weight(NextCodePoint(b, nb, j));
        if (x != y) return x < y ? -1 : 1;
    }
    return (i < na) ? 1 : (j < nb) ? -1 : 0;
}

int CollationCallback(void*, int na, const void* a, int nb, const void* b) {
    return CompareByWeight(static_cast<const unsigned char*>(a), na, static_cast<const unsigned char*>(b), nb);
}

}  // namespace

int PolishNoCaseCompare(const QChar* a, qsizetype na, const QChar* b, qsizetype nb) {
    return CompareByWeight(a, na, b, nb);
}

bool PolishNoCaseStartsWith(const QString& text, const QString& prefix) {
    qsizetype i = 0, j = 0;
    while (j < prefix.size()) {
        if (i >= text.size()) return false;
        if (Weight(NextCodePoint(text.constData(), text.size(), i)) !=
            Weight(NextCodePoint(prefix.constData(), prefix.size(), j)))
            return false;
    }
    return true;
}

int CodePointCompare(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        int x = a[i].unicode(), y = b[i].unicode();
        if (x == y) continue;
        if (x >= 0xD800) x += (x < 0xE000) ? 0x2000 : -0x800;
        if (y >= 0xD800) y += (y < 0xE000) ? 0x2000 : -0x800;
        return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

QString CollateClause(bool noCase) {
    return noCase ? QStringLiteral(" COLLATE ") + QLatin1String(kNoCaseCollation) : QString();
}

bool RegisterPolishCollation(sqlite3* db) {
    return sqlite3_create_collation(db, kNoCaseCollation, SQLITE_UTF8, nullptr, CollationCallback) == SQLITE_OK;
}
