#include "fullascii.h"

#include "encoders.h"

#include <array>

namespace {

// Character codes 0..127 have a pair.
constexpr int FullAsciiSize = AsciiSize;

const char* const Table39[FullAsciiSize] = {
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G", "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O",
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W", "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E",
    " ",  "/A", "/B", "/C", "/D", "/E", "/F", "/G", "/H", "/I", "/J", "/K", "/L", "/M", "/N", "/O",
    "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "/Z", "%F", "%G", "%H", "%I", "%J",
    "%V", "A",  "B",  "C",  "D",  "E",  "F",  "G",  "H",  "I",  "J",  "K",  "L",  "M",  "N",  "O",
    "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",  "X",  "Y",  "Z",  "%K", "%L", "%M", "%N", "%O",
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G", "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O",
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W", "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T",
};

// The Code 39 pair with the shift, if any, written as Code 93 writes it.
const char* Pair93(int code) {
    static const std::array<std::array<char, 3>, FullAsciiSize> table = [] {
        std::array<std::array<char, 3>, FullAsciiSize> t{};
        for (int i = 0; i < FullAsciiSize; ++i) {
            const char* s = Table39[i];
            for (int k = 0; s[k]; ++k) {
                char c = s[k];
                if (k == 0 && s[1]) {
                    switch (c) {
                    case '$': c = '['; break;
                    case '%': c = ']'; break;
                    case '/': c = '{'; break;
                    case '+': c = '}'; break;
                    default: break;
                    }
                }
                t[i][k] = c;
            }
        }
        return t;
    }();
    return table[code].data();
}

}  // namespace

QString ToFullAscii(const QString& text, TFullAscii symbology) {
    QString out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code >= FullAsciiSize) ThrowBadData(symbology == TFullAscii::Code39 ? "Code39" : "Code93", text);
        out.append(QLatin1StringView(symbology == TFullAscii::Code39 ? Table39[code] : Pair93(code)));
    }
    return out;
}
