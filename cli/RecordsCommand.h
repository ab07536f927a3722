#pragma once
#include <ostream>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"

namespace nembra::cli {

// records JOB_OR_STORE: the store's rows (text, --json or --csv) and counts.
ExitStatus RunRecordsCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace nembra::cli
