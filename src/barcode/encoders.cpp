#include "encoders.h"

#include "barcodesymbol.h"
#include "barcodetables.h"

namespace {

inline int Digit(QChar c) { return c.unicode() - '0'; }

inline void Append(QString& out, const char* s) { out.append(QLatin1StringView(s)); }

// Restores the symbol's text when leaving a full-ASCII encoder.
struct TextRestorer {
    QString& Field;
    QString Saved;
    ~TextRestorer() { Field = Saved; }
};

bool AddsCheckDigit(const TBarcodeSymbol& s) { return s.Checksum() && s.CheckSumMethod() == csmModulo10; }

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

QString Weighted39CheckDigit(const QString& s) {
    const QString digits = s.left(s.size() - 1);
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum = (sum + weight * Digit(digits[i])) % 10;
        weight = weight == 3 ? 9 : 3;
    }
    return digits + QLatin1Char(static_cast<char>('0' + sum));
}

int MsiCheckDigit(const QString& digits) {
    int sum = 0;
    bool doubled = true;  // the rightmost digit is doubled
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        const int d = Digit(digits[i]);
        if (doubled)
            sum += 2 * d >= 10 ? 2 * d - 9 : 2 * d;
        else
            sum += d;
        sum %= 10;
        doubled = !doubled;
    }
    return (10 - sum) % 10;
}

QString UpcEToUpcA(int numberSystem, const QString& six) {
    // The zero-suppression rules of UPC-E, chosen by the sixth digit.
    const QString x = six;
    const QChar ns = QLatin1Char(static_cast<char>('0' + numberSystem));
    const QString z4 = QStringLiteral("0000"), z5 = QStringLiteral("00000");
    switch (Digit(x[5])) {
    case 0:
    case 1:
    case 2:
        return ns + x.left(2) + x[5] + z4 + x.mid(2, 3);
    case 3:
        return ns + x.left(3) + z5 + x.mid(3, 2);
    case 4:
        return ns + x.left(4) + z5 + x[4];
    default:
        return ns + x.left(5) + z4 + x[5];
    }
}

int UpcECheckDigit(int numberSystem, const QString& six) {
    return Digit(Modulo10CheckDigit(UpcEToUpcA(numberSystem, six)));
}

QString TBarcodeEncoders::Encode(TBarcodeSymbol& s) {
    switch (s.FTyp) {
    case bcCode_2_5_interleaved: return Code_2_5_interleaved(s);
    case bcCode_2_5_industrial: return Code_2_5_industrial(s);
    case bcCode_2_5_matrix: return Code_2_5_matrix(s);
    case bcCode39: return Code_39(s);
    case bcCode39Extended: return Code_39Extended(s);
    case bcCode128A:
    case bcCode128B:
    case bcCode128C:
    case bcCodeEAN128A:
    case bcCodeEAN128B:
    case bcCodeEAN128C: return Code_128(s);
    case bcCode93: return Code_93(s);
    case bcCode93Extended: return Code_93Extended(s);
    case bcCodeMSI: return Code_MSI(s);
    case bcCodePostNet: return Code_PostNet(s);
    case bcCodeCodabar: return Code_Codabar(s);
    case bcCodeEAN8: return Code_EAN8(s);
    case bcCodeEAN13: return Code_EAN13(s);
    case bcCodeUPC_A: return Code_UPC_A(s);
    case bcCodeUPC_E0:
    case bcCodeUPC_E1: return Code_UPC_E(s);
    case bcCodeUPC_Supp2: return Code_Supp2(s);
    case bcCodeUPC_Supp5: return Code_Supp5(s);
    }
    s.Fail(QStringLiteral("%1: wrong BarcodeType"));
}

QString TBarcodeEncoders::Code_2_5_interleaved(TBarcodeSymbol& s) {
    const QString& t = s.FText;
    QString out;
    out.reserve(8 + t.size() * 5);
    Append(out, "5050");
    for (qsizetype i = 0; i + 1 < t.size(); i += 2) {
        const char* a = Table_2_5[Digit(t[i])];
        const char* b = Table_2_5[Digit(t[i + 1])];
        for (int j = 0; j < 5; ++j) {
            out.append(QLatin1Char(a[j] == '1' ? '6' : '5'));
            out.append(QLatin1Char(b[j] == '1' ? '1' : '0'));
        }
    }
    Append(out, "605");
    return out;
}

