#pragma once
#include <cstdint>

#include <nlohmann/json.hpp>

#include "pod/PodRecords.h"

namespace nembra::station {

// POD Info's answers as data: {"firmwareVersion": 15, "podVersion": "1.5",
// "podFile": {"name": ..., "date": "2006.03.07 09:05"} or null}.
nlohmann::ordered_json PodInfoJson(uint16_t firmwareVersion, const PodFileRecord& record);

}  // namespace nembra::station
