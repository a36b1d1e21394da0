#include "encoders.h"

#include "barcodesymbol.h"

namespace {

const char* const ClassName = "TBarcodeSymbol";

}  // namespace

QString WidthsToPattern(const QString& runs) {
    QString out;
    out.resize(runs.size());
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const int n = runs[i].unicode() - '1';
        out[i] = QLatin1Char(static_cast<char>((i % 2 == 0 ? '5' : '0') + n));
    }
    return out;
}

void ThrowNotNumeric() { throw TBarcodeError(QStringLiteral("Barcode must be numeric")); }

void ThrowBarcodeError(const char* format) {
    throw TBarcodeError(QString::fromLatin1(format).arg(QLatin1StringView(ClassName)));
}

void ThrowBadData(const char* symbology, const QString& text) {
    throw TBarcodeError(QStringLiteral("%1:%2 bad Data <%3>")
                            .arg(QLatin1StringView(ClassName), QLatin1StringView(symbology), text));
}

QString EncodePattern(TBarcodeData& data) {
    switch (data.Typ) {
    case bcCode_2_5_interleaved:
    case bcCode_2_5_industrial:
    case bcCode_2_5_matrix: return EncodeTwoOfFive(data);
    case bcCode39:
    case bcCode39Extended: return EncodeCode39(data);
    case bcCode128A:
    case bcCode128B:
    case bcCode128C:
    case bcCodeEAN128A:
    case bcCodeEAN128B:
    case bcCodeEAN128C: return EncodeCode128(data);
    case bcCode93:
    case bcCode93Extended: return EncodeCode93(data);
    case bcCodeMSI: return EncodeMsi(data);
    case bcCodePostNet: return EncodePostNet(data);
    case bcCodeCodabar: return EncodeCodabar(data);
    case bcCodeEAN8:
    case bcCodeEAN13:
    case bcCodeUPC_A:
    case bcCodeUPC_E0:
    case bcCodeUPC_E1:
    case bcCodeUPC_Supp2:
    case bcCodeUPC_Supp5: return EncodeEanUpc(data);
    // A module matrix has no bar pattern (TBarcodeSymbol::BuildMatrix).
    case bcCodeQR:
    case bcCodeDataMatrix:
    case bcCodeGS1QR:
    case bcCodeGS1DataMatrix: break;
    }
    ThrowBarcodeError("%1: wrong BarcodeType");
}
