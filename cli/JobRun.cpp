#include "cli/JobRun.h"

#include <algorithm>
#include <memory>

#include "cli/BoardRecord.h"
#include "cli/GangBoard.h"
#include "cli/GangOutput.h"
#include "cli/GangRun.h"
#include "cli/InterruptWatch.h"
#include "cli/JobCommands.h"
#include "cli/JsonText.h"
#include "cli/OutcomeOutput.h"
#include "cli/OutputPaths.h"
#include "cli/PodSelection.h"
#include "cli/RecordLog.h"
#include "cli/SimFaultRequest.h"
#include "station/CsmKeyFile.h"
#include "station/JobPlan.h"
#include "station/PostgresConnection.h"
#include "station/RecordSpool.h"
#include "station/RecordStore.h"

namespace nembra::cli {
namespace {

using station::JobPlan;

// A refusal before any pod is touched.
struct Refusal {
    std::string message;
    bool usage = false;
};

ExitStatus Refuse(const CliOptions& options, const Refusal& refusal, std::ostream& out, std::ostream& err) {
    if (refusal.usage) {
        PrintUsageError(refusal.message, options.json, out, err);
        return ExitStatus::Usage;
    }
    CommandOutcome outcome;
    outcome.message = refusal.message;
    PrintOutcome(options, outcome, out, err);
    return ExitStatus::Failed;
}

// The command the job runs, as the options of that command would ask for it.
bool PodOptionsOf(const CliOptions& options, const JobPlan& plan, CliOptions& own, Refusal& refusal) {
    const station::Job& job = plan.job;
    own = options;
    own.command = job.command == station::JobCommand::PodWrite ? Command::PodWrite : Command::Write;
    own.device = job.device;
    own.file = plan.programPath;
    own.eraseAll = job.erase == station::JobErase::All;
    own.podName = job.podFileName;
    own.verify = job.verify;
    own.unlock = job.csmKeysFile.has_value();
    if (!own.unlock) return true;
    // The "K" and "P" frames carry the keys; a trace would hold them in the clear.
    if (!options.tracePath.empty()) {
        refusal = {"--trace is refused for a job with a CSM key file: the trace would carry the keys", true};
        return false;
    }
    station::CsmKeys keys;
    if (station::ReadCsmKeyFile(station::JobPath(plan.jobFile, *job.csmKeysFile), keys, refusal.message)) {
        own.keys = keys;
        return true;
    }
    return false;
}

// The job's pods, or those of them --pod picks.
bool SelectJobPods(const CliOptions& options, const station::Job& job, PodStation& station,
                   std::vector<std::string>& serials, std::string& error) {
    std::vector<PodEntry> entries;
    station.List(entries, false);
    std::string jobSelector;
    for (const std::string& pod : job.pods) jobSelector += (jobSelector.empty() ? "" : ",") + pod;
    if (jobSelector.empty()) jobSelector = "all";
    if (options.podSelector.empty()) return SelectPods(jobSelector, entries, serials, error);
    std::vector<std::string> jobPods;
    if (!SelectPods(options.podSelector, entries, serials, error) || !SelectPods(jobSelector, entries, jobPods, error))
        return false;
    for (const std::string& serial : serials) {
        if (std::find(jobPods.begin(), jobPods.end(), serial) != jobPods.end()) continue;
        error = "--pod: the job does not name the pod " + serial;
        return false;
    }
    return true;
}

// Everything a run holds between taking its numbers and recording its rows.
struct JobRunState {
    const CliOptions& options;  // the run's own options
    CliOptions podOptions;      // the job's command
    JobPlan plan;
    std::vector<std::string> serials;
    std::unique_ptr<station::RecordStore> store;
    std::vector<uint64_t> numbers;  // one per pod with a serial-number plan
    std::vector<std::unique_ptr<ProgramImage>> copies;
    std::vector<const ProgramImage*> images;

