#pragma once
#include <QString>
#include <QVariant>
#include <sqlite3.h>

// "towary.db" looked at from outside the program, as its next start opens it:
// a hot journal left by a killed writer is rolled back on the first read.
class TGoodsFile {
public:
    explicit TGoodsFile(const QString& path);
    ~TGoodsFile();
    TGoodsFile(const TGoodsFile&) = delete;
    TGoodsFile& operator=(const TGoodsFile&) = delete;

    // "ok", or what PRAGMA integrity_check found.
    QString IntegrityCheck();
    // The first column of the first row of `sql`.
    qint64 Number(const QString& sql);
    QString Text(const QString& sql);
    void Exec(const QString& sql);
    sqlite3* Handle() const { return Db; }

private:
    sqlite3* Db = nullptr;
};
