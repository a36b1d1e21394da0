#include "engine.h"
#include "filterexpr.h"
#include "silentfailure.h"
#include "sqliteconnection.h"

#include <QDir>
#include <QFileInfo>

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
        Conn = AcquireConnection(FilePath());
        ReadStructure();
        ResolveOrder();
        FilterSql.clear();
        FilterBinds.clear();
        if (FilterOn) FilterSql = WhereClause(FilterText, FilterBinds);
        KeysValid = false;
        Keys.clear();
        State = TDataSetState::Browse;
        Buffer.assign(Defs.size(), QVariant());
        Modified.assign(Defs.size(), false);
        Loaded = false;
        CalculatedLoaded = false;
    } catch (...) {
        FetchStatement.reset();
        FetchAllStatement.reset();
        State = TDataSetState::Inactive;
        Keys.clear();
        Conn.reset();
        throw;
    }
}

void TTable::Close() {
    if (!Active()) return;
    FetchStatement.reset();
    FetchAllStatement.reset();
    State = TDataSetState::Inactive;
    KeysValid = false;
    Keys.clear();
    Buffer.clear();
    Modified.clear();
    BufferRowId = -1;
    Conn.reset();
}

QString TTable::ConnectionName() const { return Conn ? Conn->Name : QString(); }

void TTable::SetCalculatedFields(std::vector<TFieldDef> fields) { CalculatedDefs = std::move(fields); }

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
    KeysValid = false;
    Keys.clear();
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
    const qint64 current = Keys.empty() ? -1 : Keys[Cur].RowId;
    Index = name;
    try {
        ResolveOrder();
    } catch (...) {
        Index = old;
        ResolveOrder();
        throw;
    }
    if (!KeysValid) return;
    LoadKeys();
    int pos = 0;
    for (size_t i = 0; i < Keys.size(); ++i)
        if (Keys[i].RowId == current) pos = static_cast<int>(i);
    SetPosition(pos);
}

bool TTable::MatchesFilter(qint64 rowId) {
    if (FilterSql.isEmpty()) return true;
    QVariantList binds{rowId};
    binds += FilterBinds;
    QSqlQuery q = RunQuery(*Conn, QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ? AND (%2)").arg(QuoteName(SqlTable), FilterSql), binds);
    return q.next();
}

void TTable::Edit() {
    CheckActive();
    EnsureKeys();
    if (State == TDataSetState::Edit || State == TDataSetState::Insert) return;
    if (Keys.empty()) {
        Insert();
        return;
    }
    EnsureLoaded();
    if (BufferRowId < 0) throw TEngineError(QStringLiteral("Rekord został usunięty."));
    State = TDataSetState::Edit;
    Modified.assign(Defs.size(), false);
    if (AfterEdit) AfterEdit(*this);
}

void TTable::Insert() {
    CheckBrowse();
    EnsureKeys();
    State = TDataSetState::Insert;
    Buffer.assign(Defs.size(), QVariant());
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
    qint64 rowId = BufferRowId;
    if (State == TDataSetState::Insert) {
        QStringList cols, marks;
        QVariantList binds;
        for (int i = 0; i < FieldCount(); ++i) {
            cols << QuoteName(Defs[i].Name);
            marks << QStringLiteral("?");
            binds << ToStorage(i, Buffer[i]);
        }
        QSqlQuery q = RunQuery(*Conn, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(u','), marks.join(u',')), binds);
        rowId = q.lastInsertId().toLongLong();
    } else {
        QStringList sets;
        QVariantList binds;
        for (int i = 0; i < FieldCount(); ++i)
            if (Modified[i]) {
                sets << QuoteName(Defs[i].Name) + QStringLiteral(" = ?");
                binds << ToStorage(i, Buffer[i]);
            }
        if (!sets.isEmpty()) {
            binds << rowId;
            RunQuery(*Conn, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(table, sets.join(u',')), binds);
        }
        // The record leaves its old place in the order.
        if (!Keys.empty() && Keys[Cur].RowId == rowId) Keys.erase(Keys.begin() + Cur);
    }
    State = TDataSetState::Browse;
    // The posted record takes its place in the order when it passes the filter.
    int pos = Cur;
    if (MatchesFilter(rowId)) {
        const bool isNull = OrderField < 0 || Buffer[OrderField].isNull();
        const QString order = OrderField < 0 ? QString() : ToStorage(OrderField, Buffer[OrderField]).toString();
        pos = LowerBound(order, isNull, rowId);
        Keys.insert(Keys.begin() + pos, Key{rowId, order, isNull});
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
    if (Keys.empty()) throw TEngineError(QStringLiteral("Nie można usunąć rekordu z pustej tabeli."));
    try {
        if (BeforeDelete) BeforeDelete(*this);
    } catch (const TAbort&) {
        return false;
    }
    if (!Active() || Keys.empty()) return false;  // the handler changed the table under us
    const qint64 rowId = Keys[Cur].RowId;
    RunQuery(*Conn, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(QuoteName(SqlTable)), {rowId});
    if (Keys[Cur].RowId == rowId) Keys.erase(Keys.begin() + Cur);
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

TField TTable::FieldByName(const QString& name) {
    const int i = FieldIndex(name);
    if (i < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(name));
    return TField(this, i);
}
