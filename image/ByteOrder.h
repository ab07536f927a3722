#pragma once
#include <cstdint>

namespace nembra {

// Program files hold their numbers little-endian, whatever their format.
inline uint16_t ReadLe16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }

inline uint32_t ReadLe32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) | (uint32_t{bytes[3]} << 24);
}

}  // namespace nembra
