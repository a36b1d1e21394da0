#include "engine.h"
#include "filterexpr.h"
#include "polishcollation.h"
#include "silentfailure.h"
#include "sqliteconnection.h"

#include <algorithm>
#include <climits>

// The cursor: the record list of the current order under the filter, moving
// through it, reading rows, and the keyed and located searches. The list holds
// row ids only (8 bytes a record); the order values stay in the file and are
// read where a search or a posted record needs them, so a list of a million
// goods opens without reading a million names.

namespace {

// Filtered lists with at most this many records are sorted here; longer ones
// take their order from a walk of the index.
constexpr size_t kSortHere = 16384;

// Resets a statement of the cache however its use ends, so that no statement
// keeps the file locked.
struct TStatementUse {
    TSqliteStatement& St;
    ~TStatementUse() { St.Reset(); }
};

// The membership of row ids in a set read in row id order.
class TRowSet {
public:
    explicit TRowSet(const std::vector<qint64>& sorted) : Sorted(sorted) {
        if (Sorted.empty()) return;
        const quint64 span = static_cast<quint64>(Sorted.back()) - static_cast<quint64>(Sorted.front());
        if (span >= 64 * static_cast<quint64>(Sorted.size()) + 65536) return;
        Base = Sorted.front();
        Bits.assign(static_cast<size_t>(span / 64) + 1, 0);
        for (qint64 r : Sorted) {
            const quint64 o = static_cast<quint64>(r) - static_cast<quint64>(Base);
            Bits[o / 64] |= quint64(1) << (o % 64);
        }
    }
    bool Contains(qint64 rowId) const {
        if (Bits.empty()) return std::binary_search(Sorted.begin(), Sorted.end(), rowId);
        const quint64 o = static_cast<quint64>(rowId) - static_cast<quint64>(Base);
        return rowId >= Base && o / 64 < Bits.size() && (Bits[o / 64] >> (o % 64)) & 1;
    }

private:
    const std::vector<qint64>& Sorted;
    qint64 Base = 0;
    std::vector<quint64> Bits;
};

}  // namespace

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
    return Rows.empty() ? -1 : Cur;
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

TSqliteStatement& TTable::Prepared(const QString& sql) const {
    std::unique_ptr<TSqliteStatement>& slot = Statements[sql];
    if (!slot) slot = std::make_unique<TSqliteStatement>(Conn->Handle, sql);
    return *slot;
}

void TTable::BindFilter(TSqliteStatement& st, int first) const {
    for (int i = 0; i < FilterBinds.size(); ++i) st.Bind(first + i, FilterBinds[i]);
}

int TTable::CompareOrder(const QString& a, bool aNull, qint64 aRow, const QString& b, bool bNull, qint64 bRow) const {
    if (aNull != bNull) return aNull ? -1 : 1;
    if (!aNull) {
        const int c = OrderNoCase ? PolishNoCaseCompare(a.constData(), a.size(), b.constData(), b.size()) : CodePointCompare(a, b);
        if (c != 0) return c;
    }
    return aRow == bRow ? 0 : (aRow < bRow ? -1 : 1);
}

