#include "cli/JobCheckCommand.h"

#include <cstdio>
#include <sstream>

#include "cli/OutcomeOutput.h"
#include "image/FlashSectors.h"
#include "station/BoardRecord.h"
#include "station/JobPlan.h"
#include "station/JobRun.h"
#include "station/PostgresConnection.h"

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
    if (f281x && job.command == station::JobFileCommand::Write && plan.image) {
        out << "  erase:    sectors " << SectorsText(plan.eraseMask);
        if (plan.serial && plan.serial->addedSectorMask != 0 && job.erase == station::JobErase::Intelligent)
            out << " (" << SectorsText(plan.serial->addedSectorMask) << " for the serial number)";
        out << "\n";
    }
    out << "  CSM:      " << (job.csmKeysFile ? "keys from " + *job.csmKeysFile : std::string("off")) << "\n";
    std::string pods;
    for (const std::string& pod : job.pods) pods += (pods.empty() ? "" : ", ") + pod;
    out << "  pods:     " << (pods.empty() ? "all" : pods) << "\n";
    if (job.command == station::JobFileCommand::PodWrite)
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
    // A job file that was not read has no device or command to show.
    if (!plan.jobRead) json["device"] = json["jobCommand"] = nullptr;
    if (const auto crc = WordsCrc(plan)) json["wordsCrc32"] = CrcText(crc);
    if (plan.image && IsF281x(plan.job.device)) {
        json["sectorMask"] = Hex(plan.programSectorMask, 4);
        if (plan.job.command == station::JobFileCommand::Write) json["eraseMask"] = Hex(plan.eraseMask, 4);
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

}  // namespace

ExitStatus RunJobCheckCommand(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const JobPlan plan = station::PlanJob(options.file);
    CommandOutcome outcome;
    outcome.ok = plan.ok();
    outcome.messageIsError = !plan.ok();
    if (plan.jobRead) outcome.report = PlanReport(plan);
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

}  // namespace nembra::cli
