#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace nembra {

// Index of the device list entry; below 2 is the LF240xA family.
using DeviceType = uint8_t;

enum class DeviceFamily { Lf240xA, F281x };

struct DeviceEntry {
    std::string_view listText;  // the device list's entry text
    std::string_view cliName;   // the command-line name
    DeviceFamily family;
    uint32_t flashStart;  // flash region for inFlash; 0/0 for LF240xA
    uint32_t flashEnd;
};

inline constexpr std::array<DeviceEntry, 5> kDevices{{
    {"LF240xA - 30MHz(7.5MHz * 4)", "lf240xa-30", DeviceFamily::Lf240xA, 0, 0},
    {"LF240xA - 40MHz(10MHz * 4)", "lf240xa-40", DeviceFamily::Lf240xA, 0, 0},
    {"F2810 - 150MHz(30MHz * 5)", "f2810", DeviceFamily::F281x, 0x3E8000, 0x3F7FFF},
    {"F2811 - 150MHz(30MHz * 5)", "f2811", DeviceFamily::F281x, 0x3D8000, 0x3F7FFF},
    {"F2812 - 150MHz(30MHz * 5)", "f2812", DeviceFamily::F281x, 0x3D8000, 0x3F7FFF},
}};

inline constexpr DeviceType kDefaultDeviceType = 4;

inline constexpr bool IsF281x(DeviceType type) { return type >= 2; }
// The number the pod is told the target type by.
inline constexpr uint8_t DeviceCode(DeviceType type) { return static_cast<uint8_t>(type + 1); }
// Clamped for table lookups: anything above 4 is the F2812.
inline constexpr const DeviceEntry& DeviceInfo(DeviceType type) { return kDevices[type > 4 ? 4 : type]; }

}  // namespace nembra
