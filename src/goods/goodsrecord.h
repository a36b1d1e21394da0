#pragma once
#include "barcodetypes.h"
#include "engine.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <optional>

// The goods table's stored columns, in the table's order. Every part of the
// program that names a goods column takes its name from here.
// Columns added by later versions come last, each with a default, so that an
// older file gains them at start-up (EnsureGoodsColumns) without losing a row.
enum class TGoodsColumn : quint8 { ID, NAZWA, CENA, WAGA, ABSCENA, KODKRESKOWY, TYPKODU, PRINTDATE, NEW, SELECT, KROTKITERMIN };

struct TGoodsColumnDef {
    TGoodsColumn Column;
    const char* Name;
    TFieldType Type;
    int Size;  // characters of a text column, 0 for the others
    bool Required;
    const char* Default = nullptr;  // SQL literal of a column added later
};

inline constexpr std::array<TGoodsColumnDef, 11> kGoodsColumns{{
    {TGoodsColumn::ID, "ID", TFieldType::String, 30, true},
    {TGoodsColumn::NAZWA, "NAZWA", TFieldType::String, 50, true},
    {TGoodsColumn::CENA, "CENA", TFieldType::String, 10, true},
    {TGoodsColumn::WAGA, "WAGA", TFieldType::String, 50, false},
    {TGoodsColumn::ABSCENA, "ABSCENA", TFieldType::String, 50, false},
    {TGoodsColumn::KODKRESKOWY, "KODKRESKOWY", TFieldType::String, 50, false},
    {TGoodsColumn::TYPKODU, "TYPKODU", TFieldType::Integer, 0, false},
    {TGoodsColumn::PRINTDATE, "PRINTDATE", TFieldType::DateTime, 0, false},
    {TGoodsColumn::NEW, "NEW", TFieldType::Boolean, 0, true},
    {TGoodsColumn::SELECT, "SELECT", TFieldType::Boolean, 0, true},
    // Goods that spoil quickly or keep only a short time: a reduction of them
    // is measured from the price before the first of its run (pricehistory.h).
    {TGoodsColumn::KROTKITERMIN, "KROTKITERMIN", TFieldType::Boolean, 0, true, "0"},
}};

// The column's name as the table holds it ("KODKRESKOWY").
QString GoodsColumnName(TGoodsColumn column);
constexpr const char* GoodsColumnLatin1(TGoodsColumn column) { return kGoodsColumns[static_cast<size_t>(column)].Name; }
// The calculated column of the lowest price, after the stored ones.
inline constexpr char kLowestPriceColumn[] = "NAJNIZSZA";
// The field definitions of a new goods table, from kGoodsColumns.
std::vector<TFieldDef> GoodsFieldDefs();

// The barcode type of goods that have none (an empty TYPKODU): EAN-13.
inline constexpr int kDefaultBarcodeType = DefaultBarcodeType;

// One goods record as the program passes it around: what a label prints, what
// the update merges, what a list shows. Texts as stored; the barcode type
// already defaulted (a record without one is EAN-13) and kept in 8 bits as
// labels print it; the lowest price of the 30 days before a reduction as its
// amount text, empty when the goods have none.
struct TGoodsRecord {
    QString ID;
    QString NAZWA;
    QString CENA;
    QString WAGA;
    QString ABSCENA;
    QString KODKRESKOWY;
    quint8 TYPKODU = kDefaultBarcodeType;
    QDateTime PRINTDATE;  // invalid: never printed
    bool NEW = false;
    bool SELECT = false;
    QString NAJNIZSZA;
    // Perishable goods. Not known (nullopt) for a row of an update whose query
    // has no such column: goods then keep what they have, new goods get 0.
    std::optional<bool> KROTKITERMIN;
};

// The current record of a goods table object, texts cut to 255 characters;
// the lowest price comes from the table's calculated field, none without it.
TGoodsRecord ReadGoodsRecord(TTable& table);
// The same of a row of `table` as its ForEachRecord gives it.
TGoodsRecord GoodsRecordOfRow(TTable& table, const std::vector<QVariant>& row);

// The barcode type code of a record's TYPKODU field: its value, or the default
// when empty.
qint64 BarcodeTypeCode(const TField& typkodu);
