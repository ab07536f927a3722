#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "image/ProgramImage.h"
#include "ops/Job.h"
#include "pod/DriverLoader.h"
#include "station/PodBackend.h"
#include "station/RunOutcome.h"
#include "status/StatusSink.h"

namespace nembra::station {

// One operation on one pod, with what the station does around it.
struct PodRequest {
    nembra::Job job;
    std::string tracePath;      // empty: no protocol trace
    std::string targetHexPath;  // the simulated target's memory as Intel HEX afterwards; empty: none
    // Ask the pod's firmware version after the operation, for the board's record.
    bool readFirmwareVersion = false;
    DriverChoice driver = DriverChoice::Auto;  // named in the advice when no driver library loads
};

// What one pod's run leaves besides its outcome, for the record.
struct PodRunFacts {
    uint32_t elapsedMs = 0;  // on the backend's clock: modeled time on the simulated pod
    std::optional<uint16_t> firmwareVersion;
};

// True for the operations that read the program file (all but reset and info).
bool TakesFile(nembra::JobCommand command);

// The operation on the pod the backend reaches, as the window runs it. With
// `sharedImage` the program loaded once for every pod is used as it is;
// without, the operation loads the job's file itself as the window's button
// does. A POD Write with `verify` adds a POD Verify after it succeeds.
// Output files are opened before the pod is touched.
RunOutcome RunPod(const PodRequest& request, PodBackend& backend, StatusSink& status, const ProgramImage* sharedImage,
                  PodRunFacts& facts);

// Loads the job's file once for every pod: nothing when it loads, else the
// failed outcome with the load's line.
std::optional<RunOutcome> LoadSharedImage(const nembra::Job& job, ProgramImage& image, StatusSink& status);

// A run that ends before its operation starts: no pod with that number attached.
RunOutcome NoPodOutcome(const std::string& serial);

}  // namespace nembra::station
