#pragma once
#include <ostream>

#include "cli/CliMain.h"
#include "cli/CliOptions.h"

namespace nembra::cli {

// export FILE -o OUT: loads FILE as the Load button does, without the pod,
// and writes its words to OUT as Intel HEX.
ExitStatus RunExportCommand(const CliOptions& options, std::ostream& out, std::ostream& err,
                            const CliEnvironment& environment);

}  // namespace nembra::cli
