#pragma once
#include <array>
#include <cstdint>

#include "image/DeviceTypes.h"

namespace nembra {

struct FlashSectorRange {
    uint32_t first;
    uint32_t last;
};

// TI's F281x flash sectors A..J. Index n is bit n of a sector mask; index 0
// (A) sits at the top of flash. The F2810 has the five upper sectors.
inline constexpr std::array<FlashSectorRange, 10> kFlashSectors{{
    {0x3F6000, 0x3F7FFF},
    {0x3F4000, 0x3F5FFF},
    {0x3F0000, 0x3F3FFF},
    {0x3EC000, 0x3EFFFF},
    {0x3E8000, 0x3EBFFF},
    {0x3E4000, 0x3E7FFF},
    {0x3E0000, 0x3E3FFF},
    {0x3DC000, 0x3DFFFF},
    {0x3DA000, 0x3DBFFF},
    {0x3D8000, 0x3D9FFF},
}};

inline constexpr int kFlashSectorCount = static_cast<int>(kFlashSectors.size());
// Bits 0 to 9: every sector any device has.
inline constexpr uint16_t kAnySectorMask = static_cast<uint16_t>((1u << kFlashSectorCount) - 1);

// The sectors that lie in the device's flash region, which "Erase All Flash
// Memory" erases: 0x001F for the F2810, 0x03FF for the F2811 and F2812, none
// for the LF240xA family.
inline constexpr uint16_t AllSectorsMask(DeviceType type) {
    const DeviceEntry& device = DeviceInfo(type);
    uint16_t mask = 0;
    for (int i = 0; i < kFlashSectorCount; ++i) {
        const FlashSectorRange& sector = kFlashSectors[static_cast<size_t>(i)];
        if (device.family == DeviceFamily::F281x && sector.first >= device.flashStart && sector.last <= device.flashEnd)
            mask = static_cast<uint16_t>(mask | (1u << i));
    }
    return mask;
}

}  // namespace nembra
