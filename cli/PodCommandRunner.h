#pragma once
#include <cstdint>
#include <optional>

#include "cli/CliOptions.h"
#include "cli/CommandOutcome.h"
#include "cli/ConsoleStatus.h"
#include "cli/PodBackend.h"
#include "image/ProgramImage.h"

namespace nembra::cli {

// What one pod's run leaves besides its outcome, for the record.
struct PodRunFacts {
    uint32_t elapsedMs = 0;  // on the backend's clock: modeled time on the simulated pod
    std::optional<uint16_t> firmwareVersion;
};

// write, reset, info, pod-write, pod-verify on one pod: the window's
// operation with the command line standing for its controls. With
// `sharedImage` the program loaded once for every pod is used as it is;
// without, the operation loads FILE itself as the window's button does.
// pod-write --verify adds a POD Verify after a successful POD Write.
CommandOutcome RunPodCommand(const CliOptions& options, PodBackend& backend, ConsoleStatus& status,
                             const ProgramImage* sharedImage, PodRunFacts& facts);

// The same, drawing on the console, with the operation loading FILE itself.
CommandOutcome RunPodCommand(const CliOptions& options, PodBackend& backend, const ConsoleEnvironment& console);

// Loads FILE once for every pod; false (with the load's final line on the
// status) when it cannot be loaded. Nothing to load for reset and info.
bool TakesFile(Command command);
// Nothing when FILE is loaded; otherwise the failed outcome with the load's line.
std::optional<CommandOutcome> LoadSharedImage(const CliOptions& options, ProgramImage& image, StatusSink& status);
// A command that ends before a pod's operation runs: no pod attached.
CommandOutcome NoPodOutcome(const std::string& serial);

}  // namespace nembra::cli
