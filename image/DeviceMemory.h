#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "image/DeviceTypes.h"

namespace nembra {

// One block of a device's memory that a program may load words into.
struct MemoryBlock {
    uint32_t first;
    uint32_t last;
    std::string_view name;
};

// The memory a device has and the pod can write, in address order. The F281x
// maps come from TI's F2810/F2811/F2812 data sheet for microcomputer mode
// (MP/MC low), the mode the pod boots the target in through the boot ROM's
// SCI loader: there the boot ROM, not XINTF zone 7, sits at the top of the map.
// OTP, the peripheral frames, the boot ROM and reserved space are not listed.
std::span<const MemoryBlock> DeviceMemory(DeviceType type);

// The family part of the device list's entry text: "F2812", "LF240xA".
std::string_view DeviceShortName(DeviceType type);

}  // namespace nembra
