#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "station/PostgresConnection.h"
#include "station/RecordStore.h"
#include "tests/support/CoffBuilder.h"
#include "tests/support/PgServer.h"

namespace nembra::station {

enum class Engine { Sqlite, Postgres };

inline std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
}

// One PostgreSQL server for the whole test program, started on first use;
// each test gets a database of its own on it.
class SharedPgServer {
public:
    static SharedPgServer& Get() {
        static SharedPgServer shared;
        return shared;
    }
    bool ready() const { return ready_; }
    const std::string& error() const { return error_; }
    testing::PgServer& server() { return server_; }

    // A fresh database; its URL.
    std::string NewDatabase() {
        const std::string name = "test" + std::to_string(++databases_);
        std::string error;
        auto admin = PostgresConnection::Open(server_.url(), error);
        if (!admin || !admin->Run("CREATE DATABASE " + name, {}).ok) return {};
        return server_.url(name);
    }

private:
    SharedPgServer() { ready_ = server_.Start(error_); }
    testing::PgServer server_;
    bool ready_ = false;
    std::string error_;
    int databases_ = 0;
};

// A store location for a test: an SQLite file in a temporary folder, or a
// database of its own on the shared server (the test skips without one).
class StoreTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::Sqlite) {
            location = dir.path() + "/line2.sqlite";
            return;
        }
        if (testing::PgServer::BinaryFolder().empty())
            GTEST_SKIP() << "PostgreSQL's server binaries are not installed (Debian's postgresql package); "
                            "the PostgreSQL store is not tested";
        SharedPgServer& shared = SharedPgServer::Get();
        ASSERT_TRUE(shared.ready()) << shared.error();
        location = shared.NewDatabase();
        ASSERT_FALSE(location.empty());
    }

    std::unique_ptr<RecordStore> Open() {
        StoreStatus status;
        auto store = OpenRecordStore(location, status);
        EXPECT_TRUE(store) << status.message;
        return store;
    }

    testing::TempDir dir;
    std::string location;
};

}  // namespace nembra::station
