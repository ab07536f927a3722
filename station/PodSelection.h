#pragma once
#include <string>
#include <vector>

#include "station/PodStation.h"

namespace nembra::station {

// Reads --pod against the listed devices: a serial number, an index from
// `list`, a comma-separated list of them, or "all" (every device with the
// pod's description). Gives the serial numbers in the order asked, each
// once; false with the reason when one names no attached pod or none is
// named at all.
bool SelectPods(const std::string& selector, const std::vector<PodEntry>& entries, std::vector<std::string>& serials,
                std::string& error);

}  // namespace nembra::station
