#pragma once
#include <memory>
#include <string>

#include "station/SqlConnection.h"

struct sqlite3;

namespace nembra::station {

// An SQLite database file: created 0600 in a folder only its owner may
// enter, in WAL mode, waiting up to `busyMs` for another writer.
class SqliteConnection : public SqlConnection {
public:
    static std::unique_ptr<SqliteConnection> Open(const std::string& path, int busyMs, std::string& error);
    ~SqliteConnection() override;

    SqlOutcome Run(const std::string& sql, const std::vector<SqlValue>& params) override;
    std::string BeginWrite() const override { return "BEGIN IMMEDIATE"; }
    std::string ForUpdate() const override { return ""; }
    std::string SchemaLock() const override { return ""; }
    std::string RowIdColumn() const override { return "INTEGER PRIMARY KEY AUTOINCREMENT"; }

private:
    explicit SqliteConnection(sqlite3* db) : db_(db) {}
    sqlite3* db_;
};

}  // namespace nembra::station
