#include "cli/RunCommand.h"

#include <algorithm>

#include "cli/GangConsole.h"
#include "cli/GangOutput.h"
#include "cli/HelpText.h"
#include "cli/OutcomeOutput.h"
#include "cli/OutputPaths.h"
#include "station/JobRun.h"
#include "station/SimFaultRequest.h"

namespace nembra::cli {
namespace {

using station::JobRefusal;

ExitStatus Refuse(const CliOptions& options, const JobRefusal& refusal, std::ostream& out, std::ostream& err) {
    if (refusal.usage) {
        PrintUsageError(refusal.message, options.json, out, err);
        return ExitStatus::Usage;
    }
    CommandOutcome outcome;
    outcome.message = refusal.message;
    PrintOutcome(options, outcome, out, err);
    return ExitStatus::Failed;
}

// The job's command as the options of that command would ask for it, for
// the output and the checks of its output paths.
CliOptions PodOptionsOf(const CliOptions& options, const station::JobPlan& plan) {
    const station::Job& job = plan.job;
    CliOptions own = options;
    own.command = job.command == station::JobFileCommand::PodWrite ? Command::PodWrite : Command::Write;
    own.device = job.device;
    own.file = plan.programPath;
    own.eraseAll = job.erase == station::JobErase::All;
    own.podName = job.podFileName;
    own.verify = job.verify;
    own.unlock = job.csmKeysFile.has_value();
    return own;
}

// The pods, their output paths and their faults; nothing is touched.
bool ChoosePods(const CliOptions& options, const CliOptions& podOptions, const station::Job& job,
                station::PodStation& station, std::vector<std::string>& serials, JobRefusal& refusal) {
    if (!station::SelectJobPods(job, station, options.podSelector, serials, refusal.message)) return false;
    refusal.usage = OutputsCollide(podOptions, serials, refusal.message) ||
                    !station::ArmSimFaults(options.simFaults, station, serials, serials.front(), refusal.message);
    return !refusal.usage;
}

std::vector<station::PodResult> RunPods(station::JobRun& run, station::PodStation& station,
                                        const CliEnvironment& environment, bool json, StopRequest& stop,
                                        station::RecordLog& log, std::ostream& err) {
    const ConsoleEnvironment console{err, environment.stderrIsTerminal && !json, environment.columns};
    return RunOnConsole(console, run.serials(), stop,
                        [&run, &station, &stop, &log](const station::StatusFactory& status) {
                            return run.Run(station, stop, status, nullptr, &log);
                        });
}

}  // namespace

ExitStatus RunJobCommand(const CliOptions& options, station::PodStation& station, std::ostream& out, std::ostream& err,
                         const CliEnvironment& environment) {
    station::JobRun run(options.file, kVersionText, environment.lockPatience);
    JobRefusal refusal;
    if (!run.Plan(options.tracePath, options.simTargetHexPath, refusal)) return Refuse(options, refusal, out, err);
    const CliOptions podOptions = PodOptionsOf(options, run.plan());
    std::vector<std::string> serials;
    if (!ChoosePods(options, podOptions, run.plan().job, station, serials, refusal))
        return Refuse(options, refusal, out, err);
    std::string note;
    if (!run.OpenStore(refusal, note)) return Refuse(options, refusal, out, err);
    if (!note.empty()) err << note << "\n";
    station::RecordLog log;
    if (!options.logPath.empty() && !log.Open(options.logPath, environment.lockPatience, refusal.message))
        return Refuse(options, refusal, out, err);
    if (!run.TakeBoards(serials, refusal)) return Refuse(options, refusal, out, err);
    StopRequest stop;
    std::vector<station::PodResult> pods = RunPods(run, station, environment, options.json, stop, log, err);
    note = run.Record(pods, &log);
    if (!note.empty()) err << note << "\n";
    PrintGangOutcome(podOptions, pods, out, err);
    const bool allOk = std::all_of(pods.begin(), pods.end(), [](const auto& pod) { return pod.outcome.ok; });
    return allOk ? ExitStatus::Success : ExitStatus::Failed;
}

}  // namespace nembra::cli
