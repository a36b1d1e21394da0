// Codabar: seven elements per character, between the start character A and
// the stop character B.
#include "encoders.h"

namespace {

struct TCodabarEntry {
    char C;
    const char* Data;  // bar, space, ...: "5"/"6" narrow/wide bar, "0"/"1" narrow/wide space
};

const TCodabarEntry Table[20] = {
    {'0', "5050516"}, {'1', "5050615"}, {'2', "5051506"}, {'3', "6150505"}, {'4', "5060515"},
    {'5', "6050515"}, {'6', "5150506"}, {'7', "5150605"}, {'8', "5160505"}, {'9', "6051505"},
    {'-', "5051605"}, {'$', "5061505"}, {':', "6050606"}, {'/', "6060506"}, {'.', "6060605"},
    {'+', "5060606"}, {'A', "5061515"}, {'B', "5151506"}, {'C', "5051516"}, {'D', "5051615"},
};
// The data characters come first; A to D only start and stop a symbol, and
// inside the data a scanner would take them for its end.
constexpr int DataCharacters = 16;
const TCodabarEntry& Start = Table[16];  // A
const TCodabarEntry& Stop = Table[17];   // B

int IndexOf(QChar c) {
    static const TCharIndex index = IndexByCharacter(Table, DataCharacters);
    return LookUp(index, c.unicode());
}

}  // namespace

QString EncodeCodabar(TBarcodeData& data) {
    QString out;
    out.reserve((data.Text.size() + 2) * 8);
    AppendPattern(out, Start.Data);
    out.append(QLatin1Char('0'));
    for (const QChar c : data.Text) {
        const int i = IndexOf(c);
        if (i < 0) ThrowBadData("Codabar", data.Text);
        AppendPattern(out, Table[i].Data);
        out.append(QLatin1Char('0'));
    }
    AppendPattern(out, Stop.Data);
    return out;
}
