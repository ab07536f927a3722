#include "app/StationOptions.h"

#include <charconv>

#include "station/SimFaultRequest.h"

namespace nembra {
namespace {

bool ParseCount(const std::string& text, int& count) {
    const char* end = text.data() + text.size();
    const auto [at, fault] = std::from_chars(text.data(), end, count);
    return fault == std::errc() && at == end && count >= 1 && count <= kMaxStationSimPods;
}

// An option that takes a value, as "--name VALUE" or "--name=VALUE".
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value,
               std::string& error) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

bool IsOption(const std::string& arg, const std::string& name) { return arg == name || arg.rfind(name + "=", 0) == 0; }

bool ParseOne(const std::vector<std::string>& args, size_t& i, const std::string& defaultSimState, StationOptions& o,
              std::string& error) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--sim") {
        o.sim = true;
        o.simStatePath = defaultSimState;
    } else if (arg.rfind("--sim=", 0) == 0) {
        o.sim = true;
        o.simStatePath = arg.substr(6);
        if (o.simStatePath.empty()) error = "--sim= needs a state file";
    } else if (IsOption(arg, "--sim-pods")) {
        if (TakeValue(args, i, "--sim-pods", value, error) && !ParseCount(value, o.simPods))
            error = "--sim-pods: \"" + value + "\" is not a number from 1 to " + std::to_string(kMaxStationSimPods);
    } else if (IsOption(arg, "--sim-fault")) {
        station::SimFaultRequest request;
        // ParseSimFault's refusal names the option and the fault itself.
        if (TakeValue(args, i, "--sim-fault", value, error) && station::ParseSimFault(value, request, error))
            o.simFaults.push_back(value);
    } else if (arg == "--sim-paced") {
        o.simPaced = true;
    } else if (arg == "--bell") {
        o.bell = true;
    } else if (arg.size() > 1 && arg.front() == '-') {
        error = "unknown option " + arg;
    } else if (!o.jobFile.empty()) {
        error = "one job file only: " + o.jobFile + " and " + arg;
    } else {
        o.jobFile = arg;
    }
    return error.empty();
}

// The rules between options, once all are read.
bool CheckTogether(const StationOptions& o, bool simPodsGiven, std::string& error) {
    if ((simPodsGiven || !o.simFaults.empty() || o.simPaced) && !o.sim)
        error = "--sim-pods, --sim-fault and --sim-paced need --sim";
    else if (o.sim && o.simStatePath.empty())
        error = "--sim needs a state file (--sim=STATE): neither XDG_STATE_HOME nor HOME is set";
    return error.empty();
}

}  // namespace

bool ParseStationArguments(const std::vector<std::string>& args, const std::string& defaultSimState,
                           StationOptions& options, std::string& error) {
    options = {};
    error.clear();
    bool simPodsGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            options.help = true;
            return true;
        }
        if (args[i] == "--version") {
            options.version = true;
            return true;
        }
        if (args[i] == "--") {
            // Everything after it is the job file, even when it starts with '-'.
            for (++i; i < args.size() && error.empty(); ++i) {
                if (!options.jobFile.empty()) error = "one job file only: " + options.jobFile + " and " + args[i];
                options.jobFile = args[i];
            }
            break;
        }
        simPodsGiven = simPodsGiven || IsOption(args[i], "--sim-pods");
        if (!ParseOne(args, i, defaultSimState, options, error)) return false;
    }
    return error.empty() && CheckTogether(options, simPodsGiven, error);
}

std::string StationHelpText() {
    return "Usage: nembra-station [OPTIONS] [JOB.toml]\n"
           "\n"
           "The operator's window: runs a production job on every pod of a station and\n"
           "shows each board's pass or fail. Without JOB it asks for a job file; a job\n"
           "file dropped on the window opens it. Nothing of the job can be changed here.\n"
           "\n"
           "Options:\n"
           "  --sim[=STATE]      use simulated pods; their serial flash persists in STATE\n"
           "  --sim-pods N       with --sim: N simulated pods (1 to 64), each with its\n"
           "                     own store beside STATE\n"
           "  --sim-fault FAULT  with --sim: arm a fault of the simulated pods\n"
           "                     (KIND:LETTER[:N[:MS]][@SERIAL]); may be repeated\n"
           "  --sim-paced        with --sim: the simulated pods take as long as real pods\n"
           "  --bell             ring the desktop's bell when a board fails\n"
           "  -h, --help         show this help and end\n"
           "  --version          show the version and end\n"
           "\n"
           "Keys: Space or Enter starts every waiting pod.\n";
}

}  // namespace nembra
