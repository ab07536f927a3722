#include "ops/ImageChecks.h"

#include <cstdio>

#include "ops/Operations.h"
#include "status/Messages.h"

namespace nembra {

std::optional<ImageRefusal> TargetWriteImageRefusal(const ProgramImage& image) {
    if (image.sectionCount() > 0 && image.totalBytes != 0) return std::nullopt;
    return ImageRefusal{messages::kNoSectionData, Cause::NoSectionData};
}

std::optional<ImageRefusal> PodImageRefusal(const ProgramImage& image, DeviceType deviceType) {
    if (auto refused = TargetWriteImageRefusal(image)) return refused;
    // The F281x family stores only its flash sections; RAM is not kept in the pod.
    const bool f281x = IsF281x(deviceType);
    const int64_t sections = f281x ? image.flashSummary.flashSectionCount : image.sectionCount();
    const uint32_t bytes = f281x ? image.flashSummary.flashBytes : image.totalBytes;
    if (sections > kPodMaxSections) {
        char text[64];
        std::snprintf(text, sizeof text, messages::kSectionLimitFormat, kPodMaxSections);
        return ImageRefusal{text, Cause::TooManySections};
    }
    if (bytes > kPodMaxBytes) return ImageRefusal{messages::kTooMuchData, Cause::TooMuchData};
    if (f281x && !image.flashSummary.hasFlashSection)
        return ImageRefusal{messages::kNoFlashSection, Cause::NoFlashSection};
    return std::nullopt;
}

}  // namespace nembra
