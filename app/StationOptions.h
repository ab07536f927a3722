#pragma once
#include <string>
#include <vector>

namespace nembra {

inline constexpr int kMaxStationSimPods = 64;

// What nembra-station is started with.
struct StationOptions {
    std::string jobFile;  // empty: asked for with a file dialog
    bool sim = false;
    std::string simStatePath;  // with --sim: where the simulated pods keep their serial flash
    int simPods = 0;           // 0: the one simulated pod in the state itself
    std::vector<std::string> simFaults;
    bool simPaced = false;
    bool bell = false;  // the desktop's bell on a failed board
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program's name. `defaultSimState` is what
// a bare --sim stands for. False with a sentence naming the argument at
// fault; --help and --version end the parse at once.
bool ParseStationArguments(const std::vector<std::string>& args, const std::string& defaultSimState,
                           StationOptions& options, std::string& error);

// The --help text.
std::string StationHelpText();

}  // namespace nembra
