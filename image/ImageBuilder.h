#pragma once
#include <cstdint>

#include "image/DeviceTypes.h"
#include "image/ProgramFormat.h"
#include "image/ProgramImage.h"
#include "image/SectionSink.h"

namespace nembra {

// Takes what a reader finds into the image by this program's rules, the same
// for every format: the family check, the sections left out, the 8 MiB and
// 65535-section limits, the F281x flash marking, and each kept section's
// words stored back to back in file order.
class ImageBuilder final : public SectionSink {
public:
    ImageBuilder(ProgramImage& image, DeviceType deviceType, const FormatEntry& format)
        : image_(image), deviceType_(deviceType), format_(format) {}

    LoadFault Family(DeviceFamily family) override;
    // Empties the image: the headers passed, so the old program goes.
    LoadFault Begin() override;
    LoadFault Section(const FoundSection& found) override;
    // Sets the image's totals once the reader is done.
    void Finish();

private:
    ProgramImage& image_;
    DeviceType deviceType_;
    const FormatEntry& format_;
    uint32_t storeBytes_ = 0;
};

}  // namespace nembra
