#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"
#include "station/RecordSpool.h"

namespace nembra::cli {

// job check JOB: the job's plan and every problem it has; no pod is touched.
ExitStatus RunJobCheckCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

// job new JOB: writes the job the options state, its program's SHA-256
// taken now, then shows its plan as job check does. An existing JOB is
// replaced only with --force; a link at JOB is never followed.
ExitStatus RunJobNewCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

// records JOB_OR_STORE: the store's rows (text, --json or --csv) and counts.
ExitStatus RunRecordsCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace nembra::cli
