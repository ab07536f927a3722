#pragma once
#include <memory>
#include <string>

#include "station/SqlConnection.h"

struct pg_conn;

namespace nembra::station {

// A PostgreSQL server through libpq, named by a postgresql:// URL (a Unix
// socket folder goes in its host parameter).
class PostgresConnection : public SqlConnection {
public:
    static std::unique_ptr<PostgresConnection> Open(const std::string& url, std::string& error);
    ~PostgresConnection() override;

    SqlOutcome Run(const std::string& sql, const std::vector<SqlValue>& params) override;
    std::string BeginWrite() const override { return "BEGIN"; }
    std::string ForUpdate() const override { return " FOR UPDATE"; }
    std::string SchemaLock() const override { return "SELECT pg_advisory_xact_lock(7461626)"; }
    std::string RowIdColumn() const override { return "BIGSERIAL PRIMARY KEY"; }

private:
    // Connects again after the server went away; false when it still does not answer.
    bool Reconnect(std::string& error);
    PostgresConnection(pg_conn* connection, std::string url) : connection_(connection), url_(std::move(url)) {}
    pg_conn* connection_;
    std::string url_;
};

// True for a location that names a PostgreSQL server.
bool IsPostgresUrl(const std::string& location);

// The URL without a password, for messages.
std::string UrlForMessages(const std::string& url);

}  // namespace nembra::station
