#include "pgtest.h"

#include <QTcpServer>

namespace {

using PgConnectionTest = PgTest;

// Values go apart from the statement: quotes, question marks and Polish
// letters arrive as they are, and a `?` inside quotes stays text.
TEST_F(PgConnectionTest, ParametersArriveAsGiven) {
    const auto conn = Connected();
    struct Case {
        const char* Sql;
        QVariantList Params;
        QVariant Expected;
    };
    const Case cases[] = {
        {"SELECT ?::text", {QStringLiteral("O'Reilly \"x\" ? $1 \\")}, QStringLiteral("O'Reilly \"x\" ? $1 \\")},
        {"SELECT ?::text", {QStringLiteral("Żółć ĄĘŚ")}, QStringLiteral("Żółć ĄĘŚ")},
        {"SELECT '?' || ?::text || \"?\" FROM (SELECT 'b' AS \"?\") t", {QStringLiteral("a")}, QStringLiteral("?ab")},
        {"SELECT ?::text IS NULL", {QVariant()}, true},
        {"SELECT ?::boolean", {false}, false},
        {"SELECT ?::bigint + ?::int", {qint64(5000000000), 1}, qint64(5000000001)},
        {"SELECT count(*) FROM (VALUES (1), (2)) v", {}, qint64(2)},
    };
    for (const Case& c : cases) EXPECT_EQ(conn->Scalar(QString::fromUtf8(c.Sql), c.Params), c.Expected) << c.Sql;
}

// A refused statement tells its SQLSTATE and the server's text, and leaves
// the connection usable.
TEST_F(PgConnectionTest, RefusalsCarryTheirState) {
    const auto conn = Connected();
    conn->Exec(QStringLiteral("CREATE TEMP TABLE t (id text PRIMARY KEY)"));
    conn->Exec(QStringLiteral("INSERT INTO t VALUES ('a')"));
    const struct {
        const char* Sql;
        const char* State;
    } cases[] = {
        {"INSERT INTO t VALUES ('a')", "23505"},
        {"SELEC 1", "42601"},
        {"SELECT * FROM brak_takiej", "42P01"},
        {"SELECT 1/0", "22012"},
    };
    for (const auto& c : cases) {
        try {
            conn->Exec(QString::fromUtf8(c.Sql));
            ADD_FAILURE() << c.Sql << " was not refused";
        } catch (const TServerLost&) {
            ADD_FAILURE() << c.Sql << " reported as a lost link";
        } catch (const TServerError& e) {
            EXPECT_EQ(e.SqlState(), QString::fromLatin1(c.State)) << c.Sql;
            EXPECT_FALSE(e.Message().isEmpty()) << c.Sql;
        }
        EXPECT_FALSE(conn->Lost());
        EXPECT_EQ(conn->Scalar(QStringLiteral("SELECT 1")), qint64(1)) << c.Sql;
    }
}

// Nested transactions commit once, at the outermost Commit; a rollback at any
// depth takes back everything since the outermost Begin.
TEST_F(PgConnectionTest, TransactionsNest) {
    const auto conn = Connected();
    conn->Exec(QStringLiteral("CREATE TEMP TABLE t (n int)"));
    const struct {
        bool InnerCommits;
        bool OuterCommits;
        qint64 Rows;
    } cases[] = {{true, true, 2}, {true, false, 0}, {false, false, 0}};
    for (const auto& c : cases) {
        conn->Exec(QStringLiteral("DELETE FROM t"));
        conn->Begin();
        conn->Exec(QStringLiteral("INSERT INTO t VALUES (1)"));
        conn->Begin();
        conn->Exec(QStringLiteral("INSERT INTO t VALUES (2)"));
        if (c.InnerCommits) {
            conn->Commit();
            EXPECT_EQ(conn->Depth(), 1);
            c.OuterCommits ? conn->Commit() : conn->Rollback();
        } else {
            conn->Rollback();
            EXPECT_THROW(conn->Commit(), TServerError);
        }
        EXPECT_EQ(conn->Depth(), 0);
        EXPECT_EQ(conn->Scalar(QStringLiteral("SELECT count(*) FROM t")), c.Rows);
    }
}

// COPY's text format carries every character a goods field may hold, both
// ways; a writer that throws leaves no row behind, a reader that throws
// leaves the connection usable.
TEST_F(PgConnectionTest, CopyKeepsValuesBothWaysAndAbortsWhole) {
    const auto conn = Connected();
    conn->Exec(QStringLiteral("CREATE TEMP TABLE t (n int, s text)"));
    const QVariantList values = {QStringLiteral("tab\there"), QStringLiteral("back\\slash \\N"), QStringLiteral("line\nand\rreturn"),
                                 QVariant(), QStringLiteral("Zażółć gęślą jaźń"), QString(), QStringLiteral("\\N"),
                                 QStringLiteral("bell\bform\fvert\v\\x41\\101")};
    conn->CopyIn(QStringLiteral("COPY t (n, s) FROM STDIN"), [&](const TPgConnection::TCopyPut& put) {
        for (qsizetype i = 0; i < values.size(); ++i) put(TPgConnection::CopyRow({i, values[i]}));
    });
    const TPgResult rows = conn->Exec(QStringLiteral("SELECT s FROM t ORDER BY n"));
    ASSERT_EQ(rows.Rows(), values.size());
    for (int i = 0; i < rows.Rows(); ++i) EXPECT_EQ(rows.Value(i, 0), values[i].isNull() ? QVariant() : values[i]) << i;

    const QString copyOut = QStringLiteral("COPY (SELECT n, s, length(s) FROM t ORDER BY n) TO STDOUT");
    qsizetype read = 0;
    conn->CopyOut(copyOut, [&](const TCopyFields& row) {
        ASSERT_EQ(row.Count(), 3);
        ASSERT_LT(read, values.size());
        EXPECT_EQ(row.Int64(0), read);
        EXPECT_EQ(row.IsNull(1), values[read].isNull()) << read;
        EXPECT_EQ(row.Text(1), values[read].isNull() ? QString() : values[read].toString()) << read;
        EXPECT_EQ(row.Text(1).isNull(), values[read].isNull()) << read;
        EXPECT_EQ(row.Int64(2), values[read].toString().size()) << read;
        ++read;
    });
    EXPECT_EQ(read, values.size());
    read = 0;
    EXPECT_THROW(conn->CopyOut(copyOut,
                               [&](const TCopyFields&) {
                                   if (++read == 2) throw TEngineError(QStringLiteral("przerwane"));
                               }),
                 TEngineError);
    EXPECT_EQ(read, 2);
    EXPECT_EQ(conn->Scalar(QStringLiteral("SELECT count(*) FROM t")), qint64(values.size()));
    EXPECT_THROW(conn->CopyOut(QStringLiteral("COPY (SELECT 1/0) TO STDOUT"), [](const TCopyFields&) {}), TServerError);
    EXPECT_THROW(conn->CopyOut(QStringLiteral("COPY brak_takiej TO STDOUT"), [](const TCopyFields&) {}), TServerError);
    EXPECT_FALSE(conn->Lost());

    conn->Exec(QStringLiteral("DELETE FROM t"));
    EXPECT_THROW(conn->CopyIn(QStringLiteral("COPY t (n, s) FROM STDIN"),
                              [&](const TPgConnection::TCopyPut& put) {
                                  put(TPgConnection::CopyRow({1, QStringLiteral("a")}));
                                  throw TEngineError(QStringLiteral("przerwane"));
                              }),
                 TEngineError);
    EXPECT_EQ(conn->Scalar(QStringLiteral("SELECT count(*) FROM t")), qint64(0));
    // A row the server cannot take is its refusal, not a lost link.
    EXPECT_THROW(conn->CopyIn(QStringLiteral("COPY t (n, s) FROM STDIN"),
                              [&](const TPgConnection::TCopyPut& put) { put("nie liczba\tx\n"); }),
                 TServerError);
    EXPECT_FALSE(conn->Lost());
}

// A transaction the server ended for its order against another's (deadlock,
// not serializable) runs once more and is committed once; any other refusal,
// a second such end, or one inside a transaction already open is passed on
// with nothing committed.
TEST_F(PgConnectionTest, RetryingRerunsOnceOnDeadlock) {
    const auto conn = Connected();
    conn->Exec(QStringLiteral("CREATE TEMP TABLE t (n int); CREATE TEMP SEQUENCE proby"));
    const struct {
        const char* State;
        int Failures;  // how many runs the server ends
        bool Nested;
        int Runs;
        const char* Passed;  // the state passed on, empty when committed
    } cases[] = {
        {"40P01", 1, false, 2, ""},
        {"40001", 1, false, 2, ""},
        {"40P01", 2, false, 2, "40P01"},
        {"23505", 1, false, 1, "23505"},
        {"40P01", 1, true, 1, "40P01"},
    };
    for (const auto& c : cases) {
        conn->Exec(QStringLiteral("DELETE FROM t; SELECT setval('proby', 1, false)"));
        int runs = 0;
        const auto work = [&] {
            ++runs;
            conn->Exec(QStringLiteral("INSERT INTO t VALUES (1)"));
            conn->Exec(QStringLiteral("DO $$ BEGIN IF nextval('proby') <= %1 THEN RAISE EXCEPTION 'koniec' USING ERRCODE = '%2'; END IF; END $$")
                           .arg(c.Failures)
                           .arg(QLatin1String(c.State)));
        };
        QString passed;
        try {
            if (c.Nested) conn->Begin();
            conn->Retrying(work);
            if (c.Nested) conn->Commit();
        } catch (const TServerError& e) {
            passed = e.SqlState();
        }
        EXPECT_EQ(runs, c.Runs) << c.State << " x" << c.Failures;
        EXPECT_EQ(passed, QLatin1String(c.Passed)) << c.State << " x" << c.Failures;
        EXPECT_EQ(conn->Depth(), 0);
        EXPECT_EQ(conn->Scalar(QStringLiteral("SELECT count(*) FROM t")), qint64(passed.isEmpty() ? 1 : 0)) << c.State;
    }
}

// A login that fails says why, in the program's words, and never with the
// password.
TEST_F(PgConnectionTest, FailedLoginNamesTheReason) {
    const QString password = QStringLiteral("tajne-Haslo-17");
    ASSERT_TRUE(SharedPgServer().AddPasswordLogin(QStringLiteral("kasjer"), password)) << SharedPgServer().error().toStdString();
    ASSERT_TRUE(SharedPgServer().Sql(QStringLiteral("sklep"), QStringLiteral("CREATE DATABASE sklep_latin2 ENCODING 'LATIN2'"
                                                                             " LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0")))
        << SharedPgServer().error().toStdString();
    int deadPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        deadPort = probe.serverPort();
    }
    const int port = SharedPgServer().port();
    const struct {
        TPgParams Params;
        QString Message;
        bool Lost = true;
    } cases[] = {
        {{QStringLiteral("127.0.0.1"), deadPort, QStringLiteral("sklep"), QStringLiteral("kasjer"), password},
         QStringLiteral("Nie można połączyć się z serwerem towarów 127.0.0.1:%1/sklep: serwer nie odpowiada.").arg(deadPort)},
        {{QStringLiteral("127.0.0.1"), port, QStringLiteral("sklep"), QStringLiteral("kasjer"), QStringLiteral("zle-haslo")},
         QStringLiteral("Nie można połączyć się z serwerem towarów 127.0.0.1:%1/sklep: serwer odrzucił logowanie użytkownika kasjer.").arg(port)},
        {{QStringLiteral("127.0.0.1"), port, QStringLiteral("brak_bazy"), QStringLiteral("kasjer"), password},
         QStringLiteral("Nie można połączyć się z serwerem towarów 127.0.0.1:%1/brak_bazy: na serwerze nie ma bazy danych brak_bazy.").arg(port)},
        {{QStringLiteral("127.0.0.1"), port, QStringLiteral("sklep_latin2"), QStringLiteral("kasjer"), password},
         QStringLiteral("Nie można połączyć się z serwerem towarów 127.0.0.1:%1/sklep_latin2: baza danych sklep_latin2 ma kodowanie LATIN2 "
                        "zamiast UTF8.")
             .arg(port),
         false},
    };
    for (const auto& c : cases) {
        TPgConnection conn;
        try {
            conn.Connect(c.Params);
            ADD_FAILURE() << c.Message.toStdString() << ": connected";
        } catch (const TServerError& e) {
            EXPECT_EQ(e.Message(), c.Message);
            EXPECT_EQ(dynamic_cast<const TServerLost*>(&e) != nullptr, c.Lost) << c.Message.toStdString();
            EXPECT_FALSE(e.Message().contains(c.Params.Password));
        }
        EXPECT_FALSE(conn.Connected());
    }
    TPgConnection good;
    good.Connect({QStringLiteral("127.0.0.1"), port, QStringLiteral("sklep"), QStringLiteral("kasjer"), password});
    EXPECT_EQ(good.Scalar(QStringLiteral("SELECT current_user")), QStringLiteral("kasjer"));
}

