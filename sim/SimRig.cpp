#include "sim/SimRig.h"

#include <cstdlib>

#include "pod/PodLink.h"

namespace nembra {

SimRig::SimRig(SimPodOptions options, bool paced, const std::string& serial)
    : clock(0, paced), pod(std::move(options)), device(clock), loader(device) {
    device.AddDevice(kPodDescription, &pod, serial);
}

std::string DefaultSimStatePath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state != '\0') return std::string(state) + "/nembra/sim-pod.store";
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return std::string(home) + "/.local/state/nembra/sim-pod.store";
    return {};
}

}  // namespace nembra
