#pragma once
#include "engine.h"
#include "pgconnection.h"

#include <QString>
#include <memory>

// A workstation's copy of one shop's goods on a server, in a goods file of its
// own: the same goods table and price history as the local goods file, so that
// the list, its views and filters, the name order and the lowest price run on
// it unchanged. The server's row numbers are its row ids (the goods' and the
// history's), which keeps the order in which entries of one moment follow
// one another. The history is never written here but copied: it arrives from
// the server with the goods. Marks and print dates are this workstation's.
//
// The copy follows the server by the transactions that wrote its rows: it
// keeps the oldest transaction still running when it last read (its mark),
// and reads again whatever a transaction from that one on wrote. A
// transaction that began before a catch-up and commits after it is so read
// at the next one, never skipped; reading a row again changes nothing.
class TServerMirror {
public:
    // What one catch-up did.
    struct TCatchUp {
        bool Whole = false;  // everything read anew
        qint64 Goods = 0;    // goods rows written
        qint64 Deleted = 0;  // goods rows taken away
        qint64 History = 0;  // history entries written
        qint64 Marks = 0;    // this workstation's marks and print dates written
    };

    // The copy of `shop` on the server `params` names (its schema must be
    // prepared, see PrepareShopSchema), read through `conn`, with the marks of
    // `workstation`.
    TServerMirror(TPgConnection& conn, const TPgParams& params, QString shop, QString workstation);

    // The copy's folder in the data folder: "DB/serwer/" and the first 12
    // hexadecimal digits of the SHA-1 of "host:port/database/shop".
    static QString FolderOf(const TPgParams& params, const QString& shop);
    QString Folder() const { return Dir; }
    QString FilePath() const;

    // Points a table object at the copy, as SetupGoodsTable does at the
    // local goods file.
    void Setup(TTable& table, bool nameOrder) const;

    // Brings the copy up to the server's committed state: makes the file when
    // there is none, then, in one write transaction of the file (which
    // serialises the workstation's programs) and one read-only snapshot of the
    // server, copies what changed since the copy's mark, or everything when
    // the copy cannot tell (another epoch of the shop, a server restored to an
    // earlier state, deletions since pruned, another workstation's marks).
    // Either the copy gains all of it or stays as it was. The server
    // connection must have no transaction open. Raises TServerError (the link
    // lost: TServerLost) or TEngineError.
    TCatchUp CatchUp();

private:
    void CreateFile();

    TPgConnection& Conn;
    QString Shop;
    QString Workstation;
    QString Dir;
    // The file's connection, kept from the first catch-up on: the last one
    // to close folds the file's log back into it, which takes a disk write.
    std::shared_ptr<TSqliteConnection> File;
};
