#include "mazovia.h"

#include <array>

namespace {

struct Pair {
    unsigned char mazovia;
    unsigned char win1250;
};

// The eighteen Polish letters; the rest of the Mazovia page is left as it is.
constexpr std::array<Pair, 18> kLetters = {{
    {0x86, 0xB9},  // ą
    {0x8D, 0xE6},  // ć
    {0x8F, 0xA5},  // Ą
    {0x90, 0xCA},  // Ę
    {0x91, 0xEA},  // ę
    {0x92, 0xB3},  // ł
    {0x95, 0xC6},  // Ć
    {0x98, 0x8C},  // Ś
    {0x9C, 0xA3},  // Ł
    {0x9E, 0x9C},  // ś
    {0xA0, 0x8F},  // Ź
    {0xA1, 0xAF},  // Ż
    {0xA2, 0xF3},  // ó
    {0xA3, 0xD3},  // Ó
    {0xA4, 0xF1},  // ń
    {0xA5, 0xD1},  // Ń
    {0xA6, 0x9F},  // ź
    {0xA7, 0xBF},  // ż
}};

constexpr std::array<unsigned char, 256> BuildTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    for (const Pair& p : kLetters) t[p.mazovia] = p.win1250;
    return t;
}

constexpr std::array<unsigned char, 256> kTable = BuildTable();

}  // namespace

QByteArray MazoviaToWin1250(const QByteArray& bytes) {
    QByteArray out(bytes);
    for (char& c : out) c = static_cast<char>(kTable[static_cast<unsigned char>(c)]);
    return out;
}
