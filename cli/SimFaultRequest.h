#pragma once
#include <string>

#include "sim/SimPod.h"

namespace nembra::cli {

// One --sim-fault: KIND:LETTER[:N[:MS]][@SERIAL]. KIND is lost, refused,
// slow, stray or unplug; LETTER the command letter; N the occurrence
// (default 1); MS the extra delay of slow (default 1000); SERIAL the one pod
// it is armed on (default: every simulated pod).
struct SimFaultRequest {
    SimFault fault{SimFault::Kind::NoReply, 0, 1};
    std::string serial;
};

bool ParseSimFault(const std::string& text, SimFaultRequest& request, std::string& error);

}  // namespace nembra::cli
