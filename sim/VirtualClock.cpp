#include "sim/VirtualClock.h"

#include <chrono>
#include <cstdint>
#include <thread>

namespace nembra {

void VirtualClock::Advance(uint32_t ms) {
    now_ += ms;  // wraps like the real 32-bit clock
    if (paced_ && ms > 0) {
        // The simulated world's own clock: when paced, the window shows a run
        // at the speed a real pod would go.
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

void VirtualClock::AdvanceTo(uint32_t ms) {
    const uint32_t ahead = ms - now_;
    // A target more than half the clock's range ahead lies in the past.
    if (ahead != 0 && ahead < 0x80000000u) {
        Advance(ahead);
    }
}

}  // namespace nembra
