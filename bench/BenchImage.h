#pragma once
#include <cstdint>

#include "image/ProgramImage.h"

namespace nembra {

// An F2812 image of `words` words from `address` (sector C unless told),
// loaded as Load would leave it.
inline void FillImage(ProgramImage& image, uint32_t words, uint32_t address = 0x3F0000) {
    ClearImage(image, 4);
    ImageSection section;
    section.name = "text";
    section.address = address;
    section.wordCount = words;
    for (uint32_t i = 0; i < 2 * words; ++i) image.store()[i] = static_cast<uint8_t>(i * 13 + 7);
    MarkFlashRegion(section, 4);
    image.sections.push_back(section);
    image.totalBytes = 2 * words;
    ComputeFlashSummary(image, 4);
    image.podFileName = "BENCH";
    image.imageLoaded = true;
}

}  // namespace nembra
