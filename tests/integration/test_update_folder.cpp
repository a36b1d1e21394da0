#include "codepage.h"
#include "externaltable.h"
#include "paradoxwriter.h"
#include "updatefixture.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}

namespace {

int Le16At(const QByteArray& b, qsizetype at) {
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

// The last data block of a table written in one go: where it starts, the
// records it holds and their size.
struct TLastBlock {
    qsizetype Start;
    int Records;
    int RecordSize;
};

TLastBlock LastBlock(const QByteArray& b) {
    const int recordSize = Le16At(b, 0);
    const int header = Le16At(b, 2);
    const int blockSize = static_cast<unsigned char>(b[5]) * 1024;
    const qsizetype start = header + ((b.size() - header) / blockSize - 1) * blockSize;
    const auto added = static_cast<std::int16_t>(Le16At(b, start + 4));
    return {start, added / recordSize + 1, recordSize};
}

// The bytes of a formatted memo as Paradox keeps them: a head of 44 bytes
// (kind 7, the text's length), the text, then its formatting.
QByteArray FormattedMemo(const QString& text) {
    const QByteArray plain = ToWin1250(text);
    QByteArray b(44, '\0');
    b[0] = 7;
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<char>((plain.size() >> (8 * i)) & 0xFF);
    b += plain;
    b += QByteArray::fromHex("0000000000000000000000000000000000000000000000000000a00300000380010000");
    b += QByteArray("Arial") + QByteArray(49, '\0') + QByteArray(26, '\x01');
    return b;
}

TEST(ParadoxReader, EveryFieldTypeOfATableWrittenByPxlib) {
    TempDataHome home;
    const QString db = home.root() + QStringLiteral("/pola.db");
    const QString mb = home.root() + QStringLiteral("/pola.mb");
    const std::vector<TPxTestField> fields = {
        {"Nazwa", pxfAlpha, 30}, {"Ilosc", pxfShort, 2},   {"Licznik", pxfLong, 4},   {"Cena", pxfNumber, 8},
        {"Kwota", pxfCurrency, 8}, {"Jest", pxfLogical, 1}, {"Data", pxfDate, 4},    {"Czas", pxfTime, 4},
        {"Chwila", pxfTimestamp, 8}, {"Nr", pxfAutoInc, 4}, {"Dokladna", pxfBCD, 2}, {"Opis", pxfMemoBLOb, 20},
    };
    const QString longMemo = QStringLiteral("Opis dłuższy niż pole: żółć, gęślą jaźń. ") + QString(300, u'x');
    QList<QVariantList> rows;
    rows << QVariantList{QStringLiteral("Żółty ser"), -12, 123456, 12.5, 24.9, true, QDate(2024, 2, 29), QTime(13, 45, 10),
                         QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58)), 1, QByteArray("-123.45"), longMemo};
    rows << QVariantList{QStringLiteral("Krótki"), 0, -5, -0.25, 0.0, false, QDate(1, 1, 1), QVariant(), QVariant(), 2,
                         QByteArray("7.00"), QStringLiteral("mały")};
    rows << QVariantList{QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                         QVariant(), 3, QVariant(), QVariant()};
    QString error;
    ASSERT_TRUE(WriteParadoxTable(db, fields, rows, mb, error)) << error.toStdString();

    auto t = OpenExtTable(db, error);
    ASSERT_TRUE(t) << error.toStdString();
    ASSERT_EQ(t->Fields().size(), fields.size());
    EXPECT_EQ(t->Fields()[0].Name, QStringLiteral("Nazwa"));
    EXPECT_EQ(t->Fields()[11].Name, QStringLiteral("Opis"));
    std::vector<QVariant> r;
    ASSERT_TRUE(t->Next(r));
    QStringList text;
    for (const QVariant& v : r) text << ExternalValueText(v);
    EXPECT_EQ(text.mid(0, 11), QStringList({"Żółty ser", "-12", "123456", "12,5", "24,9", "True", "2024-02-29", "13:45:10",
                                            "1999-12-31 23:59:58", "1", "-123,45"}));
    EXPECT_EQ(text[11], longMemo);
    ASSERT_TRUE(t->Next(r));
    EXPECT_EQ(ExternalValueText(r[1]), QStringLiteral("0"));
    EXPECT_EQ(ExternalValueText(r[2]), QStringLiteral("-5"));
    EXPECT_EQ(ExternalValueText(r[3]), QStringLiteral("-0,25"));
    EXPECT_EQ(ExternalValueText(r[5]), QStringLiteral("False"));
    EXPECT_EQ(ExternalValueText(r[6]), QStringLiteral("0001-01-01"));
    EXPECT_EQ(ExternalValueText(r[10]), QStringLiteral("7"));
    EXPECT_EQ(ExternalValueText(r[11]), QStringLiteral("mały"));
    ASSERT_TRUE(t->Next(r));
    for (int i : {0, 1, 2, 3, 5, 6, 7, 8, 10, 11}) EXPECT_TRUE(r[i].isNull()) << i;
    EXPECT_FALSE(t->Next(r));

