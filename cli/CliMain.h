#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace nembra::cli {

enum class ExitStatus : int { Success = 0, Failed = 1, Usage = 2 };

// What the tool learns from its surroundings, gathered by main().
struct CliEnvironment {
    std::string defaultSimState;  // DefaultSimStatePath()
    bool stderrIsTerminal = false;
    int columns = 80;
};

// The whole tool: parses the arguments, runs the command, prints its output.
ExitStatus RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const CliEnvironment& environment);

}  // namespace nembra::cli
