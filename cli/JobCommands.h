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

// "The job has N problem(s):" and each problem on a line of its own.
std::string JobProblemsText(const std::vector<std::string>& problems);

// Writes the rows a former run left in the spool to the store, oldest
// first; says what it wrote and what still waits, empty when the spool is.
std::string ReplaySpool(station::RecordSpool& spool, station::RecordStore& store);

// records JOB_OR_STORE: the store's rows (text, --json or --csv) and counts.
ExitStatus RunRecordsCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace nembra::cli
