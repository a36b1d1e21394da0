#include "barcodetables.h"

#include <array>
#include <cstring>

const TBCdata BCdata[23] = {
    {"2_5_interleaved", true}, {"2_5_industrial", true}, {"2_5_matrix", true},
    {"Code39", false},         {"Code39 Extended", false}, {"Code128A", false},
    {"Code128B", false},       {"Code128C", true},        {"Code93", false},
    {"Code93 Extended", false}, {"MSI", true},            {"PostNet", true},
    {"Codebar", false},        {"EAN8", true},            {"EAN13", true},
    {"UPC_A", true},           {"UPC_E0", true},          {"UPC_E1", true},
    {"UPC Supp2", true},       {"UPC Supp5", true},       {"EAN128A", false},
    {"EAN128B", false},        {"EAN128C", true},
};

// Two of the five elements wide; the same flags serve industrial, interleaved
// and matrix 2 of 5.
const char* const Table_2_5[10] = {
    "00110", "10001", "01001", "11000", "00101", "10100", "01100", "00011", "10010", "01010",
};

// Code 39: bar, space, bar, ... (9 elements, 3 wide); "5"/"6" narrow/wide bar,
// "0"/"1" narrow/wide space, written from the symbology's wide/narrow table.
const TCode39Entry Table_39[44] = {
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

namespace {

template <typename Entry, std::size_t N>
std::array<signed char, 128> MakeIndex(const Entry (&table)[N], std::size_t count) {
    std::array<signed char, 128> index;
    index.fill(-1);
    for (std::size_t i = 0; i < count; ++i) index[static_cast<unsigned char>(table[i].C)] = static_cast<signed char>(i);
    return index;
}

}  // namespace

int Code39Index(int code) {
    // "*" is only the start and stop character, never data.
    static const std::array<signed char, 128> index = MakeIndex(Table_39, 43);
    return code >= 0 && code < 128 ? index[code] : -1;
}

const char* const Table_39_Ext[128] = {
    "%U", "$A", "$B", "$C", "$D", "$E", "$F", "$G", "$H", "$I", "$J", "$K", "$L", "$M", "$N", "$O",
    "$P", "$Q", "$R", "$S", "$T", "$U", "$V", "$W", "$X", "$Y", "$Z", "%A", "%B", "%C", "%D", "%E",
    " ",  "/A", "/B", "/C", "/D", "/E", "/F", "/G", "/H", "/I", "/J", "/K", "/L", "/M", "/N", "/O",
    "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "/Z", "%F", "%G", "%H", "%I", "%J",
    "%V", "A",  "B",  "C",  "D",  "E",  "F",  "G",  "H",  "I",  "J",  "K",  "L",  "M",  "N",  "O",
    "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",  "X",  "Y",  "Z",  "%K", "%L", "%M", "%N", "%O",
    "%W", "+A", "+B", "+C", "+D", "+E", "+F", "+G", "+H", "+I", "+J", "+K", "+L", "+M", "+N", "+O",
    "+P", "+Q", "+R", "+S", "+T", "+U", "+V", "+W", "+X", "+Y", "+Z", "%P", "%Q", "%R", "%S", "%T",
};

// Code 128 symbol values 0..102: bar, space, bar, space, bar, space modules.
const char* const Table_128[103] = {
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

// Code 93 in value order; "[", "]", "{", "}" stand for the shifts ($), (%), (/), (+).
const TCode93Entry Table_93[47] = {
    {'0', "131112"}, {'1', "111213"}, {'2', "111312"}, {'3', "111411"}, {'4', "121113"}, {'5', "121212"},
    {'6', "121311"}, {'7', "111114"}, {'8', "131211"}, {'9', "141111"}, {'A', "211113"}, {'B', "211212"},
    {'C', "211311"}, {'D', "221112"}, {'E', "221211"}, {'F', "231111"}, {'G', "112113"}, {'H', "112212"},
    {'I', "112311"}, {'J', "122112"}, {'K', "132111"}, {'L', "111123"}, {'M', "111222"}, {'N', "111321"},
    {'O', "121122"}, {'P', "131121"}, {'Q', "212112"}, {'R', "212211"}, {'S', "211122"}, {'T', "211221"},
    {'U', "221121"}, {'V', "222111"}, {'W', "112122"}, {'X', "112221"}, {'Y', "122121"}, {'Z', "123111"},
    {'-', "121131"}, {'.', "311112"}, {' ', "311211"}, {'$', "321111"}, {'/', "112131"}, {'+', "113121"},
    {'%', "211131"}, {'[', "121221"}, {']', "312111"}, {'{', "311121"}, {'}', "122211"},
};

int Code93Index(int code) {
    static const std::array<signed char, 128> index = MakeIndex(Table_93, 47);
    return code >= 0 && code < 128 ? index[code] : -1;
}

const char* Code93Ext(int code) {
    // The Code 39 full-ASCII table with the four shift characters of Code 93.
    static const std::array<std::array<char, 3>, 128> table = [] {
        std::array<std::array<char, 3>, 128> t{};
        for (int i = 0; i < 128; ++i) {
            const char* s = Table_39_Ext[i];
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
    return code >= 0 && code < 128 ? table[code].data() : "";
}

// MSI: four bits, most significant first; 0 = narrow bar + wide space, 1 = wide bar + narrow space.
const char* const Table_MSI[10] = {
    "51515151", "51515160", "51516051", "51516060", "51605151",
    "51605160", "51606051", "51606060", "60515151", "60515160",
};

// PostNet: five bars with weights 7, 4, 2, 1, 0, the two full bars adding up
// to the digit (0 is 7 + 4); each bar followed by a wide space.
const char* const Table_PostNet[10] = {
    "5151A1A1A1", "A1A1A15151", "A1A151A151", "A1A15151A1", "A151A1A151",
    "A151A151A1", "A15151A1A1", "51A1A1A151", "51A1A151A1", "51A151A1A1",
};

// Codabar: bar, space, ... (7 elements), from the symbology's wide/narrow table.
const TCodabarEntry Table_Codabar[20] = {
    {'0', "5050516"}, {'1', "5050615"}, {'2', "5051506"}, {'3', "6150505"}, {'4', "5060515"},
    {'5', "6050515"}, {'6', "5150506"}, {'7', "5150605"}, {'8', "5160505"}, {'9', "6051505"},
    {'-', "5051605"}, {'$', "5061505"}, {':', "6050606"}, {'/', "6060506"}, {'.', "6060605"},
    {'+', "5060606"}, {'A', "5061515"}, {'B', "5151506"}, {'C', "5051516"}, {'D', "5051615"},
};

int CodabarIndex(int code) {
    static const std::array<signed char, 128> index = MakeIndex(Table_Codabar, 20);
    return code >= 0 && code < 128 ? index[code] : -1;
}

const char* const Table_UPC_E_Parity[10] = {
    "EEEooo", "EEoEoo", "EEooEo", "EEoooE", "EoEEoo", "EooEEo", "EoooEE", "EoEoEo", "EoEooE", "EooEoE",
};

const char* const Table_EAN_Parity[10] = {
    "AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB", "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA",
};

namespace {

// The L-codes of the EAN/UPC standard (0 space, 1 bar, seven modules); the
// R-code is the complement and the G-code the mirror of the R-code.
const char* const EanLCode[10] = {
    "0001101", "0011001", "0010011", "0111101", "0100011", "0110001", "0101111", "0111011", "0110111", "0001011",
};

// Seven modules in four runs, each run of n modules one pattern character.
void ModulesToPattern(const char* bits, char* out) {
    int n = 0;
    for (int i = 0; i < 7;) {
        int j = i;
        while (j < 7 && bits[j] == bits[i]) ++j;
        out[n++] = static_cast<char>((bits[i] == '1' ? '5' : '0') + (j - i - 1));
        i = j;
    }
    out[n] = 0;
}

struct EanSets {
    char A[10][5], B[10][5], C[10][5];
    EanSets() {
        for (int d = 0; d < 10; ++d) {
            char r[8], g[8];
            for (int i = 0; i < 7; ++i) r[i] = EanLCode[d][i] == '1' ? '0' : '1';
            for (int i = 0; i < 7; ++i) g[i] = r[6 - i];
            r[7] = g[7] = 0;
            ModulesToPattern(EanLCode[d], A[d]);
            ModulesToPattern(g, B[d]);
            ModulesToPattern(r, C[d]);
        }
    }
};

const EanSets& Sets() {
    static const EanSets sets;
    return sets;
}

}  // namespace

const char* EanSetA(int digit) { return Sets().A[digit]; }
const char* EanSetB(int digit) { return Sets().B[digit]; }
const char* EanSetC(int digit) { return Sets().C[digit]; }
