#include "inifile.h"

#include "codepage.h"
#include "filewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

// The name of a "[name]" header line, or a null string for any other line.
QString HeaderName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(u'[')) return {};
    qsizetype close = t.indexOf(u']');
    if (close < 0) close = t.size();
    QString name = t.mid(1, close - 1).trimmed();
    if (name.isNull()) name = QStringLiteral("");
    return name;
}

bool IsKeyLine(const QString& line, QString* key, QString* value) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) return false;
    const QString k = line.left(eq).trimmed();
    if (k.startsWith(u';')) return false;
    if (key) *key = k;
    if (value) *value = line.mid(eq + 1);
    return true;
}

QString OneLine(QString value) {
    // A line break inside a value would split the file's line and turn the
    // rest into a stray key; write it as a blank instead.
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

}  // namespace

TIniFile::TIniFile(const QString& path) : Path(path) { Load(); }

TIniFile::~TIniFile() {
    if (Dirty) UpdateFile();
}

void TIniFile::Load() {
    QFile f(Path);
    Existed = f.exists();
    if (!Existed) return;
    if (!f.open(QIODevice::ReadOnly)) {
        ReadError = true;
        return;
    }
    const QString text = FromWin1250(f.readAll());
    if (f.error() != QFileDevice::NoError) {
        ReadError = true;
        return;
    }
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype i = start;
        while (i < n && text[i] != u'\n' && text[i] != u'\r') ++i;
        Line line{text.mid(start, i - start), {}};
        if (i < n) {
            if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                line.eol = QStringLiteral("\r\n");
                i += 2;
            } else {
                line.eol = text[i];
                ++i;
            }
        }
        Lines.push_back(std::move(line));
        start = i;
    }
}

TIniFile::Span TIniFile::FindSection(const QString& section) const {
    const int count = static_cast<int>(Lines.size());
    if (!IndexValid) {
        SectionIndex.clear();
        LastHeader = -1;
        // Of two sections with the same name the first one counts.
        for (int i = 0; i < count; ++i) {
            const QString name = HeaderName(Lines[i].text);
            if (name.isNull()) continue;
            LastHeader = i;
            if (!SectionIndex.contains(name.toCaseFolded())) SectionIndex.insert(name.toCaseFolded(), i);
        }
        IndexValid = true;
    }
    const auto it = SectionIndex.constFind(section.toCaseFolded());
    if (it == SectionIndex.constEnd()) return {-1, -1};
    const int i = it.value();
    int end = i + 1;
    while (end < count && HeaderName(Lines[end].text).isNull()) ++end;
    return {i, end};
}

int TIniFile::FindKey(const Span& span, const QString& key) const {
    if (span.header < 0) return -1;
    QString k;
    for (int i = span.header + 1; i < span.end; ++i)
        if (IsKeyLine(Lines[i].text, &k, nullptr) && k.compare(key, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const int i = FindKey(FindSection(section), key);
    if (i < 0) return def;
    QString value;
    IsKeyLine(Lines[i].text, nullptr, &value);
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    if (value.size() > kMaxValueLength) value.truncate(kMaxValueLength);
    return value;
}

bool TIniFile::ParseInteger(const QString& text, int& value) {
    QString t = text;
    while (!t.isEmpty() && t.front().isSpace()) t.remove(0, 1);
    bool negative = false;
    if (!t.isEmpty() && (t.front() == u'-' || t.front() == u'+')) {
        negative = t.front() == u'-';
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty()) return false;
    qint64 magnitude = 0;
    for (QChar c : t) {
        const int digit = c.isDigit() && c.unicode() < 0x80 ? c.unicode() - '0'
                          : base == 16 && c.toLower() >= u'a' && c.toLower() <= u'f' ? c.toLower().unicode() - 'a' + 10
                                                                                     : -1;
        if (digit < 0) return false;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFLL) return false;
    }
    if (base == 10) {
        const qint64 v = negative ? -magnitude : magnitude;
        if (v < INT32_MIN || v > INT32_MAX) return false;
        value = static_cast<int>(v);
    } else {
        // Hexadecimal covers the whole 32-bit pattern: $FFFFFFFF is -1.
        const auto bits = static_cast<quint32>(magnitude);
        value = negative ? -static_cast<int>(bits) : static_cast<int>(bits);
    }
    return true;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    int v = 0;
    return ParseInteger(ReadString(section, key, QString()), v) ? v : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    Dirty = true;
    const QString line = key + u'=' + OneLine(value);
    const Span span = FindSection(section);
    if (span.header < 0) {
        if (!Lines.empty() && Lines.back().eol.isEmpty()) Lines.back().eol = QStringLiteral("\r\n");
        Lines.push_back({u'[' + section + u']', QStringLiteral("\r\n")});
        // A section appended at the end moves no other header.
        const QString name = HeaderName(Lines.back().text);
        LastHeader = static_cast<int>(Lines.size()) - 1;
        if (!SectionIndex.contains(name.toCaseFolded())) SectionIndex.insert(name.toCaseFolded(), LastHeader);
        Lines.push_back({line, QStringLiteral("\r\n")});
        return;
    }
    const int k = FindKey(span, key);
    if (k >= 0) {
        Lines[k].text = line;
        return;
    }
    // A new key goes after the section's last non-blank line.
    int at = span.end;
    while (at - 1 > span.header && Lines[at - 1].text.trimmed().isEmpty()) --at;
    if (Lines[at - 1].eol.isEmpty()) Lines[at - 1].eol = QStringLiteral("\r\n");
    // Only a line inserted above the last header moves headers.
    if (at <= LastHeader) IndexValid = false;
    Lines.insert(Lines.begin() + at, Line{line, QStringLiteral("\r\n")});
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::SectionExists(const QString& section) const { return FindSection(section).header >= 0; }

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return FindKey(FindSection(section), key) >= 0;
}

QStringList TIniFile::ReadSections() const {
    QStringList names;
    QSet<QString> seen;
    for (const Line& l : Lines) {
        const QString name = HeaderName(l.text);
        if (!name.isNull() && !seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            names << name;
        }
    }
    return names;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    QStringList keys;
    const Span span = FindSection(section);
    if (span.header < 0) return keys;
    QString k;
    for (int i = span.header + 1; i < span.end; ++i)
        if (IsKeyLine(Lines[i].text, &k, nullptr) && !keys.contains(k, Qt::CaseInsensitive)) keys << k;
    return keys;
}

void TIniFile::EraseSection(const QString& section) {
    const Span span = FindSection(section);
    if (span.header < 0) return;
    Dirty = true;
    IndexValid = false;
    Lines.erase(Lines.begin() + span.header, Lines.begin() + span.end);
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
    const int k = FindKey(FindSection(section), key);
    if (k < 0) return;
    Dirty = true;
    IndexValid = false;
    Lines.erase(Lines.begin() + k);
}

bool TIniFile::UpdateFile() {
    if (!Dirty) return true;
    // A file we could not read would lose its content if replaced.
    if (ReadError) return false;
    // A file made read-only is kept; a link is replaced whatever its target's
    // permissions, which say nothing about the link itself.
    const QFileInfo info(Path);
    if (!info.isSymLink() && info.exists() && !info.isWritable()) return false;
    QString text;
    for (const Line& l : Lines) {
        text += l.text;
        text += l.eol;
    }
    if (!ReplaceFile(Path, ToWin1250(text))) return false;
    Dirty = false;
    Existed = true;
    return true;
}
