#include "cli/CliMain.h"

#include <algorithm>

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
#include "station/PodStation.h"
#include "station/SimStates.h"

namespace nembra::cli {
namespace {

ExitStatus RunOnStation(const CliOptions& options, std::ostream& out, std::ostream& err,
                        const CliEnvironment& environment) {
    std::unique_ptr<station::PodStation> station;
    if (options.sim) {
        CommandOutcome failed;
        if (!station::PrepareSimStates(options.simStatePath, options.simPods, options.command == Command::PodWrite,
                                       environment.lockPatience, failed.message)) {
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
