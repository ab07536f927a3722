#include "cli/CliMain.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "cli/CliParser.h"
#include "cli/ExportCommand.h"
#include "cli/InspectCommand.h"
#include "cli/JobCheckCommand.h"
#include "cli/JobNewCommand.h"
#include "cli/ListCommand.h"
#include "cli/OutcomeOutput.h"
#include "cli/OutputPaths.h"
#include "cli/PodCommand.h"
#include "cli/RecordsCommand.h"
#include "cli/RunCommand.h"
#include "files/PrivateFile.h"
#include "sim/SimStoreFile.h"
#include "station/PodStation.h"

namespace nembra::cli {
namespace {

// A state file that holds something other than a pod store (a mistyped
// --sim=firmware.out, say) would be replaced by the first write; it is left
// alone and the command refused. An empty file (from mktemp) is fine.
bool ForeignStateFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) || std::filesystem::file_size(path, ec) == 0) return false;
    SimStore store;
    return !LoadStoreFile(path, store);
}

// The simulated pod's store lives in a folder that may not exist yet.
bool PrepareSimState(const std::string& path, std::string& error) {
    if (path.empty()) return true;
    if (ForeignStateFile(path)) {
        error = "The file " + path + " is not a simulated pod's store; it is left as it is";
        return false;
    }
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (!ec) return true;
    error = "Cannot create the simulated pod's state folder " + parent.string() + ": " + ec.message();
    return false;
}

// A POD Write saves the store under its lock. One that another process
// holds past the wait fails the command here, before any pod is touched;
// a missing lock file is nobody's lock, and none is made for the check.
bool StoreLockFree(const std::string& path, const LockPatience& patience, std::string& error) {
    LockFile lock;
    const std::string lockPath = StoreLockPath(path);
    switch (lock.Acquire(lockPath, patience, false)) {
        case LockResult::Locked: return true;
        case LockResult::Busy: error = InUseText("The simulated pod's store " + path); return false;
        case LockResult::Failed: break;
    }
    error = "Cannot lock the simulated pod's store " + path + ": " + OpenFailureText(lockPath, lock.error());
    return false;
}

// Every simulated pod's store is checked and its folder made before any pod runs.
bool PrepareSimStates(const CliOptions& options, const LockPatience& patience, std::string& error) {
    std::vector<std::string> paths{options.simStatePath};
    if (options.simPods > 0) paths.clear();
    for (int n = 1; n <= options.simPods; ++n)
        paths.push_back(station::SimPodStorePath(options.simStatePath, station::SimPodSerial(n)));
    for (const std::string& path : paths) {
        if (!PrepareSimState(path, error)) return false;
        if (!path.empty() && options.command == Command::PodWrite && !StoreLockFree(path, patience, error))
            return false;
    }
    return true;
}

ExitStatus RunOnStation(const CliOptions& options, std::ostream& out, std::ostream& err,
                        const CliEnvironment& environment) {
    std::unique_ptr<station::PodStation> station;
    if (options.sim) {
        CommandOutcome failed;
        if (!PrepareSimStates(options, environment.lockPatience, failed.message)) {
            PrintOutcome(options, failed, out, err);
            return ExitStatus::Failed;
        }
        station = station::MakeSimStation(options.simStatePath, options.simPods, options.simPaced, options.simChip);
    } else {
        station = station::MakeUsbStation(options.driver);
    }
    if (options.command == Command::List) return RunListCommand(options, *station, out, err);
    if (options.command == Command::Run) return RunJobCommand(options, *station, out, err, environment);
    return RunPodCommand(options, *station, out, err, environment);
}

}  // namespace

ExitStatus RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const CliEnvironment& environment) {
    const ParseResult parsed = ParseCommandLine(args, environment.defaultSimState);
    if (parsed.status == ParseStatus::Printed) {
        out << parsed.text;
        return ExitStatus::Success;
    }
    if (parsed.status == ParseStatus::UsageError) {
        const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
        PrintUsageError(parsed.text, json, out, err);
        return ExitStatus::Usage;
    }
    const CliOptions& options = parsed.options;
    std::string collision;
    if (OutputsCollide(options, collision)) {
        PrintUsageError(collision, options.json, out, err);
        return ExitStatus::Usage;
    }
    if (UsesPod(options.command) || options.command == Command::List)
        return RunOnStation(options, out, err, environment);
    if (options.command == Command::JobCheck) return RunJobCheckCommand(options, out, err);
    if (options.command == Command::JobNew) return RunJobNewCommand(options, out, err);
    if (options.command == Command::Records) return RunRecordsCommand(options, out, err);
    if (options.command == Command::Inspect) return RunInspectCommand(options, out, err, environment);
    return RunExportCommand(options, out, err, environment);
}

}  // namespace nembra::cli
