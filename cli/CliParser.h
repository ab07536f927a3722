#pragma once
#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace nembra::cli {

enum class ParseStatus {
    Run,         // options are filled in
    Printed,     // --help or --version: text goes to stdout, exit 0
    UsageError,  // text is the reason, exit 2
};

struct ParseResult {
    ParseStatus status = ParseStatus::UsageError;
    CliOptions options;
    std::string text;
};

// Reads the command line (args[0] is the program name). The simulated pod's
// default state path is passed in so that the parser reads no environment.
ParseResult ParseCommandLine(const std::vector<std::string>& args, const std::string& defaultSimState);

}  // namespace nembra::cli
