#include "cli/JobCommands.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "cli/OutcomeOutput.h"
#include "image/FlashSectors.h"
#include "station/BoardRecord.h"
#include "station/JobPlan.h"
#include "station/JobRun.h"
#include "station/PostgresConnection.h"
#include "station/RecordStore.h"

namespace nembra::cli {
namespace {

using station::JobPlan;

std::string Hex(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string SectorsText(uint16_t mask) { return mask == 0 ? "none" : station::SectorLetters(mask); }

std::string SerialText(const JobPlan& plan) {
    const station::SerialPlan& s = *plan.job.serial;
    std::string text = Hex(s.address, 6) + ", " + std::to_string(s.words) + " word(s), " +
                       station::SerialEncodingName(s.encoding) + ", " + std::to_string(s.first) + " to " +
                       std::to_string(s.last) + " step " + std::to_string(s.step) + " (" +
                       std::to_string(plan.serialCount) + " numbers)";
    if (plan.serial && plan.serial->problems.empty())
        text += plan.serial->form == station::SerialForm::Placeholder
                    ? "; on the program's placeholder words"
                    : "; outside the program, in a section of its own";
    return text;
}

// The CRC-32 of the words the job's command sends, as the --log record
// gives it; none when the program did not load.
std::optional<uint32_t> WordsCrc(const JobPlan& plan) {
    if (!plan.image) return std::nullopt;
    return station::CommandFacts(station::JobOperation(plan), plan.image.get()).wordsCrc32;
}

std::string CrcText(std::optional<uint32_t> crc) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc.value_or(0)));
    return text;
}

std::string PlanReport(const JobPlan& plan) {
    const station::Job& job = plan.job;
    const bool f281x = IsF281x(job.device);
    std::ostringstream out;
    out << "Job \"" << job.name << "\" (" << plan.jobFile << ")\n";
    out << "  device:   " << DeviceInfo(job.device).cliName << "\n";
    out << "  command:  " << station::JobCommandName(job.command);
    if (f281x) out << ", " << station::JobEraseName(job.erase) << " erase";
    out << "\n  program:  " << plan.programPath << "\n";
    out << "  SHA-256:  " << (plan.programSha256.empty() ? "unreadable" : plan.programSha256)
        << (plan.programSha256 == job.programSha256 ? " (the job's)" : "") << "\n";
    if (const auto crc = WordsCrc(plan)) out << "  CRC-32:   " << CrcText(crc) << " (the words sent)\n";
    if (plan.image) {
        out << "  sections: " << plan.image->sections.size();
        if (f281x) out << "; flash sectors " << SectorsText(plan.programSectorMask);
        out << "\n";
    }
    if (f281x && job.command == station::JobCommand::Write && plan.image) {
        out << "  erase:    sectors " << SectorsText(plan.eraseMask);
        if (plan.serial && plan.serial->addedSectorMask != 0 && job.erase == station::JobErase::Intelligent)
            out << " (" << SectorsText(plan.serial->addedSectorMask) << " for the serial number)";
        out << "\n";
    }
    out << "  CSM:      " << (job.csmKeysFile ? "keys from " + *job.csmKeysFile : std::string("off")) << "\n";
    std::string pods;
    for (const std::string& pod : job.pods) pods += (pods.empty() ? "" : ", ") + pod;
    out << "  pods:     " << (pods.empty() ? "all" : pods) << "\n";
    if (job.command == station::JobCommand::PodWrite)
        out << "  pod file: " << job.podFileName << (job.verify ? ", verified" : "") << "\n";
    if (job.serial) out << "  serial:   " << SerialText(plan) << "\n";
    out << "  records:  " << station::UrlForMessages(plan.storeLocation) << "\n";
    return out.str();
}

nlohmann::ordered_json PlanJson(const JobPlan& plan) {
    nlohmann::ordered_json json = {{"job", plan.jobFile},
                                   {"name", plan.job.name},
                                   {"jobCommand", station::JobCommandName(plan.job.command)},
                                   {"program", plan.programPath},
                                   {"programSha256", plan.programSha256},
                                   {"wordsCrc32", nullptr},
                                   {"sectorMask", nullptr},
                                   {"eraseMask", nullptr},
                                   {"serial", nullptr},
                                   {"store", station::UrlForMessages(plan.storeLocation)},
                                   {"problems", plan.problems}};
    if (const auto crc = WordsCrc(plan)) json["wordsCrc32"] = CrcText(crc);
    if (plan.image && IsF281x(plan.job.device)) {
        json["sectorMask"] = Hex(plan.programSectorMask, 4);
        if (plan.job.command == station::JobCommand::Write) json["eraseMask"] = Hex(plan.eraseMask, 4);
    }
    if (plan.job.serial) {
        const station::SerialPlan& s = *plan.job.serial;
        json["serial"] = {{"address", Hex(s.address, 6)},
                          {"words", s.words},
                          {"encoding", station::SerialEncodingName(s.encoding)},
                          {"first", s.first},
                          {"step", s.step},
                          {"last", s.last},
                          {"count", plan.serialCount}};
    }
    return json;
}

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

ExitStatus RunJobCheckCommand(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const JobPlan plan = station::PlanJob(options.file);
    CommandOutcome outcome;
    outcome.ok = plan.ok();
    outcome.messageIsError = !plan.ok();
    outcome.report = PlanReport(plan);
    if (plan.ok()) {
        outcome.message = "The job is ready";
    } else {
        outcome.message = station::ProblemsText(plan.problems);
    }
    outcome.data = PlanJson(plan);
    CliOptions shown = options;
    shown.device = plan.job.device;
    PrintOutcome(shown, outcome, out, err);
    return outcome.ok ? ExitStatus::Success : ExitStatus::Failed;
}

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
