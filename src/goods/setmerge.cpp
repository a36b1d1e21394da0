#include "setmerge.h"

#include "goodsrecord.h"

#include <QStringList>

namespace {

QString Q(const char* name) { return u'"' + QLatin1String(name) + u'"'; }
QString Col(TGoodsColumn c) { return Q(GoodsColumnLatin1(c)); }

// The texts compared to find a change: the stored ones are trimmed, a null
// reads as an empty text.
const TGoodsColumn kCompared[] = {TGoodsColumn::NAZWA, TGoodsColumn::CENA, TGoodsColumn::WAGA, TGoodsColumn::KODKRESKOWY};

// The columns written from the staged row, in the staging table's order.
const TGoodsColumn kWritten[] = {TGoodsColumn::ID, TGoodsColumn::NAZWA, TGoodsColumn::CENA, TGoodsColumn::WAGA,
                                 TGoodsColumn::ABSCENA, TGoodsColumn::KODKRESKOWY, TGoodsColumn::TYPKODU};

QString Action(TStageAction a) { return QString::number(static_cast<int>(a)); }

}  // namespace

namespace SetMergeSql {

QString CreateStage(const TSetMergeDialect& d) {
    return d.CreateStageTable + d.Stage +
           QStringLiteral(" (\"NR\" INTEGER NOT NULL, \"ID\" VARCHAR(255), \"NAZWA\" VARCHAR(255), \"CENA\" VARCHAR(255),"
                          " \"WAGA\" VARCHAR(255), \"ABSCENA\" VARCHAR(255), \"KODKRESKOWY\" VARCHAR(255), \"TYPKODU\" INTEGER,"
                          " \"KWOTA\" BIGINT, \"CIETE\" INTEGER NOT NULL, \"AKCJA\" INTEGER NOT NULL)");
}

QString InsertStaged(const TSetMergeDialect& d) {
    return QStringLiteral("INSERT INTO %1 (\"NR\", \"ID\", \"NAZWA\", \"CENA\", \"WAGA\", \"ABSCENA\", \"KODKRESKOWY\","
                          " \"TYPKODU\", \"KWOTA\", \"CIETE\", \"AKCJA\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)")
        .arg(d.Stage);
}

QString Classify(const TSetMergeDialect& d) {
    QStringList same;
    for (const TGoodsColumn c : kCompared)
        same << QStringLiteral("COALESCE(%1, '') = COALESCE(s.%2, '')").arg(d.Trimmed(u"g."_qs + Col(c)), Col(c));
    const QString id = Col(TGoodsColumn::ID);
    const QString missing = QStringLiteral("s.%1 IS NULL OR s.%2 IS NULL").arg(Col(TGoodsColumn::NAZWA), Col(TGoodsColumn::CENA));
    return QStringLiteral("UPDATE %1 AS s SET \"AKCJA\" = CASE"
                          " WHEN NOT EXISTS (SELECT 1 FROM %2 g WHERE g.%3 = s.%3) THEN CASE WHEN %4 THEN %5 ELSE %6 END"
                          " WHEN s.\"CIETE\" = 0 AND EXISTS (SELECT 1 FROM %2 g WHERE g.%3 = s.%3 AND %7) THEN %5"
                          " WHEN %4 THEN %8 ELSE %9 END")
        .arg(d.Stage, d.Goods, id, missing, Action(TStageAction::None), Action(TStageAction::Insert),
             same.join(QStringLiteral(" AND ")), Action(TStageAction::RowByRow))
        .arg(Action(TStageAction::Update));
}

QString UpdateChanged(const TSetMergeDialect& d) {
    QStringList sets;
    for (const TGoodsColumn c : kWritten)
        if (c != TGoodsColumn::ID) sets << QStringLiteral("%1 = s.%1").arg(Col(c));
    sets << Col(TGoodsColumn::NEW) + QStringLiteral(" = 1") << Col(TGoodsColumn::SELECT) + QStringLiteral(" = 0");
    return QStringLiteral("UPDATE %1 AS g SET %2 FROM %3 s WHERE s.%4 = g.%4 AND s.\"AKCJA\" = %5")
        .arg(d.Goods, sets.join(QStringLiteral(", ")), d.Stage, Col(TGoodsColumn::ID), Action(TStageAction::Update));
}

QString InsertNew(const TSetMergeDialect& d) {
    QStringList columns;
    for (const TGoodsColumn c : kWritten) columns << Col(c);
    const QString list = columns.join(QStringLiteral(", "));
    return QStringLiteral("INSERT INTO %1 (%2, %3, %4) SELECT %2, 1, 0 FROM %5 WHERE \"AKCJA\" = %6 ORDER BY \"NR\"")
        .arg(d.Goods, list, Col(TGoodsColumn::NEW), Col(TGoodsColumn::SELECT), d.Stage, Action(TStageAction::Insert));
}

QString StagedOf(const TSetMergeDialect& d, TStageAction action) {
    return QStringLiteral("SELECT \"NR\" FROM %1 WHERE \"AKCJA\" = %2 ORDER BY \"NR\"").arg(d.Stage, Action(action));
}

QString CountOf(const TSetMergeDialect& d, TStageAction action) {
    return QStringLiteral("SELECT count(*) FROM %1 WHERE \"AKCJA\" = %2").arg(d.Stage, Action(action));
}

QString ClearStage(const TSetMergeDialect& d) { return QStringLiteral("DELETE FROM %1").arg(d.Stage); }

}  // namespace SetMergeSql
