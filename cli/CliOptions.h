#pragma once
#include <array>
#include <string>

#include "image/DeviceTypes.h"

namespace nembra::cli {

enum class Command { Inspect, Export, Write, Reset, Info, PodWrite, PodVerify };

// Everything the command line asked for, already checked.
struct CliOptions {
    Command command = Command::Info;
    DeviceType device = kDefaultDeviceType;
    bool json = false;
    bool sim = false;
    std::string simStatePath;     // where the simulated pod keeps its serial flash
    std::string tracePath;        // empty: no protocol trace
    std::string simTargetHexPath; // empty: not written
    std::string file;
    std::string outputPath;       // export
    bool eraseAll = false;
    bool unlock = false;
    std::array<std::string, 8> keys{};
    std::string podName;          // empty: the image's own name
};

// "The command's name as typed", for messages and JSON.
const char* CommandName(Command command);
// True for the commands that talk to the pod.
bool UsesPod(Command command);

}  // namespace nembra::cli
