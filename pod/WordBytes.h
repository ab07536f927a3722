#pragma once
#include <cstdint>

namespace nembra {

// The two bytes of a 16-bit word exchanged: the F281x flash algorithm and
// the pod's store of an F281x program take each word low byte first.
inline constexpr uint16_t SwapWordBytes(uint16_t word) { return static_cast<uint16_t>((word << 8) | (word >> 8)); }

}  // namespace nembra
