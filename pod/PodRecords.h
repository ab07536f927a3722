#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace nembra {

// KEY0..KEY7, the CSM password; all 0xFFFF means no password.
using CsmKeyTable = std::array<uint16_t, 8>;
inline constexpr CsmKeyTable kNoPassword{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};

// What "J" returns: stored flag, 8-byte name padded with zeros, year (high
// byte first), month, day, hour, minute.
struct PodFileRecord {
    std::array<uint8_t, 15> bytes{};

    bool stored() const { return bytes[0] == 1; }
    // Bytes 1-8 up to the first zero byte.
    std::string StoredName() const;
    // "%04d.%02d.%02d %02d:%02d" of year, month, day, hour, minute.
    std::string StoredDate() const;
};

// The 14 tag bytes stored with a program by POD Write.
using TagRecord = std::array<uint8_t, 14>;

struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
};

// The "h" reply after its "!".
struct ImageRecordReply {
    uint8_t storeMarker = 0;  // 0x77 when the pod holds a stored program
    uint8_t deviceCode = 0;
    uint8_t csmOption = 0;
    uint8_t unused1 = 0;
    uint8_t unused2 = 0;
    uint8_t sectionCount = 0;
};

// The "l" reply after its "!": three 24-bit numbers, high byte first.
struct SectionRecordReply {
    uint32_t address = 0;
    uint32_t wordCount = 0;
    uint32_t dataOffset = 0;
};

inline constexpr uint8_t kStoreMarker = 0x77;

}  // namespace nembra
