#pragma once
#include <cstdint>

namespace nembra {

// The simulated world keeps time in microseconds on a 64-bit line that never
// wraps; the host reads it as a 32-bit millisecond clock, which does.

// What the host's millisecond clock shows at microsecond `us`.
inline uint32_t MsReading(uint64_t us) { return static_cast<uint32_t>(us / 1000); }

// The first microsecond of millisecond reading `ms`, taken in the clock lap
// nearest to `nearUs` (a reading more than half the clock's range ahead lies
// in the past).
inline uint64_t UsOfReading(uint32_t ms, uint64_t nearUs) {
    constexpr int64_t kLapMs = int64_t{1} << 32;
    const int64_t nearMs = static_cast<int64_t>(nearUs / 1000);
    int64_t atMs = nearMs + static_cast<int32_t>(ms - MsReading(nearUs));
    if (atMs < 0) atMs += kLapMs;
    return static_cast<uint64_t>(atMs) * 1000;
}

}  // namespace nembra
