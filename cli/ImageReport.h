#pragma once
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"

namespace nembra::cli {

// The human-readable inspect output: sections, totals, flash summary, pod
// file name and the write plan.
void WriteImageReport(std::ostream& out, const std::string& file, const ProgramImage& image, DeviceType deviceType);

// The same as one JSON object (the plan under "plan").
nlohmann::ordered_json ImageJson(const std::string& file, const ProgramImage& image, DeviceType deviceType);

}  // namespace nembra::cli