QString TBarcodeEncoders::Code_2_5_industrial(TBarcodeSymbol& s) {
    QString out;
    out.reserve(12 + s.FText.size() * 10);
    Append(out, "606050");
    for (const QChar c : s.FText) {
        const char* f = Table_2_5[Digit(c)];
        for (int j = 0; j < 5; ++j) Append(out, f[j] == '1' ? "60" : "50");
    }
    Append(out, "605060");
    return out;
}

QString TBarcodeEncoders::Code_2_5_matrix(TBarcodeSymbol& s) {
    QString out;
    out.reserve(11 + s.FText.size() * 6);
    Append(out, "705050");
    for (const QChar c : s.FText) {
        const char* f = Table_2_5[Digit(c)];
        for (int j = 0; j < 5; ++j) {
            const bool bar = j % 2 == 0;
            out.append(QLatin1Char(bar ? (f[j] == '1' ? '6' : '5') : (f[j] == '1' ? '1' : '0')));
        }
        out.append(QLatin1Char('0'));
    }
    Append(out, "70505");
    return out;
}

QString TBarcodeEncoders::Code_39(TBarcodeSymbol& s) {
    const char* star = Table_39[43].Data;
    QString out;
    out.reserve((s.FText.size() + 3) * 10);
    Append(out, star);
    out.append(QLatin1Char('0'));
    int sum = 0;
    for (const QChar c : s.FText) {
        const int i = Code39Index(c.unicode());
        if (i < 0) continue;  // not a Code 39 character: left out
        Append(out, Table_39[i].Data);
        out.append(QLatin1Char('0'));
        sum += Table_39[i].Chk;
    }
    if (s.FCheckSum) {
        const int chk = sum % 43;
        for (int i = 0; i < 43; ++i)
            if (Table_39[i].Chk == chk) {
                Append(out, Table_39[i].Data);
                out.append(QLatin1Char('0'));
                break;
            }
    }
    Append(out, star);
    return out;
}

QString TBarcodeEncoders::Code_39Extended(TBarcodeSymbol& s) {
    TextRestorer restore{s.FText, s.FText};
    QString ascii;
    ascii.reserve(s.FText.size() * 2);
    for (const QChar c : restore.Saved)
        if (c.unicode() < 128) Append(ascii, Table_39_Ext[c.unicode()]);
    s.FText = ascii;
    return Code_39(s);
}

QString TBarcodeEncoders::Code_128(TBarcodeSymbol& s) {
    QString runs;
    long long sum;
    switch (s.FTyp) {
    case bcCode128A:
    case bcCodeEAN128A:
        runs = QStringLiteral("211412");
        sum = 103;
        break;
    case bcCode128B:
    case bcCodeEAN128B:
        runs = QStringLiteral("211214");
        sum = 104;
        break;
    case bcCode128C:
    case bcCodeEAN128C:
        runs = QStringLiteral("211232");
        sum = 105;
        break;
    default:
        s.Fail(QStringLiteral("%1: wrong BarcodeType in Code_128"));
    }
    long long w = 1;
    const bool ean = s.FTyp == bcCodeEAN128A || s.FTyp == bcCodeEAN128B || s.FTyp == bcCodeEAN128C;
    if (ean) {
        runs.append(QLatin1String(Table_128[102]));  // FNC1
        sum += w * 102;
        w = 2;
        if (s.FCheckSum && !s.FEan128CheckApplied) {
            // The check digit goes on once; later builds find it in the text.
            s.FText = ApplyChecksum(s.FText, s.FCheckSumMethod);
            s.FEan128CheckApplied = true;
        }
    }
    runs.reserve(runs.size() + (s.FText.size() + 2) * 6 + 1);
    const auto add = [&](int value) {
        runs.append(QLatin1String(Table_128[value]));
        sum = (sum + w * value) % 103;
        ++w;
    };
    if (s.FTyp == bcCode128C || s.FTyp == bcCodeEAN128C) {
        if (s.FText.size() % 2 == 1) s.FText.prepend(QLatin1Char('0'));
        const QString& t = s.FText;
        for (qsizetype i = 0; i + 1 < t.size(); i += 2) {
            const char16_t a = t[i].unicode(), b = t[i + 1].unicode();
            int value = 0;  // a pair that is not two digits counts as "00"
            if (a >= '0' && a <= '9' && b >= '0' && b <= '9') value = (a - '0') * 10 + (b - '0');
            add(value);
        }
    } else {
        const int last = s.FTyp == bcCode128A || s.FTyp == bcCodeEAN128A ? 63 : 94;
        for (const QChar c : s.FText) {
            const int value = c.unicode() - 32;
            add(value >= 0 && value <= last ? value : 0);  // others count as a blank
        }
    }
    runs.append(QLatin1String(Table_128[sum % 103]));
    runs.append(QLatin1String("2331112"));
    return WidthsToPattern(runs);
}

