#pragma once
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <vector>

// A table file of an external folder database (Paradox, dBase or CSV), read
// by our own readers. Every length, offset and count that a file states is checked
// against the bytes really there, so a damaged file gives an error or fewer
// rows, never a read outside the data.

enum class TExtKind { Text, Integer, Real, Date, Time, DateTime, Boolean, Blob };

struct TExtField {
    QString Name;
    TExtKind Kind = TExtKind::Text;
    char Code = 0;  // the file's own type code
    int Offset = 0; // within a record
    int Length = 0;
    int Decimals = 0;
};

// The code page of a table's text, as far as the readers convert it. Text of
// any other single-byte code page (Mazovia among them) is kept byte for byte
// as Windows-1250 characters, so that the definition's conversion can still
// see the original bytes.
enum class TExtCodePage { Win1250, Cp852 };

QString DecodeTableText(const char* data, int size, TExtCodePage codePage);
// The same text as UTF-8, into `utf8` (its capacity kept).
void TableTextUtf8(const char* data, int size, TExtCodePage codePage, QByteArray& utf8);

// A piece of a file read ahead in one bounded read, so that walking a table
// costs one read per many records rather than one per field.
struct TByteWindow {
    QByteArray Bytes;
    std::uint64_t At = 0;
};

// Bytes of a file, read on demand into owned buffers (or given in memory).
// Reads are bounded by what the file holds at the moment of reading: a file
// that another program shortens or rewrites while we read it (a sales
// program packing its table, a share that goes away) gives fewer bytes than
// its size at opening, never a fault.
class TFileBytes {
public:
    // False (with `error`) when the file cannot be opened.
    bool Load(const QString& path, QString& error);
    void Assign(QByteArray bytes);
    // The size at opening.
    std::uint64_t Size() const { return Length; }
    bool Empty() const { return Length == 0; }
    // Copies up to `length` bytes from `offset` into `out`; the number of
    // bytes that were there.
    std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t length) const;
    // Up to `length` bytes from `offset`.
    QByteArray Read(std::uint64_t offset, std::size_t length) const;
    // Exactly `length` bytes from `offset`, or a null array when the file
    // holds fewer.
    QByteArray ReadExact(std::uint64_t offset, std::size_t length) const;
    // The `length` bytes at `offset`, through `window`: when the window does
    // not hold them it is refilled with up to `ahead` bytes from `offset`.
    // Nullptr when the file holds fewer bytes there.
    const std::uint8_t* View(TByteWindow& window, std::uint64_t offset, std::size_t length, std::size_t ahead) const;

private:
    std::shared_ptr<const int> Handle;  // the open file's descriptor
    QByteArray Owned;
    std::uint64_t Length = 0;
};

// A place in a table; several may walk one table at once, each with its own
// window of read-ahead bytes.
struct TExtPosition {
    std::int64_t Major = 0;
    std::int64_t Minor = 0;
    TByteWindow Window;
    // Set when the file ended before the records it held at opening: it was
    // shortened while being read.
    bool Cut = false;
    // Set when records were left out because the file, as it was at opening,
    // ends inside them: the table is damaged.
    bool Damaged = false;
    // The record MoveAt reached: its bytes in Window (a reader that decodes
    // values when asked), or its values.
    const std::uint8_t* Record = nullptr;
    std::vector<QVariant> Values;
};

class TExtTable {
public:
    virtual ~TExtTable() = default;
    const std::vector<TExtField>& Fields() const { return FieldList; }
    // The number of records the reader will at most give.
    virtual std::int64_t RecordCount() const = 0;
    // Reads the live record at or after `at` into `row` (one value per field;
    // a null QVariant for an empty value) and moves `at` past it. False at
    // the end, and with `at.Cut` set when the file was shortened under us;
    // `at.Damaged` set means that records were left out as cut off.
    virtual bool NextAt(TExtPosition& at, std::vector<QVariant>& row) const = 0;
    // As NextAt, but the values are read only when asked for, by ValueAt or
    // TextAt (a query that counts rows, or reads a few columns, decodes no
    // others).
    virtual bool MoveAt(TExtPosition& at) const { return NextAt(at, at.Values); }
    // A value of the record MoveAt reached, as NextAt gives it.
    virtual QVariant ValueAt(const TExtPosition& at, int field) const { return at.Values[static_cast<std::size_t>(field)]; }
    // The same, when it is a text, as UTF-8 into `utf8` (its capacity kept):
    // the text of ExternalValueText(ValueAt(...)) without a QString between.
    // False when the reader has no such shortcut for the field: ValueAt then.
    virtual bool TextAt(const TExtPosition&, int /*field*/, QByteArray& /*utf8*/) const { return false; }
    // Why the last walk that stopped with `at.Cut` stopped, in the reader's
    // own words (naming the file); empty when it knows only that the file
    // was shortened.
    virtual QString ReadError() const { return {}; }
    // The same with the table's own place.
    void Rewind() { Own = TExtPosition(); }
    bool Next(std::vector<QVariant>& row) { return NextAt(Own, row); }
    TExtCodePage CodePage() const { return Page; }

private:
    TExtPosition Own;

protected:
    std::vector<TExtField> FieldList;
    TExtCodePage Page = TExtCodePage::Win1250;
};

struct TCsvOptions;

// Opens a table file by its extension (".db" Paradox, ".dbf" dBase, ".csv"
// CSV, read with `csv` from a copy checked whole, see TCsvTable::OpenCopy);
// the memo file beside it (".mb", ".dbt", ".fpt", any case) is read when
// present. Nullptr with `error` set when the file cannot
// be read as a table.
std::unique_ptr<TExtTable> OpenExtTable(const QString& path, QString& error);
std::unique_ptr<TExtTable> OpenExtTable(const QString& path, const TCsvOptions& csv, QString& error);

// Readers over bytes already in memory, for callers that have no files (the
// memo bytes may be empty).
std::unique_ptr<TExtTable> ReadDbfTable(TFileBytes table, TFileBytes memo, QString& error);
std::unique_ptr<TExtTable> ReadParadoxTable(TFileBytes table, TFileBytes memo, QString& error);
