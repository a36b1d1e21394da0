#pragma once
#include "units.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <vector>

class TIniFile;

// What a label object stands for; stored in layout files as TYPE.
enum TCompoType : quint8 {
    ctPrice = 0,
    ctName = 1,
    ctAbsPrice = 2,
    ctCode = 3,
    ctUserLabel = 4,
    ctUserBitmap = 5,
    // The lowest price of the 30 days before a reduction, printed through the
    // object's text, a template in which {cena} stands for the price; the
    // whole field is blank for goods without a reduction.
    ctLowestPrice = 6,
    // A two-dimensional symbol (QR or Data Matrix) of the object's text, a
    // template over the goods' fields (matrixcode.h); blank for goods whose
    // code the template needs but does not have.
    ctMatrixCode = 7,
    // The reduction against the reference price (the lowest price of the 30
    // days before it, or a perishable good's price before its run of
    // reductions), printed through the object's text, a template in which
    // {procent} stands for the whole percent, rounded down, {kwota} for the
    // difference in złoty and {cena} for the reference price; the whole field
    // is blank for goods without a reduction.
    ctReduction = 8,
};

// The symbology of a ctMatrixCode object, as stored in SYMBOL.
enum TMatrixSymbol : quint8 {
    msQR = 0,
    msDataMatrix = 1,
};

// Default texts of the kinds ctPrice to ctUserLabel, indexed by kind.
inline constexpr std::array<QStringView, 5> CompoCaptions = {
    u"Cena", u"Nazwa", u"Cena za jednostkę", u"Kod", u"Napis",
};
// The default template of ctLowestPrice and its placeholder.
inline constexpr QStringView kLowestPriceTemplate = u"Najniższa cena z 30 dni przed obniżką: {cena} zł";
inline constexpr QStringView kPricePlaceholder = u"{cena}";
// The default template of ctMatrixCode: a GS1 Digital Link of the goods' GTIN,
// which phones open as a web address and new tills read as the GTIN.
inline constexpr QStringView kDigitalLinkTemplate = u"https://id.gs1.org/01/{gtin}";
// The default template of ctReduction and its own placeholders.
inline constexpr QStringView kReductionTemplate = u"\u2212{procent}%";
inline constexpr QStringView kPercentPlaceholder = u"{procent}";
inline constexpr QStringView kAmountPlaceholder = u"{kwota}";
// The default text of a kind: CompoCaptions, the default templates for
// ctLowestPrice, ctMatrixCode and ctReduction, empty for any other value.
QString CompoCaption(int type);
// The text of a lowest price field: the template with every placeholder
// (compared without case) replaced by the formatted price; the default
// template stands in for an empty one.
QString FillPriceTemplate(const QString& templateText, const QString& price);
// The text of a reduction field: the template (the default one when empty)
// with every {procent}, {kwota} and {cena} (compared without case) replaced.
QString FillReductionTemplate(const QString& templateText, const QString& percent, const QString& amount,
                              const QString& price);

// Position of a price's decimal separator: the first ",", else the first ".";
// -1 when there is neither.
qsizetype PriceSeparatorPos(const QString& price);

// Text alignment of a label object, as stored in ALIGNMENT.
enum TLabelAlignment : quint8 {
    taLeftJustify = 0,
    taRightJustify = 1,
    taCenter = 2,
};

// Where the text of a label object sits in its box: at the top, left, right or
// centred; any other value counts as left.
Qt::Alignment AlignmentFlags(quint8 alignment);

// Colour values as settings and layout files hold them: red + 256 × green +
// 65536 × blue. Values with bits above the 24 colour bits (system colours) are
// not plain colours; they come out as black.
QColor ColorFromValue(int value);
int ColorToValue(const QColor& color);

// The two kinds of object sections.
enum class LayoutObjectKind { Label, Image };

