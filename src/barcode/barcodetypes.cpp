#include "barcodetypes.h"

namespace {

// EAN and UPC still bring Ratio into range, as they always did, although
// their module widths do not use it.
const TBarcodeTypeInfo TypeInfo[BarcodeTypeCount] = {
    // long name, short name, numeric only, two widths, ratio floor
    {"2_5_interleaved", "2_5_interleaved", true, true, MinRatio}, {"2_5_industrial", "2_5_industrial", true, true, MinRatio},
    {"2_5_matrix", "2_5_matrix", true, true, MinMatrixRatio},     {"Code39", "39", false, true, MinRatio},
    {"Code39 Extended", "39Extended", false, true, MinRatio},     {"Code128A", "128A", false, false, 0},
    {"Code128B", "128B", false, false, 0},                        {"Code128C", "128C", true, false, 0},
    {"Code93", "93", false, false, 0},                            {"Code93 Extended", "93Extended", false, false, 0},
    {"MSI", "MSI", true, true, 0},                                {"PostNet", "PostNet", true, true, 0},
    {"Codebar", "Codabar", false, true, MinRatio},  // sic: the long name has always been spelt so
    {"EAN8", "EAN8", true, false, MinRatio},                      {"EAN13", "EAN13", true, false, MinRatio},
    {"UPC_A", "UPC_A", true, false, MinRatio},                    {"UPC_E0", "UPC_E0", true, false, MinRatio},
    {"UPC_E1", "UPC_E1", true, false, MinRatio},                  {"UPC Supp2", "UPC_Supp2", true, false, MinRatio},
    {"UPC Supp5", "UPC_Supp5", true, false, MinRatio},            {"EAN128A", "EAN128A", false, false, 0},
    {"EAN128B", "EAN128B", false, false, 0},                      {"EAN128C", "EAN128C", true, false, 0},
    // QR and Data Matrix carry any text; the GS1 kinds a GTIN, digits only.
    {"QR", "QR", false, false, 0},                                {"Data Matrix", "Data Matrix", false, false, 0},
    {"GS1 QR", "GS1 QR", true, false, 0},                         {"GS1 DataMatrix", "GS1 DataMatrix", true, false, 0},
};

}  // namespace

const TBarcodeTypeInfo& BarcodeTypeInfo(TBarcodeType type) { return TypeInfo[type]; }

std::optional<QString> BarcodeTypeShortName(int code) {
    if (!IsBarcodeType(code)) return std::nullopt;
    return QString::fromLatin1(TypeInfo[code].ShortName);
}
