#include "engine.h"

#include "datetimetext.h"
#include "filterexpr.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <limits>
#include <map>
#include <sqlite3.h>

TEngineError::TEngineError(const QString& message) : std::runtime_error(message.toStdString()), Text(message) {}

void Abort() { throw TAbort(); }

// ---------------------------------------------------------------------------
// Text order

namespace {

// Lower case, and each Polish letter right after its base letter.
int Weight(char32_t c) {
    if (c < 0x80) return int((c >= 'A' && c <= 'Z') ? c + 32 : c) << 2;
    const char32_t u = QChar::toLower(c);
    switch (u) {
    case 0x0105: return ('a' << 2) | 1;  // ą
    case 0x0107: return ('c' << 2) | 1;  // ć
    case 0x0119: return ('e' << 2) | 1;  // ę
    case 0x0142: return ('l' << 2) | 1;  // ł
    case 0x0144: return ('n' << 2) | 1;  // ń
    case 0x00F3: return ('o' << 2) | 1;  // ó
    case 0x015B: return ('s' << 2) | 1;  // ś
    case 0x017A: return ('z' << 2) | 1;  // ź
    case 0x017C: return ('z' << 2) | 2;  // ż
    default: return int(u) << 2;
    }
}

// The next code point of UTF-16 text.
char32_t NextCodePoint(const QChar* s, qsizetype n, qsizetype& i) {
    const char16_t c = s[i++].unicode();
    if (c >= 0xD800 && c < 0xDC00 && i < n) {
        const char16_t d = s[i].unicode();
        if (d >= 0xDC00 && d < 0xE000) {
            ++i;
            return char32_t(0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00));
        }
    }
    return c;
}

// The next code point of UTF-8 text, as SQLite stores it.
char32_t NextCodePoint(const unsigned char* s, int n, int& i) {
    const unsigned char c = s[i++];
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = c & (0x3F >> extra);
    while (extra-- > 0 && i < n && (s[i] & 0xC0) == 0x80) cp = (cp << 6) | (s[i++] & 0x3F);
    return cp;
}

// UTF-16 compared in code point order, as SQLite compares UTF-8 text.
int BinaryCompare(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        int x = a[i].unicode(), y = b[i].unicode();
        if (x == y) continue;
        if (x >= 0xD800) x += (x < 0xE000) ? 0x2000 : -0x800;
        if (y >= 0xD800) y += (y < 0xE000) ? 0x2000 : -0x800;
        return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool NoCaseStartsWith(const QString& text, const QString& prefix) {
    qsizetype i = 0, j = 0;
    while (j < prefix.size()) {
        if (i >= text.size()) return false;
        if (Weight(NextCodePoint(text.constData(), text.size(), i)) !=
            Weight(NextCodePoint(prefix.constData(), prefix.size(), j)))
            return false;
    }
    return true;
}

int CollationCallback(void*, int na, const void* a, int nb, const void* b) {
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    int i = 0, j = 0;
    while (i < na && j < nb) {
        // ASCII letters and digits of equal bytes need no decoding.
        if (x[i] == y[j] && x[i] < 0x80) {
            ++i;
            ++j;
            continue;
        }
        const int wx = Weight(NextCodePoint(x, na, i)), wy = Weight(NextCodePoint(y, nb, j));
        if (wx != wy) return wx < wy ? -1 : 1;
    }
    return (i < na) ? 1 : (j < nb) ? -1 : 0;
}

const char* kNoCase = "PL_NOCASE";

}  // namespace

int PolishNoCaseCompare(const QChar* a, qsizetype na, const QChar* b, qsizetype nb) {
    qsizetype i = 0, j = 0;
    while (i < na && j < nb) {
        if (a[i] == b[j] && a[i].unicode() < 0x80) {
            ++i;
            ++j;
            continue;
        }
        const int x = Weight(NextCodePoint(a, na, i)), y = Weight(NextCodePoint(b, nb, j));
        if (x != y) return x < y ? -1 : 1;
    }
    return (i < na) ? 1 : (j < nb) ? -1 : 0;
}

