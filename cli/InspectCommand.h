#pragma once
#include <ostream>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"

namespace nembra::cli {

// inspect FILE: loads it as the Load button does, without the pod, and
// reports its sections, entry point, digests and what each write would do
// with it, as text or, with --json, one object.
ExitStatus RunInspectCommand(const CliOptions& options, std::ostream& out, std::ostream& err,
                             const CliEnvironment& environment);

}  // namespace nembra::cli
