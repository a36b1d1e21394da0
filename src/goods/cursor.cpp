#include "engine.h"
#include "filterexpr.h"
#include "polishcollation.h"
#include "silentfailure.h"
#include "sqliteconnection.h"

#include <algorithm>
#include <limits>

// The cursor: the record list of the current order under the filter (row ids
// with their order values, read when first used), moving through it, reading
// rows, and the keyed and located searches.

void TTable::EnsureKeys() const {
    if (!KeysValid) const_cast<TTable*>(this)->ReloadFirst();
}

void TTable::ReloadFirst() {
    LoadKeys();
    KeysValid = true;
    SetPosition(0);
    AtBof = true;
}

bool TTable::Eof() const {
    if (Active()) EnsureKeys();
    return AtEof;
}

bool TTable::Bof() const {
    if (Active()) EnsureKeys();
    return AtBof;
}

int TTable::RecNo() const {
    CheckActive();
    EnsureKeys();
    return Keys.empty() ? -1 : Cur;
}

// One ORDER BY for every read in the table's order: the order field (in the
// index's collation), then the row, so that equal names keep a fixed order.
QString TTable::OrderBy() const {
    if (OrderField < 0) return QStringLiteral(" ORDER BY rowid");
    return QStringLiteral(" ORDER BY %1%2, rowid").arg(QuoteName(Defs[OrderField].Name), CollateClause(OrderNoCase));
}

QString TTable::OrderColumn() const {
    return OrderField >= 0 ? QuoteName(Defs[OrderField].Name) : QStringLiteral("NULL");
}

void TTable::LoadKeys() {
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(OrderColumn(), QuoteName(SqlTable));
    // Under a filter the table is read in storage order and sorted here: walking
    // the index would look every row up in the table to test the filter.
    const bool sortHere = !FilterSql.isEmpty() && OrderField >= 0;
    if (!FilterSql.isEmpty()) sql += QStringLiteral(" WHERE ") + FilterSql;
    if (!sortHere) sql += OrderBy();
    // The keys of a large table are read straight from SQLite: this is the one
    // pass over every row when a list opens.
    TSqliteStatement st(Conn->Handle, sql);
    for (int i = 0; i < FilterBinds.size(); ++i) st.Bind(i + 1, FilterBinds[i]);
    std::vector<Key> keys;
    while (st.Step()) {
        Key k{st.Int64(0), QString(), st.IsNull(1)};
        if (!k.Null) k.Order = st.Text(1);
        keys.push_back(std::move(k));
    }
    if (sortHere) std::sort(keys.begin(), keys.end(), [this](const Key& a, const Key& b) { return CompareKeys(a, b) < 0; });
    Keys = std::move(keys);
}

void TTable::ForEachKey(const std::function<void(const QString&)>& fn) const {
    CheckActive();
    EnsureKeys();
    for (const Key& k : Keys)
        if (!k.Null) fn(k.Order);
}

bool TTable::ReadRow(qint64 rowId, std::vector<QVariant>& out, bool calculated) const {
    out.assign(Defs.size(), QVariant());
    const int stored = FieldCount();
    const int count = calculated ? static_cast<int>(Defs.size()) : stored;
    // Moving through the list reads one row at a time; the statements are
    // prepared once per opening.
    auto& statement = count > stored ? FetchAllStatement : FetchStatement;
    bool found = false;
    try {
        if (!statement) {
            QStringList cols;
            for (int i = 0; i < count; ++i) cols << ColumnSql(i);
            statement = std::make_unique<TSqliteStatement>(
                Conn->Handle, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(cols.join(u','), QuoteName(SqlTable)));
        }
        TSqliteStatement& st = *statement;
        st.Bind(1, rowId);
        // No row: it was deleted through another table object.
        found = st.Step();
        if (found)
            for (int i = 0; i < count; ++i) out[i] = FromStorage(i, st.Value(i));
        st.Reset();
    } catch (const TEngineError& e) {
        if (count == stored) throw;
        // A calculated field that cannot be worked out (a table it reads has
        // gone) reads as null; the stored fields are read alone.
        SilentFailure(lcGoods, QStringLiteral("the calculated fields of %1 read as null").arg(FileName), e);
        statement.reset();
        return ReadRow(rowId, out, false);
    }
    return found;
}

