#pragma once
#include "pgconnection.h"
#include "pgserver.h"

#include <gtest/gtest.h>

// Tests on the shared server of the test program, as its superuser in its
// database "sklep".
class PgTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TPgServer::ProgramsFound())
            GTEST_SKIP() << "PostgreSQL server programs are not installed (package postgresql): nothing to test against";
        ASSERT_TRUE(SharedPgServer().started()) << SharedPgServer().error().toStdString();
    }
    static TPgParams Params(const QString& database = QStringLiteral("sklep")) {
        return {QStringLiteral("127.0.0.1"), SharedPgServer().port(), database, QStringLiteral("prandel"), {}};
    }
    static std::unique_ptr<TPgConnection> Connected(const TPgParams& params = Params()) {
        auto conn = std::make_unique<TPgConnection>();
        conn->Connect(params);
        return conn;
    }
};