namespace {

// Reads "yyyy-MM-dd HH:mm:ss.zzz" (also without milliseconds or time) by hand:
// Qt's format parser would dominate the reading of a record.
bool StorageToDateTime(const QString& t, QDateTime& out) {
    auto num = [&](qsizetype from, qsizetype len, int& v) {
        v = 0;
        for (qsizetype i = from; i < from + len; ++i) {
            const char16_t c = t[i].unicode();
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        return true;
    };
    const qsizetype n = t.size();
    if (n != 10 && n != 19 && n != 23) return false;
    int y, mo, d, h = 0, mi = 0, s = 0, ms = 0;
    if (!num(0, 4, y) || t[4] != u'-' || !num(5, 2, mo) || t[7] != u'-' || !num(8, 2, d)) return false;
    if (n >= 19 && (t[10] != u' ' || !num(11, 2, h) || t[13] != u':' || !num(14, 2, mi) || t[16] != u':' || !num(17, 2, s)))
        return false;
    if (n == 23 && (t[19] != u'.' || !num(20, 3, ms))) return false;
    const QDate date(y, mo, d);
    const QTime time(h, mi, s, ms);
    if (!date.isValid() || !time.isValid()) return false;
    out = QDateTime(date, time);
    return true;
}

}  // namespace

QString DateTimeToStorage(const QDateTime& moment) {
    if (!moment.isValid()) return QString();
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

// ---------------------------------------------------------------------------
// Connections: one per file, shared by every table object on it, so that the
// cursors never lock each other out.

struct TSqliteConnection {
    QString Name;
    QSqlDatabase Db;
    sqlite3* Handle = nullptr;
    int TxDepth = 0;

    ~TSqliteConnection() {
        Db.close();
        Db = QSqlDatabase();
        QSqlDatabase::removeDatabase(Name);
    }
};

namespace {

std::map<QString, std::weak_ptr<TSqliteConnection>>& Registry() {
    static std::map<QString, std::weak_ptr<TSqliteConnection>> connections;
    return connections;
}

std::shared_ptr<TSqliteConnection> Acquire(const QString& path) {
    const QString key = QFileInfo(path).absoluteFilePath();
    auto& reg = Registry();
    if (auto it = reg.find(key); it != reg.end())
        if (auto c = it->second.lock()) return c;
    static int counter = 0;
    auto c = std::make_shared<TSqliteConnection>();
    c->Name = QStringLiteral("prandel-table-%1").arg(++counter);
    c->Db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), c->Name);
    c->Db.setDatabaseName(key);
    c->Db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!c->Db.open()) throw TEngineError(QStringLiteral("Nie można otworzyć bazy %1: %2").arg(key, c->Db.lastError().text()));
    const QVariant h = c->Db.driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) c->Handle = *static_cast<sqlite3* const*>(h.constData());
    if (!c->Handle) throw TEngineError(QStringLiteral("Sterownik bazy nie udostępnia połączenia SQLite."));
    sqlite3_create_collation(c->Handle, kNoCase, SQLITE_UTF8, nullptr, CollationCallback);
    // Whole-table passes (opening the list, marking) must not read the file anew
    // each time: a page cache that holds a large goods table, and reads mapped
    // into memory. Both concern this connection only, never the file.
    sqlite3_exec(c->Handle, "PRAGMA cache_size = -65536; PRAGMA mmap_size = 268435456;", nullptr, nullptr, nullptr);
    reg[key] = c;
    return c;
}

QSqlQuery Run(TSqliteConnection& c, const QString& sql, const QVariantList& binds = {}) {
    QSqlQuery q(c.Db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) throw TEngineError(q.lastError().text());
    for (const QVariant& b : binds) q.addBindValue(b);
    if (!q.exec()) {
        const QString text = q.lastError().text();
        if (text.contains(QLatin1String("UNIQUE constraint failed")))
            throw TEngineError(QStringLiteral("Naruszenie klucza: rekord o tym kluczu już istnieje."));
        throw TEngineError(text);
    }
    return q;
}

