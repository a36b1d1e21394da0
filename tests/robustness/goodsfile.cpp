#include "goodsfile.h"

#include "polishcollation.h"

#include <gtest/gtest.h>

TGoodsFile::TGoodsFile(const QString& path) {
    EXPECT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &Db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK) << path.toStdString();
    // A writer that holds the file for a commit is waited for.
    sqlite3_busy_timeout(Db, 10000);
    // The name index is in the program's own order.
    RegisterPolishCollation(Db);
}

TGoodsFile::~TGoodsFile() { sqlite3_close(Db); }

QString TGoodsFile::IntegrityCheck() { return Text(QStringLiteral("PRAGMA integrity_check")); }

qint64 TGoodsFile::Number(const QString& sql) {
    sqlite3_stmt* s = nullptr;
    qint64 n = -1;
    if (sqlite3_prepare_v2(Db, sql.toUtf8().constData(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        n = sqlite3_column_int64(s, 0);
    else
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(Db);
    sqlite3_finalize(s);
    return n;
}

QString TGoodsFile::Text(const QString& sql) {
    sqlite3_stmt* s = nullptr;
    QString t;
    if (sqlite3_prepare_v2(Db, sql.toUtf8().constData(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        t = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    else
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(Db);
    sqlite3_finalize(s);
    return t;
}

void TGoodsFile::Exec(const QString& sql) {
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(Db, sql.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
}
