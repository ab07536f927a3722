#include "CliProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace nembra::testing {
namespace {

void RedirectChild(const std::string& outPath, const std::string& errPath) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) ::_exit(127);
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
}

}  // namespace

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

pid_t StartTool(const std::vector<std::string>& args, const std::string& workDir, int asUser) {
    const std::string outPath = workDir + "/cli.stdout";
    const std::string errPath = workDir + "/cli.stderr";
    std::vector<std::string> argv{NEMBRA_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (auto& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    const std::string stateHome = workDir + "/state";
    const pid_t child = ::fork();
    if (child == 0) {
        RedirectChild(outPath, errPath);
        if (asUser >= 0 && (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(asUser)) != 0 ||
                            ::setuid(static_cast<uid_t>(asUser)) != 0))
            ::_exit(126);
        ::setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
        ::execv(NEMBRA_CLI_PATH, pointers.data());
        ::_exit(127);
    }
    return child;
}

CliRun FinishTool(pid_t child, const std::string& workDir) {
    CliRun run;
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.out = ReadText(workDir + "/cli.stdout");
    run.err = ReadText(workDir + "/cli.stderr");
    return run;
}

CliRun RunTool(const std::vector<std::string>& args, const std::string& workDir, int asUser) {
    return FinishTool(StartTool(args, workDir, asUser), workDir);
}

std::vector<nlohmann::json> ReadJsonLines(const std::string& path) {
    std::vector<nlohmann::json> records;
    std::istringstream in(ReadText(path));
    std::string line;
    while (std::getline(in, line)) records.push_back(nlohmann::json::parse(line));
    return records;
}

}  // namespace nembra::testing
