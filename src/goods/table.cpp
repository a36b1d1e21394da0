#include "engine.h"
#include "filterexpr.h"
#include "silentfailure.h"
#include "sqliteconnection.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

// The table object: where it lives, opening and closing, its filter and order,
// and the changes of one record (edit, insert, post, cancel, delete).

TEngineError::TEngineError(const QString& message) : std::runtime_error(message.toStdString()), Text(message) {}

void Abort() { throw TAbort(); }

TTable::TTable() = default;

TTable::~TTable() {
    try {
        Close();
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("table %1 not closed").arg(FileName), e);
    }
}

void TTable::SetDatabaseName(const QString& folder) {
    if (Active()) throw TEngineError(QStringLiteral("Nie można zmienić bazy otwartej tabeli."));
    Folder = folder;
}

void TTable::SetTableName(const QString& name) {
    if (Active()) throw TEngineError(QStringLiteral("Nie można zmienić nazwy otwartej tabeli."));
    FileName = name;
}

QString TTable::FilePath() const { return QDir(Folder).filePath(FileName); }

bool TTable::Exists() const { return !FileName.isEmpty() && QFileInfo(FilePath()).isFile(); }

void TTable::CheckActive() const {
    if (!Active()) throw TEngineError(QStringLiteral("Tabela %1 nie jest otwarta.").arg(FileName));
}

void TTable::CheckBrowse() {
    CheckActive();
    if (State == TDataSetState::Edit || State == TDataSetState::Insert) Post();
}

void TTable::CheckSetWrite() {
    CheckBrowse();
    if (Sink)
        throw TEngineError(QStringLiteral("Tabela %1 przyjmuje zmiany tylko rekord po rekordzie.").arg(FileName));
}

QString TTable::WhereClause(const QString& filter, QVariantList& binds) const {
    const TFilterSql f = TranslateFilter(filter, Defs);
    binds = f.Binds;
    return f.Sql;
}

void TTable::Open() {
    if (Active()) return;
    if (FileName.isEmpty()) throw TEngineError(QStringLiteral("Brak nazwy tabeli."));
    if (!Exists()) throw TEngineError(QStringLiteral("Tabela %1 nie istnieje.").arg(FilePath()));
    try {
        Conn = AcquireConnection(FilePath(), Setup);
        ReadStructure();
        ResolveOrder();
        FilterSql.clear();
        FilterBinds.clear();
        if (FilterOn) FilterSql = WhereClause(FilterText, FilterBinds);
        KeysValid = false;
        Rows.clear();
        Positions.Clear();
        State = TDataSetState::Browse;
        Buffer.assign(Defs.size(), QVariant());
        Modified.assign(Defs.size(), false);
        Loaded = false;
        CalculatedLoaded = false;
    } catch (...) {
        FetchStatement.reset();
        FetchAllStatement.reset();
        Statements.clear();
        State = TDataSetState::Inactive;
        Rows.clear();
        Positions.Clear();
        Conn.reset();
        throw;
    }
}

void TTable::Close() {
    if (!Active()) return;
    // Statements go before the connection they were prepared on.
    FetchStatement.reset();
    FetchAllStatement.reset();
    Statements.clear();
    State = TDataSetState::Inactive;
    KeysValid = false;
    Rows.clear();
    Positions.Clear();
    Buffer.clear();
    Modified.clear();
    BufferRowId = -1;
    Conn.reset();
}

QString TTable::ConnectionName() const { return Conn ? Conn->Name : QString(); }

void TTable::SetCalculatedFields(std::vector<TFieldDef> fields, TCalculatedGate gate) {
    CalculatedDefs = std::move(fields);
    CalculatedGate = std::move(gate);
}

int TTable::FieldCount() const {
    int n = 0;
    for (const TFieldDef& f : Defs)
        if (f.Expression.isEmpty()) ++n;
    return n;
}

QString TTable::ColumnSql(int field) const {
    const TFieldDef& f = Defs[field];
    return f.Expression.isEmpty() ? QuoteName(f.Name) : u'(' + f.Expression + u')';
}

void TTable::SetFilter(const QString& filter) {
    if (filter == FilterText) return;
    if (Active() && FilterOn) {
        CheckBrowse();
        QVariantList binds;
        const QString sql = WhereClause(filter, binds);
        FilterText = filter;
        UseFilterSql(sql, binds);
        return;
    }
    FilterText = filter;
}