QString TBarcodeEncoders::Code_93(TBarcodeSymbol& s) {
    const QString& t = s.FText;
    QString runs;
    runs.reserve((t.size() + 4) * 6 + 1);
    runs.append(QLatin1String("111141"));
    for (const QChar c : t) {
        const int i = Code93Index(c.unicode());
        if (i < 0) throw TBarcodeError(QStringLiteral("TBarcodeSymbol:Code93 bad Data <%1>").arg(t));
        runs.append(QLatin1String(Table_93[i].Data));
    }
    long long sumC = 0, sumK = 0;
    int c = 1, k = 2;
    for (qsizetype i = t.size() - 1; i >= 0; --i) {
        const int v = Code93Index(t[i].unicode());
        sumC += v * c;
        sumK += v * k;
        if (++c > 20) c = 1;
        if (++k > 15) k = 1;
    }
    const int C = static_cast<int>(sumC % 47);
    const int K = static_cast<int>((sumK + sumC) % 47);
    runs.append(QLatin1String(Table_93[C].Data));
    runs.append(QLatin1String(Table_93[K].Data));
    runs.append(QLatin1String("1111411"));
    return WidthsToPattern(runs);
}

QString TBarcodeEncoders::Code_93Extended(TBarcodeSymbol& s) {
    TextRestorer restore{s.FText, s.FText};
    QString ascii;
    ascii.reserve(s.FText.size() * 2);
    for (const QChar c : restore.Saved)
        if (c.unicode() < 128) Append(ascii, Code93Ext(c.unicode()));
    s.FText = ascii;
    return Code_93(s);
}

QString TBarcodeEncoders::Code_MSI(TBarcodeSymbol& s) {
    QString out;
    out.reserve(2 + (s.FText.size() + 1) * 8 + 3);
    Append(out, "60");
    for (const QChar c : s.FText) Append(out, Table_MSI[Digit(c)]);
    Append(out, Table_MSI[MsiCheckDigit(s.FText)]);
    Append(out, "515");
    return out;
}

QString TBarcodeEncoders::Code_PostNet(TBarcodeSymbol& s) {
    QString out;
    out.reserve(3 + s.FText.size() * 10);
    Append(out, "51");
    for (const QChar c : s.FText) Append(out, Table_PostNet[Digit(c)]);
    Append(out, "5");
    return out;
}

QString TBarcodeEncoders::Code_Codabar(TBarcodeSymbol& s) {
    QString out;
    out.reserve((s.FText.size() + 2) * 8);
    Append(out, Table_Codabar[CodabarIndex('A')].Data);
    out.append(QLatin1Char('0'));
    for (const QChar c : s.FText) {
        const int i = CodabarIndex(c.unicode());
        if (i < 0) continue;  // not a Codabar character: left out, as Code 39 does
        Append(out, Table_Codabar[i].Data);
        out.append(QLatin1Char('0'));
    }
    Append(out, Table_Codabar[CodabarIndex('B')].Data);
    return out;
}

QString TBarcodeEncoders::Code_EAN13(TBarcodeSymbol& s) {
    const QString S = AddsCheckDigit(s) ? ApplyChecksum(PadWithZeros(s.FText, 12), csmModulo10) : PadWithZeros(s.FText, 13);
    QString out;
    out.reserve(95);
    const char* parity = Table_EAN_Parity[Digit(S[0])];
    Append(out, "505");
    for (int i = 1; i <= 6; ++i) Append(out, parity[i - 1] == 'A' ? EanSetA(Digit(S[i])) : EanSetB(Digit(S[i])));
    Append(out, "05050");
    for (int i = 7; i <= 12; ++i) Append(out, EanSetC(Digit(S[i])));
    Append(out, "505");
    return out;
}

