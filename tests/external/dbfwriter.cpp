#include "dbfwriter.h"

#include "codepage.h"

#include <QStringList>

QByteArray TDbfTestFile::Bytes() const {
    int recordSize = 1;
    for (const auto& f : Fields) recordSize += f.Length;
    const int headerSize = 32 + 32 * static_cast<int>(Fields.size()) + 1;
    QByteArray out(32, '\0');
    out[0] = static_cast<char>(Version);
    out[1] = 126, out[2] = 12, out[3] = 1;
    const quint32 n = static_cast<quint32>(Records.size());
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    out[8] = static_cast<char>(headerSize & 0xFF), out[9] = static_cast<char>(headerSize >> 8);
    out[10] = static_cast<char>(recordSize & 0xFF), out[11] = static_cast<char>(recordSize >> 8);
    out[29] = static_cast<char>(Language);
    for (const auto& f : Fields) {
        QByteArray d(32, '\0');
        for (int i = 0; i < f.Name.size() && i < 10; ++i) d[i] = f.Name[i];
        d[11] = f.Type;
        d[16] = static_cast<char>(f.Length);
        d[17] = static_cast<char>(f.Decimals);
        out += d;
    }
    out += '\r';
    for (const auto& rec : Records) {
        const bool deleted = rec.size() > static_cast<qsizetype>(Fields.size());
        out += deleted ? '*' : ' ';
        for (size_t i = 0; i < Fields.size(); ++i) {
            QByteArray v = rec.value(static_cast<qsizetype>(i + (deleted ? 1 : 0)));
            const char pad = Fields[i].Type == 'C' || Fields[i].Type == 'N' || Fields[i].Type == 'D' || Fields[i].Type == 'L' ||
                                     Fields[i].Type == 'M'
                                 ? ' '
                                 : '\0';
            v = v.left(Fields[i].Length);
            if (Fields[i].Type == 'N' || Fields[i].Type == 'F') v = QByteArray(Fields[i].Length - v.size(), ' ') + v;
            else v += QByteArray(Fields[i].Length - v.size(), pad);
            out += v;
        }
    }
    out += '\x1a';
    return out;
}

QList<QByteArray> DbfRow(const std::vector<TDbfTestField>&, const QStringList& values) {
    QList<QByteArray> row;
    for (const QString& v : values) row << ToWin1250(v);
    return row;
}
