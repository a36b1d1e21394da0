#pragma once
#include "barcodetypes.h"
#include "checkdigits.h"
#include "matrixsymbol.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

class QPainter;
class QPaintDevice;
struct TBarcodeData;

enum TBarcodeOption : int { bcoNone, bcoCode, bcoTyp, bcoBoth };
enum TShowTextPosition : int { stpTopLeft, stpTopRight, stpTopCenter, stpBottomLeft, stpBottomRight, stpBottomCenter };

// The narrow element (module) width in device pixels that SetModul accepts.
constexpr int MinModul = 1;
constexpr int MaxModul = 49;

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
    void SetModul(int value);  // MinModul..MaxModul only, other values are ignored
    // Wide/narrow ratio of the two-width symbologies (2 of 5, Code 39,
    // Codabar, MSI, PostNet); the others are built from whole modules.
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
    // Error correction of the QR kinds.
    TQrEcc QrEcc() const { return FQrEcc; }
    void SetQrEcc(TQrEcc value);

    // Width in device pixels of the bars alone, along the symbol: the sum of
    // the element widths of the current pattern. Builds the pattern, so it
    // may rewrite Text and bring Ratio into range, as painting does.
    int Width();
    // Scales the module so that the symbol becomes about `value` pixels wide.
    void SetWidth(int value);

    // How many device pixels across the canvas PaintTo would cover with the
    // module `modul` (brought into MinModul..MaxModul), from the leftmost to
    // the rightmost painted pixel: the bars at the current angle and Height,
    // and, unless ShowText is bcoNone, the legend, which may stick out on
    // either side of narrow bars. The symbologies draw no guard bars below the
    // others and no digits beside them, so nothing else widens a symbol.
    // Fonts are measured for `device` (the canvas PaintTo will get; the
    // screen when none). Changes nothing and draws nothing, so it can be asked
    // for one module after another; it raises TBarcodeError where painting
    // would.
    int PaintedWidth(int modul, const QPaintDevice* device = nullptr) const;

    std::function<void(QObject* sender)> OnChange;

    void Assign(const TBarcodeSymbol& source);
    // The bar pattern of a linear type; a two-dimensional one raises
    // "wrong BarcodeType".
    QString BuildPattern();
    // The module matrix of a two-dimensional type (IsMatrixType). The GS1
    // kinds trim Text and require digits first, as BuildPattern does for the
    // numeric symbologies. A linear type raises "wrong BarcodeType".
    TModuleMatrix BuildMatrix();
    void PaintTo(QPainter& canvas);
    QString TypeName() const;

    // Width in pixels and kind of one pattern character.
    void ElementInfo(QChar c, TBarLineType& lineType, int& width) const;
    // The four width classes as last computed.
    int WidthClass(int index) const { return FModules[index & 3]; }

protected:
    virtual void Changed();

private:
    template <typename T>
    bool Store(T& field, const T& value);
    void DataChanged();
    TBarcodeData Data() const;
    double RatioInRange() const;
    void PrepareWidths();
    void MakeModules();
    // What BuildPattern would give for the module `modul`, without changing
    // anything: the pattern, its width classes and the text as the encoder
    // leaves it.
    QString PatternAt(int modul, int (&modules)[4], QString& text) const;
    static int PatternWidth(const QString& pattern, const int (&modules)[4]);
    int LegendX(int width, int textWidth) const;
    void PaintBars(QPainter& canvas, const QString& pattern, int width);
    void PaintLegend(QPainter& canvas, int width);

    int FHeight = 0;
    QString FText;
    int FTop = 0;
    int FLeft = 0;
    int FModul = MinModul;
    double FRatio = DefaultRatio;
    TBarcodeType FTyp = DefaultBarcodeType;
    bool FCheckSum = false;
    TCheckSumMethod FCheckSumMethod = csmModulo10;
    double FAngle = 0.0;
    TBarcodeOption FShowText = bcoNone;
    QFont FShowTextFont;
    QColor FShowTextFontColor = Qt::black;
    TShowTextPosition FShowTextPosition = stpTopLeft;
    QColor FColor = Qt::white;
    QColor FColorBar = Qt::black;
    TQrEcc FQrEcc = DefaultQrEcc;
    // Wider than a byte: a large module times a large ratio must not wrap.
    int FModules[4] = {1, 2, 3, 4};
    // EAN-128 with a check digit: the current text already carries it.
    bool FEan128CheckApplied = false;
};
