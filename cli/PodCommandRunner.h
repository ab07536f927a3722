#pragma once
#include "cli/CliOptions.h"
#include "cli/CommandOutcome.h"
#include "cli/PodBackend.h"

namespace nembra::cli {

// write, reset, info, pod-write, pod-verify: the window's operation with the
// command line standing for its controls, on the given backend.
CommandOutcome RunPodCommand(const CliOptions& options, PodBackend& backend, const ConsoleEnvironment& console);

}  // namespace nembra::cli
