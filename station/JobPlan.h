#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/ProgramImage.h"
#include "station/JobFile.h"
#include "station/SerialImage.h"

namespace nembra::station {

// What a job will do, found before any pod is touched: the job, its program
// loaded for its device, the sectors it erases, where the serial number goes
// and where the rows go, with every problem found on the way.
struct JobPlan {
    std::string jobFile;
    bool jobRead = false;  // the job file was read and parsed; else `job` holds only defaults
    Job job;
    std::string programPath;              // resolved against the job file's folder
    std::string programSha256;            // of the file as it is now; empty: unreadable
    std::unique_ptr<ProgramImage> image;  // loaded; null when the program could not be loaded
    uint16_t programSectorMask = 0;       // F281x: the sectors the program touches
    uint16_t eraseMask = 0;               // F281x write: the sectors erased, the serial number's included
    std::optional<SerialPlacement> serial;
    uint64_t serialCount = 0;   // numbers the plan gives
    std::string storeLocation;  // the record store
    std::vector<std::string> problems;

    bool ok() const { return problems.empty(); }
};

// Reads the job file, checks it and what it names, loads the program for
// the job's device and places the serial number in it.
JobPlan PlanJob(const std::string& jobFile);

// "The job has N problem(s):" and each problem on a line of its own.
std::string ProblemsText(const std::vector<std::string>& problems);

}  // namespace nembra::station
