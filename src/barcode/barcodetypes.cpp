#include "barcodetypes.h"

namespace {

const char* const ShortNames[23] = {
    "2_5_interleaved", "2_5_industrial", "2_5_matrix", "39",      "39Extended", "128A",      "128B",     "128C",
    "93",              "93Extended",     "MSI",        "PostNet", "Codabar",    "EAN8",      "EAN13",    "UPC_A",
    "UPC_E0",          "UPC_E1",         "UPC_Supp2",  "UPC_Supp5", "EAN128A",  "EAN128B",   "EAN128C",
};

}  // namespace

std::optional<QString> BarcodeTypeShortName(int code) {
    if (code < 0 || code > 22) return std::nullopt;
    return QString::fromLatin1(ShortNames[code]);
}
