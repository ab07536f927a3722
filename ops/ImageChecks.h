#pragma once
#include <optional>
#include <string>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"
#include "status/Outcome.h"

namespace nembra {

// Why an operation refuses a loaded image before the pod is touched: the
// line it shows and the cause it reports.
struct ImageRefusal {
    std::string line;
    Cause cause = Cause::None;
};

// Target Write: the image has no section or no data.
std::optional<ImageRefusal> TargetWriteImageRefusal(const ProgramImage& image);
// POD Write and POD Verify, in their order: no data, more sections or bytes
// than the serial flash holds (counting the family's stored sections), an
// F281x image without a flash section.
std::optional<ImageRefusal> PodImageRefusal(const ProgramImage& image, DeviceType deviceType);

}  // namespace nembra
