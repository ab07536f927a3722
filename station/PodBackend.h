#pragma once
#include <memory>
#include <string>

#include "ops/OpsClock.h"
#include "pod/DriverLoader.h"
#include "pod/LinkClock.h"
#include "pod/StopRequest.h"
#include "sim/SimChip.h"
#include "sim/SimRig.h"

namespace nembra::station {

// Where the pod is reached: USB through the system's driver library with the
// system clocks, or the simulated pod on its virtual clock.
class PodBackend {
public:
    virtual ~PodBackend() = default;
    virtual DriverLoader& loader() = 0;
    virtual LinkClock& linkClock() = 0;
    virtual OpsClock& opsClock() = 0;
    // The simulated pod, or null on USB.
    virtual SimPod* simPod() { return nullptr; }
    // The request that stops this pod's run; null: never stopped.
    virtual const StopRequest* stopRequest() const { return nullptr; }
    // The serial number of the one pod the link may open; empty: the first
    // pod found by its description.
    virtual std::string podSerial() const { return {}; }
};

std::unique_ptr<PodBackend> MakeUsbBackend(DriverChoice driver = DriverChoice::Auto);
// The simulated pod runs unpaced with realistic timing, so that elapsed times
// read as a real pod's would while the run itself is fast.
// Paced, it also takes that time for real. `chip` sets how fast the
// target's flash erases.
std::unique_ptr<PodBackend> MakeSimBackend(const std::string& statePath, const std::string& serial = kSimPodSerial,
                                           bool paced = false, SimChip chip = SimChip::Typical);

}  // namespace nembra::station
