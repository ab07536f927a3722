#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/CliMain.h"
#include "sim/SimRig.h"

namespace {

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    nembra::cli::CliEnvironment environment;
    environment.defaultSimState = nembra::DefaultSimStatePath();
    environment.stderrIsTerminal = isatty(STDERR_FILENO) != 0;
    if (environment.stderrIsTerminal) environment.columns = TerminalColumns();
    return static_cast<int>(nembra::cli::RunCli(args, std::cout, std::cerr, environment));
}
