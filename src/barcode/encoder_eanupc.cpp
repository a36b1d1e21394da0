// EAN-8, EAN-13, UPC-A, UPC-E and the UPC 2- and 5-digit add-ons.
//
// Without a check digit step (Checksum off, or a method that adds nothing) the
// text brings its own check digit as its last digit, after leading zeros
// where it is short; a wrong one, or a text longer than the symbol, is
// rejected, since the bars would scan as nothing or as another number. With
// the step, EAN appends the digit to the data digits, while UPC-A and UPC-E
// put it in place of the text's last digit.
#include "eanupccommon.h"
#include "encoders.h"

namespace {

// Start guard, the left half in the sets `parity` names, centre guard, the
// right half in set C, end guard.
QString TwoHalves(QStringView left, const char* parity, QStringView right) {
    QString out;
    out.reserve(95);
    AppendPattern(out, EanStartGuard);
    AppendByParity(out, left, parity);
    AppendPattern(out, EanCentreGuard);
    AppendSetC(out, right);
    AppendPattern(out, EanEndGuard);
    return out;
}

// The text as a symbol of `length` digits whose last is the check digit.
QString WithOwnCheckDigit(const QString& text, int length) {
    const QString digits = PadToSymbolLength(text, length);
    RequireCheckDigit(digits, Modulo10CheckDigit(digits.left(length - 1)));
    return digits;
}

QString Ean13(const TBarcodeData& data) {
    const QString s = data.AddsCheckDigit() ? ApplyChecksum(PadWithZeros(data.Text, 12), csmModulo10)
                                            : WithOwnCheckDigit(data.Text, 13);
    // The first digit is not written as bars: it chooses the parities.
    return TwoHalves(QStringView(s).mid(1, 6), Ean13Parity[DigitValue(s[0])], QStringView(s).mid(7, 6));
}

QString Ean8(const TBarcodeData& data) {
    const QString s = data.AddsCheckDigit() ? ApplyChecksum(PadWithZeros(data.Text, 7).right(7), csmModulo10)
                                            : WithOwnCheckDigit(data.Text, 8);
    return TwoHalves(QStringView(s).left(4), Ean13Parity[0], QStringView(s).mid(4, 4));
}

QString UpcA(TBarcodeData& data) {
    if (data.AddsCheckDigit())
        data.Text = ApplyChecksum(PadWithZeros(data.Text, 12).left(11), csmModulo10);
    else
        data.Text = WithOwnCheckDigit(data.Text, 12);
    const QStringView d(data.Text);
    return TwoHalves(d.left(6), Ean13Parity[0], d.mid(6, 6));
}

QString UpcE(TBarcodeData& data) {
    const QString text = PadWithZeros(data.Text, 7);
    const int numberSystem = data.Typ == bcCodeUPC_E1 ? 1 : 0;
    // The check digit of the UPC-A number is not written as bars: it chooses
    // the parities, reversed in number system 1.
    const QString six = text.left(6);
    const int check = UpcECheckDigit(numberSystem, six);
    if (data.AddsCheckDigit()) {
        data.Text = six + QLatin1Char(static_cast<char>('0' + check));
    } else {
        RequireCheckDigit(PadToSymbolLength(text, 7), QLatin1Char(static_cast<char>('0' + check)));
        data.Text = text;
    }
    QString out;
    out.reserve(51);
    AppendPattern(out, EanStartGuard);
    AppendByParity(out, QStringView(six), UpcEParity[check], numberSystem == 1);
    AppendPattern(out, UpcEEndGuard);
    return out;
}

// The add-ons show their check digit with Checksum but carry it only in the
// parities, so the encoded digits are the first ones of the text either way.
QString AddOn5(TBarcodeData& data) {
    data.Text = PadWithZeros(data.Text, 5);
    const QString withCheck = Weighted39CheckDigit(data.Text.left(5) + QLatin1Char('0'));
    const char* parity = UpcEParity[DigitValue(withCheck[5])] + 1;
    if (data.Checksum) data.Text = withCheck;
    QString out;
    out.reserve(47);
    AppendPattern(out, AddOnStartGuard);
    AppendByParity(out, QStringView(data.Text).left(5), parity, false, AddOnSeparator);
    return out;
}

QString AddOn2(TBarcodeData& data) {
    data.Text = PadWithZeros(data.Text, 2);
    // The parity comes from the two encoded digits, so a text that carries a
    // third (check) digit gives the same symbol when built again.
    const char* parity = AddOn2Parity[(DigitValue(data.Text[0]) * 10 + DigitValue(data.Text[1])) % 4];
    if (data.Checksum) data.Text = Weighted39CheckDigit(data.Text.left(2) + QLatin1Char('0'));
    QString out;
    out.reserve(20);
    AppendPattern(out, AddOnStartGuard);
    AppendByParity(out, QStringView(data.Text).left(2), parity, false, AddOnSeparator);
    return out;
}

}  // namespace

QString EncodeEanUpc(TBarcodeData& data) {
    switch (data.Typ) {
    case bcCodeEAN8: return Ean8(data);
    case bcCodeEAN13: return Ean13(data);
    case bcCodeUPC_A: return UpcA(data);
    case bcCodeUPC_E0:
    case bcCodeUPC_E1: return UpcE(data);
    case bcCodeUPC_Supp2: return AddOn2(data);
    default: return AddOn5(data);
    }
}