void TTable::LoadKeys() {
    const QString table = QuoteName(SqlTable);
    std::vector<qint64> rows;
    if (FilterSql.isEmpty() || OrderField < 0) {
        // The order index holds the row ids in order: a walk of the index
        // alone, no row is read.
        QString sql = QStringLiteral("SELECT rowid FROM %1").arg(table);
        if (!FilterSql.isEmpty()) sql += QStringLiteral(" WHERE ") + FilterSql;
        TSqliteStatement st(Conn->Handle, sql + OrderBy());
        BindFilter(st, 1);
        while (st.Step()) rows.push_back(st.Int64(0));
    } else {
        // Under a filter the rows that pass come from one pass over the table
        // (walking the index would look every row up to test it). A few are
        // sorted here; many take their order from a walk of the index alone.
        struct Few {
            qint64 Row;
            QString Order;
            bool Null;
        };
        std::vector<Few> few;
        std::vector<qint64> many;
        {
            TSqliteStatement st(Conn->Handle, QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3 ORDER BY rowid")
                                                  .arg(OrderColumn(), table, FilterSql));
            BindFilter(st, 1);
            while (st.Step()) {
                if (few.size() < kSortHere && many.empty()) {
                    few.push_back({st.Int64(0), st.IsNull(1) ? QString() : st.Text(1), st.IsNull(1)});
                    continue;
                }
                if (many.empty()) {
                    for (const Few& f : few) many.push_back(f.Row);
                    few = {};
                }
                many.push_back(st.Int64(0));
            }
        }
        if (many.empty()) {
            std::sort(few.begin(), few.end(), [this](const Few& a, const Few& b) {
                return CompareOrder(a.Order, a.Null, a.Row, b.Order, b.Null, b.Row) < 0;
            });
            rows.reserve(few.size());
            for (const Few& f : few) rows.push_back(f.Row);
        } else {
            const TRowSet passes(many);
            rows.reserve(many.size());
            TSqliteStatement st(Conn->Handle, QStringLiteral("SELECT rowid FROM %1").arg(table) + OrderBy());
            while (st.Step())
                if (const qint64 r = st.Int64(0); passes.Contains(r)) rows.push_back(r);
        }
    }
    Rows = std::move(rows);
    Positions.Clear();
}

void TTable::ForEachKey(const std::function<void(const QString&)>& fn) const {
    CheckActive();
    if (OrderField < 0) return;
    const QString column = OrderColumn();
    QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %1 IS NOT NULL").arg(column, QuoteName(SqlTable));
    if (!FilterSql.isEmpty()) sql += QStringLiteral(" AND (%1)").arg(FilterSql);
    TSqliteStatement st(Conn->Handle, sql + OrderBy());
    BindFilter(st, 1);
    while (st.Step()) fn(st.Text(0));
}

namespace {

// The calculated values of the rows that have any, by row id: the rows come in
// row id order, so a search finds a row's values.
struct TCalculatedRows {
    int Count = 0;                // calculated fields per row
    std::vector<qint64> Rows;     // ascending
    std::vector<QVariant> Values; // Count per row of Rows

    const QVariant* Of(qint64 rowId) const {
        const auto at = std::lower_bound(Rows.begin(), Rows.end(), rowId);
        if (at == Rows.end() || *at != rowId) return nullptr;
        return &Values[static_cast<size_t>(at - Rows.begin()) * static_cast<size_t>(Count)];
    }
};

}  // namespace

void TTable::ForEachRecord(const std::function<void(const std::vector<QVariant>&)>& fn) const {
    CheckActive();
    const int stored = FieldCount();
    const int all = static_cast<int>(Defs.size());
    const QString where = FilterSql.isEmpty() ? QString() : QStringLiteral(" WHERE ") + FilterSql;
    const auto statement = [&](int first, int count, const QString& order) {
        QStringList cols(QStringLiteral("rowid"));
        for (int i = first; i < first + count; ++i) cols << ColumnSql(i);
        auto st = std::make_unique<TSqliteStatement>(
            Conn->Handle, QStringLiteral("SELECT %1 FROM %2").arg(cols.join(u','), QuoteName(SqlTable)) + where + order);
        BindFilter(*st, 1);
        return st;
    };
    // Both passes see one state of the file.
    TReadTransaction read(*Conn);
    // Walked in the order of an index, SQLite reads each row by a seek: the
    // calculated fields, which look up other tables by the row's values, are
    // worked out first in the file's own order (where those tables mostly
    // follow it), and only the values that are not null kept.
    TCalculatedRows calculated{all - stored, {}, {}};
    int inWalk = all;
    if (calculated.Count > 0 && OrderField >= 0) {
        inWalk = stored;
        try {
            const auto st = statement(stored, calculated.Count, QStringLiteral(" ORDER BY rowid"));
            while (st->Step()) {
                bool any = false;
                for (int i = 0; i < calculated.Count && !any; ++i) any = !st->IsNull(1 + i);
                if (!any) continue;
                calculated.Rows.push_back(st->Int64(0));
                for (int i = 0; i < calculated.Count; ++i) calculated.Values.push_back(FromStorage(stored + i, st->Value(1 + i)));
            }
        } catch (const TEngineError& e) {
            // As in ReadRow: calculated fields that cannot be worked out read as null.
            SilentFailure(lcGoods, QStringLiteral("the calculated fields of %1 read as null").arg(FileName), e);
            calculated.Rows.clear();
            calculated.Values.clear();
        }
    }
    std::unique_ptr<TSqliteStatement> st;
    try {
        st = statement(0, inWalk, OrderBy());
    } catch (const TEngineError& e) {
        if (inWalk == stored) throw;
        SilentFailure(lcGoods, QStringLiteral("the calculated fields of %1 read as null").arg(FileName), e);
        inWalk = stored;
        st = statement(0, inWalk, OrderBy());
    }
    // Ordered by its index, SQLite walks the index and reads each row as it
    // goes: nothing is gathered of the stored fields, whatever the number of
    // records.
    std::vector<QVariant> values(Defs.size());
    while (st->Step()) {
        for (int i = 0; i < inWalk; ++i) values[i] = FromStorage(i, st->Value(1 + i));
        if (inWalk < all) {
            const QVariant* c = calculated.Of(st->Int64(0));
            for (int i = stored; i < all; ++i) values[i] = c ? c[i - stored] : QVariant();
        }
        fn(values);
    }
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
    if (Rows.empty()) {
        Buffer.assign(Defs.size(), QVariant());
        return;
    }
    if (ReadRow(Rows[Cur], Buffer, false)) BufferRowId = Rows[Cur];
}

