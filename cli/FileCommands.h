#pragma once
#include "cli/CliOptions.h"
#include "cli/CommandOutcome.h"

namespace nembra::cli {

// inspect and export: load FILE as the Load button does, without the pod.
CommandOutcome RunFileCommand(const CliOptions& options, const ConsoleEnvironment& console);

}  // namespace nembra::cli