// A link the server ended, or a server gone, is told apart from a refused
// statement: the caller must not take the work for done.
TEST(PgConnectionLoss, LostLinkIsRecognised) {
    if (!TPgServer::ProgramsFound()) GTEST_SKIP() << "PostgreSQL server programs are not installed (package postgresql)";
    TPgServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    const TPgParams params{QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("sklep"), QStringLiteral("prandel"), {}};
    const std::function<void(TPgConnection&)> ends[] = {
        [&](TPgConnection& victim) {
            TPgConnection admin;
            admin.Connect(params);
            admin.Scalar(QStringLiteral("SELECT pg_terminate_backend(?::int)"), {victim.Scalar(QStringLiteral("SELECT pg_backend_pid()"))});
        },
        [&](TPgConnection&) { server.Stop(); },
    };
    for (const auto& end : ends) {
        TPgConnection conn;
        conn.Connect(params);
        conn.Begin();
        conn.Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS t (n int)"));
        end(conn);
        try {
            conn.Exec(QStringLiteral("INSERT INTO t VALUES (1)"));
            conn.Commit();
            ADD_FAILURE() << "the write went through";
        } catch (const TServerLost& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Utracono połączenie z serwerem towarów 127.0.0.1:%1/sklep.").arg(server.port()));
        }
        EXPECT_TRUE(conn.Lost());
        EXPECT_EQ(conn.Depth(), 0);
    }
}

}  // namespace
