#pragma once
#include "rowpositions.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

// The table engine the goods code works through: a table object is a cursor over
// one table of an SQLite file, in the order of one index, optionally restricted
// by a filter expression. Several table objects may stand on the same file; each
// has its own position and filter, and sees the others' changes after Refresh.

// Every engine failure.
class TEngineError : public std::runtime_error {
public:
    explicit TEngineError(const QString& message);
    QString Message() const { return Text; }

private:
    QString Text;
};

// A silent abort, raised by an event handler to stop the operation that called it
// without any message.
class TAbort : public std::exception {
public:
    const char* what() const noexcept override { return "abort"; }
};
[[noreturn]] void Abort();

enum class TFieldType { String, Integer, Boolean, DateTime };

struct TFieldDef {
    TFieldDef(QString name = {}, TFieldType type = TFieldType::String, int size = 0, bool required = false,
              QString expression = {})
        : Name(std::move(name)), Type(type), Size(size), Required(required), Expression(std::move(expression)) {}
    QString Name;
    TFieldType Type = TFieldType::String;
    int Size = 0;  // characters of a string field; 0 for the other types
    bool Required = false;
    // A calculated field: an SQL expression over the record's row (its table
    // named as the file names it), read with the record, usable in filters,
    // never written. Empty for a stored field.
    QString Expression;
    // A stored field's default as an SQL literal ("0", "'tekst'"), empty for
    // none: the file's column has it, and a new record starts with it.
    QString Default;
};

struct TIndexDef {
    QString Name;  // empty for the primary index
    QStringList Fields;
    bool Primary = false;
    bool CaseInsensitive = false;  // also for Polish letters
    bool Unique = false;
};

enum class TDataSetState { Inactive, Browse, Edit, Insert };

struct TLocateOptions {
    bool CaseInsensitive = false;
    bool PartialKey = false;  // the field begins with the value
};

class TTable;
struct TSqliteConnection;
class TSqliteStatement;
class TRowReader;

// A cheap test made once per walk of a table (WriteRecords) that tells of a
// record, by its stored fields, whether its calculated fields may be anything
// but null: they are worked out only where it says so. It may let records
// through that turn out null, never leave one out; none (an empty function)
// lets every record through.
using TRowTest = std::function<bool(const TRowReader&)>;
using TCalculatedGate = std::function<TRowTest(TSqliteConnection&, const TTable&)>;

// What a kind of file needs on each connection of the engine to it beyond the
// engine's own (a goods file: the SQL functions and statements that keep its
// price history); run once per connection, raising nothing.
using TConnectionSetup = void (*)(TSqliteConnection& conn, const QString& path);

// Where a table object's changes of one record go before its own file: a
// store that keeps the goods elsewhere (a server) takes each change there
// first, and the file follows it. Values are the stored fields in field order,
// in program types. Each call raises to refuse the change; the file and the
// record list then stay as they were and the table keeps its state.
class TRecordSink {
public:
    virtual ~TRecordSink() = default;
    // A new record; returns the row id the file is to store it under.
    virtual qint64 Insert(const TTable& table, const std::vector<QVariant>& values) = 0;
    // An edit of the record at `rowId`: only the fields `modified` marks were
    // changed, and only they are to be written (the others may have been
    // changed meanwhile by someone else, whose change stays).
    virtual void Update(const TTable& table, qint64 rowId, const std::vector<QVariant>& values,
                        const std::vector<bool>& modified) = 0;
    virtual void Delete(const TTable& table, qint64 rowId) = 0;
};

// One field of the current record of a table.
class TField {
public:
    TField(TTable* table, int index) : Table(table), Index(index) {}
    // A field of `row`, values as ForEachRecord gives them, to read only.
    TField(TTable* table, int index, const std::vector<QVariant>* row) : Table(table), Index(index), Row(row) {}
    const QString& FieldName() const;
    TFieldType DataType() const;
    int Size() const;
    bool Required() const;

    bool IsNull() const;
    // The engine's text: decimal integers, "True"/"False", the program's
    // date-time text, "" for null.
    QString AsString() const;
    // Null reads 0; text that is no integer raises.
    qint64 AsInteger() const;
    bool AsBoolean() const;
    QDateTime AsDateTime() const;
    QVariant Value() const;

