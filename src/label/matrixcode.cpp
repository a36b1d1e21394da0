#include "matrixcode.h"

#include <QRegularExpression>

namespace {

const QRegularExpression& Placeholder() {
    static const QRegularExpression re(QStringLiteral("\\{(kod|gtin|nazwa|cena|id)\\}"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

}  // namespace

std::optional<QString> FillCodeTemplate(const QString& templateText, const TCodeTemplateValues& values) {
    const QString text = templateText.isEmpty() ? kDigitalLinkTemplate.toString() : templateText;
    QString out;
    out.reserve(text.size() + 32);
    qsizetype at = 0;
    for (QRegularExpressionMatchIterator it = Placeholder().globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(at, m.capturedStart() - at);
        at = m.capturedEnd();
        const QString name = m.captured(1).toLower();
        if (name == u"kod") {
            if (values.Kod.trimmed().isEmpty()) return std::nullopt;
            out += values.Kod;
        } else if (name == u"gtin") {
            if (values.Gtin.isEmpty()) return std::nullopt;
            out += values.Gtin;
        } else if (name == u"nazwa") {
            out += values.Nazwa;
        } else if (name == u"cena") {
            out += values.Cena;
        } else {
            out += values.Id;
        }
    }
    out += QStringView(text).mid(at);
    if (out.isEmpty()) return std::nullopt;
    return out;
}

TBarcodeType MatrixCodeType(const TObjectProperties& o) {
    if (o.Symbol == msDataMatrix) return o.Gs1 ? bcCodeGS1DataMatrix : bcCodeDataMatrix;
    return o.Gs1 ? bcCodeGS1QR : bcCodeQR;
}

TCodeTemplateValues SampleCodeValues() {
    return {.Kod = QStringLiteral("5901234123457"),
            .Gtin = QStringLiteral("05901234123457"),
            .Nazwa = QStringLiteral("Nazwa towaru"),
            .Cena = QStringLiteral("9,99"),
            .Id = QStringLiteral("1")};
}
