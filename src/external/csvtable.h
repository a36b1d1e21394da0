#pragma once
#include "csvtext.h"
#include "externaltable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

// A CSV file as a table of the folder engine, read front to back in bounded
// pieces, so that a file of any length costs the same memory.
//
// What it reads without settings: the first line names the columns; the
// separator is the one of ';', ',', tab and '|' that the first line holds
// most often outside quotes (ties in that order; ';' when it holds none), or
// the one a first line "sep=X" names (that line is then no header); fields in
// double quotes may hold separators, line breaks and doubled quotes; lines
// end in CR LF, LF or CR. Empty lines, and lines whose fields are all blank,
// are skipped; separators at the end of the header add no columns; a line
// with fewer fields than the header has the missing ones empty, and fields
// beyond the header's are ignored (so a separator at the end of a line does
// no harm).
//
// Text: a file that starts with the UTF-8 byte-order mark is UTF-8. Else the
// first 64 KiB decide: when they hold bytes that are not well-formed UTF-8
// the whole file is in the given code page; otherwise each line is read as
// UTF-8 when its bytes are well-formed UTF-8 and in the code page when not
// (a line of plain ASCII reads the same either way).
//
// Refused, with a message: a file that cannot be opened or is no regular file
// (a folder, a named pipe), an empty file, a UTF-16 file, binary content (a
// zero byte anywhere, or control bytes in the first 64 KiB), a quote that is
// never closed (with the line where the field began), a line longer than
// 1 MiB, and a file that changes (size or modification time) while it is read.
struct TCsvOptions {
    TCsvCodePage CodePage = TCsvCodePage::Win1250;  // for text that is not UTF-8
    char Separator = 0;                             // 0: the first line decides
    std::size_t Piece = 64 * 1024;                  // bytes read at once (tests read tiny pieces)
};

// How a table's text is read: all UTF-8 (the file starts with the byte-order
// mark), line by line UTF-8 or the code page, or all in the code page.
enum class TCsvText { Utf8Bom, Detected, CodePage };

// One field of a record: its bytes, with the quotes when it is quoted.
struct TCsvSpan {
    std::size_t Begin = 0;
    std::size_t End = 0;
    bool Quoted = false;
};

class TCsvTable final : public TExtTable {
public:
    // Nullptr with `error` set when the file cannot be read as a table.
    static std::unique_ptr<TCsvTable> Open(const QString& path, const TCsvOptions& options, QString& error);
    // The same for a query that must not stop half way: the file is copied
    // aside first (into an unnamed file of the temporary folder, read front
    // to back once) and every record of the copy is split once, so that a
    // file that changes while it is copied, or that is damaged anywhere (a
    // zero byte, a quote never closed, a line too long), is refused here;
    // the table then reads the copy, which nothing else can change. Messages
    // name the file and its lines as Open's do.
    static std::unique_ptr<TCsvTable> OpenCopy(const QString& path, const TCsvOptions& options, QString& error);
    // The same over bytes in memory; `name` stands for the file in messages.
    static std::unique_ptr<TCsvTable> FromBytes(QByteArray bytes, const QString& name, const TCsvOptions& options,
                                                QString& error);
    ~TCsvTable() override;

    // The header's names as written (blanks around them removed), and their
    // FoldColumnName forms. Fields() names an unnamed column "FIELDn".
    const QStringList& ColumnNames() const { return Names; }
    const QStringList& MatchNames() const { return Folded; }
    // The column of a query's name (by FoldColumnName), or -1.
    int ColumnOf(const QString& name) const;
    char Separator() const { return Sep; }
    TCsvText TextRule() const { return Rule; }

    // At most one record per two bytes of the file: an estimate only.
    std::int64_t RecordCount() const override;
    // The next line as text, one value per column ("" for an empty one).
    // False at the end, and with `at.Cut` set and ReadError() telling why
    // when the file turned out damaged or changed. `at` starts as a
    // default position and then holds the byte offset of the next line
    // (Major) and the number of lines before it (Minor).
    bool NextText(TExtPosition& at, std::vector<QString>& row) const;
    // The same as values: a null QVariant for an empty value, else the text.
    bool NextAt(TExtPosition& at, std::vector<QVariant>& row) const override;
    // Why the last walk that stopped with `Cut` stopped.
    QString ReadError() const override { return Failure; }

private:
    struct TSource;
    TCsvTable();
    // Opens the file itself, a regular file only.
    bool OpenSource(const QString& path, QString& error);
    // Replaces the open file by a copy of it; false when the file changed
    // meanwhile or the copy cannot be written.
    bool CopyAside(QString& error);
    bool Start(const TCsvOptions& options, QString& error);
    // The next record that is not blank, `columns` values of it (0: all).
    bool ReadRecord(TExtPosition& at, std::vector<QString>& row, std::size_t columns) const;
    // The bytes of the record at `at`, split into Spans; `at` moves past it.
    bool Split(TExtPosition& at, const char*& record, std::size_t& length) const;
    void Decode(const char* record, std::size_t length, std::size_t columns, std::vector<QString>& row) const;
    bool Fill(TByteWindow& window, std::uint64_t offset, std::size_t want) const;
    bool Fail(TExtPosition& at, const QString& message) const;
    // False when the file's size or modification time differ from opening.
    bool Unchanged() const;

    std::unique_ptr<TSource> Source;
    QString Shown;  // the file as messages name it
    char Sep = ';';
    std::size_t Piece = 64 * 1024;
    TCsvText Rule = TCsvText::Detected;
    TCsvCodePage CodePage = TCsvCodePage::Win1250;
    std::uint64_t DataStart = 0;
    std::int64_t HeaderLines = 0;
    QStringList Names;
    QStringList Folded;
    mutable QString Failure;
    // Scratch of one call, kept to spare allocations.
    mutable std::vector<TCsvSpan> Spans;
    mutable std::vector<QString> TextRow;
    mutable QByteArray Scratch;
};