void Bind(sqlite3_stmt* st, int index, const QVariant& v) {
    if (v.isNull()) {
        sqlite3_bind_null(st, index);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool: sqlite3_bind_int64(st, index, v.toLongLong()); break;
    case QMetaType::Double: sqlite3_bind_double(st, index, v.toDouble()); break;
    default: {
        const QString s = v.toString();
        sqlite3_bind_text16(st, index, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
    }
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Transactions

TTableTransaction::TTableTransaction(TTable& table) : Conn(table.Conn) {
    if (!Conn) throw TEngineError(QStringLiteral("Tabela nie jest otwarta."));
    Outer = Conn->TxDepth == 0;
    if (Outer && !Conn->Db.transaction())
        throw TEngineError(QStringLiteral("Nie można rozpocząć transakcji: %1").arg(Conn->Db.lastError().text()));
    ++Conn->TxDepth;
}

void TTableTransaction::Commit() {
    if (Done) return;
    Done = true;
    --Conn->TxDepth;
    if (Outer && !Conn->Db.commit()) {
        const QString text = Conn->Db.lastError().text();
        Conn->Db.rollback();
        throw TEngineError(QStringLiteral("Nie można zapisać zmian: %1").arg(text));
    }
}

TTableTransaction::~TTableTransaction() {
    if (Done) return;
    --Conn->TxDepth;
    if (Outer) Conn->Db.rollback();
}

// ---------------------------------------------------------------------------
// Fields

const QString& TField::FieldName() const { return Table->Defs.at(Index).Name; }
TFieldType TField::DataType() const { return Table->Defs.at(Index).Type; }
int TField::Size() const { return Table->Defs.at(Index).Size; }
bool TField::Required() const { return Table->Defs.at(Index).Required; }

QVariant TField::Value() const {
    Table->CheckActive();
    Table->EnsureLoaded();
    return Table->Buffer.at(Index);
}

bool TField::IsNull() const { return Value().isNull(); }

namespace {

std::optional<bool> ParseBool(const QString& text) {
    const QString t = text.trimmed();
    for (const char* s : {"true", "t", "1", "yes", "tak"})
        if (t.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) return true;
    for (const char* s : {"false", "f", "0", "no", "nie"})
        if (t.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

}  // namespace

QString TField::AsString() const { return Table->DisplayText(Index, Value()); }

qint64 TField::AsInteger() const {
    const QVariant v = Value();
    if (v.isNull()) return 0;
    switch (DataType()) {
    case TFieldType::Integer: return v.toLongLong();
    case TFieldType::Boolean: return v.toBool() ? 1 : 0;
    case TFieldType::String: {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        if (!ok) throw TEngineError(QStringLiteral("'%1' nie jest poprawną liczbą całkowitą.").arg(v.toString()));
        return n;
    }
    case TFieldType::DateTime: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie jest liczbą.").arg(FieldName()));
}

bool TField::AsBoolean() const {
    const QVariant v = Value();
    if (v.isNull()) return false;
    switch (DataType()) {
    case TFieldType::Boolean: return v.toBool();
    case TFieldType::Integer: return v.toLongLong() != 0;
    case TFieldType::String:
        if (auto b = ParseBool(v.toString())) return *b;
        throw TEngineError(QStringLiteral("'%1' nie jest poprawną wartością logiczną.").arg(v.toString()));
    case TFieldType::DateTime: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie jest polem logicznym.").arg(FieldName()));
}

QDateTime TField::AsDateTime() const {
    const QVariant v = Value();
    if (v.isNull()) return QDateTime();
    switch (DataType()) {
    case TFieldType::DateTime: return v.toDateTime();
    case TFieldType::String: {
        QDateTime m;
        if (TextToDateTime(v.toString(), m)) return m;
        throw TEngineError(QStringLiteral("'%1' nie jest poprawną datą i godziną.").arg(v.toString()));
    }
    default: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie jest datą.").arg(FieldName()));
}

void TField::SetAsString(const QString& value) {
    if (value.isEmpty()) {
        Clear();
        return;
    }
    switch (DataType()) {
    case TFieldType::String: Table->SetValue(Index, Size() > 0 ? value.left(Size()) : value); return;
    case TFieldType::Integer: {
        bool ok = false;
        const qint64 n = value.trimmed().toLongLong(&ok);
        if (!ok) throw TEngineError(QStringLiteral("'%1' nie jest poprawną liczbą całkowitą.").arg(value));
        Table->SetValue(Index, n);
        return;
    }
    case TFieldType::Boolean: {
        const auto b = ParseBool(value);
        if (!b) throw TEngineError(QStringLiteral("'%1' nie jest poprawną wartością logiczną.").arg(value));
        Table->SetValue(Index, *b);
        return;
    }
    case TFieldType::DateTime: {
        QDateTime m;
        if (!TextToDateTime(value, m)) throw TEngineError(QStringLiteral("'%1' nie jest poprawną datą i godziną.").arg(value));
        Table->SetValue(Index, m);
        return;
    }
    }
}

void TField::SetAsInteger(qint64 value) {
    switch (DataType()) {
    case TFieldType::String: SetAsString(QString::number(value)); return;
    case TFieldType::Integer: Table->SetValue(Index, value); return;
    case TFieldType::Boolean: Table->SetValue(Index, value != 0); return;
    case TFieldType::DateTime: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie przyjmuje liczby.").arg(FieldName()));
}

void TField::SetAsBoolean(bool value) {
    switch (DataType()) {
    case TFieldType::Boolean: Table->SetValue(Index, value); return;
    case TFieldType::Integer: Table->SetValue(Index, qint64(value ? 1 : 0)); return;
    case TFieldType::String: SetAsString(value ? QStringLiteral("True") : QStringLiteral("False")); return;
    case TFieldType::DateTime: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie przyjmuje wartości logicznej.").arg(FieldName()));
}

void TField::SetAsDateTime(const QDateTime& value) {
    if (!value.isValid()) {
        Clear();
        return;
    }
    switch (DataType()) {
    case TFieldType::DateTime: Table->SetValue(Index, value); return;
    case TFieldType::String: SetAsString(DateTimeToText(value)); return;
    default: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie przyjmuje daty.").arg(FieldName()));
}

void TField::Clear() { Table->SetValue(Index, QVariant()); }

// ---------------------------------------------------------------------------
// Table

TTable::TTable() = default;

TTable::~TTable() {
    try {
        Close();
    } catch (...) {
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

namespace {

QString SqlTableName(const QString& fileName) {
    const QString base = QFileInfo(fileName).completeBaseName();
    return base.isEmpty() ? fileName : base;
}

QString SqlType(const TFieldDef& f) {
    switch (f.Type) {
    case TFieldType::String: return f.Size > 0 ? QStringLiteral("VARCHAR(%1)").arg(f.Size) : QStringLiteral("TEXT");
    case TFieldType::Integer: return QStringLiteral("INTEGER");
    case TFieldType::Boolean: return QStringLiteral("BOOLEAN");
    case TFieldType::DateTime: return QStringLiteral("TIMESTAMP");
    }
    return QStringLiteral("TEXT");
}

TFieldDef FieldFromSql(const QString& name, const QString& declared, bool notNull) {
    TFieldDef f{name, TFieldType::String, 0, notNull};
    const QString t = declared.trimmed().toUpper();
    if (t.startsWith(QLatin1String("VARCHAR")) || t.startsWith(QLatin1String("CHAR"))) {
        const qsizetype open = t.indexOf(u'('), close = t.indexOf(u')');
        if (open > 0 && close > open) f.Size = t.mid(open + 1, close - open - 1).trimmed().toInt();
    } else if (t.startsWith(QLatin1String("INT")) || t == QLatin1String("BIGINT")) {
        f.Type = TFieldType::Integer;
    } else if (t.startsWith(QLatin1String("BOOL")) || t == QLatin1String("LOGICAL")) {
        f.Type = TFieldType::Boolean;
    } else if (t.startsWith(QLatin1String("TIMESTAMP")) || t.startsWith(QLatin1String("DATE"))) {
        f.Type = TFieldType::DateTime;
    }
    return f;
}

}  // namespace

void TTable::CreateTable() {
    if (Active()) throw TEngineError(QStringLiteral("Nie można utworzyć otwartej tabeli."));
    if (FileName.isEmpty()) throw TEngineError(QStringLiteral("Brak nazwy tabeli."));
    if (Exists()) throw TEngineError(QStringLiteral("Tabela %1 już istnieje.").arg(FilePath()));
    if (Defs.empty()) throw TEngineError(QStringLiteral("Brak definicji pól."));
    const QString path = FilePath();
    const QString table = QuoteName(SqlTableName(FileName));
    try {
        auto conn = Acquire(path);
        QStringList columns;
        QStringList primary;
        for (const auto& f : Defs)
            columns << QuoteName(f.Name) + u' ' + SqlType(f) + (f.Required ? QStringLiteral(" NOT NULL") : QString());
        QStringList statements;
        for (const auto& idx : IndexDefinitions) {
            QStringList cols;
            for (const QString& name : idx.Fields)
                cols << QuoteName(name) + (idx.CaseInsensitive ? QStringLiteral(" COLLATE ") + QLatin1String(kNoCase) : QString());
            if (idx.Primary)
                columns << QStringLiteral("PRIMARY KEY (%1)").arg(cols.join(QStringLiteral(", ")));
            else
                statements << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                                  .arg(idx.Unique ? QStringLiteral("UNIQUE ") : QString(), QuoteName(idx.Name), table,
                                       cols.join(QStringLiteral(", ")));
        }
        statements.prepend(QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columns.join(QStringLiteral(", "))));
        if (!conn->Db.transaction()) throw TEngineError(conn->Db.lastError().text());
        try {
            for (const QString& s : statements) Run(*conn, s);
        } catch (...) {
            conn->Db.rollback();
            throw;
        }
        if (!conn->Db.commit()) {
            const QString text = conn->Db.lastError().text();
            conn->Db.rollback();
            throw TEngineError(text);
        }
    } catch (...) {
        // No half-made table is left behind: the next start tries again.
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        throw;
    }
}

void TTable::ReadStructure() {
    SqlTable = SqlTableName(FileName);
    QSqlQuery q = Run(*Conn, QStringLiteral("PRAGMA table_info(%1)").arg(QuoteName(SqlTable)));
    std::vector<TFieldDef> fields;
    QStringList primary;
    std::vector<std::pair<int, QString>> pk;
    while (q.next()) {
        fields.push_back(FieldFromSql(q.value(1).toString(), q.value(2).toString(), q.value(3).toInt() != 0));
        if (q.value(5).toInt() > 0) pk.emplace_back(q.value(5).toInt(), q.value(1).toString());
    }
    if (fields.empty()) throw TEngineError(QStringLiteral("Plik %1 nie zawiera tabeli %2.").arg(FilePath(), SqlTable));
    std::sort(pk.begin(), pk.end());
    for (const auto& p : pk) primary << p.second;

    std::vector<TIndexDef> indexes;
    if (!primary.isEmpty()) indexes.push_back(TIndexDef{QString(), primary, true, false, true});
    QSqlQuery list = Run(*Conn, QStringLiteral("PRAGMA index_list(%1)").arg(QuoteName(SqlTable)));
    std::vector<std::pair<QString, bool>> names;
    while (list.next())
        if (list.value(3).toString() == QLatin1String("c")) names.emplace_back(list.value(1).toString(), list.value(2).toInt() != 0);
    for (const auto& [name, unique] : names) {
        TIndexDef idx{name, {}, false, false, unique};
        QSqlQuery info = Run(*Conn, QStringLiteral("PRAGMA index_xinfo(%1)").arg(QuoteName(name)));
        while (info.next()) {
            if (info.value(5).toInt() == 0) continue;  // not a key column
            idx.Fields << info.value(2).toString();
            if (info.value(4).toString().compare(QLatin1String(kNoCase), Qt::CaseInsensitive) == 0) idx.CaseInsensitive = true;
        }
        indexes.push_back(idx);
    }
    Defs = std::move(fields);
    IndexDefinitions = std::move(indexes);
}

void TTable::ResolveOrder() {
    OrderField = -1;
    OrderNoCase = false;
    const TIndexDef* found = nullptr;
    for (const auto& idx : IndexDefinitions)
        if (Index.isEmpty() ? idx.Primary : idx.Name.compare(Index, Qt::CaseInsensitive) == 0) found = &idx;
    if (!found) {
        if (Index.isEmpty()) return;  // no primary index: the order of insertion
        throw TEngineError(QStringLiteral("Indeks %1 nie istnieje.").arg(Index));
    }
    OrderField = FieldIndex(found->Fields.value(0));
    if (OrderField < 0 || Defs[OrderField].Type != TFieldType::String)
        throw TEngineError(QStringLiteral("Indeks %1 nie jest obsługiwany.").arg(found->Name));
    OrderNoCase = found->CaseInsensitive;
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
        Conn = Acquire(FilePath());
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
    } catch (...) {
        FinalizeStatements();
        State = TDataSetState::Inactive;
        Keys.clear();
        Conn.reset();
        throw;
    }
}

void TTable::Close() {
    if (!Active()) return;
    FinalizeStatements();
    State = TDataSetState::Inactive;
    KeysValid = false;
    Keys.clear();
    Buffer.clear();
    Modified.clear();
    BufferRowId = -1;
    Conn.reset();
}

void TTable::ForEachKey(const std::function<void(const QString&)>& fn) const {
    CheckActive();
    EnsureKeys();
    for (const Key& k : Keys)
        if (!k.Null) fn(k.Order);
}

QString TTable::ConnectionName() const { return Conn ? Conn->Name : QString(); }

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

void TTable::LoadKeys() {
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2")
                      .arg(OrderField >= 0 ? QuoteName(Defs[OrderField].Name) : QStringLiteral("NULL"), QuoteName(SqlTable));
    // Under a filter the table is read in storage order and sorted here: walking
    // the index would look every row up in the table to test the filter.
    const bool sortHere = !FilterSql.isEmpty() && OrderField >= 0;
    if (!FilterSql.isEmpty()) sql += QStringLiteral(" WHERE ") + FilterSql;
    if (OrderField < 0)
        sql += QStringLiteral(" ORDER BY rowid");
    else if (!sortHere)
        sql += QStringLiteral(" ORDER BY %1%2, rowid")
                   .arg(QuoteName(Defs[OrderField].Name),
                        OrderNoCase ? QStringLiteral(" COLLATE ") + QLatin1String(kNoCase) : QString());
    // The keys of a large table are read straight from SQLite: this is the one
    // pass over every row when a list opens.
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(Conn->Handle, utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK)
        throw TEngineError(QString::fromUtf8(sqlite3_errmsg(Conn->Handle)));
    for (int i = 0; i < FilterBinds.size(); ++i) Bind(st, i + 1, FilterBinds[i]);
    std::vector<Key> keys;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        Key k{sqlite3_column_int64(st, 0), QString(), sqlite3_column_type(st, 1) == SQLITE_NULL};
        if (!k.Null) {
            const void* text = sqlite3_column_text16(st, 1);
            const int bytes = sqlite3_column_bytes16(st, 1);
            k.Order = QString(static_cast<const QChar*>(text), bytes / 2);
        }
        keys.push_back(std::move(k));
    }
    const QString error = QString::fromUtf8(sqlite3_errmsg(Conn->Handle));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) throw TEngineError(error);
    if (sortHere) std::sort(keys.begin(), keys.end(), [this](const Key& a, const Key& b) { return CompareKeys(a, b) < 0; });
    Keys = std::move(keys);
}

QVariant TTable::FromStorage(int field, const QVariant& stored) const {
    if (stored.isNull()) return QVariant();
    switch (Defs[field].Type) {
    case TFieldType::String: return stored.toString();
    case TFieldType::Integer: {
        bool ok = false;
        const qint64 n = stored.toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    case TFieldType::Boolean: return stored.toLongLong() != 0;
    case TFieldType::DateTime: {
        QDateTime m;
        if (!StorageToDateTime(stored.toString(), m)) return QVariant();
        return m;
    }
    }
    return QVariant();
}

QVariant TTable::ToStorage(int field, const QVariant& value) const {
    if (value.isNull()) return QVariant();
    switch (Defs[field].Type) {
    case TFieldType::String: {
        const QString s = value.toString();
        return Defs[field].Size > 0 ? s.left(Defs[field].Size) : s;
    }
    case TFieldType::Integer: return value.toLongLong();
    case TFieldType::Boolean: return qint64(value.toBool() ? 1 : 0);
    case TFieldType::DateTime: return DateTimeToStorage(value.toDateTime());
    }
    return QVariant();
}

void TTable::FinalizeStatements() {
    if (FetchStatement) sqlite3_finalize(static_cast<sqlite3_stmt*>(FetchStatement));
    FetchStatement = nullptr;
}

bool TTable::ReadRow(qint64 rowId, std::vector<QVariant>& out) const {
    out.assign(Defs.size(), QVariant());
    // Moving through the list reads one row at a time; the statement is prepared
    // once per opening.
    auto* st = static_cast<sqlite3_stmt*>(FetchStatement);
    if (!st) {
        QStringList cols;
        for (const auto& f : Defs) cols << QuoteName(f.Name);
        const QByteArray sql =
            QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(cols.join(u','), QuoteName(SqlTable)).toUtf8();
        if (sqlite3_prepare_v2(Conn->Handle, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
            throw TEngineError(QString::fromUtf8(sqlite3_errmsg(Conn->Handle)));
        const_cast<TTable*>(this)->FetchStatement = st;
    }
    sqlite3_bind_int64(st, 1, rowId);
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(Conn->Handle));
        sqlite3_reset(st);
        throw TEngineError(error);
    }
    if (rc == SQLITE_ROW) {
        for (int i = 0; i < FieldCount(); ++i) {
            QVariant stored;
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL: break;
            case SQLITE_INTEGER: stored = qint64(sqlite3_column_int64(st, i)); break;
            case SQLITE_FLOAT: stored = sqlite3_column_double(st, i); break;
            default: {
                const void* text = sqlite3_column_text16(st, i);
                stored = QString(static_cast<const QChar*>(text), sqlite3_column_bytes16(st, i) / 2);
            }
            }
            out[i] = FromStorage(i, stored);
        }
    }
    // SQLITE_DONE: the row was deleted through another table object.
    sqlite3_reset(st);
    return rc == SQLITE_ROW;
}

void TTable::Fetch() {
    Modified.assign(Defs.size(), false);
    BufferRowId = -1;
    EnsureKeys();
    if (Keys.empty()) {
        Buffer.assign(Defs.size(), QVariant());
        return;
    }
    if (ReadRow(Keys[Cur].RowId, Buffer)) BufferRowId = Keys[Cur].RowId;
}

bool TTable::RecordAt(int pos, std::vector<QVariant>& values) const {
    CheckActive();
    EnsureKeys();
    if (pos < 0 || pos >= static_cast<int>(Keys.size())) return false;
    return ReadRow(Keys[pos].RowId, values);
}

void TTable::MoveTo(int pos) {
    CheckBrowse();
    EnsureKeys();
    if (Keys.empty()) return;
    SetPosition(pos);
}

QString TTable::DisplayText(int field, const QVariant& value) const {
    if (value.isNull()) return QString();
    switch (Defs.at(field).Type) {
    case TFieldType::String: return value.toString();
    case TFieldType::Integer: return QString::number(value.toLongLong());
    case TFieldType::Boolean: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case TFieldType::DateTime: return DateTimeToText(value.toDateTime());
    }
    return QString();
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

int TTable::CompareKeys(const Key& a, const Key& b) const {
    if (a.Null != b.Null) return a.Null ? -1 : 1;
    if (!a.Null) {
        const int c = OrderNoCase ? PolishNoCaseCompare(a.Order.constData(), a.Order.size(), b.Order.constData(), b.Order.size())
                                  : BinaryCompare(a.Order, b.Order);
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

bool TTable::MatchesFilter(qint64 rowId) {
    if (FilterSql.isEmpty()) return true;
    QVariantList binds{rowId};
    binds += FilterBinds;
    QSqlQuery q = Run(*Conn, QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ? AND (%2)").arg(QuoteName(SqlTable), FilterSql), binds);
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
    if (AfterInsert) AfterInsert(*this);
}

void TTable::SetValue(int field, const QVariant& value) {
    CheckActive();
    if (State != TDataSetState::Edit && State != TDataSetState::Insert)
        throw TEngineError(QStringLiteral("Tabela %1 nie jest w trybie edycji ani dopisywania.").arg(FileName));
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
        QSqlQuery q = Run(*Conn, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(u','), marks.join(u',')), binds);
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
            Run(*Conn, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(table, sets.join(u',')), binds);
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
    Run(*Conn, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(QuoteName(SqlTable)), {rowId});
    if (Keys[Cur].RowId == rowId) Keys.erase(Keys.begin() + Cur);
    SetPosition(Cur);
    return true;
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
            match = OrderNoCase ? NoCaseStartsWith(k, text) : k.startsWith(text);
        else
            match = OrderNoCase ? PolishNoCaseCompare(k.constData(), k.size(), text.constData(), text.size()) == 0 : k == text;
        if (!match) return false;
        SetPosition(pos);
        return true;
    }

    const QString column = QuoteName(def.Name);
    const QString collate = options.CaseInsensitive ? QStringLiteral(" COLLATE ") + QLatin1String(kNoCase) : QString();
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
    const QString orderColumn = OrderField >= 0 ? QuoteName(Defs[OrderField].Name) : QStringLiteral("NULL");
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3").arg(orderColumn, QuoteName(SqlTable), condition);
    if (OrderField >= 0)
        sql += QStringLiteral(" ORDER BY %1%2, rowid")
                   .arg(orderColumn, OrderNoCase ? QStringLiteral(" COLLATE ") + QLatin1String(kNoCase) : QString());
    else
        sql += QStringLiteral(" ORDER BY rowid");
    QSqlQuery q = Run(*Conn, sql, binds);
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

// ---------------------------------------------------------------------------
// Set-based operations

int TTable::CountWhere(const QString& filter) {
    CheckActive();
    QVariantList binds;
    const QString where = WhereClause(filter, binds);
    QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(QuoteName(SqlTable));
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    QSqlQuery q = Run(*Conn, sql, binds);
    return q.next() ? q.value(0).toInt() : 0;
}

namespace {

// Long passes go in slices of rows, so the caller can let the window breathe.
constexpr qint64 kSlice = 20000;

}  // namespace

int TTable::UpdateWhere(const QString& filter, const std::vector<std::pair<QString, QVariant>>& values,
                        const Progress& progress) {
    CheckBrowse();
    if (values.empty()) return 0;
    QVariantList filterBinds;
    const QString where = WhereClause(filter, filterBinds);
    QStringList sets, same;
    QVariantList setBinds, sameBinds;
    for (const auto& [name, value] : values) {
        const int fi = FieldIndex(name);
        if (fi < 0) throw TEngineError(QStringLiteral("Pole %1 nie istnieje.").arg(name));
        QVariant v = value;
        if (Defs[fi].Type == TFieldType::String && v.isValid() && v.toString().isEmpty()) v = QVariant();
        if (Defs[fi].Required && v.isNull())
            throw TEngineError(QStringLiteral("Pole '%1' musi mieć wartość.").arg(Defs[fi].Name));
        const QVariant stored = ToStorage(fi, v);
        sets << QuoteName(Defs[fi].Name) + QStringLiteral(" = ?");
        setBinds << stored;
        same << QuoteName(Defs[fi].Name) + QStringLiteral(" IS ?");
        sameBinds << stored;
    }
    // Rows that already hold the values are not written again.
    QString condition = QStringLiteral("rowid >= ? AND rowid < ? AND NOT (%1)").arg(same.join(QStringLiteral(" AND ")));
    if (!where.isEmpty()) condition += QStringLiteral(" AND (%1)").arg(where);
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(QuoteName(SqlTable), sets.join(u','), condition);

    QSqlQuery range = Run(*Conn, QStringLiteral("SELECT min(rowid), max(rowid) FROM %1").arg(QuoteName(SqlTable)));
    if (!range.next() || range.value(0).isNull()) return 0;
    const qint64 lo = range.value(0).toLongLong(), hi = range.value(1).toLongLong();
    range.finish();
    int changed = 0;
    TTableTransaction tx(*this);
    for (qint64 from = lo; from <= hi; from += kSlice) {
        QVariantList binds = setBinds;
        binds << from << (from + kSlice);
        binds += sameBinds;
        binds += filterBinds;
        QSqlQuery q = Run(*Conn, sql, binds);
        changed += q.numRowsAffected();
        if (progress) progress();
    }
    tx.Commit();
    return changed;
}

int TTable::DeleteWhere(const QString& filter, const Progress& progress) {
    CheckBrowse();
    QVariantList filterBinds;
    const QString where = WhereClause(filter, filterBinds);
    QString condition = QStringLiteral("rowid >= ? AND rowid < ?");
    if (!where.isEmpty()) condition += QStringLiteral(" AND (%1)").arg(where);
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(QuoteName(SqlTable), condition);
    QSqlQuery range = Run(*Conn, QStringLiteral("SELECT min(rowid), max(rowid) FROM %1").arg(QuoteName(SqlTable)));
    if (!range.next() || range.value(0).isNull()) return 0;
    const qint64 lo = range.value(0).toLongLong(), hi = range.value(1).toLongLong();
    range.finish();
    int removed = 0;
    TTableTransaction tx(*this);
    for (qint64 from = lo; from <= hi; from += kSlice) {
        QVariantList binds{from, from + kSlice};
        binds += filterBinds;
        QSqlQuery q = Run(*Conn, sql, binds);
        removed += q.numRowsAffected();
        if (progress) progress();
    }
    tx.Commit();
    return removed;
}
