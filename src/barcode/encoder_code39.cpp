// Code 39 and its full-ASCII variant: nine elements per character, three of
// them wide, with an optional modulo 43 check character.
#include "encoders.h"
#include "fullascii.h"

namespace {

struct TCode39Entry {
    char C;
    const char* Data;  // bar, space, bar, ...: "5"/"6" narrow/wide bar, "0"/"1" narrow/wide space
    int Value;
};

const TCode39Entry Table[44] = {
    {'0', "505160605", 0},  {'1', "605150506", 1},  {'2', "506150506", 2},  {'3', "606150505", 3},
    {'4', "505160506", 4},  {'5', "605160505", 5},  {'6', "506160505", 6},  {'7', "505150606", 7},
    {'8', "605150605", 8},  {'9', "506150605", 9},  {'A', "605051506", 10}, {'B', "506051506", 11},
    {'C', "606051505", 12}, {'D', "505061506", 13}, {'E', "605061505", 14}, {'F', "506061505", 15},
    {'G', "505051606", 16}, {'H', "605051605", 17}, {'I', "506051605", 18}, {'J', "505061605", 19},
    {'K', "605050516", 20}, {'L', "506050516", 21}, {'M', "606050515", 22}, {'N', "505060516", 23},
    {'O', "605060515", 24}, {'P', "506060515", 25}, {'Q', "505050616", 26}, {'R', "605050615", 27},
    {'S', "506050615", 28}, {'T', "505060615", 29}, {'U', "615050506", 30}, {'V', "516050506", 31},
    {'W', "616050505", 32}, {'X', "515060506", 33}, {'Y', "615060505", 34}, {'Z', "516060505", 35},
    {'-', "515050606", 36}, {'.', "615050605", 37}, {' ', "516050605", 38}, {'$', "515151505", 39},
    {'/', "515150515", 40}, {'+', "515051515", 41}, {'%', "505151515", 42}, {'*', "515060605", 0},
};
constexpr int DataCharacters = 43;  // "*" is only the start and stop character
const TCode39Entry& Star = Table[DataCharacters];

int IndexOf(QChar c) {
    static const TCharIndex index = IndexByCharacter(Table, DataCharacters);
    return LookUp(index, c.unicode());
}

void AppendCharacter(QString& out, const TCode39Entry& e) {
    AppendPattern(out, e.Data);
    out.append(QLatin1Char('0'));  // narrow gap between characters
}

// `text` must hold Code 39 characters only; `shown` is the text as the user
// wrote it, for the message.
QString Plain(const QString& text, bool checksum, const QString& shown) {
    QString out;
    out.reserve((text.size() + 3) * 10);
    AppendCharacter(out, Star);
    int sum = 0;
    for (const QChar c : text) {
        const int i = IndexOf(c);
        if (i < 0) ThrowBadData("Code39", shown);
        AppendCharacter(out, Table[i]);
        sum += Table[i].Value;
    }
    if (checksum) AppendCharacter(out, Table[sum % DataCharacters]);
    AppendPattern(out, Star.Data);
    return out;
}

}  // namespace

QString EncodeCode39(TBarcodeData& data) {
    if (data.Typ == bcCode39) return Plain(data.Text, data.Checksum, data.Text);
    return Plain(ToFullAscii(data.Text, TFullAscii::Code39), data.Checksum, data.Text);
}
