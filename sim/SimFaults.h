#pragma once
#include <vector>

#include "sim/SimPod.h"

namespace nembra {

// Faults armed on the simulated pod, each striking once, at the given
// occurrence of its command letter counted from when it was armed.
class SimFaults {
public:
    void Arm(const SimFault& fault) { armed_.push_back({fault, 0}); }
    void Clear() { armed_.clear(); }
    // Counts one command with this letter; returns the faults that strike it.
    std::vector<SimFault> Strike(char letter);

private:
    struct Armed {
        SimFault fault;
        int seen;
    };
    std::vector<Armed> armed_;
};

}  // namespace nembra
