#pragma once
#include <sys/types.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace nembra::testing {

// One run of the real nembra-cli executable.
struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the tool with the arguments, standard input from /dev/null, its
// output captured in files under workDir, and XDG_STATE_HOME pointing into
// workDir so that no run touches the user's own state.
CliRun RunTool(const std::vector<std::string>& args, const std::string& workDir, int asUser = -1);
// The same in two steps, for a test that signals the running tool. With
// `asUser` the tool runs as that user (a test run by root drops its rights
// so that file permissions count); exit code 126 when it could not.
pid_t StartTool(const std::vector<std::string>& args, const std::string& workDir, int asUser = -1);
CliRun FinishTool(pid_t child, const std::string& workDir);

std::string ReadText(const std::string& path);
// A JSON Lines file (the --log file), one object per line.
std::vector<nlohmann::json> ReadJsonLines(const std::string& path);

}  // namespace nembra::testing
