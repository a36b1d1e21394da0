// SIGKILL in the middle of every write the program makes: the goods update,
// a bulk marking pass, the print-date stamping after a print, and the writes
// of settings.ini, a layout and a definition. Kill points are drawn at random
// from a fixed seed. Afterwards "towary.db" passes its integrity check and
// holds every row that a reader saw committed before the kill, and each file
// is whole: its old content or its new one.
#include "childprocess.h"
#include "goodsfile.h"
#include "testshop.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr std::uint32_t kSeed = 20250301;

// Every goods item has one row, whole, of one version or the other; returns
// how many rows hold version 1.
qint64 CheckRows(TGoodsFile& db, int count) {
    const QString ends = QStringLiteral("substr(CENA, -1)");
    EXPECT_EQ(db.Number(QStringLiteral("SELECT count(*) FROM towary WHERE NAZWA <> '' AND KODKRESKOWY <> '' "
                                       "AND instr(ID, '\\') > 1 AND %1 IN ('%2', '%3')")
                            .arg(ends, TTestShop::PriceEnd(0), TTestShop::PriceEnd(1))),
              count);
    EXPECT_EQ(db.Number(QStringLiteral("SELECT count(*) FROM towary")), count);
    return db.Number(QStringLiteral("SELECT count(*) FROM towary WHERE %1 = '%2'").arg(ends, TTestShop::PriceEnd(1)));
}

QStringList Companion(const TTestShop& shop, const QStringList& args) {
    return QStringList{QStringLiteral("--data-dir"), shop.DataDir} + args;
}

class CrashSafety : public ::testing::Test {
protected:
    QTemporaryDir Root;
    std::mt19937 Random{kSeed};
    int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, std::max(lo, hi))(Random); }
};

TEST_F(CrashSafety, GoodsTableKeepsEveryCommittedRowWhateverMomentTheCompanionDies) {
    constexpr int kGoods = 100000;
    const TTestShop shop(Root.path(), kGoods);
    ASSERT_TRUE(shop.Ok);

    // A whole update first: every item once, and how long a run takes.
    QElapsedTimer clock;
    clock.start();
    TChildResult r = RunChild(CompanionPath(), Companion(shop, {"update", "--definition", TTestShop::Definition(0)}));
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    const int updateMs = static_cast<int>(clock.elapsed());
    TGoodsFile db(shop.GoodsPath());
    CheckRows(db, kGoods);

    // Updates that turn every row into the other version, killed at random.
    int killed = 0;
    for (int round = 1; round <= 6; ++round) {
        const int v = round % 2;
        const QString counted =
            QStringLiteral("SELECT count(*) FROM towary WHERE substr(CENA, -1) = '%1'").arg(TTestShop::PriceEnd(v));
        qint64 seen = db.Number(counted);
        const int at = Between(updateMs / 20, updateMs);
        clock.restart();
        killed += RunAndKill(CompanionPath(), Companion(shop, {"update", "--definition", TTestShop::Definition(v)}), [&] {
            seen = std::max(seen, db.Number(counted));
            return clock.elapsed() >= at;
        });
        ASSERT_EQ(db.IntegrityCheck(), QStringLiteral("ok")) << "round " << round;
        const qint64 second = CheckRows(db, kGoods);
        EXPECT_GE(v ? second : kGoods - second, seen) << "round " << round << ": rows seen committed were lost";
    }
    EXPECT_GE(killed, 3) << "the kills came too late to hit the updates";

    // Marking passes, all goods or the new ones: the marks are those before
    // the pass or those after it, never a mixture.
    const QString marks = QStringLiteral("SELECT count(*) * 1000003 + total(rowid) FROM towary WHERE \"SELECT\"");
    clock.restart();
    r = RunChild(CompanionPath(), Companion(shop, {"goods", "select", "--check-type", "0"}));
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    const int markMs = static_cast<int>(clock.elapsed());
    for (int round = 1; round <= 8; ++round) {
        const bool newOnly = round % 2;
        const qint64 before = db.Number(marks);
        const qint64 after = newOnly ? db.Number(QStringLiteral("SELECT count(*) * 1000003 + total(rowid) FROM towary WHERE NEW"))
                                     : db.Number(QStringLiteral("SELECT count(*) * 1000003 + total(rowid) FROM towary"));
        const int at = Between(0, markMs);
        clock.restart();
        RunAndKill(CompanionPath(), Companion(shop, {"goods", "select", "--check-type", newOnly ? "1" : "0"}),
                   [&] { return clock.elapsed() >= at; });
        ASSERT_EQ(db.IntegrityCheck(), QStringLiteral("ok")) << "round " << round;
        const qint64 now = db.Number(marks);
        EXPECT_TRUE(now == before || now == after) << "round " << round << ": a half-done marking pass";
        EXPECT_EQ(db.Number(QStringLiteral("SELECT count(*) FROM towary")), kGoods);
    }

    // Printing 500 marked goods, killed while their print dates are stamped:
    // every stamp a reader saw stays, all stamps are of one moment, and only
    // marked goods are stamped.
    const QString pdf = Root.filePath(QStringLiteral("etykiety.pdf"));
    const QString stamped = QStringLiteral("SELECT count(*) FROM towary WHERE PRINTDATE IS NOT NULL");
    for (int round = 0; round <= 4; ++round) {
        db.Exec(QStringLiteral("UPDATE towary SET \"SELECT\" = (rowid % 200 = 0), PRINTDATE = NULL"));
        qint64 seen = 0;
        QElapsedTimer sinceFirstStamp;
        int at = 0;
        if (round == 0) {
            r = RunChild(CompanionPath(), Companion(shop, {"print", "--pdf", pdf}));
            ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
            seen = 500;
        } else {
            at = Between(0, 1500);
            RunAndKill(CompanionPath(), Companion(shop, {"print", "--pdf", pdf}), [&] {
                seen = std::max(seen, db.Number(stamped));
                if (seen > 0 && !sinceFirstStamp.isValid()) sinceFirstStamp.start();
                return sinceFirstStamp.isValid() && sinceFirstStamp.elapsed() >= at;
            });
        }
        ASSERT_EQ(db.IntegrityCheck(), QStringLiteral("ok")) << "round " << round;
        EXPECT_GE(db.Number(stamped), seen) << "round " << round << ": stamps seen committed were lost";
        EXPECT_LE(db.Number(QStringLiteral("SELECT count(DISTINCT PRINTDATE) FROM towary")), 1);
        EXPECT_EQ(db.Number(QStringLiteral("SELECT count(*) FROM towary WHERE PRINTDATE IS NOT NULL AND NOT \"SELECT\"")), 0);
        EXPECT_EQ(db.Number(QStringLiteral("SELECT count(*) FROM towary")), kGoods);
        // settings.ini, written after the stamps, is whole.
        EXPECT_TRUE(ReadAll(shop.DataDir + QStringLiteral("/settings.ini")).isEmpty() ||
                    ReadAll(shop.DataDir + QStringLiteral("/settings.ini")).contains("[LAST PRINT]"));
    }
}

