#pragma once
#include <memory>
#include <string>

#include "app/ProgrammerApp.h"
#include "sim/SimRig.h"
#include "station/PodBackend.h"

namespace nembra {

// The window's one pod, reached through the station library as every
// front-end reaches its pods: over USB through the system's FTDI driver
// library, or the simulated pod.
class StationBackend : public BackendOwner {
public:
    explicit StationBackend(std::unique_ptr<station::PodBackend> pod) : pod_(std::move(pod)) {}
    ProgrammerBackend backend() override { return {pod_->loader(), pod_->linkClock(), pod_->opsClock()}; }

private:
    std::unique_ptr<station::PodBackend> pod_;
};

inline std::unique_ptr<BackendOwner> MakeUsbWindowBackend() {
    return std::make_unique<StationBackend>(station::MakeUsbBackend());
}

// The simulated pod, paced so that a run takes as long as it would on the
// real pod and its progress can be watched; its serial flash is kept
// between runs in `storePath`.
inline std::unique_ptr<BackendOwner> MakeSimWindowBackend(bool paced = true,
                                                          const std::string& storePath = DefaultSimStatePath()) {
    return std::make_unique<StationBackend>(station::MakeSimBackend(storePath, kSimPodSerial, paced));
}

}  // namespace nembra
