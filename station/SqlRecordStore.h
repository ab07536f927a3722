#pragma once
#include <memory>
#include <string>
#include <vector>

#include "station/RecordStore.h"
#include "station/SqlConnection.h"

namespace nembra::station {

// The statements that take a store from version - 1 to `version`, with the
// engine's row-number column type.
std::vector<std::string> SchemaSteps(int version, const std::string& rowIdColumn);

// The record store on any SQL engine: one schema, one set of statements.
class SqlRecordStore : public RecordStore {
public:
    StoreStatus TakeSerials(const std::string& job, const SerialPlan& plan, const std::vector<std::string>& holders,
                            std::vector<uint64_t>& numbers) override;
    StoreStatus ReturnSerial(const std::string& job, uint64_t number) override;
    StoreStatus SerialsLeft(const std::string& job, const SerialPlan& plan, uint64_t& left) override;
    StoreStatus NextSerial(const std::string& job, const SerialPlan& plan, std::optional<uint64_t>& next) override;
    StoreStatus RecordAll(const std::vector<BoardRow>& rows) override;
    StoreStatus List(const RecordFilter& filter, std::vector<BoardRow>& rows) override;
    StoreStatus Count(const RecordFilter& filter, RecordCounts& counts) override;
    int SchemaVersion() const override { return version_; }
    std::string Location() const override { return location_; }

protected:
    SqlRecordStore(std::unique_ptr<SqlConnection> connection, std::string location)
        : db_(std::move(connection)), location_(std::move(location)) {}
    // Builds or upgrades the schema; refuses a store a newer version made.
    StoreStatus Upgrade();

private:
    class Transaction;
    StoreStatus Failure(const SqlOutcome& outcome, const std::string& doing);
    bool LockCounter(const std::string& job, uint64_t first, SqlOutcome& outcome);

    std::unique_ptr<SqlConnection> db_;
    std::string location_;
    int version_ = 0;
};

}  // namespace nembra::station
