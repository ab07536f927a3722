#pragma once
#include <ostream>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"

namespace nembra::cli {

// job check JOB: the job's plan and every problem it has; no pod is touched.
ExitStatus RunJobCheckCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace nembra::cli
