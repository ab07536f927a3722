#pragma once
#include <ostream>
#include <string>

#include "cli/CliOptions.h"
#include "cli/CommandOutcome.h"

namespace nembra::cli {

// {"ok", "message", "command", "device", "error"?, "hint"?, ...the command's data}.
nlohmann::ordered_json OutcomeJson(const CliOptions& options, const CommandOutcome& outcome);

// Prints an outcome: the final line on stdout (information) or stderr
// (error), or with --json one object {"ok", "message", "command", "device",
// ...the command's data}; the hint and follow-up error always on stderr.
void PrintOutcome(const CliOptions& options, const CommandOutcome& outcome, std::ostream& out, std::ostream& err);

// A usage error, as text or (when --json was asked for) as a JSON object.
void PrintUsageError(const std::string& reason, bool json, std::ostream& out, std::ostream& err);

}  // namespace nembra::cli
