// Code 93 and its full-ASCII variant: six runs per character and two check
// characters.
#include "encoders.h"
#include "fullascii.h"

namespace {

struct TCode93Entry {
    char C;
    const char* Runs;  // six run lengths, bar first
};

// In value order; "[", "]", "{", "}" stand for the shifts ($), (%), (/), (+).
const TCode93Entry Table[47] = {
    {'0', "131112"}, {'1', "111213"}, {'2', "111312"}, {'3', "111411"}, {'4', "121113"}, {'5', "121212"},
    {'6', "121311"}, {'7', "111114"}, {'8', "131211"}, {'9', "141111"}, {'A', "211113"}, {'B', "211212"},
    {'C', "211311"}, {'D', "221112"}, {'E', "221211"}, {'F', "231111"}, {'G', "112113"}, {'H', "112212"},
    {'I', "112311"}, {'J', "122112"}, {'K', "132111"}, {'L', "111123"}, {'M', "111222"}, {'N', "111321"},
    {'O', "121122"}, {'P', "131121"}, {'Q', "212112"}, {'R', "212211"}, {'S', "211122"}, {'T', "211221"},
    {'U', "221121"}, {'V', "222111"}, {'W', "112122"}, {'X', "112221"}, {'Y', "122121"}, {'Z', "123111"},
    {'-', "121131"}, {'.', "311112"}, {' ', "311211"}, {'$', "321111"}, {'/', "112131"}, {'+', "113121"},
    {'%', "211131"}, {'[', "121221"}, {']', "312111"}, {'{', "311121"}, {'}', "122211"},
};

int IndexOf(QChar c) {
    static const TCharIndex index = IndexByCharacter(Table);
    return LookUp(index, c.unicode());
}

// `text` must hold Code 93 characters only; `shown` is the text as the user
// wrote it, for the message.
QString Plain(const QString& text, const QString& shown) {
    QString runs;
    runs.reserve((text.size() + 4) * 6 + 1);
    runs.append(QLatin1String("111141"));
    for (const QChar c : text) {
        const int i = IndexOf(c);
        if (i < 0) ThrowBadData("Code93", shown);
        runs.append(QLatin1String(Table[i].Runs));
    }
    // Two check characters over the values from the last character: weights
    // 1..20 and 2..15, 1..15 again, the first check character counting in
    // the second with weight 1.
    long long sumC = 0, sumK = 0;
    int c = 1, k = 2;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const int v = IndexOf(text[i]);
        sumC += v * c;
        sumK += v * k;
        if (++c > 20) c = 1;
        if (++k > 15) k = 1;
    }
    runs.append(QLatin1String(Table[sumC % 47].Runs));
    runs.append(QLatin1String(Table[(sumK + sumC) % 47].Runs));
    runs.append(QLatin1String("1111411"));
    return WidthsToPattern(runs);
}

}  // namespace

QString EncodeCode93(TBarcodeData& data) {
    if (data.Typ == bcCode93) return Plain(data.Text, data.Text);
    return Plain(ToFullAscii(data.Text, TFullAscii::Code93), data.Text);
}
