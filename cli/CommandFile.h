#pragma once
#include <functional>
#include <ostream>
#include <string>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"
#include "cli/CommandOutcome.h"
#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"

namespace nembra::cli {

// FILE as the Load button reads it.
struct LoadedFile {
    ProgramImage image;
    DeviceType deviceType = kDefaultDeviceType;
    std::string line;  // the load's final line
};

// The commands that read FILE without a pod (inspect, export): loads it as
// the Load button does, its progress drawn on a terminal unless --json is
// asked for, then runs `command` on it and prints the outcome. A file that
// does not load fails with the load's line and `command` is not run.
ExitStatus RunOnFile(const CliOptions& options, std::ostream& out, std::ostream& err, const CliEnvironment& environment,
                     const std::function<CommandOutcome(const LoadedFile&)>& command);

}  // namespace nembra::cli
