#include "testshop.h"

#include "testsupport.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Version 1 of a dBase table: the last digit of each CENA value moved by five.
bool OtherPrices(QByteArray& dbf) {
    if (dbf.size() < 32) return false;
    const auto u16 = [&](int at) { return static_cast<quint8>(dbf[at]) | static_cast<quint8>(dbf[at + 1]) << 8; };
    const int headerSize = u16(8), recordSize = u16(10);
    int offset = 1, priceAt = -1, priceLength = 0;
    for (int at = 32; at + 32 <= headerSize && dbf[at] != '\r'; at += 32) {
        const int length = static_cast<quint8>(dbf[at + 16]);
        if (dbf.mid(at, 11).startsWith("CENA\0")) priceAt = offset, priceLength = length;
        offset += length;
    }
    if (priceAt < 0) return false;
    for (qsizetype r = headerSize; r + recordSize <= dbf.size(); r += recordSize) {
        qsizetype last = r + priceAt + priceLength - 1;
        while (last > r + priceAt && dbf[last] == ' ') --last;
        if (dbf[last] < '0' || dbf[last] > '9') return false;
        dbf[last] = static_cast<char>('0' + (dbf[last] - '0' + 5) % 10);
    }
    return true;
}

}  // namespace

TTestShop::TTestShop(const QString& root, int count) : DataDir(root + QStringLiteral("/dane")), Count(count) {
    const QString first = root + QStringLiteral("/zrodlo0");
    QProcess make;
    make.start(QStringLiteral("python3"), {QStringLiteral(PRANDEL_SOURCE_DIR "/tools/make_goods.py"), QStringLiteral("--count"),
                                           QString::number(count), QStringLiteral("--out"), first});
    if (!make.waitForFinished(120000) || make.exitCode() != 0) {
        ADD_FAILURE() << "tools/make_goods.py: " << make.readAllStandardError().toStdString();
        return;
    }
    QByteArray table = ReadAll(first + QStringLiteral("/TOWARY.DBF"));
    if (!OtherPrices(table)) {
        ADD_FAILURE() << "no CENA column in the table of tools/make_goods.py";
        return;
    }
    WriteAll(root + QStringLiteral("/zrodlo1/TOWARY.DBF"), table);
    for (int v = 0; v < 2; ++v)
        WriteAll(DataDir + QStringLiteral("/SQLCFG/") + Definition(v) + QStringLiteral(".cdb"),
                 "[DATABASE]\r\nTYPE=3\r\nDataPath=" + (root + QStringLiteral("/zrodlo%1").arg(v)).toUtf8() +
                     "\r\n[SQL]\r\nQUERY1=SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU FROM TOWARY\r\n"
                     "QUERY2=SELECT COUNT(*) FROM TOWARY\r\n");
    Ok = true;
}
