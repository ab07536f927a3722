#pragma once
#include <string>

#include "cli/CliOptions.h"

namespace nembra::cli {

// True (with the reason) when an output file of the command (-o, --trace,
// --sim-target-hex, --log) names the program file, the simulated pod's store or
// another output: writing it would destroy what the command reads or writes.
bool OutputsCollide(const CliOptions& options, std::string& error);

}  // namespace nembra::cli
