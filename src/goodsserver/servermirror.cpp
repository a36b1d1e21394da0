#include "servermirror.h"

#include "filterexpr.h"
#include "goodstable.h"
#include "pricehistory.h"
#include "silentfailure.h"
#include "sqliteconnection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <sqlite3.h>

namespace {

// What the copy keeps of the server: the shop's epoch (a new one when the
// shop was made anew or emptied at once), the copy's mark (see the header)
// and whose marks it holds.
const QString kStateTable = QStringLiteral("PRANDEL_SERWER");
const QString kEpochKey = QStringLiteral("epoka");
const QString kMarkKey = QStringLiteral("xmin");
const QString kWorkstationKey = QStringLiteral("stanowisko");

struct TCopyState {
    QString Epoch;
    qint64 Mark = -1;  // none
    QString Workstation;
};

// The goods columns the server gives, after its row number, in this order;
// the copy's own columns SELECT and PRINTDATE come with the marks.
constexpr TGoodsColumn kCopiedColumns[] = {TGoodsColumn::ID,          TGoodsColumn::NAZWA,   TGoodsColumn::CENA,
                                           TGoodsColumn::WAGA,        TGoodsColumn::ABSCENA, TGoodsColumn::KODKRESKOWY,
                                           TGoodsColumn::TYPKODU,     TGoodsColumn::NEW,     TGoodsColumn::KROTKITERMIN};

QString Quoted(TGoodsColumn c) { return QuoteName(GoodsColumnName(c)); }

// The server's expression of a copied column: booleans as 0 and 1, as the
// file keeps them.
QString ServerColumn(TGoodsColumn c) {
    const bool flag = kGoodsColumns[size_t(c)].Type == TFieldType::Boolean;
    return Quoted(c) + (flag ? QStringLiteral("::int") : QString());
}

QString GoodsTable() { return QuoteName(SqlTableName(kGoodsTableName)); }

void Run(TSqliteStatement& s) {
    while (s.Step()) {
    }
    s.Reset();
}

// A field of the server's row bound as the file keeps it.
void BindField(TSqliteStatement& s, int index, const TCopyFields& row, int field, bool number) {
    if (row.IsNull(field))
        s.Bind(index, QVariant());
    else if (number)
        s.Bind(index, row.Int64(field));
    else
        s.BindText(index, row.Text(field));
}

// The write transaction of the copy's file, taken at once.
class TFileWrite {
public:
    explicit TFileWrite(TSqliteConnection& conn) : Conn(conn) {
        if (Conn.TxDepth != 0) throw TEngineError(QStringLiteral("Kopia towarów serwera nie może się odświeżyć w trakcie innej zmiany."));
        QString error;
        if (!BeginWrite(Conn, &error)) throw TEngineError(QStringLiteral("Nie można rozpocząć transakcji: %1").arg(error));
    }
    ~TFileWrite() {
        if (!Done) sqlite3_exec(Conn.Handle, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit() {
        if (sqlite3_exec(Conn.Handle, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            throw TEngineError(QStringLiteral("Nie można zapisać zmian: %1").arg(QString::fromUtf8(sqlite3_errmsg(Conn.Handle))));
        Done = true;
    }

private:
    TSqliteConnection& Conn;
    bool Done = false;
};

TCopyState ReadState(TSqliteConnection& file) {
    TCopyState state;
    QSqlQuery q = RunQuery(file, QStringLiteral("SELECT KLUCZ, WARTOSC FROM %1").arg(kStateTable));
    while (q.next()) {
        const QString key = q.value(0).toString();
        if (key == kEpochKey) state.Epoch = q.value(1).toString();
        if (key == kWorkstationKey) state.Workstation = q.value(1).toString();
        if (key == kMarkKey) {
            bool ok = false;
            const qint64 mark = q.value(1).toString().toLongLong(&ok);
            if (ok) state.Mark = mark;
        }
    }
    return state;
}

void WriteState(TSqliteConnection& file, const TCopyState& state) {
    const QString sql = QStringLiteral("INSERT OR REPLACE INTO %1 (KLUCZ, WARTOSC) VALUES (?, ?)").arg(kStateTable);
    RunQuery(file, sql, {kEpochKey, state.Epoch});
    RunQuery(file, sql, {kMarkKey, QString::number(state.Mark)});
    RunQuery(file, sql, {kWorkstationKey, state.Workstation});
}

// One catch-up's work on the file, within its transaction, from the rows of
// the server's snapshot.
class TCopier {
public:
    TCopier(TPgConnection& server, TSqliteConnection& file, const QString& schema, bool whole)
        : Server(server), File(file), Schema(schema), Whole(whole) {}

    void DeleteGoods(const QString& since, qint64& count) {
        TSqliteStatement remove(File.Handle, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(GoodsTable()));
        Server.CopyOut(QStringLiteral("COPY (SELECT nr FROM %1.usuniete WHERE %2) TO STDOUT").arg(Schema, since),
                       [&](const TCopyFields& row) {
                           remove.Bind(1, row.Int64(0));
                           Run(remove);
                           ++count;
                       });
    }

    void CopyGoods(const QString& since, qint64& count) {
        QStringList server, names, sets, places;
        for (const TGoodsColumn c : kCopiedColumns) {
            server << ServerColumn(c);
            names << Quoted(c);
            places << QStringLiteral("?%1").arg(names.size() + 1);
            sets << Quoted(c) + QStringLiteral(" = ") + places.back();
        }
        const QString g = GoodsTable();
        // A row arriving under an ID the copy holds under another row number:
        // that row's goods were deleted, or took another ID, on the server;
        // the unique ID must not trip on the order the rows come in.
        TSqliteStatement other(File.Handle, QStringLiteral("DELETE FROM %1 WHERE %2 = ?1 AND rowid <> ?2").arg(g, Quoted(TGoodsColumn::ID)));
        TSqliteStatement update(File.Handle, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?1").arg(g, sets.join(QStringLiteral(", "))));
        TSqliteStatement insert(File.Handle, QStringLiteral("INSERT INTO %1 (rowid, %2, %3, %4) VALUES (?1, %5, 0, NULL)")
                                                 .arg(g, names.join(QStringLiteral(", ")), Quoted(TGoodsColumn::SELECT),
                                                      Quoted(TGoodsColumn::PRINTDATE), places.join(QStringLiteral(", "))));
        Server.CopyOut(QStringLiteral("COPY (SELECT nr, %1 FROM %2.towary WHERE %3%4) TO STDOUT")
                           .arg(server.join(QStringLiteral(", ")), Schema, since, Order()),
                       [&](const TCopyFields& row) {
                           if (!Whole) {
                               other.BindText(1, row.Text(1));
                               other.Bind(2, row.Int64(0));
                               Run(other);
                               BindRow(update, row);
                               Run(update);
                               if (sqlite3_changes(File.Handle) > 0) {
                                   ++count;
                                   return;
                               }
                           }
                           BindRow(insert, row);
                           Run(insert);
                           ++count;
                       });
    }

    void CopyHistory(const QString& since, qint64& count) {
        // The server adds entries and never changes one; one read again is
        // written again as it is.
        TSqliteStatement insert(File.Handle, QStringLiteral("INSERT OR REPLACE INTO %1 (rowid, \"ID\", \"KWOTA\", \"CHWILA\")"
                                                            " VALUES (?, ?, ?, ?)")
                                                 .arg(QuoteName(kPriceHistoryTable)));
        Server.CopyOut(QStringLiteral("COPY (SELECT nr, \"ID\", \"KWOTA\", \"CHWILA\" FROM %1.historia_cen WHERE %2%3) TO STDOUT")
                           .arg(Schema, since, Order()),
                       [&](const TCopyFields& row) {
                           insert.Bind(1, row.Int64(0));
                           BindField(insert, 2, row, 1, false);
                           BindField(insert, 3, row, 2, true);
                           BindField(insert, 4, row, 3, true);
                           Run(insert);
                           ++count;
                       });
    }

    void CopyMarks(const QString& workstation, const QString& since, qint64& count) {
        TSqliteStatement mark(File.Handle, QStringLiteral("UPDATE %1 SET %2 = ?2, %3 = ?3 WHERE %4 = ?1")
                                               .arg(GoodsTable(), Quoted(TGoodsColumn::SELECT), Quoted(TGoodsColumn::PRINTDATE),
                                                    Quoted(TGoodsColumn::ID)));
        // Print dates as the file keeps moments (DateTimeToStorage).
        Server.CopyOut(QStringLiteral("COPY (SELECT \"ID\", \"SELECT\"::int, to_char(\"PRINTDATE\", 'YYYY-MM-DD HH24:MI:SS.MS')"
                                      " FROM %1.stanowiska_towary WHERE stanowisko = %2 AND %3) TO STDOUT")
                           .arg(Schema, Server.Literal(workstation), since),
                       [&](const TCopyFields& row) {
                           BindField(mark, 1, row, 0, false);
                           BindField(mark, 2, row, 1, true);
                           BindField(mark, 3, row, 2, false);
                           Run(mark);
                           count += sqlite3_changes(File.Handle);
                       });
    }

private:
    // A whole load writes the rows in the order of their row ids, which the
    // file appends fastest; the few rows of a change need no order, and
    // ordering them would make the server read every row number.
    QString Order() const { return Whole ? QStringLiteral(" ORDER BY nr") : QString(); }

    void BindRow(TSqliteStatement& s, const TCopyFields& row) {
        s.Bind(1, row.Int64(0));
        for (int i = 0; i < int(std::size(kCopiedColumns)); ++i)
            BindField(s, i + 2, row, i + 1, kGoodsColumns[size_t(kCopiedColumns[i])].Type != TFieldType::String);
    }

    TPgConnection& Server;
    TSqliteConnection& File;
    QString Schema;
    bool Whole;
};

}  // namespace

TServerMirror::TServerMirror(TPgConnection& conn, const TPgParams& params, QString shop, QString workstation)
    : Conn(conn), Shop(std::move(shop)), Workstation(std::move(workstation)), Dir(FolderOf(params, Shop)) {}

QString TServerMirror::FolderOf(const TPgParams& params, const QString& shop) {
    const QByteArray hash =
        QCryptographicHash::hash((params.Place() + u'/' + shop).toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return GoodsDatabaseFolder() + QStringLiteral("/serwer/") + QString::fromLatin1(hash);
}

QString TServerMirror::FilePath() const { return Dir + u'/' + kGoodsTableName; }

void TServerMirror::Setup(TTable& table, bool nameOrder) const {
    SetupGoodsTable(table, nameOrder, Dir, PrepareCopiedPriceHistory);
}

void TServerMirror::CreateFile() {
    const QString path = FilePath();
    if (QFileInfo(path).isFile()) {
        const auto file = AcquireConnection(path, PrepareCopiedPriceHistory);
        QSqlQuery q = RunQuery(*file, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN (?, ?)"),
                               {SqlTableName(kGoodsTableName), kStateTable});
        if (q.next() && q.value(0).toInt() == 2) return;
    }
    // A copy cut short while it was made is only a copy: made anew.
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) QFile::remove(path + QLatin1String(suffix));
    if (!QDir().mkpath(Dir)) throw TEngineError(QStringLiteral("Nie można utworzyć folderu %1.").arg(Dir));
    TTable table;
    Setup(table, false);
    DefineGoodsTable(table);
    table.CreateTable();
    const auto file = AcquireConnection(path, PrepareCopiedPriceHistory);
    // Readers (the list, a print) go on while a catch-up writes.
    RunQuery(*file, QStringLiteral("PRAGMA journal_mode = WAL"));
    RunQuery(*file, QStringLiteral("CREATE TABLE %1 (KLUCZ TEXT PRIMARY KEY, WARTOSC TEXT)").arg(kStateTable));
}

TServerMirror::TCatchUp TServerMirror::CatchUp() {
    if (Conn.Depth() != 0) throw TEngineError(QStringLiteral("Kopia towarów serwera nie może się odświeżyć w trakcie transakcji serwera."));
    if (!File) {
        CreateFile();
        File = AcquireConnection(FilePath(), PrepareCopiedPriceHistory);
        // A copy that loses its last catch-up to a power cut loses its mark
        // with it, and reads the same again: no waiting for the disk at each
        // commit.
        RunQuery(*File, QStringLiteral("PRAGMA synchronous = NORMAL"));
    }
    const auto file = File;
    TFileWrite write(*file);
    const TCopyState stored = ReadState(*file);
    TCatchUp done;
    const QString schema = Conn.Identifier(Shop);
    Conn.Begin();
    try {
        // Every read below sees this one snapshot of the server.
        Conn.Exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
        const TPgResult now = Conn.Exec(QStringLiteral("SELECT pg_snapshot_xmin(pg_current_snapshot())::text, epoka::text,"
                                                       " usuniete_od::text FROM %1.wersja")
                                            .arg(schema));
        if (now.Rows() != 1) throw TEngineError(QStringLiteral("Sklep %1 na serwerze nie ma wersji bazy.").arg(Shop));
        TCopyState next{now.Value(0, 1).toString(), now.Value(0, 0).toString().toLongLong(), Workstation};
        const qint64 prunedBefore = now.Value(0, 2).toString().toLongLong();
        done.Whole = stored.Mark < 0 || stored.Epoch != next.Epoch || stored.Workstation != Workstation ||
                     next.Mark < stored.Mark || stored.Mark < prunedBefore;
        const QString since = done.Whole ? QStringLiteral("true") : QStringLiteral("zmiana >= '%1'::xid8").arg(stored.Mark);
        TCopier copier(Conn, *file, schema, done.Whole);
        if (done.Whole) {
            RunQuery(*file, QStringLiteral("DELETE FROM %1").arg(GoodsTable()));
            RunQuery(*file, QStringLiteral("DELETE FROM %1").arg(QuoteName(kPriceHistoryTable)));
        } else {
            copier.DeleteGoods(since, done.Deleted);
        }
        copier.CopyGoods(since, done.Goods);
        copier.CopyHistory(since, done.History);
        copier.CopyMarks(Workstation, since, done.Marks);
        WriteState(*file, next);
        Conn.Commit();
    } catch (...) {
        Conn.Rollback();
        throw;
    }
    write.Commit();
    return done;
}
