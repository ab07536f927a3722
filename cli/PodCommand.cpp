#include "cli/PodCommand.h"

#include <memory>

#include "cli/ConsoleStatus.h"
#include "cli/GangConsole.h"
#include "cli/GangOutput.h"
#include "cli/HelpText.h"
#include "cli/InterruptWatch.h"
#include "cli/JobFromOptions.h"
#include "cli/OutcomeOutput.h"
#include "cli/OutputPaths.h"
#include "image/LoadCoffFile.h"
#include "pod/PodLink.h"
#include "station/BoardRecord.h"
#include "station/GangRun.h"
#include "station/JsonText.h"
#include "station/PodSelection.h"
#include "station/RecordLog.h"
#include "station/SimFaultRequest.h"

namespace nembra::cli {
namespace {

using station::PodResult;

// The pods to run on; {""} for the first pod found by its description.
// `defaultSerial` names that pod in the record where the list can tell.
struct Selection {
    std::vector<std::string> serials;
    std::string defaultSerial;
};

// Without --pod nothing is listed unless the record or a fault needs the
// first pod's serial number: the window's behaviour, and no device opened.
bool Select(const CliOptions& options, station::PodStation& station, Selection& selection, std::string& error) {
    std::vector<station::PodEntry> entries;
    if (options.podSelector.empty()) {
        selection.serials = {""};
        if (options.logPath.empty() && options.simFaults.empty()) return true;
        station.List(entries, false);
        for (const station::PodEntry& entry : entries) {
            if (entry.description != kPodDescription) continue;
            selection.defaultSerial = entry.serial;
            break;
        }
        return true;
    }
    station.List(entries, false);
    return station::SelectPods(options.podSelector, entries, selection.serials, error);
}

std::string RecordSerial(const Selection& selection, const std::string& serial) {
    return serial.empty() ? selection.defaultSerial : serial;
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

// What every pod of the run shares.
struct Shared {
    const CliOptions& options;
    station::PodRequest request;
    station::PodStation& station;
    const Selection& selection;
    StopRequest stop;
    station::RecordLog log;
    station::RunFacts facts;
    ProgramImage image;
    const ProgramImage* sharedImage = nullptr;

    // Loads FILE once for every pod; the failed outcome when it does not load.
    std::optional<CommandOutcome> Preload(StatusSink& status) {
        if (station::TakesFile(request.job.command) && !Trim(options.file).empty()) {
            if (auto failed = station::LoadSharedImage(request.job, image, status)) return failed;
            sharedImage = &image;
        }
        facts = station::CommandFacts(request.job, sharedImage);
        return std::nullopt;
    }

    void Record(PodResult& pod) {
        if (!log.isOpen()) return;
        std::string error;
        const auto record = station::BoardRecord(request.job, kVersionText, facts, RecordSerial(selection, pod.serial),
                                                 pod.facts, pod.outcome);
        if (log.Append(station::JsonText(record), error)) return;
        pod.outcome.followUp = error;
        pod.outcome.ok = false;
    }
};

ExitStatus RunOne(Shared& shared, std::ostream& out, std::ostream& err, const ConsoleEnvironment& console) {
    const CliOptions& options = shared.options;
    const std::string& serial = shared.selection.serials.front();
    auto backend = shared.station.Backend(serial, &shared.stop);
    if (backend == nullptr) return Finish(options, station::NoPodOutcome(serial), out, err);
    ConsoleStatus status(console.progressOut, console.interactive, backend->opsClock(), console.columns);
    if (options.jsonProgress) status.StreamProgress(&err);
    if (const auto failed = shared.Preload(status)) {
        status.Finish();
        return Finish(options, *failed, out, err);
    }
    PodResult pod;
    pod.serial = RecordSerial(shared.selection, serial);
    {
        InterruptWatch watch(shared.stop);
        pod.outcome = station::RunPod(shared.request, *backend, status, shared.sharedImage, pod.facts);
    }
    status.Finish();
    pod.unfinished = shared.stop.requested() && !pod.outcome.ok;
    shared.Record(pod);
    PrintOutcome(options, pod.outcome, out, err);
    const std::string stopped = station::UnfinishedLine({pod});
    if (!stopped.empty()) err << stopped << std::endl;
    return pod.outcome.ok ? ExitStatus::Success : ExitStatus::Failed;
}

std::vector<PodResult> RunAll(Shared& shared, const ConsoleEnvironment& console) {
    const std::vector<std::string>& serials = shared.selection.serials;
    return RunOnConsole(console, serials, shared.stop, [&shared, &serials](const station::StatusFactory& status) {
        const std::vector<const ProgramImage*> images(serials.size(), shared.sharedImage);
        return station::RunPodsAtOnce(shared.request, shared.station, serials, images, shared.stop, status);
    });
}

ExitStatus RunGang(Shared& shared, std::ostream& out, std::ostream& err, const ConsoleEnvironment& console) {
    const CliOptions& options = shared.options;
    for (const std::string& serial : shared.selection.serials)
        if (shared.station.Backend(serial, nullptr) == nullptr)
            return Finish(options, station::NoPodOutcome(serial), out, err);
    SystemOpsClock clock;
    ConsoleStatus loadStatus(ConsoleStatus::LineDrawer(nullptr), clock, console.columns);
    if (const auto failed = shared.Preload(loadStatus)) return Finish(options, *failed, out, err);
    std::vector<PodResult> pods = RunAll(shared, console);
    bool allOk = true;
    for (PodResult& pod : pods) {
        shared.Record(pod);
        allOk = allOk && pod.outcome.ok;
    }
    PrintGangOutcome(options, pods, out, err);
    return allOk ? ExitStatus::Success : ExitStatus::Failed;
}

}  // namespace

ExitStatus RunPodCommand(const CliOptions& options, station::PodStation& station, std::ostream& out, std::ostream& err,
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
    if (!station::ArmSimFaults(options.simFaults, station, selection.serials, selection.defaultSerial, error)) {
        PrintUsageError(error, options.json, out, err);
        return ExitStatus::Usage;
    }
    Shared shared{options, RequestFromOptions(options), station, selection, {}, {}, {}, {}, nullptr};
    if (!options.logPath.empty() && !shared.log.Open(options.logPath, environment.lockPatience, error))
        return Finish(options, Failure(error), out, err);
    // The records take the bar's place on standard error.
    const ConsoleEnvironment console{err, environment.stderrIsTerminal && !options.json && !options.jsonProgress,
                                     environment.columns};
    if (selection.serials.size() == 1) return RunOne(shared, out, err, console);
    return RunGang(shared, out, err, console);
}

}  // namespace nembra::cli
