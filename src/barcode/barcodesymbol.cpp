#include "barcodesymbol.h"

#include "encoders.h"
#include "rounding.h"

#include <algorithm>
#include <limits>

namespace {

// A wide element never gets wider than this, whatever Ratio says, so that
// widths summed over a long text stay far inside the int range.
constexpr int MaxWideElement = 10000;

bool IsBlankOrControl(QChar c) { return c.unicode() <= 32; }

// Numeric-only symbologies take the text without the blanks and control
// characters around it. False when a character other than a digit remains.
bool TrimNumeric(TBarcodeType type, QString& text) {
    if (!IsBarcodeType(type) || !BarcodeTypeInfo(type).NumericOnly) return true;
    qsizetype b = 0, e = text.size();
    while (b < e && IsBlankOrControl(text[b])) ++b;
    while (e > b && IsBlankOrControl(text[e - 1])) --e;
    if (b > 0 || e < text.size()) text = text.mid(b, e - b);
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// Unknown types count as two-width, so their classes stay what they were.
bool UsesRatio(TBarcodeType type) { return !IsBarcodeType(type) || BarcodeTypeInfo(type).TwoWidth; }

// The four width classes: narrow, wide and one and a half and two wide for
// the two-width symbologies; one to four modules for the others.
void WidthClasses(int modul, double ratio, bool usesRatio, int (&out)[4]) {
    out[0] = modul;
    if (!usesRatio) {
        for (int i = 1; i < 4; ++i) out[i] = modul * (i + 1);
        return;
    }
    // A ratio that is not a number or absurdly large must not give zero,
    // negative or wrapped widths (only some symbologies bring it into range).
    const int wide = std::clamp(RoundHalfEven(static_cast<long double>(modul) * ratio), 1, MaxWideElement);
    out[1] = wide;
    out[2] = wide * 3 / 2;
    out[3] = wide * 2;
}

// The width class of a pattern character and its kind; anything outside the
// alphabet is an internal error.
int ElementClass(QChar c, TBarLineType& kind) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '3') {
        kind = TBarLineType::White;
        return u - '0';
    }
    if (u >= '5' && u <= '8') {
        kind = TBarLineType::Black;
        return u - '5';
    }
    if (u >= 'A' && u <= 'D') {
        kind = TBarLineType::BlackHalf;
        return u - 'A';
    }
    ThrowBarcodeError("%1: internal Error");
}

}  // namespace

TBarcodeSymbol::TBarcodeSymbol(QObject* owner) : QObject(owner) { MakeModules(); }

TBarcodeSymbol::~TBarcodeSymbol() = default;

void TBarcodeSymbol::Changed() {
    if (OnChange) OnChange(this);
}