    // Writes need the edit or insert state. A text longer than a string field is
    // stored cut to the field's size; an empty text makes the field null.
    void SetAsString(const QString& value);
    void SetAsInteger(qint64 value);
    void SetAsBoolean(bool value);
    void SetAsDateTime(const QDateTime& value);
    void Clear();

private:
    TTable* Table;
    int Index;
    const std::vector<QVariant>* Row = nullptr;
};

// A record as WriteRecords reads it, field by field (the table's field
// numbers, calculated fields included), valid within the call it is given to.
class TRowReader {
public:
    TRowReader(const TTable& table, const TSqliteStatement& st, int stored) : Table(table), St(st), Stored(stored) {}
    // The calculated fields of the record from `calculated` (its columns from
    // the first), or null when it is null.
    void SetCalculated(const TSqliteStatement* calculated) { Calculated = calculated; }
    bool IsNull(int field) const;
    // The value as ForEachRecord gives it.
    QVariant Value(int field) const;
    // Stored as an integer: its number.
    std::optional<qint64> Integer(int field) const;
    // Stored as a text: its bytes, UTF-8 as SQLite holds them (not checked).
    std::optional<QByteArrayView> Utf8(int field) const;

private:
    const TTable& Table;
    const TSqliteStatement& St;
    int Stored;  // fields of `St`; the calculated ones after them come from `Calculated`
    const TSqliteStatement* Calculated = nullptr;
    // The statement and column of a field; null when the field reads as null.
    std::pair<const TSqliteStatement*, int> Column(int field) const;
};

class TTable {
public:
    TTable();
    ~TTable();
    Q_DISABLE_COPY(TTable)

    // Where the table lives: a folder and a file name ("towary.db"); the table
    // inside the file is named after the file without its extension.
    void SetDatabaseName(const QString& folder);
    QString DatabaseName() const { return Folder; }
    void SetTableName(const QString& name);
    QString TableName() const { return FileName; }
    QString FilePath() const;
    // What the file's connection needs (see TConnectionSetup); none by default.
    void SetConnectionSetup(TConnectionSetup setup) { Setup = setup; }
    // Where Post and Delete send a change before writing the file; none by
    // default. A table with a sink refuses the set-based writes (UpdateWhere,
    // MarkWhere, DeleteWhere): they would bypass it.
    void SetRecordSink(std::shared_ptr<TRecordSink> sink) { Sink = std::move(sink); }
    const std::shared_ptr<TRecordSink>& RecordSink() const { return Sink; }
    // The order: empty for the primary index, or the name of a secondary index.
    void SetIndexName(const QString& name);
    QString IndexName() const { return Index; }

    // Creation from definitions; the file must not exist yet. While the table
    // is open they are the file's stored fields followed by the calculated ones.
    std::vector<TFieldDef>& FieldDefs() { return Defs; }
    const std::vector<TFieldDef>& FieldDefs() const { return Defs; }
    std::vector<TIndexDef>& IndexDefs() { return IndexDefinitions; }
    bool Exists() const;
    void CreateTable();
    // Gives the existing table, closed, each field of FieldDefs() it lacks
    // that has a default (a field of a later version); its rows get the
    // default, nothing else changes. Returns how many were added. Raises
    // TEngineError.
    int AddMissingFields();

    void Open();
    void Close();
    bool Active() const { return State != TDataSetState::Inactive; }
    TDataSetState DataSetState() const { return State; }

    // Filter expressions: comparisons of a field with TRUE, FALSE, NULL, a number
    // or a quoted text, joined by AND, OR, NOT and parentheses. Any other text is
    // refused with an error when the filter takes effect.
    void SetFilter(const QString& filter);
    QString Filter() const { return FilterText; }
    void SetFiltered(bool on);
    bool Filtered() const { return FilterOn; }

    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const;
    bool Bof() const;
    bool IsEmpty() const;
    // Records under the filter, if it is on.
    int RecordCount() const;
    // Position of the current record, from 0; -1 on an empty table.
    int RecNo() const;
    // Moves to the record at `pos` of the current order (clamped to the list).
    void MoveTo(int pos);
    // The stored values of the record at `pos`, in field order, without moving
    // the cursor (a pending edit is not seen). False when there is no such record.
    bool RecordAt(int pos, std::vector<QVariant>& values) const;
    // The engine's text of a value of field `field` (as TField::AsString gives it).
    QString DisplayText(int field, const QVariant& value) const;
    // Reads the table anew, staying on the current record when it is still there.
    void Refresh();

