#pragma once
#include <cstdint>

namespace nembra {

// The link's 32-bit millisecond clock and its pause, injected so that the
// time-outs can be tested on a virtual clock.
class LinkClock {
public:
    virtual ~LinkClock() = default;
    virtual uint32_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

// Monotonic system time and a real sleep.
class SystemLinkClock : public LinkClock {
public:
    uint32_t NowMs() override;
    void SleepMs(uint32_t ms) override;
};

}  // namespace nembra