    void ReturnNumbers() {
        for (uint64_t number : numbers) store->ReturnSerial(plan.job.name, number);
        numbers.clear();
    }
};

// Each pod's image: the plan's own, or a copy carrying the pod's number.
bool MakeImages(JobRunState& run, std::string& error) {
    ProgramImage& image = *run.plan.image;
    if (!run.plan.job.serial) {
        run.images.assign(run.serials.size(), &image);
        return true;
    }
    const station::SerialPlan& serial = *run.plan.job.serial;
    if (!station::PrepareSerialImage(image, serial, *run.plan.serial, run.plan.job.device, error)) return false;
    for (uint64_t number : run.numbers) {
        auto copy = std::make_unique<ProgramImage>();
        station::CopyImage(image, *copy);
        if (!station::WriteSerial(*copy, serial, number)) {
            error = "The serial number " + std::to_string(number) + " does not fit in " + std::to_string(serial.words) +
                    " word(s)";
            return false;
        }
        run.images.push_back(copy.get());
        run.copies.push_back(std::move(copy));
    }
    return true;
}

// Takes the numbers and makes the images; nothing taken when it fails.
bool PrepareBoards(JobRunState& run, Refusal& refusal) {
    if (run.plan.job.serial) {
        const station::StoreStatus taken =
            run.store->TakeSerials(run.plan.job.name, *run.plan.job.serial, run.serials, run.numbers);
        if (!taken.ok()) {
            refusal.message = "No pod was touched: " + taken.message;
            return false;
        }
    }
    if (MakeImages(run, refusal.message)) return true;
    run.ReturnNumbers();
    return false;
}

station::BoardRow RowOf(const JobRunState& run, const RunFacts& facts, size_t i, PodResult& pod, RecordLog& log) {
    const nlohmann::ordered_json record = BoardRecord(run.podOptions, facts, pod.serial, pod.facts, pod.outcome);
    std::string error;
    if (log.isOpen() && !log.Append(JsonText(record), error)) pod.outcome.followUp = error;
    station::BoardRow row = station::RowFromJson(nlohmann::json::parse(record.dump()));
    row.job = run.plan.job.name;
    row.station = station::StationName();
    row.operatorName = station::OperatorName();
    if (i < run.numbers.size()) row.boardSerial = run.numbers[i];
    row.recordId = station::NewRecordId();
    return row;
}

// Every board's row to the store in one transaction, else to the spool.
void RecordBoards(JobRunState& run, std::vector<PodResult>& pods, RecordLog& log, station::RecordSpool& spool,
                  std::ostream& err) {
    std::vector<station::BoardRow> rows;
    for (size_t i = 0; i < pods.size(); ++i) {
        if (i < run.numbers.size()) pods[i].outcome.data["boardSerial"] = run.numbers[i];
        // Each board's words (its own number among them) have their own CRC-32.
        const RunFacts facts = CommandFacts(run.podOptions, run.images[i]);
        rows.push_back(RowOf(run, facts, i, pods[i], log));
        if (!pods[i].outcome.followUp.empty()) pods[i].outcome.ok = false;
    }
    const station::StoreStatus stored = run.store->RecordAll(rows);
    if (stored.ok()) return;
    size_t kept = 0;
    std::string error;
    for (size_t i = 0; i < rows.size(); ++i) {
        pods[i].outcome.ok = false;
        if (spool.Append(rows[i], error)) {
            ++kept;
            pods[i].outcome.followUp = "The store did not take the record; it waits in the spool " + spool.path();
        } else {
            pods[i].outcome.followUp = "The record is lost: " + error;
        }
    }
    err << "The store did not take the run's records (" << stored.message << "); " << kept
        << " record(s) wait in the spool " << spool.path() << " for the next run or 'nembra-cli records'\n";
}

ExitStatus RunPods(JobRunState& run, PodStation& station, RecordLog& log, station::RecordSpool& spool,
                   std::ostream& out, std::ostream& err, const CliEnvironment& environment) {
    const bool interactive = environment.stderrIsTerminal && !run.options.json;
    StopRequest stop;
    std::vector<PodResult> pods;
    {
        std::unique_ptr<GangBoard> board;
        if (interactive) board = std::make_unique<GangBoard>(err, run.serials, environment.columns);
        InterruptWatch watch(stop);
        pods = RunPodsAtOnce(run.podOptions, station, run.serials, run.images, stop, board.get());
        if (board) board->Finish();
    }
    for (PodResult& pod : pods) pod.unfinished = stop.requested() && !pod.outcome.ok;
    RecordBoards(run, pods, log, spool, err);
    PrintGangOutcome(run.podOptions, pods, out, err);
    const bool allOk = std::all_of(pods.begin(), pods.end(), [](const PodResult& p) { return p.outcome.ok; });
    return allOk ? ExitStatus::Success : ExitStatus::Failed;
}

// Everything that can refuse the run, before any pod is touched.
bool Ready(JobRunState& run, PodStation& station, Refusal& refusal) {
    if (!run.plan.ok()) {
        refusal.message = JobProblemsText(run.plan.problems);
        return false;
    }
    if (!PodOptionsOf(run.options, run.plan, run.podOptions, refusal)) return false;
    if (!SelectJobPods(run.options, run.plan.job, station, run.serials, refusal.message)) return false;
    if (OutputsCollide(run.podOptions, run.serials, refusal.message) ||
        !ArmSimFaults(run.options.simFaults, station, run.serials, run.serials.front(), refusal.message)) {
        refusal.usage = true;
        return false;
    }
    station::StoreStatus status;
    run.store = station::OpenRecordStore(run.plan.storeLocation, status);
    if (run.store != nullptr) return true;
    refusal.message = "No pod was touched: the record store " + station::UrlForMessages(run.plan.storeLocation) +
                      " cannot be reached: " + status.message;
    return false;
}

}  // namespace

ExitStatus RunJobCommand(const CliOptions& options, PodStation& station, std::ostream& out, std::ostream& err,
                         const CliEnvironment& environment) {
    JobRunState run{options, {}, station::PlanJob(options.file), {}, nullptr, {}, {}, {}};
    Refusal refusal;
    if (!Ready(run, station, refusal)) return Refuse(options, refusal, out, err);
    RecordLog log;
    if (!options.logPath.empty() && !log.Open(options.logPath, environment.lockPatience, refusal.message))
        return Refuse(options, refusal, out, err);
    station::RecordSpool spool(station::RecordSpool::PathFor(options.file), environment.lockPatience);
    const std::string replayed = ReplaySpool(spool, *run.store);
    if (!replayed.empty()) err << replayed << "\n";
    if (!PrepareBoards(run, refusal)) return Refuse(options, refusal, out, err);
    return RunPods(run, station, log, spool, out, err, environment);
}

}  // namespace nembra::cli