QString TBarcodeEncoders::Code_EAN8(TBarcodeSymbol& s) {
    QString S;
    if (AddsCheckDigit(s))
        S = ApplyChecksum(PadWithZeros(s.FText, 7).right(7), csmModulo10);
    else
        S = PadWithZeros(s.FText, 8);
    QString out;
    out.reserve(67);
    Append(out, "505");
    for (int i = 0; i < 4; ++i) Append(out, EanSetA(Digit(S[i])));
    Append(out, "05050");
    for (int i = 4; i < 8; ++i) Append(out, EanSetC(Digit(S[i])));
    Append(out, "505");
    return out;
}

QString TBarcodeEncoders::Code_UPC_A(TBarcodeSymbol& s) {
    s.FText = PadWithZeros(s.FText, 12);
    if (AddsCheckDigit(s)) s.FText = ApplyChecksum(s.FText.left(11), csmModulo10);
    const QString& D = s.FText;
    QString out;
    out.reserve(95);
    Append(out, "505");
    for (int i = 0; i < 6; ++i) Append(out, EanSetA(Digit(D[i])));
    Append(out, "05050");
    for (int i = 6; i < 12; ++i) Append(out, EanSetC(Digit(D[i])));
    Append(out, "505");
    return out;
}

QString TBarcodeEncoders::Code_UPC_E(TBarcodeSymbol& s) {
    s.FText = PadWithZeros(s.FText, 7);
    const int numberSystem = s.FTyp == bcCodeUPC_E1 ? 1 : 0;
    // The check digit of the UPC-A number chooses the parities, whether the
    // text carries it or not.
    const QString six = s.FText.left(6);
    const int check = UpcECheckDigit(numberSystem, six);
    if (AddsCheckDigit(s)) s.FText = six + QLatin1Char(static_cast<char>('0' + check));
    const QString& D = s.FText;
    const char* row = Table_UPC_E_Parity[check];
    QString out;
    out.reserve(51);
    Append(out, "505");
    for (int k = 0; k < 6; ++k) {
        const bool even = (row[k] == 'E') != (numberSystem == 1);
        Append(out, even ? EanSetB(Digit(D[k])) : EanSetA(Digit(D[k])));
    }
    Append(out, "050505");
    return out;
}

QString TBarcodeEncoders::Code_Supp5(TBarcodeSymbol& s) {
    s.FText = PadWithZeros(s.FText, 5);
    QString D = Weighted39CheckDigit(s.FText.left(5) + QLatin1Char('0'));
    const int check = Digit(D[5]);
    if (s.FCheckSum)
        s.FText = D;
    else
        D = s.FText;
    const char* row = Table_UPC_E_Parity[check];
    QString out;
    out.reserve(47);
    Append(out, "506");
    for (int k = 0; k < 5; ++k) {
        Append(out, row[k + 1] == 'E' ? EanSetB(Digit(D[k])) : EanSetA(Digit(D[k])));
        if (k < 4) Append(out, "05");
    }
    return out;
}

QString TBarcodeEncoders::Code_Supp2(TBarcodeSymbol& s) {
    s.FText = PadWithZeros(s.FText, 2);
    // The parity comes from the two encoded digits, so a text that carries a
    // third (check) digit gives the same symbol when built again.
    static const char* const pairs[4] = {"oo", "oE", "Eo", "EE"};
    const char* parity = pairs[(Digit(s.FText[0]) * 10 + Digit(s.FText[1])) % 4];
    QString D = Weighted39CheckDigit(s.FText.left(2) + QLatin1Char('0'));
    if (s.FCheckSum)
        s.FText = D;
    else
        D = s.FText;
    QString out;
    out.reserve(20);
    Append(out, "506");
    Append(out, parity[0] == 'E' ? EanSetB(Digit(D[0])) : EanSetA(Digit(D[0])));
    Append(out, "05");
    Append(out, parity[1] == 'E' ? EanSetB(Digit(D[1])) : EanSetA(Digit(D[1])));
    return out;
}