    // Without its memo file a long memo reads empty; the rest stays readable.
    QFile::remove(mb);
    t = OpenExtTable(db, error);
    ASSERT_TRUE(t);
    ASSERT_TRUE(t->Next(r));
    EXPECT_TRUE(r[11].isNull());
    EXPECT_EQ(ExternalValueText(r[0]), QStringLiteral("Żółty ser"));
}

TEST(ParadoxReader, ManyBlocksAndDamagedFiles) {
    TempDataHome home;
    const QString db = home.root() + QStringLiteral("/duza.db");
    QList<QVariantList> rows;
    for (int i = 0; i < 5000; ++i) rows << QVariantList{i, QStringLiteral("Towar %1").arg(i)};
    QString error;
    ASSERT_TRUE(WriteParadoxTable(db, {{"ID", pxfLong, 4}, {"NAZWA", pxfAlpha, 40}}, rows, QString(), error));
    auto t = OpenExtTable(db, error);
    ASSERT_TRUE(t) << error.toStdString();
    std::vector<QVariant> r;
    int n = 0;
    qint64 sum = 0;
    while (t->Next(r)) ++n, sum += r[0].toLongLong();
    EXPECT_EQ(n, 5000);
    EXPECT_EQ(sum, 4999LL * 5000 / 2);

    // Cut in the middle: fewer rows, never a read beyond the data.
    const QByteArray bytes = ReadAll(db);
    for (qsizetype cut : {qsizetype(10), qsizetype(0x60), bytes.size() / 2}) {
        TFileBytes b;
        b.Assign(bytes.left(cut));
        auto d = ReadParadoxTable(std::move(b), TFileBytes(), error);
        int m = 0;
        if (d)
            while (d->Next(r)) ++m;
        EXPECT_LT(m, 5000) << cut;
    }
    // The last block may end early, as when the unused end of the file was
    // cut off: every whole record in it is read. A record cut by the file's
    // end marks the table damaged after the whole ones.
    const TLastBlock last = LastBlock(bytes);
    ASSERT_GT(last.Records, 1);
    struct Cut {
        qsizetype Size;
        int Rows;
        bool Damaged;
    };
    const qsizetype recordsEnd = last.Start + 6 + qsizetype(last.Records) * last.RecordSize;
    for (const Cut c : {Cut{recordsEnd, 5000, false}, Cut{recordsEnd - last.RecordSize / 2, 4999, true},
                        Cut{last.Start + 3, 5000 - last.Records, true}}) {
        SCOPED_TRACE(c.Size);
        TFileBytes b;
        b.Assign(bytes.left(c.Size));
        auto d = ReadParadoxTable(std::move(b), TFileBytes(), error);
        ASSERT_TRUE(d) << error.toStdString();
        TExtPosition at;
        int m = 0;
        while (d->NextAt(at, r)) ++m;
        EXPECT_EQ(m, c.Rows);
        EXPECT_EQ(at.Damaged, c.Damaged);
        EXPECT_FALSE(at.Cut);
    }

    // A block chain that loops ends.
    QByteArray looped = bytes;
    const int header = static_cast<unsigned char>(looped[2]) | (static_cast<unsigned char>(looped[3]) << 8);
    looped[header] = 1, looped[header + 1] = 0;  // block 1 points at itself
    TFileBytes b;
    b.Assign(looped);
    auto d = ReadParadoxTable(std::move(b), TFileBytes(), error);
    ASSERT_TRUE(d);
    int m = 0;
    while (d->Next(r)) ++m;
    EXPECT_GT(m, 0);
    EXPECT_LT(m, 5000);
}

