#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "station/BoardRow.h"
#include "station/SerialPlan.h"

namespace nembra::station {

enum class StoreCode {
    Ok,
    Unreachable,  // the file or server could not be reached
    Exhausted,    // the plan has no number left
    Failed,       // the store answered with an error
};

struct StoreStatus {
    StoreCode code = StoreCode::Ok;
    std::string message;
    bool ok() const { return code == StoreCode::Ok; }
};

// Which rows a listing or a count takes; an unset field takes every row.
// Times are UTC texts as the rows hold them, both ends included.
struct RecordFilter {
    std::optional<std::string> job;
    std::optional<uint64_t> boardSerial;
    std::optional<std::string> podSerial;
    std::optional<std::string> from;
    std::optional<std::string> to;
};

struct RecordCounts {
    uint64_t passed = 0;
    uint64_t failed = 0;
    uint64_t total = 0;
};

// The schema's version now; an older store is upgraded in place when opened
// and a newer one is refused.
inline constexpr int kStoreSchemaVersion = 3;

// Every board's row and the job's serial numbers, in one store that several
// processes and stations share. A number is taken in one transaction, so
// no two boards ever get the same one; it is the board's for good only when
// its passing row is recorded, and a failed board's number goes back and is
// the next one given.
class RecordStore {
public:
    virtual ~RecordStore() = default;

    // The next numbers of the job's plan, one for each holder (a pod serial,
    // say), in one transaction: all of them or, when fewer are left (Exhausted,
    // saying how many), none. A gang takes its boards' numbers at once, so the
    // store syncs once for all of them.
    virtual StoreStatus TakeSerials(const std::string& job, const SerialPlan& plan,
                                    const std::vector<std::string>& holders, std::vector<uint64_t>& numbers) = 0;
    StoreStatus TakeSerial(const std::string& job, const SerialPlan& plan, const std::string& holder,
                           uint64_t& number) {
        std::vector<uint64_t> numbers;
        StoreStatus status = TakeSerials(job, plan, {holder}, numbers);
        if (status.ok()) number = numbers.front();
        return status;
    }
    // Gives a taken number back unused (the board was never programmed).
    virtual StoreStatus ReturnSerial(const std::string& job, uint64_t number) = 0;
    // How many numbers the job can still give.
    virtual StoreStatus SerialsLeft(const std::string& job, const SerialPlan& plan, uint64_t& left) = 0;
    // The number the next board would be given, taking nothing; none when
    // the plan has no number left.
    virtual StoreStatus NextSerial(const std::string& job, const SerialPlan& plan, std::optional<uint64_t>& next) = 0;
    // Stores the rows in one transaction; a row with a board serial number
    // keeps it for good (result 0) or gives it back (otherwise) in the same one.
    virtual StoreStatus RecordAll(const std::vector<BoardRow>& rows) = 0;
    StoreStatus Record(const BoardRow& row) { return RecordAll({row}); }

    virtual StoreStatus List(const RecordFilter& filter, std::vector<BoardRow>& rows) = 0;
    virtual StoreStatus Count(const RecordFilter& filter, RecordCounts& counts) = 0;

    virtual int SchemaVersion() const = 0;
    // The file or URL (without its password), for messages.
    virtual std::string Location() const = 0;
};

// Where a job keeps its records: a postgresql:// URL as it is, a file
// relative to the job file's folder, or, when the job names none, the
// default store.
std::string StoreLocation(const std::string& store, const std::string& jobFile);
// $XDG_DATA_HOME/nembra/records.sqlite (~/.local/share when unset).
std::string DefaultStorePath();

// Opens (creating and upgrading as needed) the store at a location: a
// postgresql:// URL or an SQLite file. Null with the reason otherwise.
std::unique_ptr<RecordStore> OpenRecordStore(const std::string& location, StoreStatus& status);

}  // namespace nembra::station
