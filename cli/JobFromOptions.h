#pragma once
#include "cli/CliOptions.h"
#include "ops/Job.h"
#include "station/PodRun.h"

namespace nembra::cli {

// The job a pod command asks for: FILE, DEV, the erase and unlock options,
// the keys as typed, --name and --verify. Inspect, export and list run no
// operation; they map to the Load that reads their file.
Job JobFromOptions(const CliOptions& options);

// The job with what the command line adds around it: --trace,
// --sim-target-hex, --driver, and the pod's version read for --log.
station::PodRequest RequestFromOptions(const CliOptions& options);

}  // namespace nembra::cli
