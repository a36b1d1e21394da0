#pragma once
#include "engine.h"

#include <QString>
#include <QVariantList>
#include <vector>

// A filter expression as an SQL condition with bound values. Values never reach
// the SQL text itself. Raises TEngineError for any text outside the expression
// language (see TTable::SetFilter); an empty filter gives an empty condition.
struct TFilterSql {
    QString Sql;
    QVariantList Binds;
};
TFilterSql TranslateFilter(const QString& filter, const std::vector<TFieldDef>& fields);

// A field name as SQL writes it, in double quotes.
QString QuoteName(const QString& name);
