#pragma once
#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

class QPainter;

// Symbologies; the ordinal is the barcode type code stored with the goods.
enum TBarcodeType : int {
    bcCode_2_5_interleaved,
    bcCode_2_5_industrial,
    bcCode_2_5_matrix,
    bcCode39,
    bcCode39Extended,
    bcCode128A,
    bcCode128B,
    bcCode128C,
    bcCode93,
    bcCode93Extended,
    bcCodeMSI,
    bcCodePostNet,
    bcCodeCodabar,
    bcCodeEAN8,
    bcCodeEAN13,
    bcCodeUPC_A,
    bcCodeUPC_E0,
    bcCodeUPC_E1,
    bcCodeUPC_Supp2,
    bcCodeUPC_Supp5,
    bcCodeEAN128A,
    bcCodeEAN128B,
    bcCodeEAN128C,
};
constexpr int BarcodeTypeCount = 23;

enum TBarcodeOption : int { bcoNone, bcoCode, bcoTyp, bcoBoth };
enum TShowTextPosition : int { stpTopLeft, stpTopRight, stpTopCenter, stpBottomLeft, stpBottomRight, stpBottomCenter };
enum TCheckSumMethod : int { csmNone, csmModulo10 };

// Every failure of the engine: data a symbology rejects, an unknown type.
class TBarcodeError : public std::runtime_error {
public:
    explicit TBarcodeError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    const QString& message() const { return Message; }

private:
    QString Message;
};

// Element of a bar pattern, as ElementInfo reports it.
enum class TBarLineType { White, Black, BlackHalf };

// One barcode symbol: text, symbology and geometry; builds its bar pattern
// and paints it at any angle, optionally with the text.
class TBarcodeSymbol : public QObject {
    Q_OBJECT
public:
    explicit TBarcodeSymbol(QObject* owner = nullptr);
    ~TBarcodeSymbol() override;

    int Height() const { return FHeight; }
    void SetHeight(int value);
    QString Text() const { return FText; }
    void SetText(const QString& value);
    int Top() const { return FTop; }
    void SetTop(int value);
    int Left() const { return FLeft; }
    void SetLeft(int value);
    int Modul() const { return FModul; }
    void SetModul(int value);  // 1..49 only, other values are ignored
    double Ratio() const { return FRatio; }
    void SetRatio(double value);
    TBarcodeType Typ() const { return FTyp; }
    void SetTyp(TBarcodeType value);
    bool Checksum() const { return FCheckSum; }
    void SetChecksum(bool value);
    TCheckSumMethod CheckSumMethod() const { return FCheckSumMethod; }
    void SetCheckSumMethod(TCheckSumMethod value) { FCheckSumMethod = value; }
    double Angle() const { return FAngle; }
    void SetAngle(double value);
    TBarcodeOption ShowText() const { return FShowText; }
    void SetShowText(TBarcodeOption value);
    const QFont& ShowTextFont() const { return FShowTextFont; }
    void SetShowTextFont(const QFont& value);
    // The font's colour (a QFont has none); the legend is written in it.
    QColor ShowTextFontColor() const { return FShowTextFontColor; }
    void SetShowTextFontColor(const QColor& value) { FShowTextFontColor = value; }
    TShowTextPosition ShowTextPosition() const { return FShowTextPosition; }
    void SetShowTextPosition(TShowTextPosition value);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& value) { FColor = value; }
    QColor ColorBar() const { return FColorBar; }
    void SetColorBar(const QColor& value) { FColorBar = value; }

    // Total width in device pixels of the current pattern.
    int Width();
    // Scales the module so that the symbol becomes about `value` pixels wide.
    void SetWidth(int value);

    std::function<void(QObject* sender)> OnChange;

    void Assign(const TBarcodeSymbol& source);
    QString BuildPattern();
    void PaintTo(QPainter& canvas);
    QString TypeName() const;

    // Width in pixels and kind of one pattern character.
    void ElementInfo(QChar c, TBarLineType& lineType, int& width) const;
    // The four width classes as last computed.
    int WidthClass(int index) const { return FModules[index & 3]; }

protected:
    virtual void Changed();

private:
    friend struct TBarcodeEncoders;

    void PrepareWidths();
    void MakeModules();
    [[noreturn]] void Fail(const QString& format) const;
    void PaintBars(QPainter& canvas, const QString& pattern, int width);
    void PaintLegend(QPainter& canvas, int width);

    int FHeight = 0;
    QString FText;
    int FTop = 0;
    int FLeft = 0;
    int FModul = 1;
    double FRatio = 2.0;
    TBarcodeType FTyp = bcCodeEAN13;
    bool FCheckSum = false;
    TCheckSumMethod FCheckSumMethod = csmModulo10;
    double FAngle = 0.0;
    TBarcodeOption FShowText = bcoNone;
    QFont FShowTextFont;
    QColor FShowTextFontColor = Qt::black;
    TShowTextPosition FShowTextPosition = stpTopLeft;
    QColor FColor = Qt::white;
    QColor FColorBar = Qt::black;
    // Wider than a byte: a large module times a large ratio must not wrap.
    int FModules[4] = {1, 2, 3, 4};
    // EAN-128 with a check digit: the current text already carries it.
    bool FEan128CheckApplied = false;
};

// Check digit helpers shared by the encoders (exposed for tests).
QString PadWithZeros(const QString& text, int length);
// Modulo 10 check digit with weights 3, 1, 3, ... from the right; throws
// TBarcodeError on a non-digit.
QChar Modulo10CheckDigit(const QString& digits);
QString ApplyChecksum(const QString& digits, TCheckSumMethod method);
