#include "csvtext.h"

#include "codepage.h"
#include "externaltable.h"

#include <QByteArray>
#include <array>

namespace {

// Code points of bytes 0xA0..0xBF in ISO-8859-2. Below 0xA0 the bytes are
// their own code points; from 0xC0 on the page is that of Windows-1250.
constexpr std::array<char16_t, 32> kLatin2 = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7,  // A0
    0x00A8, 0x0160, 0x015E, 0x0164, 0x0179, 0x00AD, 0x017D, 0x017B,  // A8
    0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,  // B0
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C,  // B8
};

// The name without case, blanks, hyphens and underscores.
QString Bare(const QString& name) {
    QString out;
    for (QChar c : name)
        if (!c.isSpace() && c != u'-' && c != u'_') out += c.toLower();
    return out;
}

}  // namespace

std::optional<TCsvCodePage> CsvCodePageFromName(const QString& name) {
    const QString n = Bare(name);
    for (const char* w : {"", "1250", "cp1250", "windows1250", "win1250"})
        if (n == QLatin1String(w)) return TCsvCodePage::Win1250;
    for (const char* w : {"852", "cp852", "ibm852", "dos852"})
        if (n == QLatin1String(w)) return TCsvCodePage::Cp852;
    for (const char* w : {"iso88592", "88592", "latin2", "28592"})
        if (n == QLatin1String(w)) return TCsvCodePage::Iso8859_2;
    return std::nullopt;
}

std::optional<char> CsvSeparatorFromText(const QString& text) {
    if (text.isEmpty()) return char(0);
    const QString n = Bare(text);
    if (text == QLatin1String("\t") || n == QLatin1String("tab") || n == QLatin1String("tabulator") || n == QLatin1String("\\t"))
        return '\t';
    if (text.size() != 1) return std::nullopt;
    const char16_t c = text[0].unicode();
    if (c < 0x20 || c >= 0x7F || c == u'"' || c == u'\r' || c == u'\n') return std::nullopt;
    return static_cast<char>(c);
}

QString DecodeCsvBytes(const char* data, qsizetype size, TCsvCodePage codePage) {
    switch (codePage) {
    case TCsvCodePage::Win1250: return FromWin1250(QByteArray::fromRawData(data, size));
    case TCsvCodePage::Cp852: return DecodeTableText(data, static_cast<int>(size), TExtCodePage::Cp852);
    case TCsvCodePage::Iso8859_2: break;
    }
    QString s = FromWin1250(QByteArray::fromRawData(data, size));
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b >= 0x80 && b < 0xC0) s[i] = b < 0xA0 ? QChar(b) : QChar(kLatin2[b - 0xA0]);
    }
    return s;
}

bool IsValidUtf8(const char* data, qsizetype size, bool partialEnd) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    qsizetype i = 0;
    while (i < size) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int more;
        unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2;
            if (b == 0xE0) lo = 0xA0;       // overlong
            if (b == 0xED) hi = 0x9F;       // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3;
            if (b == 0xF0) lo = 0x90;       // overlong
            if (b == 0xF4) hi = 0x8F;       // beyond U+10FFFF
        } else {
            return false;
        }
        for (int k = 1; k <= more; ++k) {
            if (i + k >= size) return partialEnd;
            const unsigned char c = p[i + k];
            if (k == 1 ? (c < lo || c > hi) : (c < 0x80 || c > 0xBF)) return false;
        }
        i += more + 1;
    }
    return true;
}

QString FoldColumnName(const QString& name) {
    QString folded = name.trimmed().toCaseFolded();
    folded.replace(QChar(0x0142), u'l');  // "ł" has no decomposition
    folded = folded.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(folded.size());
    for (QChar c : folded)
        if (c.category() != QChar::Mark_NonSpacing) out += c;
    return out;
}

std::optional<double> CsvNumber(QStringView text) {
    text = text.trimmed();
    QByteArray plain;
    plain.reserve(text.size());
    qsizetype i = 0;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        if (text[0] == u'-') plain += '-';
        i = 1;
    }
    const QStringView body = text.mid(i);
    const qsizetype lastPoint = body.lastIndexOf(u'.');
    const qsizetype lastComma = body.lastIndexOf(u',');
    const qsizetype points = body.count(u'.');
    const qsizetype commas = body.count(u',');
    // The decimal mark: the later of the two kinds, and only when it occurs once.
    qsizetype decimalAt = -1;
    if (lastPoint > lastComma && points == 1) decimalAt = lastPoint;
    if (lastComma > lastPoint && commas == 1) decimalAt = lastComma;
    if (points > 0 && commas > 0 && decimalAt < 0) return std::nullopt;  // both kinds group: no number
    bool digits = false;
    for (qsizetype k = 0; k < body.size(); ++k) {
        const QChar c = body[k];
        if (c >= u'0' && c <= u'9') {
            plain += static_cast<char>(c.unicode());
            digits = true;
        } else if (k == decimalAt) {
            plain += '.';
        } else if (c == u'.' || c == u',' || c.isSpace()) {
            // Grouping stands between digits only, and never after the decimal mark.
            const bool between = k > 0 && k + 1 < body.size() && body[k - 1].isDigit() && body[k + 1].isDigit();
            if (!between || (decimalAt >= 0 && k > decimalAt)) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}