bool TTable::RecordAt(int pos, std::vector<QVariant>& values) const {
    CheckActive();
    EnsureKeys();
    if (pos < 0 || pos >= static_cast<int>(Rows.size())) return false;
    return ReadRow(Rows[pos], values, true);
}

void TTable::MoveTo(int pos) {
    CheckBrowse();
    EnsureKeys();
    if (Rows.empty()) return;
    SetPosition(pos);
}

void TTable::SetPosition(int pos) {
    const int n = static_cast<int>(Rows.size());
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
    SetPosition(static_cast<int>(Rows.size()) - 1);
    AtEof = true;
}

void TTable::Next() {
    CheckBrowse();
    EnsureKeys();
    if (Rows.empty() || Cur >= static_cast<int>(Rows.size()) - 1) {
        AtEof = true;
        return;
    }
    SetPosition(Cur + 1);
}

void TTable::Prior() {
    CheckBrowse();
    EnsureKeys();
    if (Rows.empty() || Cur <= 0) {
        AtBof = true;
        return;
    }
    SetPosition(Cur - 1);
}

bool TTable::IsEmpty() const {
    CheckActive();
    EnsureKeys();
    return Rows.empty();
}

int TTable::RecordCount() const {
    CheckActive();
    if (KeysValid) return static_cast<int>(Rows.size());
    // Before the list is read SQLite counts: whoever needs only the number
    // (a free key, a report) does not pay for reading the list.
    QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(QuoteName(SqlTable));
    if (!FilterSql.isEmpty()) sql += QStringLiteral(" WHERE ") + FilterSql;
    TSqliteStatement st(Conn->Handle, sql);
    BindFilter(st, 1);
    return st.Step() ? static_cast<int>(st.Int64(0)) : 0;
}

void TTable::Refresh() {
    CheckBrowse();
    if (!KeysValid) return;  // read when first used
    const qint64 current = Rows.empty() ? -1 : Rows[Cur];
    const int pos = Cur;
    LoadKeys();
    const auto it = std::find(Rows.begin(), Rows.end(), current);
    SetPosition(it != Rows.end() ? static_cast<int>(it - Rows.begin()) : pos);
}

int TTable::PositionOfRow(qint64 rowId) const {
    EnsureKeys();
    if (!Positions.Built()) Positions.Build(Rows);
    return Positions.Find(rowId);
}