// Which kind of object a section of a layout file holds: "LABEL" or "IMAGE" at
// its first character, compared with case ("label1" and "XLABEL1" hold
// nothing, "LABELS" and "LABEL_A" hold a label). Returns false for any other
// section.
bool LayoutSectionKind(const QString& section, LayoutObjectKind& kind);

// Everything of a label object but its place: what it stands for and how it
// looks. The designer holds this for each of its objects and its history
// keeps it whole, so a new key of the layout file is one new field here.
struct TObjectProperties {
    LayoutObjectKind Kind = LayoutObjectKind::Label;
    // Label sections.
    quint8 Type = ctUserLabel;     // TYPE, low byte
    QString Text;                  // TEXT
    QString FontName;              // FONTNAME
    int FontSize = 0;              // FONTSIZE, points at scale 1
    bool FontBold = false;         // FONTBOLD
    bool FontItalic = false;       // FONTITALIC
    bool FontUnderline = false;    // FONTUNDERLINE
    int FontColor = 0;             // FONTCOLOR, colour value
    quint8 Alignment = taLeftJustify;  // ALIGNMENT, low byte
    // ctMatrixCode sections only (other kinds neither write nor read them).
    quint8 Symbol = msQR;          // SYMBOL: "QR" or "DATAMATRIX"
    bool Gs1 = false;              // GS1: the symbol carries a GTIN as GS1 data
    // Image sections.
    QString FileName;              // FILENAME
    bool RealSize = true;          // REALSIZE

    bool operator==(const TObjectProperties&) const = default;
};

// One object section of a layout file, with every key it may hold: the
// object's properties in its box (LEFT, TOP, RIGHT, BOTTOM) in whole
// millimetres from the label's top-left corner.
struct TLayoutObject : TObjectProperties, TMmRect {
    bool operator==(const TLayoutObject&) const = default;
};

// The values that stand in for keys missing from a file (or not numbers). The
// designer and the print manager read the same files with different defaults.
struct TLayoutDefaults {
    TMmSize Panel;
    quint8 Type = ctPrice;
    QString Text;
    QString FontName;
    int FontSize = 0;
    bool RealSize = true;
    // Texts, font names and file names longer than this are cut (the
    // template of a 2D code never); 0 keeps everything the INI reader gives
    // (at most 2047 characters).
    int MaxTextLength = 0;
};

// Designer: a 100 × 50 mm label, TYPE 4 (fixed text) "??????", Arial 16 points.
TLayoutDefaults DesignerLayoutDefaults();
// Printing: a 0 × 0 label, TYPE 0 (price), empty text, Arial 10 points, texts
// cut to 255 characters.
TLayoutDefaults PrintLayoutDefaults();

// A whole layout: the label's size (PANEL's WIDTH and HEIGHT) and the
// objects in file order.
struct TLabelLayout : TMmSize {
    std::vector<TLayoutObject> Objects;
};

// The layout file is read and written here only; the designer and the print
// manager exchange TLabelLayout with it.
//
// Reading. Sections are taken in file order by the prefix rule above; the
// keys of each kind are read (geometry keys default to 0), everything else is
// ignored.
TLabelLayout ReadLayout(const TIniFile& ini, const TLayoutDefaults& defaults);
// Reads the file at `path`. A missing file reads as an empty layout with the
// defaults' size; false only when the file exists but cannot be read. (The
// print manager refuses a missing file itself.)
bool LoadLayoutFile(const QString& path, const TLayoutDefaults& defaults, TLabelLayout& layout);

// Writing, key by key in the file's order: erase LABEL1 to LABEL99 and IMAGE1
// to IMAGE99 (higher numbers stay), so that objects deleted since the last
// save do not come back; write PANEL; then the objects in order, labels and
// images numbered separately from 1, each section with every key of its kind.
// Other sections and keys of the file stay as they were.
void WriteLayout(TIniFile& ini, const TLabelLayout& layout);
// Writes `layout` into the file at `path` (created when missing); false when
// the file cannot be read or written.
bool SaveLayoutFile(const QString& path, const TLabelLayout& layout);