    // Calculated fields (TFieldDef::Expression set) of this table object, kept
    // from opening to opening and taking effect at the next one. They follow
    // the stored fields: FieldByName and FieldIndex find them, FieldCount and
    // Fields(int) leave them out, and RecordAt gives their values after the
    // stored ones. The cursor reads them when one is first used. An expression
    // the file cannot run (a table it names is missing) reads as null.
    void SetCalculatedFields(std::vector<TFieldDef> fields, TCalculatedGate gate = {});

    // Edit on an empty table starts an insert. Moving, refreshing or starting
    // another edit posts a pending change first.
    void Edit();
    void Insert();
    void Post();
    void Cancel();
    // False when the before-delete handler aborted.
    bool Delete();

    std::function<void(TTable&)> AfterInsert;
    std::function<void(TTable&)> AfterEdit;
    std::function<void(TTable&)> BeforeDelete;  // may call Abort()

    // Keyed search on the first field of the current index, within the filter.
    bool FindKey(const QVariant& value);
    // The first record in the current order, within the filter, whose field matches.
    bool Locate(const QString& field, const QVariant& value, TLocateOptions options = {});

    // The stored fields.
    int FieldCount() const;
    TField Fields(int index);
    TField FieldByName(const QString& name);
    int FieldIndex(const QString& name) const;  // -1 when missing
    // The field called `name` of a row that ForEachRecord gives, to read.
    TField FieldOf(const std::vector<QVariant>& row, const QString& name);

    // Set-based operations on the whole table (the table need not be positioned;
    // it must be open). Each runs in one transaction; `progress` is called between
    // parts of a long pass, so a window can process its pending messages.
    using Progress = std::function<void()>;
    int CountWhere(const QString& filter);
    int UpdateWhere(const QString& filter, const std::vector<std::pair<QString, QVariant>>& values,
                    const Progress& progress = {});
    int DeleteWhere(const QString& filter, const Progress& progress = {});
    // Sets the boolean field `name` of the records under `scope` to whether
    // they match `condition` (an empty filter: all records), in one pass that
    // writes only the records whose value changes; the number written.
    int MarkWhere(const QString& scope, const QString& condition, const QString& name, const Progress& progress = {});

    // Calls `fn` with the order field of every record under the filter, in order
    // (null values left out).
    void ForEachKey(const std::function<void(const QString&)>& fn) const;
    // Calls `fn` with the values of every record under the filter, in the
    // table's order (program types, field order), reading one record at a time:
    // memory does not grow with the table. The cursor does not move.
    void ForEachRecord(const std::function<void(const std::vector<QVariant>&)>& fn) const;

    // Calls `format` with every record under the filter, as it stands in the
    // file, to append the record's bytes to its buffer, and `write` with the
    // bytes of all of them in the table's order, a piece at a time. The
    // records are read in the file's own order, one pass and no seek per
    // record; in the order of an index their bytes wait in a temporary file
    // (memory holds 24 bytes a record), then go out in the index's order.
    void WriteRecords(const std::function<void(const TRowReader&, QByteArray&)>& format,
                      const std::function<void(const QByteArray&)>& write) const;

    // The file's connection name, for code and tests that need plain SQL.
    QString ConnectionName() const;

private:
    friend class TField;
    friend class TTableTransaction;
    friend class TRowReader;