void TTable::EnsureCalculated() {
    EnsureLoaded();
    if (CalculatedLoaded) return;
    CalculatedLoaded = true;
    if (BufferRowId < 0 || FieldCount() == static_cast<int>(Defs.size())) return;
    std::vector<QVariant> row;
    if (!ReadRow(BufferRowId, row, true)) return;
    for (size_t i = 0; i < Defs.size(); ++i)
        if (IsCalculated(static_cast<int>(i))) Buffer[i] = row[i];
}

void TTable::Fetch() {
    Modified.assign(Defs.size(), false);
    BufferRowId = -1;
    CalculatedLoaded = false;
    EnsureKeys();
    if (Keys.empty()) {
        Buffer.assign(Defs.size(), QVariant());
        return;
    }
    if (ReadRow(Keys[Cur].RowId, Buffer, false)) BufferRowId = Keys[Cur].RowId;
}

bool TTable::RecordAt(int pos, std::vector<QVariant>& values) const {
    CheckActive();
    EnsureKeys();
    if (pos < 0 || pos >= static_cast<int>(Keys.size())) return false;
    return ReadRow(Keys[pos].RowId, values, true);
}

void TTable::MoveTo(int pos) {
    CheckBrowse();
    EnsureKeys();
    if (Keys.empty()) return;
    SetPosition(pos);
}

void TTable::SetPosition(int pos) {
    const int n = static_cast<int>(Keys.size());
    Cur = n == 0 ? 0 : std::clamp(pos, 0, n - 1);
    AtBof = n == 0;
    AtEof = n == 0;
    Loaded = false;
}

void TTable::EnsureLoaded() {
    if (Loaded) return;
    Fetch();
    Loaded = true;
}

void TTable::First() {
    CheckBrowse();
    if (!KeysValid) {
        ReloadFirst();
        return;
    }
    SetPosition(0);
    AtBof = true;
}

void TTable::Last() {
    CheckBrowse();
    EnsureKeys();
    SetPosition(static_cast<int>(Keys.size()) - 1);
    AtEof = true;
}

void TTable::Next() {
    CheckBrowse();
    EnsureKeys();
    if (Keys.empty() || Cur >= static_cast<int>(Keys.size()) - 1) {
        AtEof = true;
        return;
    }
    SetPosition(Cur + 1);
}

void TTable::Prior() {
    CheckBrowse();
    EnsureKeys();
    if (Keys.empty() || Cur <= 0) {
        AtBof = true;
        return;
    }
    SetPosition(Cur - 1);
}

bool TTable::IsEmpty() const {
    CheckActive();
    EnsureKeys();
    return Keys.empty();
}

int TTable::RecordCount() const {
    CheckActive();
    EnsureKeys();
    return static_cast<int>(Keys.size());
}

void TTable::Refresh() {
    CheckBrowse();
    if (!KeysValid) return;  // read when first used
    const qint64 current = Keys.empty() ? -1 : Keys[Cur].RowId;
    int pos = Cur;
    LoadKeys();
    for (size_t i = 0; i < Keys.size(); ++i)
        if (Keys[i].RowId == current) {
            pos = static_cast<int>(i);
            break;
        }
    SetPosition(pos);
}

int TTable::CompareKeys(const Key& a, const Key& b) const {
    if (a.Null != b.Null) return a.Null ? -1 : 1;
    if (!a.Null) {
        const int c = OrderNoCase ? PolishNoCaseCompare(a.Order.constData(), a.Order.size(), b.Order.constData(), b.Order.size())
                                  : CodePointCompare(a.Order, b.Order);
        if (c != 0) return c;
    }
    return a.RowId == b.RowId ? 0 : (a.RowId < b.RowId ? -1 : 1);
}

int TTable::LowerBound(const QString& order, bool isNull, qint64 rowId) const {
    const Key probe{rowId, order, isNull};
    const auto it = std::lower_bound(Keys.begin(), Keys.end(), probe,
                                     [this](const Key& k, const Key& p) { return CompareKeys(k, p) < 0; });
    return static_cast<int>(it - Keys.begin());
}

