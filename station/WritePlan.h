#pragma once
#include <cstdint>
#include <string>

#include "image/DeviceTypes.h"
#include "image/ProgramImage.h"

namespace nembra::station {

// What a Target Write and a POD Write would do with a loaded image, as the
// operations' own checks decide it: nothing is sent.
struct WritePlan {
    bool f281x = false;
    uint16_t intelligentEraseMask = 0;
    uint16_t eraseAllMask = 0;
    uint32_t flashWords = 0;      // programmed into flash
    uint32_t ramWords = 0;        // downloaded into RAM
    uint32_t skippedWords = 0;    // F281x RAM sections beside flash ones: not sent
    int32_t podSectionCount = 0;  // what the pod's limits count
    uint32_t podBytes = 0;
    std::string targetWriteRefusal;  // empty when Target Write would go ahead
    std::string podWriteRefusal;     // empty when POD Write would accept the image
};

WritePlan MakeWritePlan(const ProgramImage& image, DeviceType deviceType);

}  // namespace nembra::station
