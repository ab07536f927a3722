#include "sim/SimFlashTiming.h"

#include "image/FlashSectors.h"

namespace nembra {

namespace {

constexpr uint32_t k8kWords = 0x2000;

uint32_t SectorEraseMs(const SimTiming& timing, const FlashSectorRange& sector) {
    const uint32_t words = sector.last - sector.first + 1;
    return words <= k8kWords ? timing.erase8kSectorMs : timing.erase16kSectorMs;
}

}  // namespace

uint32_t EraseWorkMs(const SimTiming& timing, uint16_t sectorMask) {
    uint32_t ms = 0;
    for (int i = 0; i < kFlashSectorCount; ++i)
        if ((sectorMask >> i) & 1u) ms += SectorEraseMs(timing, kFlashSectors[static_cast<size_t>(i)]);
    return ms;
}

uint64_t ProgramWorkUs(const SimTiming& timing, uint32_t words) { return uint64_t{words} * timing.wordProgramUs; }

}  // namespace nembra
