#include "cli/StationRun.h"

#include <memory>

#include "cli/BoardRecord.h"
#include "cli/GangBoard.h"
#include "cli/GangOutput.h"
#include "cli/GangRun.h"
#include "cli/InterruptWatch.h"
#include "cli/JsonText.h"
#include "cli/OutcomeOutput.h"
#include "cli/OutputPaths.h"
#include "cli/PodSelection.h"
#include "cli/RecordLog.h"
#include "cli/SimFaultRequest.h"
#include "image/LoadCoffFile.h"
#include "pod/PodLink.h"

namespace nembra::cli {
namespace {

// The pods to run on; {""} for the first pod found by its description.
// `defaultSerial` names that pod in the record where the list can tell.
struct Selection {
    std::vector<std::string> serials;
    std::string defaultSerial;
};

// Without --pod nothing is listed unless the record or a fault needs the
// first pod's serial number: the window's behaviour, and no device opened.
bool Select(const CliOptions& options, PodStation& station, Selection& selection, std::string& error) {
    std::vector<PodEntry> entries;
    if (options.podSelector.empty()) {
        selection.serials = {""};
        if (options.logPath.empty() && options.simFaults.empty()) return true;
        station.List(entries, false);
        for (const PodEntry& entry : entries) {
            if (entry.description != kPodDescription) continue;
            selection.defaultSerial = entry.serial;
            break;
        }
        return true;
    }
    station.List(entries, false);
    return SelectPods(options.podSelector, entries, selection.serials, error);
}

std::string RecordSerial(const Selection& selection, const std::string& serial) {
    return serial.empty() ? selection.defaultSerial : serial;
}

void Record(const CliOptions& options, RecordLog& log, const RunFacts& run, const Selection& selection,
            PodResult& pod) {
    if (!log.isOpen()) return;
    std::string error;
    const auto record = BoardRecord(options, run, RecordSerial(selection, pod.serial), pod.facts, pod.outcome);
    if (log.Append(JsonText(record), error)) return;
    pod.outcome.followUp = error;
    pod.outcome.ok = false;
}

CommandOutcome Failure(const std::string& message) {
    CommandOutcome outcome;
    outcome.message = message;
    return outcome;
}

ExitStatus Finish(const CliOptions& options, const CommandOutcome& outcome, std::ostream& out, std::ostream& err) {
    PrintOutcome(options, outcome, out, err);
    return outcome.ok ? ExitStatus::Success : ExitStatus::Failed;
}

bool Preloads(const CliOptions& options) { return TakesFile(options.command) && !Trim(options.file).empty(); }

struct Shared {
    const CliOptions& options;
    PodStation& station;
    const Selection& selection;
    StopRequest stop;
    RecordLog log;
    RunFacts facts;
    ProgramImage image;
    const ProgramImage* sharedImage = nullptr;
};

ExitStatus RunOne(Shared& shared, std::ostream& out, std::ostream& err, const ConsoleEnvironment& console) {
    const CliOptions& options = shared.options;
    const std::string& serial = shared.selection.serials.front();
    auto backend = shared.station.Backend(serial, &shared.stop);
    if (backend == nullptr) return Finish(options, NoPodOutcome(serial), out, err);
    ConsoleStatus status(console.progressOut, console.interactive, backend->opsClock(), console.columns);
    if (options.jsonProgress) status.StreamProgress(&err);
    if (Preloads(options)) {
        if (const auto failed = LoadSharedImage(options, shared.image, status)) {
            status.Finish();
            return Finish(options, *failed, out, err);
        }
        shared.sharedImage = &shared.image;
        shared.facts = CommandFacts(options, shared.sharedImage);
    } else {
        shared.facts = CommandFacts(options, nullptr);
    }
    PodResult pod;
    pod.serial = RecordSerial(shared.selection, serial);
    {
        InterruptWatch watch(shared.stop);
        pod.outcome = RunPodCommand(options, *backend, status, shared.sharedImage, pod.facts);
    }
    pod.unfinished = shared.stop.requested() && !pod.outcome.ok;
    Record(options, shared.log, shared.facts, shared.selection, pod);
    PrintOutcome(options, pod.outcome, out, err);
    const std::string stopped = UnfinishedLine({pod});
    if (!stopped.empty()) err << stopped << std::endl;
    return pod.outcome.ok ? ExitStatus::Success : ExitStatus::Failed;
}

ExitStatus RunGang(Shared& shared, std::ostream& out, std::ostream& err, const ConsoleEnvironment& console) {
    const CliOptions& options = shared.options;
    for (const std::string& serial : shared.selection.serials)
        if (shared.station.Backend(serial, nullptr) == nullptr) return Finish(options, NoPodOutcome(serial), out, err);
    SystemOpsClock clock;
    ConsoleStatus loadStatus(ConsoleStatus::LineDrawer(nullptr), clock, console.columns);
    if (Preloads(options)) {
        if (const auto failed = LoadSharedImage(options, shared.image, loadStatus))
            return Finish(options, *failed, out, err);
        shared.sharedImage = &shared.image;
    }
    shared.facts = CommandFacts(options, shared.sharedImage);
    std::vector<PodResult> pods;
    {
        std::unique_ptr<GangBoard> board;
        if (console.interactive)
            board = std::make_unique<GangBoard>(console.progressOut, shared.selection.serials, console.columns);
        InterruptWatch watch(shared.stop);
        pods = RunPodsAtOnce(options, shared.station, shared.selection.serials, shared.sharedImage, shared.stop,
                             board.get());
        if (board) board->Finish();
    }
    bool allOk = true;
    for (PodResult& pod : pods) {
        pod.unfinished = shared.stop.requested() && !pod.outcome.ok;
        Record(options, shared.log, shared.facts, shared.selection, pod);
        allOk = allOk && pod.outcome.ok;
    }
    PrintGangOutcome(options, pods, out, err);
    return allOk ? ExitStatus::Success : ExitStatus::Failed;
}

}  // namespace

ExitStatus RunStationCommand(const CliOptions& options, PodStation& station, std::ostream& out, std::ostream& err,
                             const CliEnvironment& environment) {
    Selection selection;
    std::string error;
    if (!Select(options, station, selection, error)) return Finish(options, Failure(error), out, err);
    // With several pods each writes its own trace and target memory file.
    if (selection.serials.size() > 1 && options.jsonProgress) {
        PrintUsageError("--json-progress streams the progress of one pod; choose one with --pod", options.json, out,
                        err);
        return ExitStatus::Usage;
    }
    if (selection.serials.size() > 1 && OutputsCollide(options, selection.serials, error)) {
        PrintUsageError(error, options.json, out, err);
        return ExitStatus::Usage;
    }
    if (!ArmSimFaults(options.simFaults, station, selection.serials, selection.defaultSerial, error)) {
        PrintUsageError(error, options.json, out, err);
        return ExitStatus::Usage;
    }
    Shared shared{options, station, selection, {}, {}, {}, {}, nullptr};
    if (!options.logPath.empty() && !shared.log.Open(options.logPath, environment.lockPatience, error))
        return Finish(options, Failure(error), out, err);
    // The records take the bar's place on standard error.
    const ConsoleEnvironment console{err, environment.stderrIsTerminal && !options.json && !options.jsonProgress,
                                     environment.columns};
    if (selection.serials.size() == 1) return RunOne(shared, out, err, console);
    return RunGang(shared, out, err, console);
}

}  // namespace nembra::cli
