// One data folder, two processes: while the nightly update of a large shop
// writes the goods file a batch at a time, a print and a marking pass of the
// same folder come. Each waits for the other's writes: none fails with
// "database is locked", and the print stamps what it printed.
#include "childprocess.h"
#include "goodsfile.h"
#include "testshop.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr int kGoods = 60000;
// The goods the print takes: the last ones of the external table, which the
// update reaches last (it unmarks the goods it changes).
constexpr int kPrinted = 20;

QStringList Companion(const TTestShop& shop, const QStringList& args) {
    return QStringList{QStringLiteral("--data-dir"), shop.DataDir} + args;
}

TEST(SharedDataFolder, PrintAndMarkingBesideARunningUpdate) {
    QTemporaryDir root;
    const TTestShop shop(root.path(), kGoods);
    ASSERT_TRUE(shop.Ok);
    TChildResult r = RunChild(CompanionPath(), Companion(shop, {"update", "--definition", TTestShop::Definition(0)}));
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    TGoodsFile(shop.GoodsPath()).Exec(QStringLiteral("UPDATE towary SET \"SELECT\" = (rowid > %1)").arg(kGoods - kPrinted));

    // The update to the other prices rewrites every row; once it writes (its
    // journal is there), the print and the marking pass come.
    QProcess update;
    StartChild(update, CompanionPath(), Companion(shop, {"update", "--definition", TTestShop::Definition(1)}));
    ASSERT_TRUE(update.waitForStarted());
    while (!QFileInfo::exists(shop.GoodsPath() + QStringLiteral("-journal")) && update.state() != QProcess::NotRunning)
        QThread::msleep(1);
    const QString pdf = root.filePath(QStringLiteral("etykiety.pdf"));
    const TChildResult print = RunChild(CompanionPath(), Companion(shop, {"print", "--pdf", pdf}));
    const TChildResult select = RunChild(CompanionPath(), Companion(shop, {"goods", "select", "--check-type", "0"}));
    ASSERT_TRUE(update.waitForFinished(120000));
    EXPECT_EQ(update.exitCode(), 0) << update.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(update.readAllStandardOutput()), QStringLiteral("Liczba zmienionych pozycji: %1\n").arg(kGoods));
    EXPECT_EQ(print.Code, 0) << print.Err.toStdString();
    EXPECT_EQ(select.Code, 0) << select.Err.toStdString();
    EXPECT_GT(QFileInfo(pdf).size(), 0);

    TGoodsFile db(shop.GoodsPath());
    EXPECT_EQ(db.IntegrityCheck(), QStringLiteral("ok"));
    // Every price is the update's, and the print's goods, only they, carry its moment.
    EXPECT_EQ(db.Number(QStringLiteral("SELECT count(*) FROM towary WHERE substr(CENA, -1) = '%1'").arg(TTestShop::PriceEnd(1))),
              kGoods);
    EXPECT_EQ(db.Number(QStringLiteral("SELECT count(*) FROM towary WHERE PRINTDATE IS NOT NULL AND rowid > %1")
                            .arg(kGoods - kPrinted)),
              kPrinted);
    EXPECT_EQ(db.Number(QStringLiteral("SELECT count(*) FROM towary WHERE PRINTDATE IS NOT NULL")), kPrinted);
}

}  // namespace
