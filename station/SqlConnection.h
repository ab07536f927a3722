#pragma once
#include <optional>
#include <string>
#include <vector>

namespace nembra::station {

// A statement's parameters and result cells as text; a null is nullopt.
using SqlValue = std::optional<std::string>;
using SqlRow = std::vector<SqlValue>;

struct SqlOutcome {
    bool ok = true;
    bool unreachable = false;  // the server or file could not be reached at all
    std::string error;
    std::vector<SqlRow> rows;
};

// One engine's connection as the record store uses it. Statements name
// their parameters $1, $2, ...; each engine maps that to its own form and
// says how it takes a write lock.
class SqlConnection {
public:
    virtual ~SqlConnection() = default;
    virtual SqlOutcome Run(const std::string& sql, const std::vector<SqlValue>& params = {}) = 0;
    // Starts a transaction that writes; on SQLite it takes the write lock at once.
    virtual std::string BeginWrite() const = 0;
    // The clause that locks a selected row for the rest of the transaction.
    virtual std::string ForUpdate() const = 0;
    // A statement that keeps two processes from building the schema at once ("" where BeginWrite does).
    virtual std::string SchemaLock() const = 0;
    // The column type of a row number the engine assigns.
    virtual std::string RowIdColumn() const = 0;
};

}  // namespace nembra::station
