#include "setmerge.h"

#include "goodsrecord.h"

#include <QStringList>

namespace {

QString Q(const char* name) { return u'"' + QLatin1String(name) + u'"'; }
QString Col(TGoodsColumn c) { return Q(GoodsColumnLatin1(c)); }

// The texts compared to find a change: the stored ones are trimmed, a null
// reads as an empty text.
const TGoodsColumn kCompared[] = {TGoodsColumn::NAZWA, TGoodsColumn::CENA, TGoodsColumn::WAGA, TGoodsColumn::KODKRESKOWY};

// The columns written from the staged row as they are, in the staging table's order.
const TGoodsColumn kWritten[] = {TGoodsColumn::ID, TGoodsColumn::NAZWA, TGoodsColumn::CENA, TGoodsColumn::WAGA,
                                 TGoodsColumn::KODKRESKOWY, TGoodsColumn::TYPKODU};

QString Action(TStageAction a) { return QString::number(static_cast<int>(a)); }

}  // namespace

namespace SetMergeSql {

QString CreateStage(const TSetMergeDialect& d) {
    return d.CreateStageTable + d.Stage +
           QStringLiteral(" (\"NR\" INTEGER NOT NULL, \"ID\" VARCHAR(255), \"NAZWA\" VARCHAR(255), \"CENA\" VARCHAR(255),"
                          " \"WAGA\" VARCHAR(255), \"KODKRESKOWY\" VARCHAR(255), \"TYPKODU\" INTEGER,"
                          " \"KROTKITERMIN\" BOOLEAN, \"CIETE\" INTEGER NOT NULL, \"AKCJA\" INTEGER NOT NULL") + d.StageExtra + u')';
}

namespace {
QString InsertStagedAs(const TSetMergeDialect& d, const QString& action) {
    return QStringLiteral("INSERT INTO %1 (\"NR\", \"ID\", \"NAZWA\", \"CENA\", \"WAGA\", \"KODKRESKOWY\","
                          " \"TYPKODU\", \"KROTKITERMIN\", \"CIETE\", \"AKCJA\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, %2)")
        .arg(d.Stage, action);
}
}  // namespace

QString InsertStaged(const TSetMergeDialect& d) { return InsertStagedAs(d, QStringLiteral("0")); }

QString InsertStagedSorted(const TSetMergeDialect& d) { return InsertStagedAs(d, QStringLiteral("?")); }

QString Classify(const TSetMergeDialect& d) {
    QStringList same;
    // Equal texts need no trimming: the common case is decided without it.
    for (const TGoodsColumn c : kCompared)
        same << QStringLiteral("(g.%1 = s.%1 OR COALESCE(%2, '') = COALESCE(s.%1, ''))").arg(Col(c), d.Trimmed(u"g."_qs + Col(c)));
    // The perishable flag counts only where the external row has one.
    same << QStringLiteral("(s.%1 IS NULL OR (g.%1 <> FALSE) = (s.%1 <> FALSE))").arg(Col(TGoodsColumn::KROTKITERMIN));
    const QString missing = QStringLiteral("s.%1 IS NULL OR s.%2 IS NULL").arg(Col(TGoodsColumn::NAZWA), Col(TGoodsColumn::CENA));
    // One look-up of the goods per staged row; no goods row: new.
    return QStringLiteral("UPDATE %1 AS s SET \"AKCJA\" = CASE WHEN s.\"CIETE\" <> 0 THEN %5 ELSE COALESCE("
                          "(SELECT CASE WHEN %2 THEN %3 WHEN %4 THEN %5 ELSE %6 END"
                          " FROM %7 g WHERE g.%8 = s.%8),"
                          " CASE WHEN %4 THEN %3 ELSE %9 END) END")
        .arg(d.Stage, same.join(QStringLiteral(" AND ")), Action(TStageAction::None), missing, Action(TStageAction::RowByRow),
             Action(TStageAction::Update), d.Goods, Col(TGoodsColumn::ID), Action(TStageAction::Insert));
}

QString UpdateChanged(const TSetMergeDialect& d, bool renamed) {
    QStringList sets;
    for (const TGoodsColumn c : kWritten)
        if (c != TGoodsColumn::ID && (renamed || c != TGoodsColumn::NAZWA)) sets << QStringLiteral("%1 = s.%1").arg(Col(c));
    sets << Col(TGoodsColumn::ABSCENA) + QStringLiteral(" = ") + d.UnitPrice;
    // A row that does not know the perishable flag leaves the goods' own.
    sets << QStringLiteral("%1 = COALESCE(s.%1, g.%1)").arg(Col(TGoodsColumn::KROTKITERMIN));
    for (const auto& [column, expr] : d.Derived) sets << column + QStringLiteral(" = ") + expr;
    sets << Col(TGoodsColumn::NEW) + QStringLiteral(" = TRUE");
    if (d.MarksInGoods) sets << Col(TGoodsColumn::SELECT) + QStringLiteral(" = FALSE");
    return QStringLiteral("UPDATE %1 AS g SET %2 FROM %3 s WHERE s.%4 = g.%4 AND s.\"AKCJA\" = %5 AND g.%6 %7 s.%6")
        .arg(d.Goods, sets.join(QStringLiteral(", ")), d.Stage, Col(TGoodsColumn::ID), Action(TStageAction::Update),
             Col(TGoodsColumn::NAZWA), renamed ? d.IsNot : d.Is);
}

QString InsertNew(const TSetMergeDialect& d) {
    QStringList columns;
    for (const TGoodsColumn c : kWritten) columns << Col(c);
    const QString list = columns.join(QStringLiteral(", "));
    const QString perishable = Col(TGoodsColumn::KROTKITERMIN);
    QStringList more{Col(TGoodsColumn::ABSCENA), perishable, Col(TGoodsColumn::NEW)};
    QStringList values{d.UnitPrice, QStringLiteral("COALESCE(%1, FALSE)").arg(perishable), QStringLiteral("TRUE")};
    if (d.MarksInGoods) {
        more << Col(TGoodsColumn::SELECT);
        values << QStringLiteral("FALSE");
    }
    for (const auto& [column, expr] : d.Derived) {
        more << column;
        values << expr;
    }
    return QStringLiteral("INSERT INTO %1 (%2, %3) SELECT %2, %4 FROM %5 s WHERE \"AKCJA\" = %6 ORDER BY \"NR\"")
        .arg(d.Goods, list, more.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), d.Stage, Action(TStageAction::Insert));
}

QString StagedOf(const TSetMergeDialect& d, TStageAction action) {
    return QStringLiteral("SELECT \"NR\" FROM %1 WHERE \"AKCJA\" = %2 ORDER BY \"NR\"").arg(d.Stage, Action(action));
}

QString CountOf(const TSetMergeDialect& d, TStageAction action) {
    return QStringLiteral("SELECT count(*) FROM %1 WHERE \"AKCJA\" = %2").arg(d.Stage, Action(action));
}

QString ClearStage(const TSetMergeDialect& d) { return QStringLiteral("DELETE FROM %1").arg(d.Stage); }

}  // namespace SetMergeSql
