#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/DeviceTypes.h"
#include "pod/DriverLoader.h"
#include "sim/SimChip.h"
#include "station/JobFile.h"

namespace nembra::cli {

inline constexpr int kMaxSimPods = 64;

enum class Command { Inspect, Export, Write, Reset, Info, PodWrite, PodVerify, List, JobCheck, JobNew, Records, Run };

// records: which rows to list; empty texts take every row.
struct RecordQuery {
    std::string job;                      // --job; a job file's own name when JOB_OR_STORE is one
    std::optional<uint64_t> boardSerial;  // --board-serial
    std::string podSerial;                // --pod-serial
    std::string since;                    // --since, UTC, ISO 8601
    std::string until;                    // --until
    bool csv = false;                     // --csv
};

// job new: the job to write. The program's path is as typed (relative to
// the working folder); the job gets it relative to its own folder.
struct NewJobRequest {
    station::Job job;
    std::string program;  // --program
    bool force = false;   // --force: replace an existing job file
};

// Everything the command line asked for, already checked.
struct CliOptions {
    Command command = Command::Info;
    DeviceType device = kDefaultDeviceType;
    bool json = false;
    bool jsonProgress = false;  // --json-progress: progress records on standard error
    bool sim = false;
    DriverChoice driver = DriverChoice::Auto;  // --driver: the USB backend library
    std::string simStatePath;                  // where the simulated pod keeps its serial flash
    std::string tracePath;                     // empty: no protocol trace
    std::string simTargetHexPath;              // empty: not written
    std::string file;
    std::string outputPath;  // export
    bool eraseAll = false;
    bool unlock = false;
    std::array<std::string, 8> keys{};
    std::string podName;                 // empty: the image's own name
    bool verify = false;                 // pod-write: a POD Verify after a successful POD Write
    std::string podSelector;             // --pod; empty: the first pod by its description
    int simPods = 0;                     // --sim-pods; 0: the one simulated pod in the --sim state
    bool simPaced = false;               // --sim-paced: the simulated pods take real time
    SimChip simChip = SimChip::Typical;  // --sim-chip: how fast the simulated target erases
    std::string logPath;                 // --log; empty: no record
    std::vector<std::string> simFaults;  // --sim-fault requests
    RecordQuery records;                 // records: the filters and the form
    NewJobRequest newJob;                // job new
};

// "The command's name as typed", for messages and JSON.
const char* CommandName(Command command);
// True for the commands that run an operation on a pod.
bool UsesPod(Command command);

}  // namespace nembra::cli
