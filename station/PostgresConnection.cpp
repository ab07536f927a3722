#include "station/PostgresConnection.h"

#include <libpq-fe.h>

namespace nembra::station {
namespace {

std::string Trimmed(const char* text) {
    std::string out = text ? text : "";
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

// libpq writes notices (such as "relation already exists, skipping") to
// standard error unless told otherwise; a store's housekeeping stays quiet.
void IgnoreNotice(void*, const char*) {}

}  // namespace

bool IsPostgresUrl(const std::string& location) {
    return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

std::string UrlForMessages(const std::string& url) {
    const size_t scheme = url.find("://");
    const size_t at = url.find('@');
    if (scheme == std::string::npos || at == std::string::npos || at < scheme) return url;
    const size_t colon = url.find(':', scheme + 3);
    if (colon == std::string::npos || colon > at) return url;
    return url.substr(0, colon) + ":***" + url.substr(at);
}

std::unique_ptr<PostgresConnection> PostgresConnection::Open(const std::string& url, std::string& error) {
    pg_conn* connection = PQconnectdb(url.c_str());
    if (connection == nullptr || PQstatus(connection) != CONNECTION_OK) {
        error = "Cannot reach the record store " + UrlForMessages(url) + ": " +
                (connection ? Trimmed(PQerrorMessage(connection)) : "out of memory");
        PQfinish(connection);
        return nullptr;
    }
    PQsetNoticeProcessor(connection, IgnoreNotice, nullptr);
    return std::unique_ptr<PostgresConnection>(new PostgresConnection(connection, url));
}

PostgresConnection::~PostgresConnection() { PQfinish(connection_); }

SqlOutcome PostgresConnection::Run(const std::string& sql, const std::vector<SqlValue>& params) {
    SqlOutcome outcome;
    // A server that went away and came back is reached again before the statement.
    if (PQstatus(connection_) != CONNECTION_OK) {
        std::string error;
        if (!Reconnect(error)) {
            outcome.ok = false;
            outcome.unreachable = true;
            outcome.error = error;
            return outcome;
        }
    }
    std::vector<const char*> values;
    for (const SqlValue& value : params) values.push_back(value ? value->c_str() : nullptr);
    PGresult* result = PQexecParams(connection_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                                    nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        outcome.ok = false;
        outcome.unreachable = PQstatus(connection_) != CONNECTION_OK;
        outcome.error = Trimmed(result ? PQresultErrorMessage(result) : PQerrorMessage(connection_));
        if (outcome.error.empty()) outcome.error = Trimmed(PQerrorMessage(connection_));
        PQclear(result);
        return outcome;
    }
    const int rows = PQntuples(result);
    const int columns = PQnfields(result);
    for (int r = 0; r < rows; ++r) {
        SqlRow row;
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(result, r, c))
                row.emplace_back(std::nullopt);
            else
                row.emplace_back(std::string(PQgetvalue(result, r, c)));
        }
        outcome.rows.push_back(std::move(row));
    }
    PQclear(result);
    return outcome;
}

bool PostgresConnection::Reconnect(std::string& error) {
    if (PQstatus(connection_) == CONNECTION_OK) return true;
    PQreset(connection_);
    if (PQstatus(connection_) != CONNECTION_OK) {
        error = "Cannot reach the record store " + UrlForMessages(url_) + ": " + Trimmed(PQerrorMessage(connection_));
        return false;
    }
    PQsetNoticeProcessor(connection_, IgnoreNotice, nullptr);
    return true;
}

}  // namespace nembra::station