int TTable::InsertionPoint(const QString& order, bool isNull, qint64 rowId) const {
    if (OrderField < 0) return static_cast<int>(std::lower_bound(Rows.begin(), Rows.end(), rowId) - Rows.begin());
    // A binary search over the list, reading the order value of each record it
    // passes from the file.
    TSqliteStatement& st =
        Prepared(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(OrderColumn(), QuoteName(SqlTable)));
    int lo = 0, hi = static_cast<int>(Rows.size());
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        TStatementUse use{st};
        st.Bind(1, Rows[mid]);
        // A row deleted through another table object reads as null.
        const bool found = st.Step();
        const bool null = !found || st.IsNull(0);
        const QString value = null ? QString() : st.Text(0);
        if (CompareOrder(value, null, Rows[mid], order, isNull, rowId) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void TTable::RemoveFromList(int pos) {
    Rows.erase(Rows.begin() + pos);
    Positions.Clear();
}

void TTable::InsertIntoList(int pos, qint64 rowId) {
    Rows.insert(Rows.begin() + pos, rowId);
    Positions.Clear();
}

bool TTable::FindKey(const QVariant& value) {
    CheckBrowse();
    EnsureKeys();
    if (OrderField < 0) throw TEngineError(QStringLiteral("Tabela %1 nie ma indeksu do wyszukiwania.").arg(FileName));
    if (value.isNull()) return false;
    const QString text = ToStorage(OrderField, value.toString()).toString();
    return SeekInOrder(text, [&](const QString& k) {
        return OrderNoCase ? PolishNoCaseCompare(k.constData(), k.size(), text.constData(), text.size()) == 0 : k == text;
    });
}

bool TTable::SeekInOrder(const QString& text, const std::function<bool(const QString&)>& matches) {
    // The first record at or after `text` in the order, through the order
    // index; records the list does not hold (added through another table
    // object since it was read) are passed over.
    const QString column = OrderColumn();
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %1 >= ?%3")
                      .arg(column, QuoteName(SqlTable), CollateClause(OrderNoCase));
    if (!FilterSql.isEmpty()) sql += QStringLiteral(" AND (%1)").arg(FilterSql);
    TSqliteStatement& st = Prepared(sql + OrderBy());
    TStatementUse use{st};
    st.Bind(1, QVariant(text));
    BindFilter(st, 2);
    while (st.Step()) {
        if (!matches(st.Text(1))) return false;
        const int pos = PositionOfRow(st.Int64(0));
        if (pos >= 0) {
            SetPosition(pos);
            return true;
        }
    }
    return false;
}

bool TTable::Locate(const QString& field, const QVariant& value, TLocateOptions options) {
    CheckBrowse();
    EnsureKeys();
    const int fi = FieldIndex(field);
    if (fi < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(field));
    const TFieldDef& def = Defs[fi];
    const bool isString = def.Type == TFieldType::String;
    const QString text = isString && !value.isNull() ? ToStorage(fi, value.toString()).toString() : QString();

    // In the table's own order the answer is a seek in the order index.
    if (fi == OrderField && !value.isNull() && options.CaseInsensitive == OrderNoCase) {
        return SeekInOrder(text, [&](const QString& k) {
            if (options.PartialKey) return OrderNoCase ? PolishNoCaseStartsWith(k, text) : k.startsWith(text);
            return OrderNoCase ? PolishNoCaseCompare(k.constData(), k.size(), text.constData(), text.size()) == 0 : k == text;
        });
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
    if (!FilterSql.isEmpty()) condition = QStringLiteral("(%1) AND (%2)").arg(condition, FilterSql);
    // Every record that matches, from one pass over the table (or a seek in
    // an index of the field); the one standing first in the list wins. One
    // pass costs the same wherever the first match stands, and nothing when
    // none does.
    TSqliteStatement& st = Prepared(QStringLiteral("SELECT rowid FROM %1 WHERE %2").arg(QuoteName(SqlTable), condition));
    TStatementUse use{st};
    for (int i = 0; i < binds.size(); ++i) st.Bind(i + 1, binds[i]);
    BindFilter(st, static_cast<int>(binds.size()) + 1);
    int best = INT_MAX;
    while (st.Step()) {
        const int pos = PositionOfRow(st.Int64(0));
        if (pos >= 0 && pos < best) best = pos;
        if (best == 0) break;
    }
    if (best == INT_MAX) return false;
    SetPosition(best);
    return true;
}
