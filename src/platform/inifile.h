#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// An INI file read and written key by key with the rules of Windows profile
// files: section and key names match without regard to case, values are read
// trimmed, without a pair of enclosing quotes and cut to 2047 characters, and
// every line the program does not change stays byte for byte as it was. The
// file holds Windows-1250 text.
//
// Writes are collected in memory and reach the disk with UpdateFile(), which
// replaces the file atomically (a crash leaves the old or the new file, never
// half of one). The destructor writes what is still pending and ignores a
// failure; callers that must report a failed write call UpdateFile() themselves.
class TIniFile {
public:
    static constexpr int kMaxValueLength = 2047;

    explicit TIniFile(const QString& path);
    ~TIniFile();
    Q_DISABLE_COPY(TIniFile)

    const QString& FileName() const { return Path; }
    // The file existed when it was opened.
    bool FileExisted() const { return Existed; }
    // The file existed but could not be read; such a file is never overwritten.
    bool ReadFailed() const { return ReadError; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "0x" or "$"; anything else gives `def`.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // Any integer other than 0 is true; text that is no integer gives `def`.
    bool ReadBool(const QString& section, const QString& key, bool def) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // Section names in file order (the first spelling of each).
    QStringList ReadSections() const;
    // Key names of a section in file order.
    QStringList ReadSection(const QString& section) const;
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& key);

    // Writes pending changes; true when nothing was pending or the write succeeded.
    bool UpdateFile();
    bool Modified() const { return Dirty; }

    // Parses an integer as the reader does; false when `text` is no integer.
    static bool ParseInteger(const QString& text, int& value);

private:
    struct Line {
        QString text;  // without the line end
        QString eol;   // "\r\n", "\n", "\r" or "" for a last line without one
    };
    struct Span {
        int header;  // index of the "[name]" line
        int end;     // one past the section's last line
    };

    Span FindSection(const QString& section) const;
    int FindKey(const Span& span, const QString& key) const;
    void Load();

    QString Path;
    std::vector<Line> Lines;
    bool Existed = false;
    bool ReadError = false;
    bool Dirty = false;
    // Header line of each section (case-folded name, first occurrence), built
    // on demand and dropped whenever lines are inserted or removed, so that
    // files with thousands of sections are read in linear time.
    mutable QHash<QString, int> SectionIndex;
    mutable bool IndexValid = false;
    mutable int LastHeader = -1;
};
