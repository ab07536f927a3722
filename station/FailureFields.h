#pragma once
#include <nlohmann/json.hpp>

#include "status/Outcome.h"

namespace nembra::station {

// The fields --json and --log give an outcome: "step" and "cause" (null on
// success), "where" as {"sector": "C"}, {"address": "3F6000"}, {"page": 12}
// or {"section": 3} when there is one, "byte" (two hex digits) for a refusal
// and "driverStatus" for a driver's error.
nlohmann::ordered_json FailureFields(const StepOutcome& failure);

}  // namespace nembra::station