int TTable::PositionOf(qint64 rowId, const QString& order, bool isNull) const {
    const int pos = LowerBound(order, isNull, rowId);
    if (pos < static_cast<int>(Keys.size()) && Keys[pos].RowId == rowId) return pos;
    // The kept order value may be older than the record (changed through another
    // table object): look the record up by its row.
    for (size_t i = 0; i < Keys.size(); ++i)
        if (Keys[i].RowId == rowId) return static_cast<int>(i);
    return -1;
}

bool TTable::FindKey(const QVariant& value) {
    CheckBrowse();
    EnsureKeys();
    if (OrderField < 0) throw TEngineError(QStringLiteral("Tabela %1 nie ma indeksu do wyszukiwania.").arg(FileName));
    if (value.isNull()) return false;
    const QString text = ToStorage(OrderField, value.toString()).toString();
    const int pos = LowerBound(text, false, std::numeric_limits<qint64>::min());
    if (pos >= static_cast<int>(Keys.size()) || Keys[pos].Null) return false;
    const Key& k = Keys[pos];
    const bool equal = OrderNoCase ? PolishNoCaseCompare(k.Order.constData(), k.Order.size(), text.constData(), text.size()) == 0
                                   : k.Order == text;
    if (!equal) return false;
    SetPosition(pos);
    return true;
}

bool TTable::Locate(const QString& field, const QVariant& value, TLocateOptions options) {
    CheckBrowse();
    EnsureKeys();
    const int fi = FieldIndex(field);
    if (fi < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(field));
    const TFieldDef& def = Defs[fi];
    const bool isString = def.Type == TFieldType::String;
    const QString text = isString && !value.isNull() ? ToStorage(fi, value.toString()).toString() : QString();

    // In the table's own order the answer is a binary search.
    if (fi == OrderField && !value.isNull() && options.CaseInsensitive == OrderNoCase) {
        const int pos = LowerBound(text, false, std::numeric_limits<qint64>::min());
        if (pos >= static_cast<int>(Keys.size()) || Keys[pos].Null) return false;
        const QString& k = Keys[pos].Order;
        bool match;
        if (options.PartialKey)
            match = OrderNoCase ? PolishNoCaseStartsWith(k, text) : k.startsWith(text);
        else
            match = OrderNoCase ? PolishNoCaseCompare(k.constData(), k.size(), text.constData(), text.size()) == 0 : k == text;
        if (!match) return false;
        SetPosition(pos);
        return true;
    }

    const QString column = ColumnSql(fi);
    const QString collate = CollateClause(options.CaseInsensitive);
    QString condition;
    QVariantList binds;
    if (value.isNull() || (isString && text.isEmpty() && !options.PartialKey)) {
        condition = column + QStringLiteral(" IS NULL");
    } else if (isString && options.PartialKey) {
        condition = QStringLiteral("substr(%1, 1, ?) = ?%2").arg(column, collate);
        binds << qint64(text.size()) << text;
    } else if (isString) {
        condition = QStringLiteral("%1 = ?%2").arg(column, collate);
        binds << text;
    } else {
        // Other types compare by their stored form.
        QVariant stored;
        switch (def.Type) {
        case TFieldType::Integer: {
            bool ok = false;
            stored = value.toString().trimmed().toLongLong(&ok);
            if (!ok) return false;
            break;
        }
        case TFieldType::Boolean: stored = qint64(value.toBool() ? 1 : 0); break;
        case TFieldType::DateTime: stored = DateTimeToStorage(value.toDateTime()); break;
        case TFieldType::String: break;
        }
        condition = column + QStringLiteral(" = ?");
        binds << stored;
    }
    if (!FilterSql.isEmpty()) {
        condition = QStringLiteral("(%1) AND (%2)").arg(condition, FilterSql);
        binds += FilterBinds;
    }
    const QString sql =
        QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3").arg(OrderColumn(), QuoteName(SqlTable), condition) + OrderBy();
    QSqlQuery q = RunQuery(*Conn, sql, binds);
    while (q.next()) {
        const QVariant order = q.value(1);
        const int pos = PositionOf(q.value(0).toLongLong(), order.toString(), order.isNull());
        if (pos >= 0) {
            SetPosition(pos);
            return true;
        }
    }
    return false;
}
