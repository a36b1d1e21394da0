// Code 128 in one of its sets A, B or C throughout (no shifts or set
// changes), and EAN-128, which puts FNC1 after the start.
#include "encoders.h"

namespace {

// Run lengths of the symbol values 0..102: bar, space, bar, space, bar, space.
const char* const Table[103] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131",
};
constexpr int Fnc1 = 102;
constexpr int CheckModulus = 103;
const char* const Stop = "2331112";

enum class TSet { A, B, C };

struct TStart {
    TSet Set;
    int Value;
    const char* Runs;
};

TStart StartOf(TBarcodeType type) {
    switch (type) {
    case bcCode128A:
    case bcCodeEAN128A: return {TSet::A, 103, "211412"};
    case bcCode128B:
    case bcCodeEAN128B: return {TSet::B, 104, "211214"};
    case bcCode128C:
    case bcCodeEAN128C: return {TSet::C, 105, "211232"};
    default: ThrowBarcodeError("%1: wrong BarcodeType in Code_128");
    }
}

// The value of a character in set A (space to "_", then the control
// characters NUL to US) or set B (space to DEL); -1 when the set has none.
int CharacterValue(TSet set, char16_t c) {
    if (c >= 32 && c < (set == TSet::A ? 96 : AsciiSize)) return c - 32;
    if (set == TSet::A && c < 32) return c + 64;
    return -1;
}

// Runs and the weighted sum for the check value.
struct TSymbol {
    QString Runs;
    long long Sum = 0;
    long long Weight = 1;
    void Add(int value) {
        Runs.append(QLatin1String(Table[value]));
        Sum = (Sum + Weight * value) % CheckModulus;
        ++Weight;
    }
};

}  // namespace

QString EncodeCode128(TBarcodeData& data) {
    const TStart start = StartOf(data.Typ);
    TSymbol symbol;
    symbol.Runs = QLatin1String(start.Runs);
    symbol.Sum = start.Value;  // the start counts with weight 1, like the first value
    const bool ean = data.Typ == bcCodeEAN128A || data.Typ == bcCodeEAN128B || data.Typ == bcCodeEAN128C;
    if (ean) {
        symbol.Add(Fnc1);
        if (data.Checksum && !data.Ean128CheckApplied) {
            // The check digit goes on once; later builds find it in the text.
            data.Text = ApplyChecksum(data.Text, data.CheckSumMethod);
            data.Ean128CheckApplied = true;
        }
    }
    symbol.Runs.reserve(symbol.Runs.size() + (data.Text.size() + 2) * 6 + 1);
    if (start.Set == TSet::C) {
        if (data.Text.size() % 2 == 1) data.Text.prepend(QLatin1Char('0'));
        const QString& t = data.Text;
        for (qsizetype i = 0; i + 1 < t.size(); i += 2) {
            const char16_t a = t[i].unicode(), b = t[i + 1].unicode();
            if (a < '0' || a > '9' || b < '0' || b > '9') ThrowBadData("Code128", t);
            symbol.Add((a - '0') * 10 + (b - '0'));
        }
    } else {
        for (const QChar c : data.Text) {
            const int value = CharacterValue(start.Set, c.unicode());
            if (value < 0) ThrowBadData("Code128", data.Text);
            symbol.Add(value);
        }
    }
    symbol.Runs.append(QLatin1String(Table[symbol.Sum % CheckModulus]));
    symbol.Runs.append(QLatin1String(Stop));
    return WidthsToPattern(symbol.Runs);
}
