#pragma once
// Two-dimensional symbols (QR, Data Matrix and their GS1 kinds): the text as
// a matrix of square modules. libzint encodes; the drawing is ours
// (symbolpainting.h), in whole device dots like the bars.
#include "barcodetypes.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstddef>
#include <optional>
#include <vector>

// QR error correction: about 7, 15, 25 and 30 % of the symbol may be lost.
enum TQrEcc : int { eccL, eccM, eccQ, eccH };
constexpr TQrEcc DefaultQrEcc = eccM;
// "L", "M", "Q" or "H" (the settings' and the companion's spelling); nothing
// for any other text.
std::optional<TQrEcc> QrEccFromText(QStringView text);

struct TModuleMatrix {
    int Columns = 0;
    int Rows = 0;
    // Light modules a reader needs around the symbol on every side.
    int QuietZone = 0;
    // Rows × Columns, row by row from the top: 1 dark, 0 light.
    std::vector<unsigned char> Dark;

    bool IsDark(int column, int row) const {
        return Dark[static_cast<std::size_t>(row) * static_cast<std::size_t>(Columns) + static_cast<std::size_t>(column)] != 0;
    }
    // One text per row, "1" for a dark module and "0" for a light one.
    QStringList RowTexts() const;
};

// Quiet zone of a two-dimensional type, in modules: 4 for QR, 1 for Data Matrix.
int MatrixQuietZone(TBarcodeType type);

// The element string of a GTIN, "(01)" and its fourteen digits, from the
// digits of an EAN-8, UPC-A, EAN-13 or GTIN-14 number whose last digit is its
// check digit. Raises TBarcodeError: "Barcode must be numeric" for a
// non-digit, "Barcode check digit is wrong", or the GS1 length message.
QString Gs1ElementString(const QString& digits);
// The GTIN of a goods code as fourteen digits: the code, blanks around it
// trimmed, an EAN-8, UPC-A, EAN-13 or GTIN-14 number whose last digit is its
// check digit. Nothing for any other code, and for a code of the UPC-E types,
// whose eight digits are no EAN-8 number.
std::optional<QString> Gtin14(const QString& code, int barcodeType);

// The module matrix of `text` in a two-dimensional symbology. QR and Data
// Matrix take the text as it is (anything beyond ASCII as UTF-8, marked so
// that readers give back the same characters); the GS1 kinds take a GTIN
// (Gs1ElementString). `ecc` counts for the QR kinds only. Raises TBarcodeError
// for data the symbology refuses and for a type that is not two-dimensional.
TModuleMatrix EncodeMatrix(TBarcodeType type, const QString& text, TQrEcc ecc = DefaultQrEcc);