// BCD values of 32 decimals, as Paradox writes them: digits past the value's
// precision hold noise, not always a decimal digit. Formatted memos, in the
// record or in either kind of memo block, read as their text.
TEST(ParadoxReader, ThirtyTwoDecimalsAndFormattedMemosAsParadoxWritesThem) {
    TempDataHome home;
    const QString db = home.root() + QStringLiteral("/opisy.db");
    const QString mb = home.root() + QStringLiteral("/opisy.mb");
    const QString shortText = QStringLiteral("Krótki opis");
    const QString middleText = QStringLiteral("Średni opis: ") + QString(300, u'ż');
    const QString longText = QStringLiteral("Długi opis\r\n") + QString(3000, u'x');
    QList<QVariantList> rows;
    rows << QVariantList{QByteArray("0.123"), FormattedMemo(shortText)};
    rows << QVariantList{QByteArray("-0.123"), FormattedMemo(middleText)};
    rows << QVariantList{QByteArray("0.9999"), FormattedMemo(longText)};
    rows << QVariantList{QVariant(), QByteArray("{\\rtf1 Zwyk\xB3y}")};
    QString error;
    ASSERT_TRUE(WriteParadoxTable(db, {{"Dokladna", pxfBCD, 32}, {"Opis", pxfFmtMemoBLOb, 250}}, rows, mb, error)) << error.toStdString();

    // The noise of the real files from the 17th decimal on, beginning with a
    // nibble that is no digit or with digits; stored complemented in a
    // negative value.
    QByteArray bytes = ReadAll(db);
    const int recordSize = Le16At(bytes, 0);
    const int header = Le16At(bytes, 2);
    const QByteArray noise[] = {QByteArray::fromHex("0801000000000e0000000e0f04010b00"),
                                QByteArray::fromHex("0b08010000000e00000000000e0f0401"),
                                QByteArray::fromHex("0b08010000000e00000000000e0f0401")};
    for (int row = 0; row < 3; ++row) {
        char* bcd = bytes.data() + header + 6 + row * recordSize;
        const int mask = row == 1 ? 0x0F : 0;
        for (int i = 18; i < 34; ++i) {
            const int nibble = noise[row][i - 18] ^ mask;
            char& b = bcd[i / 2];
            b = static_cast<char>(i % 2 ? (b & 0xF0) | nibble : (b & 0x0F) | (nibble << 4));
        }
    }
    WriteAll(db, bytes);

    auto t = OpenExtTable(db, error);
    ASSERT_TRUE(t) << error.toStdString();
    EXPECT_EQ(t->Fields()[0].Kind, TExtKind::Real);
    QStringList numbers, memos;
    std::vector<QVariant> r;
    while (t->Next(r)) {
        numbers << ExternalValueText(r[0]);
        memos << ExternalValueText(r[1]);
    }
    EXPECT_EQ(numbers, QStringList({"0,123", "-0,123", "0,9999", ""}));
    EXPECT_EQ(memos, QStringList({shortText, middleText, longText, QStringLiteral("{\\rtf1 Zwykły}")}));
}

TEST(FolderUpdate, ParadoxDefinitionMergesThroughTheFolderEngine) {
    TUpdateFixture f;
    QString error;
    QList<QVariantList> rows;
    rows << QVariantList{1, QStringLiteral("Chleb żytni"), QStringLiteral("6,49"), QStringLiteral("500 g"), QStringLiteral("5901234000017"), 14};
    rows << QVariantList{2, QStringLiteral("Woda"), QStringLiteral("1,99"), QStringLiteral("1,5 l"), QStringLiteral("23400504"), 13};
    ASSERT_TRUE(WriteParadoxTable(f.Folder + QStringLiteral("/TOWARY.DB"),
                                  {{"ID", pxfLong, 4}, {"NAZWA", pxfAlpha, 50}, {"CENA", pxfAlpha, 10}, {"WAGA", pxfAlpha, 20},
                                   {"KOD", pxfAlpha, 20}, {"TYPKODU", pxfShort, 2}},
                                  rows, QString(), error));
    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU FROM \"towary.db\" ORDER BY ID"),
             QStringLiteral("SELECT COUNT(*) FROM \"towary.db\""), 1);
    const auto out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Message, QStringLiteral("Liczba zmienionych pozycji: 2"));
    auto goods = f.Goods();
    EXPECT_EQ(goods[QStringLiteral("1\\5901234000017")],
              QStringList({"Chleb żytni", "6,49", "500 g", "12,98 zł/kg", "5901234000017", "14", "True", "False"}));
    EXPECT_EQ(goods[QStringLiteral("2\\23400504")][3], QStringLiteral("1,33 zł/litr"));
    EXPECT_EQ(f.Run().Changes, 0);
}

