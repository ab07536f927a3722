#include "station/SqlRecordStore.h"

#include <string_view>

namespace nembra::station {
namespace {

// The row's columns in the order BoardRow lists its fields.
constexpr std::string_view kColumns =
    "time, host, tool, command, device, file, file_sha256, words_crc32, erase_mask, csm_keys_used, pod_serial, "
    "firmware_version, result, message, elapsed_ms, job, station, operator, board_serial, step, cause, record_id";
constexpr int kColumnCount = 22;

std::string Number(uint64_t value) { return std::to_string(value); }

template <typename T>
SqlValue Optional(const std::optional<T>& value) {
    if (!value) return std::nullopt;
    if constexpr (std::is_same_v<T, std::string>)
        return *value;
    else
        return std::to_string(*value);
}

std::vector<SqlValue> RowParams(const BoardRow& row) {
    return {row.time,
            row.host,
            row.tool,
            row.command,
            row.device,
            Optional(row.file),
            Optional(row.fileSha256),
            Optional(row.wordsCrc32),
            Optional(row.eraseMask),
            row.csmKeysUsed ? "1" : "0",
            Optional(row.podSerial),
            Optional(row.firmwareVersion),
            std::to_string(row.result),
            row.message,
            std::to_string(row.elapsedMs),
            row.job,
            row.station,
            row.operatorName,
            Optional(row.boardSerial),
            row.step,
            row.cause,
            row.recordId.empty() ? SqlValue{} : SqlValue{row.recordId}};
}

std::string Text(const SqlValue& value) { return value.value_or(""); }
int64_t Integer(const SqlValue& value) {
    if (!value) return 0;
    try {
        return std::stoll(*value);
    } catch (const std::exception&) {
        return 0;
    }
}

BoardRow RowFromCells(const SqlRow& cells) {
    BoardRow row;
    size_t i = 0;
    row.id = Integer(cells[i++]);
    row.time = Text(cells[i++]);
    row.host = Text(cells[i++]);
    row.tool = Text(cells[i++]);
    row.command = Text(cells[i++]);
    row.device = Text(cells[i++]);
    row.file = cells[i++];
    row.fileSha256 = cells[i++];
    row.wordsCrc32 = cells[i++];
    row.eraseMask = cells[i++];
    row.csmKeysUsed = Integer(cells[i++]) != 0;
    row.podSerial = cells[i++];
    if (const SqlValue& v = cells[i++]) row.firmwareVersion = Integer(v);
    row.result = static_cast<int>(Integer(cells[i++]));
    row.message = Text(cells[i++]);
    row.elapsedMs = Integer(cells[i++]);
    row.job = Text(cells[i++]);
    row.station = Text(cells[i++]);
    row.operatorName = Text(cells[i++]);
    if (const SqlValue& v = cells[i++]) row.boardSerial = static_cast<uint64_t>(Integer(v));
    row.step = Text(cells[i++]);
    row.cause = Text(cells[i++]);
    row.recordId = Text(cells[i++]);
    return row;
}

// The WHERE clause of a filter and its parameters.
std::string WhereClause(const RecordFilter& filter, std::vector<SqlValue>& params) {
    std::string where;
    auto add = [&](const std::string& condition, const std::string& value) {
        params.push_back(value);
        where += (where.empty() ? " WHERE " : " AND ") + condition + " $" + std::to_string(params.size());
    };
    if (filter.job) add("job =", *filter.job);
    if (filter.boardSerial) add("board_serial =", Number(*filter.boardSerial));
    if (filter.podSerial) add("pod_serial =", *filter.podSerial);
    if (filter.from) add("time >=", *filter.from);
    if (filter.to) add("time <=", *filter.to);
    return where;
}

// The first number of the plan at or above `from`.
uint64_t OnPlan(const SerialPlan& plan, uint64_t from) {
    if (from <= plan.first) return plan.first;
    const uint64_t offset = (from - plan.first + plan.step - 1) / plan.step;
    return plan.first + offset * plan.step;
}

}  // namespace

std::vector<std::string> SchemaSteps(int version, const std::string& rowIdColumn) {
    switch (version) {
        case 1:
            return {"CREATE TABLE board_records (id " + rowIdColumn +
                        ", time TEXT NOT NULL, host TEXT NOT NULL, tool TEXT NOT NULL, command TEXT NOT NULL, "
                        "device TEXT NOT NULL, file TEXT, file_sha256 TEXT, words_crc32 TEXT, erase_mask TEXT, "
                        "csm_keys_used INTEGER NOT NULL, pod_serial TEXT, firmware_version INTEGER, "
                        "result INTEGER NOT NULL, message TEXT NOT NULL, elapsed_ms BIGINT NOT NULL, "
                        "job TEXT NOT NULL, station TEXT NOT NULL, operator TEXT NOT NULL, board_serial BIGINT, "
                        "step TEXT NOT NULL, cause TEXT NOT NULL)",
                    "CREATE TABLE serial_counters (job TEXT PRIMARY KEY, next_number BIGINT NOT NULL)",
                    "CREATE TABLE serials (job TEXT NOT NULL, number BIGINT NOT NULL, state TEXT NOT NULL, "
                    "holder TEXT, PRIMARY KEY (job, number))"};
        case 2:
            // Listings filter by job and time; numbers given back are looked up by state.
            return {"CREATE INDEX board_records_job_time ON board_records (job, time)",
                    "CREATE INDEX board_records_board_serial ON board_records (board_serial)",
                    "CREATE INDEX serials_state ON serials (job, state, number)"};
        case 3:
            // A row the spool writes again after a crash is stored once.
            return {"ALTER TABLE board_records ADD COLUMN record_id TEXT",
                    "CREATE UNIQUE INDEX board_records_record_id ON board_records (record_id)"};
        default: return {};
    }
}

// Rolls back unless committed, so every early return leaves the store as it was.
class SqlRecordStore::Transaction {
public:
    Transaction(SqlConnection& db, SqlOutcome& begun) : db_(db) { begun = db_.Run(db_.BeginWrite(), {}); }
    ~Transaction() {
        if (!done_) db_.Run("ROLLBACK", {});
    }
    SqlOutcome Commit() {
        done_ = true;
        SqlOutcome outcome = db_.Run("COMMIT", {});
        if (!outcome.ok) db_.Run("ROLLBACK", {});
        return outcome;
    }

private:
    SqlConnection& db_;
    bool done_ = false;
};

StoreStatus SqlRecordStore::Failure(const SqlOutcome& outcome, const std::string& doing) {
    return {outcome.unreachable ? StoreCode::Unreachable : StoreCode::Failed,
            "The record store " + location_ + " could not " + doing + ": " + outcome.error};
}

StoreStatus SqlRecordStore::Upgrade() {
    SqlOutcome outcome;
    Transaction transaction(*db_, outcome);
    if (!outcome.ok) return Failure(outcome, "be opened");
    if (const std::string lock = db_->SchemaLock(); !lock.empty() && !(outcome = db_->Run(lock, {})).ok)
        return Failure(outcome, "be opened");
    outcome = db_->Run("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", {});
    if (outcome.ok) outcome = db_->Run("SELECT MAX(version) FROM schema_version", {});
    if (!outcome.ok) return Failure(outcome, "be opened");
    const int found = outcome.rows.empty() ? 0 : static_cast<int>(Integer(outcome.rows[0][0]));
    if (found > kStoreSchemaVersion)
        return {StoreCode::Failed, "The record store " + location_ + " has schema version " + std::to_string(found) +
                                       "; this Nembra knows version " + std::to_string(kStoreSchemaVersion) +
                                       " and leaves it alone"};
    for (int version = found + 1; version <= kStoreSchemaVersion; ++version)
        for (const std::string& statement : SchemaSteps(version, db_->RowIdColumn()))
            if (!(outcome = db_->Run(statement, {})).ok) return Failure(outcome, "be upgraded");
    if (found < kStoreSchemaVersion) {
        outcome = db_->Run("DELETE FROM schema_version", {});
        if (outcome.ok)
            outcome =
                db_->Run("INSERT INTO schema_version (version) VALUES ($1)", {std::to_string(kStoreSchemaVersion)});
        if (!outcome.ok) return Failure(outcome, "be upgraded");
    }
    if (!(outcome = transaction.Commit()).ok) return Failure(outcome, "be opened");
    version_ = kStoreSchemaVersion;
    return {};
}

bool SqlRecordStore::LockCounter(const std::string& job, uint64_t first, SqlOutcome& outcome) {
    outcome = db_->Run("INSERT INTO serial_counters (job, next_number) VALUES ($1, $2) ON CONFLICT (job) DO NOTHING",
                       {job, Number(first)});
    if (!outcome.ok) return false;
    outcome = db_->Run("SELECT next_number FROM serial_counters WHERE job = $1" + db_->ForUpdate(), {job});
    return outcome.ok && !outcome.rows.empty();
}

StoreStatus SqlRecordStore::TakeSerials(const std::string& job, const SerialPlan& plan,
                                        const std::vector<std::string>& holders, std::vector<uint64_t>& numbers) {
    if (SerialCount(plan) == 0) return {StoreCode::Failed, "the serial-number plan gives no number"};
    SqlOutcome outcome;
    Transaction transaction(*db_, outcome);
    if (!outcome.ok || !LockCounter(job, plan.first, outcome)) return Failure(outcome, "give a serial number");
    const uint64_t counter = static_cast<uint64_t>(Integer(outcome.rows[0][0]));
    outcome = db_->Run("SELECT number FROM serials WHERE job = $1 AND state = 'free' ORDER BY number", {job});
    if (!outcome.ok) return Failure(outcome, "give a serial number");
    std::vector<uint64_t> free;
    for (const SqlRow& row : outcome.rows)
        if (const auto number = static_cast<uint64_t>(Integer(row[0])); InSerialPlan(plan, number))
            free.push_back(number);
    std::vector<uint64_t> taken;
    uint64_t next = OnPlan(plan, counter);
    for (const std::string& holder : holders) {
        if (taken.size() < free.size()) {
            taken.push_back(free[taken.size()]);
            outcome = db_->Run("UPDATE serials SET state = 'taken', holder = $3 WHERE job = $1 AND number = $2",
                               {job, Number(taken.back()), holder});
        } else {
            for (;; next += plan.step) {
                if (next > plan.last || next < plan.first)
                    return {StoreCode::Exhausted, "job \"" + job + "\" has only " + std::to_string(taken.size()) +
                                                      " serial number(s) left for " + std::to_string(holders.size()) +
                                                      " board(s); its plan ends at " + std::to_string(plan.last)};
                outcome = db_->Run("SELECT 1 FROM serials WHERE job = $1 AND number = $2", {job, Number(next)});
                if (!outcome.ok) return Failure(outcome, "give a serial number");
                if (outcome.rows.empty()) break;
            }
            taken.push_back(next);
            next += plan.step;
            outcome = db_->Run("INSERT INTO serials (job, number, state, holder) VALUES ($1, $2, 'taken', $3)",
                               {job, Number(taken.back()), holder});
        }
        if (!outcome.ok) return Failure(outcome, "give a serial number");
    }
    if (next != OnPlan(plan, counter))
        outcome = db_->Run("UPDATE serial_counters SET next_number = $2 WHERE job = $1", {job, Number(next)});
    if (!outcome.ok || !(outcome = transaction.Commit()).ok) return Failure(outcome, "give a serial number");
    numbers = std::move(taken);
    return {};
}

StoreStatus SqlRecordStore::ReturnSerial(const std::string& job, uint64_t number) {
    SqlOutcome outcome;
    Transaction transaction(*db_, outcome);
    if (!outcome.ok || !LockCounter(job, number, outcome)) return Failure(outcome, "take a serial number back");
    outcome =
        db_->Run("UPDATE serials SET state = 'free', holder = NULL WHERE job = $1 AND number = $2 AND state = 'taken'",
                 {job, Number(number)});
    if (!outcome.ok || !(outcome = transaction.Commit()).ok) return Failure(outcome, "take a serial number back");
    return {};
}

StoreStatus SqlRecordStore::SerialsLeft(const std::string& job, const SerialPlan& plan, uint64_t& left) {
    left = 0;
    if (SerialCount(plan) == 0) return {};
    SqlOutcome outcome = db_->Run("SELECT next_number FROM serial_counters WHERE job = $1", {job});
    if (!outcome.ok) return Failure(outcome, "count the serial numbers left");
    const uint64_t counter = outcome.rows.empty() ? plan.first : static_cast<uint64_t>(Integer(outcome.rows[0][0]));
    const uint64_t next = OnPlan(plan, counter);
    if (next <= plan.last) left = (plan.last - next) / plan.step + 1;
    outcome = db_->Run("SELECT number, state FROM serials WHERE job = $1 AND (state = 'free' OR number >= $2)",
                       {job, Number(next)});
    if (!outcome.ok) return Failure(outcome, "count the serial numbers left");
    for (const SqlRow& row : outcome.rows) {
        const auto number = static_cast<uint64_t>(Integer(row[0]));
        if (!InSerialPlan(plan, number)) continue;
        // A free number below the counter adds one; a taken or used one at or
        // above it (after the plan changed) takes one away.
        const bool free = Text(row[1]) == "free";
        if (free && number < next)
            ++left;
        else if (!free && number >= next && left > 0)
            --left;
    }
    return {};
}

// As TakeSerials would choose: the lowest number given back, else the
// counter's next that no row holds.
StoreStatus SqlRecordStore::NextSerial(const std::string& job, const SerialPlan& plan, std::optional<uint64_t>& next) {
    next.reset();
    if (SerialCount(plan) == 0) return {};
    SqlOutcome outcome =
        db_->Run("SELECT number FROM serials WHERE job = $1 AND state = 'free' ORDER BY number", {job});
    if (!outcome.ok) return Failure(outcome, "find the next serial number");
    for (const SqlRow& row : outcome.rows) {
        if (const auto number = static_cast<uint64_t>(Integer(row[0])); InSerialPlan(plan, number)) {
            next = number;
            return {};
        }
    }
    outcome = db_->Run("SELECT next_number FROM serial_counters WHERE job = $1", {job});
    if (!outcome.ok) return Failure(outcome, "find the next serial number");
    uint64_t number =
        OnPlan(plan, outcome.rows.empty() ? plan.first : static_cast<uint64_t>(Integer(outcome.rows[0][0])));
    outcome =
        db_->Run("SELECT number FROM serials WHERE job = $1 AND number >= $2 ORDER BY number", {job, Number(number)});
    if (!outcome.ok) return Failure(outcome, "find the next serial number");
    for (const SqlRow& row : outcome.rows) {
        const auto held = static_cast<uint64_t>(Integer(row[0]));
        if (held == number) number += plan.step;
    }
    if (number >= plan.first && number <= plan.last) next = number;
    return {};
}

StoreStatus SqlRecordStore::RecordAll(const std::vector<BoardRow>& rows) {
    SqlOutcome outcome;
    Transaction transaction(*db_, outcome);
    if (!outcome.ok) return Failure(outcome, "store the board's record");
    std::string placeholders;
    for (int i = 1; i <= kColumnCount; ++i) placeholders += (i > 1 ? ", $" : "$") + std::to_string(i);
    const std::string insert = "INSERT INTO board_records (" + std::string(kColumns) + ") VALUES (" + placeholders +
                               ") ON CONFLICT DO NOTHING";
    for (const BoardRow& row : rows) {
        if (row.boardSerial) {
            if (!LockCounter(row.job, *row.boardSerial, outcome)) return Failure(outcome, "store the board's record");
            const bool passed = row.result == 0;
            outcome = db_->Run(std::string("UPDATE serials SET state = '") + (passed ? "used" : "free") +
                                   "', holder = " + (passed ? "holder" : "NULL") +
                                   " WHERE job = $1 AND number = $2 AND state = 'taken'",
                               {row.job, Number(*row.boardSerial)});
            if (!outcome.ok) return Failure(outcome, "store the board's record");
        }
        if (!(outcome = db_->Run(insert, RowParams(row))).ok) return Failure(outcome, "store the board's record");
    }
    if (!(outcome = transaction.Commit()).ok) return Failure(outcome, "store the board's record");
    return {};
}

StoreStatus SqlRecordStore::List(const RecordFilter& filter, std::vector<BoardRow>& rows) {
    std::vector<SqlValue> params;
    const std::string where = WhereClause(filter, params);
    const SqlOutcome outcome =
        db_->Run("SELECT id, " + std::string(kColumns) + " FROM board_records" + where + " ORDER BY id", params);
    if (!outcome.ok) return Failure(outcome, "list the records");
    rows.clear();
    for (const SqlRow& cells : outcome.rows)
        if (cells.size() == kColumnCount + 1) rows.push_back(RowFromCells(cells));
    return {};
}

StoreStatus SqlRecordStore::Count(const RecordFilter& filter, RecordCounts& counts) {
    std::vector<SqlValue> params;
    const std::string where = WhereClause(filter, params);
    const SqlOutcome outcome =
        db_->Run("SELECT COUNT(*), SUM(CASE WHEN result = 0 THEN 1 ELSE 0 END) FROM board_records" + where, params);
    if (!outcome.ok || outcome.rows.empty()) return Failure(outcome, "count the records");
    counts.total = static_cast<uint64_t>(Integer(outcome.rows[0][0]));
    counts.passed = static_cast<uint64_t>(Integer(outcome.rows[0][1]));
    counts.failed = counts.total - counts.passed;
    return {};
}

}  // namespace nembra::station
