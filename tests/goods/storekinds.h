#pragma once
#include "goodsstore.h"
#include "pgserver.h"
#include "servergoodsstore.h"
#include "settings.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <string>

// The two places the goods can live; the behaviour of the program is the
// same on both.
enum class TStoreKind { Local, Server };

inline std::string StoreKindName(const ::testing::TestParamInfo<TStoreKind>& info) {
    return info.param == TStoreKind::Local ? "Local" : "Server";
}

// A shop of its own on the test program's shared server, one per call.
inline QString FreshShopName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("t%1").arg(++counter);
}

// The settings of a workstation of `shop` on the shared server.
inline TGoodsStoreSettings ServerStoreSettings(const QString& shop, const QString& workstation = QStringLiteral("kasa1")) {
    TGoodsStoreSettings s;
    s.Kind = TGoodsStoreKind::Server;
    s.Host = QStringLiteral("127.0.0.1");
    s.Port = SharedPgServer().port();
    s.Database = QStringLiteral("sklep");
    s.User = QStringLiteral("prandel");
    s.Shop = shop;
    s.Workstation = workstation;
    return s;
}

// A fresh store of either kind per test, in a data folder of its own (the
// server store keeps its copy there).
class TStoreTest : public ::testing::TestWithParam<TStoreKind> {
protected:
    void SetUp() override {
        // A machine without the server fails here: nothing is skipped.
        if (GetParam() == TStoreKind::Server) {
            ASSERT_TRUE(SharedPgServer().started()) << SharedPgServer().error().toStdString();
        }
    }
    // A store of this test's goods; another workstation's with `workstation`.
    std::unique_ptr<TGoodsStore> MakeStore(const QString& workstation = QStringLiteral("kasa1")) const {
        if (GetParam() == TStoreKind::Local) return MakeLocalGoodsStore();
        return MakeServerGoodsStore(ServerStoreSettings(Shop, workstation));
    }

    TempDataHome Home;
    QString Shop = FreshShopName();
};
