#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

// Writes dBase files for tests, byte by byte from the published layout, so
// that the reader is checked against files it did not make itself.
struct TDbfTestField {
    QByteArray Name;
    char Type = 'C';
    int Length = 10;
    int Decimals = 0;
};

struct TDbfTestFile {
    std::uint8_t Version = 0x03;
    std::uint8_t Language = 0xC8;  // Windows-1250
    std::vector<TDbfTestField> Fields;
    // Raw field bytes of each record (padded or cut to the field's length);
    // a record whose first entry is "*" (one more than the fields) is deleted.
    QList<QList<QByteArray>> Records;

    QByteArray Bytes() const;
};

// A record of text values in Windows-1250, numbers right-aligned as dBase writes them.
QList<QByteArray> DbfRow(const std::vector<TDbfTestField>& fields, const QStringList& values);