// The file writes: each kind is written over and over in two variants by a
// program killed at random moments; the file is always one variant, whole.
TEST_F(CrashSafety, SettingsLayoutAndDefinitionFilesAreOldOrNewNeverHalf) {
    struct Kind {
        const char* Name;
        const char* File;
        QByteArray Start;
    };
    // Large files, so that a write takes long enough to be hit: lines the
    // program does not know and keeps.
    QByteArray filler;
    for (int i = 0; i < 3000; ++i) filler += "; notatka " + QByteArray::number(i) + " - linia, której program nie zna\r\n";
    const Kind kinds[] = {
        {"settings", "settings.ini", "[NOTATKI]\r\n" + filler},
        {"layout", "LABELS/duza.etk", "[UWAGI]\r\n" + filler},
        {"definition", "SQLCFG/Sklep.cdb",
         "[DATABASE]\r\nTYPE=4\r\nDSN=Sklep\r\n[SQL]\r\nQUERY1=SELECT 1, 2, 3, 4\r\n[OPIS]\r\n" + filler},
    };
    for (const Kind& k : kinds) {
        const QString path = Root.filePath(QLatin1String(k.File));
        WriteAll(path, k.Start);
        auto write = [&](const char* variant) {
            const TChildResult r = RunChild(WriterPath(), {QLatin1String(k.Name), path, QLatin1String(variant)});
            EXPECT_EQ(r.Code, 0) << k.Name << ": " << r.Out.toStdString() << r.Err.toStdString();
            return ReadAll(path);
        };
        // The two contents the file alternates between once written.
        write("0");
        const QByteArray second = write("1");
        const QByteArray first = write("0");
        ASSERT_EQ(write("1"), second) << k.Name;
        ASSERT_EQ(write("0"), first) << k.Name;
        ASSERT_NE(first, second);

        int hitSecond = 0;
        for (int round = 0; round < 12; ++round) {
            const int at = Between(5, 150);
            QElapsedTimer clock;
            clock.start();
            ASSERT_TRUE(RunAndKill(WriterPath(), {QLatin1String(k.Name), path, QStringLiteral("loop")},
                                   [&] { return clock.elapsed() >= at; }));
            const QByteArray now = ReadAll(path);
            ASSERT_TRUE(now == first || now == second) << k.Name << " round " << round << ": " << now.size() << " bytes";
            hitSecond += now == second;
        }
        EXPECT_GT(hitSecond, 0) << k.Name << ": the loop never finished a write before the kill";
    }
}

}  // namespace
