#pragma once
#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace nembra::cli {

// True (with the reason) when an output file of the command (-o, --trace,
// --sim-target-hex, --log) names the program file, a simulated pod's store or
// another output: writing it would destroy what the command reads or writes.
// With several `podSerials` the trace and target memory files are each pod's
// own (PodFilePath), and every one of them is checked.
bool OutputsCollide(const CliOptions& options, std::string& error);
bool OutputsCollide(const CliOptions& options, const std::vector<std::string>& podSerials, std::string& error);

}  // namespace nembra::cli
