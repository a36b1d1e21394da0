#pragma once
#include "goodsstore.h"
#include "pgconnection.h"
#include "servermirror.h"
#include "settings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// What the parts of the server goods store share: the connection to the
// server, the shop and this workstation's name, and the workstation's copy of
// the shop's goods that every read runs on.
class TServerShop {
public:
    explicit TServerShop(const TGoodsStoreSettings& settings);

    // Connects when not connected (or the link was lost), and makes or
    // upgrades the shop's schema. Raises TServerError with the program's
    // message.
    void Connect();
    // Runs `work` as one server transaction (joining one already open), once
    // more after a deadlock, with the price history dated by the program's
    // clock when a clock of its own is set.
    void Write(const std::function<void()>& work);
    // Brings the copy up to the server's committed state; within an open
    // server transaction the copy stays as it is until that one ends.
    void CatchUp();

    // A table of the shop's schema, for statements.
    QString Table(const char* name) const { return Schema + u'.' + QLatin1String(name); }
    // A list of texts as one parameter of type text[] (`?::text[]`).
    static QString TextArray(const QStringList& texts);

    TPgParams Params;
    QString Shop;
    QString Workstation;
    TPgConnection Conn;
    TServerMirror Mirror;

private:
    QString Schema;  // the shop's schema, quoted, once connected
};

// The sink of the table objects bound to the copy: each record posted or
// deleted goes to the server first, in a transaction of its own.
std::shared_ptr<TRecordSink> MakeServerRecordSink(TServerShop& shop);

// The goods update's merge into the shop's goods on the server.
std::unique_ptr<TGoodsMerge> MakeServerMerge(TServerShop& shop, const TUnitSymbols& symbols);
