#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "files/BoundedLock.h"

namespace nembra::cli {

enum class ExitStatus : int { Success = 0, Failed = 1, Usage = 2 };

// What the tool learns from its surroundings, gathered by main().
struct CliEnvironment {
    std::string defaultSimState;  // DefaultSimStatePath()
    bool stderrIsTerminal = false;
    int columns = 80;
    // How long a lock that another process holds (the log's, a simulated
    // pod store's) is waited for before the command fails.
    LockPatience lockPatience;
};

// The whole tool: parses the arguments, runs the command, prints its output.
ExitStatus RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const CliEnvironment& environment);

}  // namespace nembra::cli
