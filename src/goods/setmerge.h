#pragma once
#include <QString>

#include <utility>
#include <vector>

// The blanks QString::trimmed takes off: ASCII white space, NEL, the no-break
// space and Unicode's spaces; the characters a trimming SQL function is given.
inline const QString kBlanks = QStringLiteral(" \t\n\v\f\r") + QChar(0x85) + QChar(0xA0) + QChar(0x1680) +
                               QStringLiteral("\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007\u2008\u2009\u200A\u2028\u2029\u202F\u205F\u3000");

// The goods update's merge as a few statements over a batch of external rows
// instead of a look-up and a write per row. The rows are first written into a
// staging table, then one statement sorts them (new, changed, unchanged,
// refused), one writes the changed goods, one inserts the new ones; the price
// history gets its entries from the same staged rows.
//
// The statements are standard SQL (INSERT ... SELECT, UPDATE ... FROM,
// EXISTS; truth values TRUE and FALSE, which SQLite reads as 1 and 0), so
// that every kind of goods store runs the same merge; what a kind of store
// spells its own way comes in a TSetMergeDialect.
//
// Staging table columns: NR (arrival order), ID, NAZWA, CENA, WAGA,
// KODKRESKOWY, TYPKODU as they are to be stored (cut to their fields, an
// empty text null), KROTKITERMIN (the perishable flag, false or true, null when the
// external row does not say), CIETE (1 when a text was cut: such rows, rare, are written
// alone, as the program always wrote them) and AKCJA, which the sorting
// statement fills in, and the dialect's own columns after them. The unit
// price is worked out only for the goods written, by the store's own
// expression.

// What a staged row is to the goods.
enum class TStageAction : int {
    None = 0,     // unchanged, or new without a name or a price: not added
    Insert = 1,   // new goods
    Update = 2,   // goods whose texts differ
    RowByRow = 3  // changed goods that the store may refuse (a name or price
                  // missing), and rows with a text cut: written alone, so
                  // that a refusal is counted and its cause kept while the
                  // other rows merge
};

struct TSetMergeDialect {
    QString Goods;    // the goods table, quoted (and qualified) as the store needs
    QString Stage;    // the staging table, likewise
    QString CreateStageTable;  // the CREATE of a temporary table, up to the table's name
    // An SQL expression: `expr` with blanks (as the program trims them) off both ends.
    QString (*Trimmed)(const QString& expr) = nullptr;
    // The SQL expression of the unit price (ABSCENA as stored) of the staged
    // row s, from its CENA and WAGA.
    QString UnitPrice;
    // Null-safe equality of two values, and its negation.
    QString Is = QStringLiteral("IS");
    QString IsNot = QStringLiteral("IS NOT");
    // Whether the goods table holds the mark (SELECT), which a change clears;
    // a store that keeps marks elsewhere clears them itself.
    bool MarksInGoods = true;
    // Staging table columns of the store's own, after AKCJA, as in a CREATE
    // (", \"KWOTA\" BIGINT"): what the store works out before staging.
    QString StageExtra;
    // Goods columns (quoted) that the goods written get from such a column:
    // the column and the SQL expression over the staged row s.
    std::vector<std::pair<QString, QString>> Derived;
};

namespace SetMergeSql {

// Makes the staging table (no rows); it lives as long as the session.
QString CreateStage(const TSetMergeDialect& d);
// One staged row: NR, ID, NAZWA, CENA, WAGA, KODKRESKOWY, TYPKODU, KROTKITERMIN, CIETE
// bound in that order.
QString InsertStaged(const TSetMergeDialect& d);
// The same with AKCJA bound tenth: for a store that sorts the rows as it
// stages them (it looks each up anyway), which then skips Classify.
QString InsertStagedSorted(const TSetMergeDialect& d);
// Fills in AKCJA of every staged row.
QString Classify(const TSetMergeDialect& d);
// Writes the goods staged as Update: their texts, unit price and type, NEW on
// and the mark off; PRINTDATE untouched. Two statements: the goods whose
// stored name is the staged one (`renamed` false) keep it untouched, so that
// an index on the name is not rewritten for a new price; the others
// (`renamed` true) get it too.
QString UpdateChanged(const TSetMergeDialect& d, bool renamed);
// Inserts the goods staged as Insert, in arrival order, NEW on, no mark.
QString InsertNew(const TSetMergeDialect& d);
// The staged rows of one action, in arrival order: NR.
QString StagedOf(const TSetMergeDialect& d, TStageAction action);
// How many staged rows have the action.
QString CountOf(const TSetMergeDialect& d, TStageAction action);
// Empties the staging table.
QString ClearStage(const TSetMergeDialect& d);

}  // namespace SetMergeSql
