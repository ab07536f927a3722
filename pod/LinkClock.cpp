#include "pod/LinkClock.h"

#include <chrono>
#include <thread>

namespace nembra {

uint32_t SystemLinkClock::NowMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    // The link's clock is 32 bits wide; every comparison on it is wrap-aware.
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

void SystemLinkClock::SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace nembra
