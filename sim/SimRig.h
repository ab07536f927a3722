#pragma once
#include <memory>
#include <string>

#include "sim/SimDevice.h"
#include "sim/SimDriverLoader.h"
#include "sim/SimPod.h"
#include "sim/VirtualClock.h"

namespace nembra {

// The serial number of a simulated pod unless it is given another.
inline constexpr const char* kSimPodSerial = "SIM00001";

// A simulated pod plugged into a simulated USB bus on a virtual clock: what
// the window and the command-line tool use instead of USB, and what the
// end-to-end tests run against.
struct SimRig {
    explicit SimRig(SimPodOptions options = {}, bool paced = false, const std::string& serial = kSimPodSerial);

    VirtualClock clock;
    SimPod pod;
    SimDevice device;
    SimDriverLoader loader;
};

}  // namespace nembra

namespace nembra {

// Where a simulated pod keeps its serial flash between runs:
// $XDG_STATE_HOME/nembra/sim-pod.store, else ~/.local/state/nembra/sim-pod.store.
// Empty when neither variable is set.
std::string DefaultSimStatePath();

}  // namespace nembra
