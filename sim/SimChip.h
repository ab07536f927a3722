#pragma once
#include <string>
#include <vector>

#include "sim/SimPod.h"

namespace nembra {

// The target chip behind the simulated pod. Flash erase time varies from
// part to part: a typical chip erases in the data sheet's time, a slow one
// comes near the host's 20 s per-sector time-out, a failing one passes it.
enum class SimChip { Typical, Slow, Failing };

// The timing of a pod whose target has this chip; only the erase differs.
SimTiming TimingOfChip(SimChip chip, SimTiming typical = {});

// "typical", "slow", "failing".
const char* SimChipName(SimChip chip);
const std::vector<std::string>& SimChipNames();
bool ParseSimChip(const std::string& name, SimChip& chip);

}  // namespace nembra
