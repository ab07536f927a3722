#include "image/DeviceMemory.h"

#include <array>

namespace nembra {
namespace {

// The LF240xA program space: 16-bit word addresses.
constexpr std::array<MemoryBlock, 1> kLf240xA{{{0x0000, 0xFFFF, "program space"}}};

// The F2810 and F2811: their flash and the on-chip RAM blocks.
constexpr std::array<MemoryBlock, 6> OnChipMemory(DeviceType type) {
    const DeviceEntry& device = DeviceInfo(type);
    return {{
        {0x000000, 0x0003FF, "M0 SARAM"},
        {0x000400, 0x0007FF, "M1 SARAM"},
        {0x008000, 0x008FFF, "L0 SARAM"},
        {0x009000, 0x009FFF, "L1 SARAM"},
        {device.flashStart, device.flashEnd, "flash"},
        {0x3F8000, 0x3F9FFF, "H0 SARAM"},
    }};
}

constexpr auto kF2810 = OnChipMemory(2);
constexpr auto kF2811 = OnChipMemory(3);

// The F2812 adds the external interface's zones 0, 1, 2 and 6.
constexpr std::array<MemoryBlock, 10> kF2812{{
    {0x000000, 0x0003FF, "M0 SARAM"},
    {0x000400, 0x0007FF, "M1 SARAM"},
    {0x002000, 0x003FFF, "XINTF zone 0"},
    {0x004000, 0x005FFF, "XINTF zone 1"},
    {0x008000, 0x008FFF, "L0 SARAM"},
    {0x009000, 0x009FFF, "L1 SARAM"},
    {0x080000, 0x0FFFFF, "XINTF zone 2"},
    {0x100000, 0x17FFFF, "XINTF zone 6"},
    {DeviceInfo(4).flashStart, DeviceInfo(4).flashEnd, "flash"},
    {0x3F8000, 0x3F9FFF, "H0 SARAM"},
}};

}  // namespace

std::span<const MemoryBlock> DeviceMemory(DeviceType type) {
    if (!IsF281x(type)) return kLf240xA;
    if (type == 2) return kF2810;
    if (type == 3) return kF2811;
    return kF2812;  // above 4 counts as the F2812, as everywhere
}

std::string_view DeviceShortName(DeviceType type) {
    const std::string_view text = DeviceInfo(type).listText;
    return text.substr(0, text.find(' '));
}

}  // namespace nembra
