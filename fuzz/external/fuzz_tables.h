#pragma once
#include "externaldb.h"
#include "externaltable.h"

#include <QByteArray>
#include <cstdint>

// A fuzz input is a table file, optionally followed by the separator and the
// bytes of its memo file. Every record is read and rendered as text.
inline void FuzzTable(const std::uint8_t* data, std::size_t size,
                      std::unique_ptr<TExtTable> (*read)(TFileBytes, TFileBytes, QString&)) {
    const QByteArray all(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static const QByteArray separator("\0MEMO\0", 6);
    const qsizetype at = all.indexOf(separator);
    TFileBytes table, memo;
    table.Assign(at < 0 ? all : all.left(at));
    if (at >= 0) memo.Assign(all.mid(at + separator.size()));
    QString error;
    auto t = read(std::move(table), std::move(memo), error);
    if (!t) return;
    std::vector<QVariant> row;
    for (int n = 0; n < 100000 && t->Next(row); ++n)
        for (const QVariant& v : row) (void)ExternalValueText(v);
}
