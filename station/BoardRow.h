#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace nembra::station {

// One operation on one pod as the record store keeps it: the fields of the
// --log record, then the production fields (the job, the station and its
// operator, the board's serial number, the outcome's step and cause).
struct BoardRow {
    int64_t id = 0;    // the store's row number; 0 before the row is stored
    std::string time;  // UTC, ISO 8601, so that text order is time order
    std::string host;
    std::string tool;
    std::string command;
    std::string device;
    std::optional<std::string> file;
    std::optional<std::string> fileSha256;
    std::optional<std::string> wordsCrc32;
    std::optional<std::string> eraseMask;
    bool csmKeysUsed = false;
    std::optional<std::string> podSerial;
    std::optional<int64_t> firmwareVersion;
    int result = 1;  // 0 success, 1 failure
    std::string message;
    int64_t elapsedMs = 0;

    std::string job;
    std::string station;
    std::string operatorName;
    std::optional<uint64_t> boardSerial;
    std::string step;
    std::string cause;
    // Names the row wherever it is kept (the spool, the store), so that a
    // row written twice (replayed after a crash between the store's commit
    // and the spool's rewrite) is stored once. Empty: the store names none.
    std::string recordId;
};

// The row as JSON: the --log record's keys in its order, then `job`,
// `station`, `operator`, `boardSerial`, `step`, `cause` and `recordId`. The
// store's row number is not part of it.
nlohmann::ordered_json RowToJson(const BoardRow& row);

// A row from such JSON, or from a --log record, which lacks the production
// keys; keys of the wrong type are left at their defaults.
BoardRow RowFromJson(const nlohmann::json& json);

// A new record id: 32 random hexadecimal digits.
std::string NewRecordId();

// The current time as the records write it: "2026-12-07T11:37:55Z".
std::string UtcTimeText();
// The host name, and the operator's login name (empty when unknown).
std::string StationName();
std::string OperatorName();

}  // namespace nembra::station