// A new condition takes effect: the record list is read again when next used.
void TTable::UseFilterSql(const QString& sql, const QVariantList& binds) {
    FilterSql = sql;
    FilterBinds = binds;
    Statements.clear();
    KeysValid = false;
    Rows.clear();
    Positions.Clear();
    Loaded = false;
}

void TTable::SetFiltered(bool on) {
    if (on == FilterOn) return;
    if (Active()) {
        CheckBrowse();
        QVariantList binds;
        const QString sql = on ? WhereClause(FilterText, binds) : QString();
        FilterOn = on;
        UseFilterSql(sql, binds);
        return;
    }
    FilterOn = on;
}

void TTable::SetIndexName(const QString& name) {
    if (name.compare(Index, Qt::CaseInsensitive) == 0) return;
    if (!Active()) {
        Index = name;
        return;
    }
    CheckBrowse();
    const QString old = Index;
    const qint64 current = Rows.empty() ? -1 : Rows[Cur];
    Index = name;
    try {
        ResolveOrder();
    } catch (...) {
        Index = old;
        ResolveOrder();
        throw;
    }
    Statements.clear();
    if (!KeysValid) return;
    LoadKeys();
    const auto it = std::find(Rows.begin(), Rows.end(), current);
    SetPosition(it != Rows.end() ? static_cast<int>(it - Rows.begin()) : 0);
}