    void CheckActive() const;
    void CheckBrowse();
    // The set-based writes: browse state, and no sink to bypass.
    void CheckSetWrite();
    // Reads the record list: the row ids of the current order under the filter.
    void LoadKeys();
    // The order of the records is read when the cursor is first used, so that
    // set-based operations on an opened table never pay for it.
    void EnsureKeys() const;
    void ReloadFirst();
    void Fetch();
    // The stored fields of a row, and with `calculated` the calculated ones too.
    bool ReadRow(qint64 rowId, std::vector<QVariant>& out, bool calculated) const;
    // The calculated values of the current record, when the cursor has not yet read them.
    void EnsureCalculated();
    bool IsCalculated(int field) const { return !Defs[field].Expression.isEmpty(); }
    // A field as SQL: its quoted name, or its expression in parentheses.
    QString ColumnSql(int field) const;
    void EnsureLoaded();
    void SetPosition(int pos);
    // The position of a row in the list; -1 when the list does not hold it.
    int PositionOfRow(qint64 rowId) const;
    // Where a record with this order value and row id belongs in the list.
    int InsertionPoint(const QString& order, bool isNull, qint64 rowId) const;
    void RemoveFromList(int pos);
    void InsertIntoList(int pos, qint64 rowId);
    // Order values (null first, then the index's collation), then row ids.
    int CompareOrder(const QString& a, bool aNull, qint64 aRow, const QString& b, bool bNull, qint64 bRow) const;
    // Moves to the first record of the list at or after `text` in the order
    // while `matches` holds for its order value; false when there is none.
    bool SeekInOrder(const QString& text, const std::function<bool(const QString&)>& matches);
    // A statement kept prepared while the table is open (and its filter and
    // order stay); the caller resets it after use.
    TSqliteStatement& Prepared(const QString& sql) const;
    // Binds the filter's values from parameter `first` on.
    void BindFilter(TSqliteStatement& st, int first) const;
    bool MatchesFilter(qint64 rowId);
    void ReadStructure();
    void ResolveOrder();
    QString WhereClause(const QString& filter, QVariantList& binds) const;
    QString OrderColumn() const;  // the order field as SQL, or NULL
    QString OrderBy() const;      // the ORDER BY of the current order
    void UseFilterSql(const QString& sql, const QVariantList& binds);
    // Runs `sql`, whose row range bounds are bound between `before` and `after`,
    // over the whole table slice by slice in one transaction; rows affected.
    int RunInSlices(const QString& sql, const QVariantList& before, const QVariantList& after, const Progress& progress);
    QVariant ToStorage(int field, const QVariant& value) const;
    QVariant FromStorage(int field, const QVariant& stored) const;
    void SetValue(int field, const QVariant& value);

    QString Folder;
    QString FileName;
    QString Index;
    QString FilterText;
    bool FilterOn = false;
    std::vector<TFieldDef> Defs;
    std::vector<TFieldDef> CalculatedDefs;
    TCalculatedGate CalculatedGate;
    std::vector<TIndexDef> IndexDefinitions;
    TDataSetState State = TDataSetState::Inactive;

    TConnectionSetup Setup = nullptr;
    std::shared_ptr<TRecordSink> Sink;
    std::shared_ptr<TSqliteConnection> Conn;
    QString SqlTable;
    int OrderField = -1;        // -1: rowid order
    bool OrderNoCase = false;   // the order index ignores case
    QString FilterSql;
    QVariantList FilterBinds;

    mutable std::unique_ptr<TSqliteStatement> FetchStatement;  // the prepared row read, kept while open
    mutable std::unique_ptr<TSqliteStatement> FetchAllStatement;  // the same with the calculated fields
    mutable std::map<QString, std::unique_ptr<TSqliteStatement>> Statements;

    bool KeysValid = false;
    std::vector<qint64> Rows;  // row ids of the list, in order
    mutable TRowPositions Positions;  // built on first use after a change of Rows
    int Cur = 0;
    bool AtBof = true;
    bool AtEof = true;
    std::vector<QVariant> Buffer;  // current record, in program types
    std::vector<bool> Modified;
    qint64 BufferRowId = -1;
    bool Loaded = false;  // the record is read when a field is first used
    bool CalculatedLoaded = false;  // the calculated values of the buffer are read
};

// One transaction on a table's file; nested guards join the outermost one. Rolls
// back unless committed. It takes the file's write lock when it begins, and
// waits up to 15 seconds while another process (the nightly update beside a
// print) holds it.
class TTableTransaction {
public:
    explicit TTableTransaction(TTable& table);
    ~TTableTransaction();
    Q_DISABLE_COPY(TTableTransaction)
    void Commit();

private:
    friend class TTable;
    explicit TTableTransaction(std::shared_ptr<TSqliteConnection> conn);

    TConnectionSetup Setup = nullptr;
    std::shared_ptr<TSqliteConnection> Conn;
    bool Outer = false;
    bool Done = false;
};

// A long run of transactions (the update, in batches) calls this between two:
// it leaves the file alone for a moment, so that another process waiting to
// write gets its turn instead of waiting for the whole run.
void LetWaitingWritersIn();

// Compares two texts as the name index does: case ignored, Polish letters after
// their base letters (a < ą < b). Negative, zero or positive.
int PolishNoCaseCompare(const QChar* a, qsizetype na, const QChar* b, qsizetype nb);
// The stored form of a date-time ("yyyy-MM-dd HH:mm:ss.zzz"), sortable as text.
QString DateTimeToStorage(const QDateTime& moment);
