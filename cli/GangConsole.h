#pragma once
#include <functional>
#include <string>
#include <vector>

#include "cli/CommandOutcome.h"
#include "pod/StopRequest.h"
#include "station/GangRun.h"

namespace nembra::cli {

// Runs several pods at once through `run`, which is given the status each
// pod reports to: one progress line per pod on the console when it is a
// terminal, nowhere otherwise. Ctrl-C requests `stop` while it runs.
std::vector<station::PodResult> RunOnConsole(
    const ConsoleEnvironment& console, const std::vector<std::string>& serials, StopRequest& stop,
    const std::function<std::vector<station::PodResult>(const station::StatusFactory&)>& run);

}  // namespace nembra::cli
