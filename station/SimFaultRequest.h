#pragma once
#include <string>
#include <vector>

#include "sim/SimPod.h"
#include "station/PodStation.h"

namespace nembra::station {

// One --sim-fault: KIND:LETTER[:N[:MS]][@SERIAL]. KIND is lost, refused,
// slow, stray or unplug; LETTER the command letter; N the occurrence
// (default 1); MS the extra delay of slow (default 1000); SERIAL the one pod
// it is armed on (default: every simulated pod).
struct SimFaultRequest {
    SimFault fault{SimFault::Kind::NoReply, 0, 1};
    std::string serial;
};

bool ParseSimFault(const std::string& text, SimFaultRequest& request, std::string& error);

// Arms every --sim-fault on the simulated pods it names: one pod, or each of
// `serials` when it names none (an empty serial stands for `defaultSerial`).
// False with the reason when a fault does not read as one or names a pod
// that is not simulated.
bool ArmSimFaults(const std::vector<std::string>& faults, PodStation& station, const std::vector<std::string>& serials,
                  const std::string& defaultSerial, std::string& error);

}  // namespace nembra::station
