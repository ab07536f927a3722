#pragma once
#include <ostream>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"

namespace nembra::cli {

// job new JOB: writes the job the options state, its program's SHA-256
// taken now, then shows its plan as job check does. An existing JOB is
// replaced only with --force; a link at JOB is never followed.
ExitStatus RunJobNewCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace nembra::cli