template <typename T>
bool TBarcodeSymbol::Store(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

void TBarcodeSymbol::SetHeight(int value) { if (Store(FHeight, value)) Changed(); }

void TBarcodeSymbol::SetText(const QString& value) { if (Store(FText, value)) DataChanged(); }

void TBarcodeSymbol::SetTop(int value) { if (Store(FTop, value)) Changed(); }

void TBarcodeSymbol::SetLeft(int value) { if (Store(FLeft, value)) Changed(); }

void TBarcodeSymbol::SetModul(int value) {
    if (value < MinModul || value > MaxModul) return;
    FModul = value;
    MakeModules();
    Changed();
}

void TBarcodeSymbol::SetRatio(double value) {
    if (!Store(FRatio, value)) return;
    MakeModules();
    Changed();
}

void TBarcodeSymbol::SetTyp(TBarcodeType value) { if (Store(FTyp, value)) DataChanged(); }

void TBarcodeSymbol::SetChecksum(bool value) { if (Store(FCheckSum, value)) DataChanged(); }

void TBarcodeSymbol::DataChanged() {
    // A new text, type or check digit setting gets its EAN-128 check digit again.
    FEan128CheckApplied = false;
    MakeModules();
    Changed();
}

void TBarcodeSymbol::SetQrEcc(TQrEcc value) { if (Store(FQrEcc, value)) Changed(); }

void TBarcodeSymbol::SetAngle(double value) { if (Store(FAngle, value)) Changed(); }

void TBarcodeSymbol::SetShowText(TBarcodeOption value) { if (Store(FShowText, value)) Changed(); }

void TBarcodeSymbol::SetShowTextFont(const QFont& value) {
    FShowTextFont = value;
    Changed();
}

void TBarcodeSymbol::SetShowTextPosition(TShowTextPosition value) { if (Store(FShowTextPosition, value)) Changed(); }

void TBarcodeSymbol::Assign(const TBarcodeSymbol& source) {
    if (&source == this) return;
    FHeight = source.FHeight;
    FText = source.FText;
    FTop = source.FTop;
    FLeft = source.FLeft;
    FModul = source.FModul;
    FRatio = source.FRatio;
    FTyp = source.FTyp;
    FCheckSum = source.FCheckSum;
    FShowText = source.FShowText;
    FShowTextPosition = source.FShowTextPosition;
    FAngle = source.FAngle;
    FColor = source.FColor;
    FColorBar = source.FColorBar;
    FCheckSumMethod = source.FCheckSumMethod;
    FQrEcc = source.FQrEcc;
    OnChange = source.OnChange;
    // The copied text carries the check digit exactly when the source's did.
    FEan128CheckApplied = source.FEan128CheckApplied;
    MakeModules();
}

void TBarcodeSymbol::MakeModules() { WidthClasses(FModul, FRatio, UsesRatio(FTyp), FModules); }

double TBarcodeSymbol::RatioInRange() const {
    if (!IsBarcodeType(FTyp)) return FRatio;
    const double low = BarcodeTypeInfo(FTyp).RatioFloor;
    if (low <= 0) return FRatio;
    double ratio = FRatio;
    if (!(ratio >= low)) ratio = low;
    if (ratio > MaxRatio) ratio = MaxRatio;
    return ratio;
}

void TBarcodeSymbol::PrepareWidths() {
    const double ratio = RatioInRange();
    if (ratio != FRatio) SetRatio(ratio);
    MakeModules();
}

TBarcodeData TBarcodeSymbol::Data() const {
    return {FText, FTyp, FCheckSum, FCheckSumMethod, FEan128CheckApplied};
}

QString TBarcodeSymbol::BuildPattern() {
    PrepareWidths();
    if (!TrimNumeric(FTyp, FText)) ThrowNotNumeric();
    TBarcodeData data = Data();
    const QString pattern = EncodePattern(data);
    FText = data.Text;
    FEan128CheckApplied = data.Ean128CheckApplied;
    return pattern;
}

TModuleMatrix TBarcodeSymbol::BuildMatrix() {
    if (!IsMatrixType(FTyp)) ThrowBarcodeError("%1: wrong BarcodeType");
    if (!TrimNumeric(FTyp, FText)) ThrowNotNumeric();
    return EncodeMatrix(FTyp, FText, FQrEcc);
}

void TBarcodeSymbol::ElementInfo(QChar c, TBarLineType& lineType, int& width) const {
    width = FModules[ElementClass(c, lineType)];
}

int TBarcodeSymbol::PatternWidth(const QString& pattern, const int (&modules)[4]) {
    // Counted per class first: one multiplication per class at the end.
    long long count[4] = {0, 0, 0, 0};
    TBarLineType kind;
    for (const QChar c : pattern) ++count[ElementClass(c, kind)];
    long long width = 0;
    for (int i = 0; i < 4; ++i) width += count[i] * modules[i];
    return static_cast<int>(std::min<long long>(width, std::numeric_limits<int>::max()));
}

int TBarcodeSymbol::Width() {
    const QString pattern = BuildPattern();
    return PatternWidth(pattern, FModules);
}

void TBarcodeSymbol::SetWidth(int value) {
    const int w = Width();
    if (w > 0) SetModul(static_cast<int>(static_cast<long long>(FModul) * value / w));
}

QString TBarcodeSymbol::PatternAt(int modul, int (&modules)[4], QString& text) const {
    TBarcodeData data = Data();
    if (!TrimNumeric(FTyp, data.Text)) ThrowNotNumeric();
    const QString pattern = EncodePattern(data);
    WidthClasses(std::clamp(modul, MinModul, MaxModul), RatioInRange(), UsesRatio(FTyp), modules);
    text = data.Text;
    return pattern;
}

QString TBarcodeSymbol::TypeName() const {
    if (!IsBarcodeType(FTyp)) return QString();
    return QString::fromLatin1(BarcodeTypeInfo(FTyp).LongName);
}
