#pragma once
#include <QString>

// A shop of `count` goods written by tools/make_goods.py, in two versions,
// each a dBase table in its own folder with its own definition in the data
// folder's "SQLCFG": version 1 is version 0 with the last digit of every
// price changed (prices end in 9 there and in 4 here), so that an update from
// one version rewrites every row of the other.
struct TTestShop {
    TTestShop(const QString& root, int count);
    bool Ok = false;  // the tables were written
    QString DataDir;  // --data-dir of the companion
    int Count;
    static QString Definition(int version) { return QStringLiteral("Wersja%1").arg(version); }
    // The last digit of the prices of a version.
    static QChar PriceEnd(int version) { return version ? u'4' : u'9'; }
    QString GoodsPath() const { return DataDir + QStringLiteral("/DB/towary.db"); }
};
