#pragma once
#include <cstdint>
#include <vector>

#include "image/FlashSectors.h"
#include "pod/PodRecords.h"

namespace nembra {

// The F281x on-chip flash, 0x3D8000-0x3F7FFF, in ten sectors. It starts out
// holding an old program, so a sector that was never erased shows.
class SimF281xFlash {
public:
    static constexpr uint32_t kStart = kFlashSectors.back().first;
    static constexpr uint32_t kEnd = kFlashSectors.front().last;

    SimF281xFlash();

    // The flash region and sectors of a device code (3 F2810, 4 F2811, 5 F2812).
    static uint32_t RegionStart(uint8_t deviceCode);
    static uint16_t SectorsOf(uint8_t deviceCode);

    uint16_t Word(uint32_t address) const;
    void EraseSectors(uint16_t mask);
    // Flash cells can only go from 1 to 0: programming ANDs the data in.
    void Program(uint32_t address, uint16_t data);
    // Whether every word of the range was erased since the target was last
    // booted; the flash algorithm knows nothing of erases before that.
    bool ErasedSinceBoot(uint32_t address, uint32_t count) const;
    void ForgetErases();
    // The CSM password words at 0x3F7FF8-0x3F7FFF.
    CsmKeyTable Password() const;

private:
    std::vector<uint16_t> words_;
    std::vector<bool> erased_;
};

}  // namespace nembra
