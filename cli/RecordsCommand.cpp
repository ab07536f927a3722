#include "cli/RecordsCommand.h"

#include <filesystem>
#include <memory>

#include "cli/OutcomeOutput.h"
#include "station/JobFile.h"
#include "station/PostgresConnection.h"
#include "station/RecordSpool.h"
#include "station/RecordStore.h"

namespace nembra::cli {
namespace {

std::string CsvField(const nlohmann::ordered_json& value) {
    std::string text = value.is_null() ? "" : value.is_string() ? value.get<std::string>() : value.dump();
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvText(const std::vector<station::BoardRow>& rows) {
    std::string text;
    const nlohmann::ordered_json header = station::RowToJson(station::BoardRow{});
    for (auto it = header.begin(); it != header.end(); ++it) text += (it == header.begin() ? "" : ",") + it.key();
    text += "\r\n";
    for (const station::BoardRow& row : rows) {
        const nlohmann::ordered_json json = station::RowToJson(row);
        bool first = true;
        for (const auto& value : json) {
            text += (first ? "" : ",") + CsvField(value);
            first = false;
        }
        text += "\r\n";
    }
    return text;
}

std::string RowLine(const station::BoardRow& row) {
    return row.time + "  " + row.job + "  " + row.podSerial.value_or("-") + "  " +
           (row.boardSerial ? std::to_string(*row.boardSerial) : "-") + "  " + (row.result == 0 ? "passed" : "FAILED") +
           "  " + row.message + "\n";
}

// The store and the filter a JOB_OR_STORE argument names; false with the reason.
bool ResolveStore(const CliOptions& options, std::string& location, station::RecordFilter& filter, std::string& error) {
    const std::string& named = options.file;
    if (!options.records.job.empty()) filter.job = options.records.job;
    if (station::IsPostgresUrl(named)) {
        location = named;
        return true;
    }
    if (std::filesystem::path(named).extension() == ".toml") {
        const station::JobRead read = station::ReadJobFile(named);
        if (!read.problems.empty()) {
            error = "The job file " + named + " has problems; run 'nembra-cli job check " + named + "'";
            return false;
        }
        location = station::StoreLocation(read.job.store, named);
        if (!filter.job) filter.job = read.job.name;
        // A server is not a file; whether it answers, opening it tells.
        if (station::IsPostgresUrl(location)) return true;
    } else {
        location = named;
    }
    std::error_code ec;
    if (!std::filesystem::exists(location, ec)) {
        error = "No record store at " + location;
        return false;
    }
    return true;
}

// A job's spool is written to its store before its rows are listed.
bool ReplayJobSpool(const CliOptions& options, station::RecordStore& store, std::ostream& err) {
    if (std::filesystem::path(options.file).extension() != ".toml") return true;
    station::RecordSpool spool(station::RecordSpool::PathFor(options.file));
    const std::string note = station::ReplaySpool(spool, store);
    if (!note.empty()) err << note << "\n";
    return true;
}

}  // namespace

ExitStatus RunRecordsCommand(const CliOptions& options, std::ostream& out, std::ostream& err) {
    CommandOutcome outcome;
    std::string location;
    station::RecordFilter filter;
    station::StoreStatus status;
    std::unique_ptr<station::RecordStore> store;
    std::vector<station::BoardRow> rows;
    station::RecordCounts counts;
    if (!options.records.podSerial.empty()) filter.podSerial = options.records.podSerial;
    if (!options.records.since.empty()) filter.from = options.records.since;
    if (!options.records.until.empty()) filter.to = options.records.until;
    filter.boardSerial = options.records.boardSerial;
    if (ResolveStore(options, location, filter, outcome.message) &&
        (store = station::OpenRecordStore(location, status)) != nullptr && ReplayJobSpool(options, *store, err) &&
        (status = store->List(filter, rows)).ok() && (status = store->Count(filter, counts)).ok()) {
        outcome.ok = true;
        outcome.messageIsError = false;
        outcome.message = "passed " + std::to_string(counts.passed) + ", failed " + std::to_string(counts.failed) +
                          ", total " + std::to_string(counts.total);
    } else if (!status.ok()) {
        outcome.message = status.message;
    }
    if (outcome.ok && options.records.csv) {
        out << CsvText(rows);
        err << outcome.message << "\n";
        return ExitStatus::Success;
    }
    for (const station::BoardRow& row : rows) outcome.report += RowLine(row);
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const station::BoardRow& row : rows) list.push_back(station::RowToJson(row));
    outcome.data = {{"store", station::UrlForMessages(location)},
                    {"records", list},
                    {"counts", {{"passed", counts.passed}, {"failed", counts.failed}, {"total", counts.total}}}};
    PrintOutcome(options, outcome, out, err);
    return outcome.ok ? ExitStatus::Success : ExitStatus::Failed;
}

}  // namespace nembra::cli