bool TTable::MatchesFilter(qint64 rowId) {
    if (FilterSql.isEmpty()) return true;
    TSqliteStatement& st = Prepared(QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ? AND (%2)").arg(QuoteName(SqlTable), FilterSql));
    st.Bind(1, rowId);
    BindFilter(st, 2);
    const bool passes = st.Step();
    st.Reset();
    return passes;
}

void TTable::Edit() {
    CheckActive();
    EnsureKeys();
    if (State == TDataSetState::Edit || State == TDataSetState::Insert) return;
    if (Rows.empty()) {
        Insert();
        return;
    }
    EnsureLoaded();
    if (BufferRowId < 0) throw TEngineError(QStringLiteral("Rekord został usunięty."));
    State = TDataSetState::Edit;
    Modified.assign(Defs.size(), false);
    if (AfterEdit) AfterEdit(*this);
}

namespace {

// The value of a column default that is a plain literal: an integer or a
// quoted text; null for anything else (an expression the file evaluates).
QVariant LiteralValue(const QString& literal) {
    const QString t = literal.trimmed();
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (ok) return n;
    if (t.size() >= 2 && t.startsWith(u'\'') && t.endsWith(u'\''))
        return t.mid(1, t.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    return QVariant();
}

}  // namespace

void TTable::Insert() {
    CheckBrowse();
    EnsureKeys();
    State = TDataSetState::Insert;
    Buffer.assign(Defs.size(), QVariant());
    for (int i = 0; i < FieldCount(); ++i)
        if (!Defs[i].Default.isEmpty()) Buffer[i] = FromStorage(i, LiteralValue(Defs[i].Default));
    Modified.assign(Defs.size(), false);
    Loaded = true;
    CalculatedLoaded = true;  // a record not yet stored has none
    if (AfterInsert) AfterInsert(*this);
}

void TTable::SetValue(int field, const QVariant& value) {
    CheckActive();
    if (State != TDataSetState::Edit && State != TDataSetState::Insert)
        throw TEngineError(QStringLiteral("Tabela %1 nie jest w trybie edycji ani dopisywania.").arg(FileName));
    if (IsCalculated(field)) throw TEngineError(QStringLiteral("Pole %1 jest tylko do odczytu.").arg(Defs.at(field).Name));
    Buffer.at(field) = value;
    Modified.at(field) = true;
}

void TTable::Post() {
    CheckActive();
    if (State != TDataSetState::Edit && State != TDataSetState::Insert) return;
    for (int i = 0; i < FieldCount(); ++i)
        if (Defs[i].Required && Buffer[i].isNull())
            throw TEngineError(QStringLiteral("Pole '%1' musi mieć wartość.").arg(Defs[i].Name));
    const QString table = QuoteName(SqlTable);
    const bool inserting = State == TDataSetState::Insert;
    qint64 rowId = BufferRowId;
    // The statements are prepared once per opening: a job stamps thousands of
    // records one post at a time.
    // The sink takes the change first: its refusal leaves the file alone.
    const auto stored = [this] { return std::vector<QVariant>(Buffer.begin(), Buffer.begin() + FieldCount()); };
    if (inserting) {
        // With a sink the row id is the sink's, named explicitly.
        const bool named = Sink != nullptr;
        if (named) rowId = Sink->Insert(*this, stored());
        QStringList cols, marks;
        if (named) {
            cols << QStringLiteral("rowid");
            marks << QStringLiteral("?");
        }
        for (int i = 0; i < FieldCount(); ++i) {
            cols << QuoteName(Defs[i].Name);
            marks << QStringLiteral("?");
        }
        TSqliteStatement& st =
            Prepared(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(u','), marks.join(u',')));
        const int first = named ? 2 : 1;
        if (named) st.Bind(1, rowId);
        for (int i = 0; i < FieldCount(); ++i) st.Bind(i + first, ToStorage(i, Buffer[i]));
        st.Step();
        st.Reset();
        if (!named) rowId = st.LastInsertRowId();
    } else {
        QStringList sets;
        for (int i = 0; i < FieldCount(); ++i)
            if (Modified[i]) sets << QuoteName(Defs[i].Name) + QStringLiteral(" = ?");
        if (!sets.isEmpty()) {
            if (Sink) {
                const std::vector<bool> modified(Modified.begin(), Modified.begin() + FieldCount());
                Sink->Update(*this, rowId, stored(), modified);
            }
            TSqliteStatement& st = Prepared(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(table, sets.join(u',')));
            int b = 0;
            for (int i = 0; i < FieldCount(); ++i)
                if (Modified[i]) st.Bind(++b, ToStorage(i, Buffer[i]));
            st.Bind(b + 1, rowId);
            st.Step();
            st.Reset();
        }
    }
    State = TDataSetState::Browse;
    // The posted record takes its place in the order when it passes the filter;
    // an edit that leaves the order value alone keeps its place.
    const bool inList = !inserting && !Rows.empty() && Rows[Cur] == rowId;
    const bool moved = inserting || (OrderField >= 0 && Modified[OrderField]);
    const bool passes = MatchesFilter(rowId);
    int pos = Cur;
    if (!(inList && passes && !moved)) {
        if (inList) RemoveFromList(Cur);
        if (passes) {
            const bool isNull = OrderField < 0 || Buffer[OrderField].isNull();
            const QString order = OrderField < 0 ? QString() : ToStorage(OrderField, Buffer[OrderField]).toString();
            pos = InsertionPoint(order, isNull, rowId);
            InsertIntoList(pos, rowId);
        }
    }
    SetPosition(pos);
}

void TTable::Cancel() {
    CheckActive();
    if (State != TDataSetState::Edit && State != TDataSetState::Insert) return;
    State = TDataSetState::Browse;
    SetPosition(Cur);
}

bool TTable::Delete() {
    CheckActive();
    EnsureKeys();
    if (State == TDataSetState::Insert) {
        Cancel();
        return true;
    }
    if (State == TDataSetState::Edit) Cancel();
    if (Rows.empty()) throw TEngineError(QStringLiteral("Nie można usunąć rekordu z pustej tabeli."));
    try {
        if (BeforeDelete) BeforeDelete(*this);
    } catch (const TAbort&) {
        return false;
    }
    if (!Active() || Rows.empty()) return false;  // the handler changed the table under us
    const qint64 rowId = Rows[Cur];
    if (Sink) Sink->Delete(*this, rowId);
    TSqliteStatement& st = Prepared(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(QuoteName(SqlTable)));
    st.Bind(1, rowId);
    st.Step();
    st.Reset();
    RemoveFromList(Cur);
    SetPosition(Cur);
    return true;
}

int TTable::FieldIndex(const QString& name) const {
    for (size_t i = 0; i < Defs.size(); ++i)
        if (Defs[i].Name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
}

TField TTable::Fields(int index) {
    if (index < 0 || index >= FieldCount()) throw TEngineError(QStringLiteral("Pole numer %1 nie istnieje.").arg(index));
    return TField(this, index);
}

TField TTable::FieldOf(const std::vector<QVariant>& row, const QString& name) {
    const int i = FieldIndex(name);
    if (i < 0 || static_cast<size_t>(i) >= row.size()) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(name));
    return TField(this, i, &row);
}

TField TTable::FieldByName(const QString& name) {
    const int i = FieldIndex(name);
    if (i < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(name));
    return TField(this, i);
}
