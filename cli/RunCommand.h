#pragma once
#include <ostream>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"
#include "station/PodStation.h"

namespace nembra::cli {

// run JOB: the job file's command on the pods it names, every pod at once.
// Nothing touches a pod until the plan passes, the record store answers and
// every pod has its serial number; each pod's image then carries its own
// number, and each board's row goes to the store (or, when the store does
// not take it, to the spool beside the job, which the next run writes).
ExitStatus RunJobCommand(const CliOptions& options, station::PodStation& station, std::ostream& out, std::ostream& err,
                         const CliEnvironment& environment);

}  // namespace nembra::cli
