#pragma once
// The "Kod 2D" object (ctMatrixCode): its text is a template over the goods'
// fields, drawn as a QR or Data Matrix symbol, plain or as GS1 data.
#include "barcodetypes.h"
#include "layout.h"

#include <QString>
#include <optional>

// The placeholder of the GTIN, the whole template of a GS1 object.
inline constexpr QStringView kGtinPlaceholder = u"{gtin}";

// The box and font of a new object in the designer: a square of this side,
// the font of the text printed when the symbol does not fit.
constexpr int kMatrixCodeSideMm = 16;
constexpr int kMatrixCodePoints = 6;

// The goods' fields a template names, each as the label prints it.
struct TCodeTemplateValues {
    QString Kod;    // {kod}: the goods' code as stored
    QString Gtin;   // {gtin}: the code as fourteen digits (Gtin14); empty when it is none
    QString Nazwa;  // {nazwa}
    QString Cena;   // {cena}: the price as the price field prints it
    QString Id;     // {id}
};

// The template filled in one pass: each placeholder, compared without case,
// replaced by its value (a value that itself looks like a placeholder stays
// as it is); anything else in braces stays. The Digital Link template stands
// in for an empty one. Nothing when the template names {gtin} for goods
// without a GTIN or {kod} for goods without a code, or when the filled text
// is empty: those goods leave the object blank.
std::optional<QString> FillCodeTemplate(const QString& templateText, const TCodeTemplateValues& values);

// The type the object is drawn as: QR, Data Matrix, or their GS1 kinds, which
// take a GTIN (so a GS1 object's template is "{gtin}" or "{kod}").
TBarcodeType MatrixCodeType(const TObjectProperties& o);

// What the designer fills a template with, so that the panel shows a symbol
// of about the size the goods will print.
TCodeTemplateValues SampleCodeValues();
