#include "matrixsymbol.h"

#include "barcodesymbol.h"
#include "checkdigits.h"
#include "eanupccommon.h"
#include "encoders.h"

#include <zint.h>

#include <algorithm>
#include <memory>
#include <new>

namespace {

// The ECI of UTF-8: without it readers guess the character set of bytes
// above 127 (Latin-1, Shift JIS) and Polish letters come back garbled.
constexpr int EciUtf8 = 26;

bool IsQr(TBarcodeType type) { return type == bcCodeQR || type == bcCodeGS1QR; }

QString TypeShortName(TBarcodeType type) { return QString::fromLatin1(BarcodeTypeInfo(type).ShortName); }

struct TZintDelete {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};
using TZintSymbol = std::unique_ptr<zint_symbol, TZintDelete>;

[[noreturn]] void ThrowZintError(TBarcodeType type, int code, const char* detail) {
    if (code == ZINT_ERROR_TOO_LONG) throw TBarcodeError(QStringLiteral("Tekst za długi dla kodu %1").arg(TypeShortName(type)));
    throw TBarcodeError(QStringLiteral("Błąd kodowania %1: %2").arg(TypeShortName(type), QString::fromUtf8(detail)));
}

}  // namespace

std::optional<TQrEcc> QrEccFromText(QStringView text) {
    static const char* const names[] = {"L", "M", "Q", "H"};
    for (int i = 0; i < 4; ++i)
        if (text == QLatin1StringView(names[i])) return static_cast<TQrEcc>(i);
    return std::nullopt;
}

QStringList TModuleMatrix::RowTexts() const {
    QStringList rows;
    rows.reserve(Rows);
    for (int r = 0; r < Rows; ++r) {
        QString row(Columns, QLatin1Char('0'));
        for (int c = 0; c < Columns; ++c)
            if (IsDark(c, r)) row[c] = QLatin1Char('1');
        rows << row;
    }
    return rows;
}

int MatrixQuietZone(TBarcodeType type) {
    if (!IsMatrixType(type)) return 0;
    return IsQr(type) ? 4 : 1;
}

QString Gs1ElementString(const QString& digits) {
    if (!std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }))
        ThrowNotNumeric();
    // EAN-8, UPC-A, EAN-13 and GTIN-14 are one number padded to fourteen
    // digits, with one check digit rule for all.
    const qsizetype n = digits.size();
    if (n != 8 && n != 12 && n != 13 && n != 14)
        throw TBarcodeError(QStringLiteral("Kod GS1 musi być numerem GTIN (8, 12, 13 lub 14 cyfr)"));
    const QString gtin = PadWithZeros(digits, 14);
    RequireCheckDigit(gtin, Modulo10CheckDigit(gtin.left(13)));
    return QStringLiteral("(01)") + gtin;
}

std::optional<QString> Gtin14(const QString& code, int barcodeType) {
    if (barcodeType == bcCodeUPC_E0 || barcodeType == bcCodeUPC_E1) return std::nullopt;
    try {
        return Gs1ElementString(code.trimmed()).mid(4);
    } catch (const TBarcodeError&) {
        return std::nullopt;
    }
}

TModuleMatrix EncodeMatrix(TBarcodeType type, const QString& text, TQrEcc ecc) {
    if (!IsMatrixType(type)) ThrowBarcodeError("%1: wrong BarcodeType");
    QByteArray data;
    int inputMode = UNICODE_MODE;
    int eci = 0;
    if (IsGs1MatrixType(type)) {
        data = Gs1ElementString(text).toLatin1();
        inputMode = GS1_MODE | GS1PARENS_MODE;
    } else {
        if (text.isEmpty()) throw TBarcodeError(QStringLiteral("Kod %1 nie może być pusty").arg(TypeShortName(type)));
        data = text.toUtf8();
        if (std::any_of(data.cbegin(), data.cend(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            eci = EciUtf8;
    }
    if (data.size() > ZINT_MAX_DATA_LEN) ThrowZintError(type, ZINT_ERROR_TOO_LONG, "");

    const TZintSymbol s(ZBarcode_Create());
    if (!s) throw std::bad_alloc();
    s->symbology = IsQr(type) ? BARCODE_QRCODE : BARCODE_DATAMATRIX;
    s->input_mode = inputMode;
    s->eci = eci;
    if (IsQr(type))
        s->option_1 = static_cast<int>(std::clamp(ecc, eccL, eccH)) + 1;  // 1..4: L, M, Q, H
    else
        s->option_3 = DM_SQUARE;  // square symbols only: what retail scanners expect
    // A symbol that would not be compliant is not printed at all.
    s->warn_level = WARN_FAIL_ALL;
    const int rc = ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(data.constData()), static_cast<int>(data.size()));
    if (rc >= ZINT_ERROR) ThrowZintError(type, rc, s->errtxt);

    TModuleMatrix m;
    m.QuietZone = MatrixQuietZone(type);
    m.Rows = std::clamp(s->rows, 0, static_cast<int>(std::size(s->encoded_data)));
    m.Columns = std::clamp(s->width, 0, static_cast<int>(sizeof s->encoded_data[0] * 8));
    if (m.Rows == 0 || m.Columns == 0) ThrowZintError(type, ZINT_ERROR_ENCODING_PROBLEM, s->errtxt);
    m.Dark.resize(static_cast<std::size_t>(m.Rows) * static_cast<std::size_t>(m.Columns));
    // libzint keeps each row as bits, the leftmost module in the lowest bit.
    for (int r = 0; r < m.Rows; ++r)
        for (int c = 0; c < m.Columns; ++c)
            m.Dark[static_cast<std::size_t>(r) * m.Columns + c] = (s->encoded_data[r][c >> 3] >> (c & 7)) & 1;
    return m;
}
