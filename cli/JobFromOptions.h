#pragma once
#include "cli/CliOptions.h"
#include "ops/Job.h"

namespace nembra::cli {

// The job a pod command asks for: FILE, DEV, the erase and unlock options,
// the keys as typed, --name and --verify. Inspect, export and list run no
// operation; they map to the Load that reads their file.
Job JobFromOptions(const CliOptions& options);

}  // namespace nembra::cli