// A Paradox table whose last block ends early gives every whole record; one
// that ends inside a record is the update's message, never a success that
// lost goods.
TEST(FolderUpdate, ParadoxTableEndingInsideItsLastBlock) {
    TUpdateFixture f;
    const QString path = f.Folder + QStringLiteral("/TOWARY.DB");
    QList<QVariantList> rows;
    for (int i = 1; i <= 3000; ++i) rows << QVariantList{i, QStringLiteral("Towar %1").arg(i), QStringLiteral("1,99"), QStringLiteral("1 kg")};
    QString error;
    ASSERT_TRUE(WriteParadoxTable(path, {{"ID", pxfLong, 4}, {"NAZWA", pxfAlpha, 50}, {"CENA", pxfAlpha, 10}, {"WAGA", pxfAlpha, 20}},
                                  rows, QString(), error))
        << error.toStdString();
    const QByteArray bytes = ReadAll(path);
    const TLastBlock last = LastBlock(bytes);
    const qsizetype recordsEnd = last.Start + 6 + qsizetype(last.Records) * last.RecordSize;
    f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA FROM TOWARY"), QStringLiteral("SELECT COUNT(*) FROM TOWARY"), 1);

    WriteAll(path, bytes.left(recordsEnd));
    auto out = f.Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.Changes, 3000);

    // The last record cut: the update fails with its message (already in
    // counting the goods), and the goods stay as they were.
    for (auto& row : rows) row[2] = QStringLiteral("2,49");
    ASSERT_TRUE(WriteParadoxTable(path, {{"ID", pxfLong, 4}, {"NAZWA", pxfAlpha, 50}, {"CENA", pxfAlpha, 10}, {"WAGA", pxfAlpha, 20}},
                                  rows, QString(), error));
    WriteAll(path, ReadAll(path).left(recordsEnd - 1));
    out = f.Run();
    EXPECT_FALSE(out.Ok);
    EXPECT_EQ(out.Message, kUpdateError);
    EXPECT_TRUE(out.Reason.contains(QStringLiteral("uszkodzony"))) << out.Reason.toStdString();
    const auto goods = f.Goods();
    EXPECT_EQ(goods.size(), 3000u);
    for (const auto& [id, row] : goods) EXPECT_EQ(row[1], QStringLiteral("1,99")) << id.toStdString();
}

// A sales program that packs or rewrites its table while the update reads it
// (or a table on a network share that goes away): the run ends with the
// update's message, never a bus error, and the goods merged before stay whole.
TEST(FolderUpdate, TableShortenedWhileReadEndsTheRunWithItsMessage) {
    struct Case {
        const char* File;
        int Type;
    };
    for (const Case c : {Case{"TOWARY.DBF", 3}, Case{"TOWARY.DB", 1}}) {
        SCOPED_TRACE(c.File);
        TUpdateFixture f;
        const int n = 3000;
        QList<QStringList> goods;
        for (int i = 1; i <= n; ++i)
            goods << QStringList{QString::number(i), QStringLiteral("Towar %1").arg(i), QStringLiteral("1,99"), QStringLiteral("1 kg"), QString(), QStringLiteral("14")};
        const QString path = f.Folder + u'/' + QLatin1String(c.File);
        if (c.Type == 3) {
            f.WriteGoods(goods, QLatin1String(c.File));
        } else {
            QList<QVariantList> rows;
            for (const QStringList& g : goods) rows << QVariantList{g[0].toInt(), g[1], g[2], g[3], QVariant(), 14};
            QString error;
            ASSERT_TRUE(WriteParadoxTable(path,
                                          {{"ID", pxfLong, 4}, {"NAZWA", pxfAlpha, 50}, {"CENA", pxfAlpha, 10}, {"WAGA", pxfAlpha, 20},
                                           {"KOD", pxfAlpha, 20}, {"TYPKODU", pxfShort, 2}},
                                          rows, QString(), error))
                << error.toStdString();
        }
        f.Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU FROM TOWARY"), QStringLiteral("SELECT COUNT(*) FROM TOWARY"), c.Type);
        const qint64 shortened = QFileInfo(path).size() / 10;
        bool cut = false;
        const auto out = f.Run([&] {
            if (f.Steps == 100 && !cut) cut = QFile::resize(path, shortened);
        });
        ASSERT_TRUE(cut);
        EXPECT_FALSE(out.Ok);
        EXPECT_EQ(out.Message, kUpdateError);
        const auto stored = f.Goods();
        EXPECT_GE(stored.size(), 100u);
        EXPECT_LT(stored.size(), std::size_t(n));
        for (const auto& [id, row] : stored) EXPECT_EQ(row[0], QStringLiteral("Towar ") + id.left(id.indexOf(u'\\'))) << id.toStdString();
    }
}

}  // namespace
