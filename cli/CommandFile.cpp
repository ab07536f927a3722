#include "cli/CommandFile.h"

#include "cli/ConsoleStatus.h"
#include "cli/OutcomeOutput.h"
#include "image/LoadCoffFile.h"

namespace nembra::cli {
namespace {

// Loads FILE without the pod; the failed outcome when it does not load.
std::optional<CommandOutcome> Load(const CliOptions& options, const ConsoleEnvironment& console, LoadedFile& loaded) {
    SystemOpsClock clock;
    ConsoleStatus status(console.progressOut, console.interactive, clock, console.columns);
    loaded.deviceType = options.device;
    ClearImage(loaded.image, loaded.deviceType);
    RecentFiles recentFiles;
    LoadContext load{loaded.image, loaded.deviceType, options.device, recentFiles, status};
    const LoadResult result = RunLoadCommand(load, options.file);
    status.Finish();
    loaded.line = result.line;
    if (loaded.image.imageLoaded) return std::nullopt;
    CommandOutcome failed;
    failed.message = result.line.empty() ? "The file was not read" : result.line;
    failed.failure = StepOutcome::Failed(Step::Load, LinkOutcome::Of(Cause::LoadFailed));
    return failed;
}

}  // namespace

ExitStatus RunOnFile(const CliOptions& options, std::ostream& out, std::ostream& err, const CliEnvironment& environment,
                     const std::function<CommandOutcome(const LoadedFile&)>& command) {
    // JSON output goes to scripts, which want no progress drawn around it.
    const ConsoleEnvironment console{err, environment.stderrIsTerminal && !options.json, environment.columns};
    LoadedFile loaded;
    const std::optional<CommandOutcome> failed = Load(options, console, loaded);
    const CommandOutcome outcome = failed ? *failed : command(loaded);
    PrintOutcome(options, outcome, out, err);
    return outcome.ok ? ExitStatus::Success : ExitStatus::Failed;
}

}  // namespace nembra::cli
