#pragma once
#include <cstdint>

#include "pod/LinkClock.h"

namespace nembra {

// A clock that moves only when told to: when a simulated read waits out its
// time-out, when a simulated reply arrives, or when the link sleeps. It keeps
// microseconds, so that a reply due 7.2 ms after a write costs 7.2 ms and not
// the next whole millisecond; the link reads it as its 32-bit millisecond
// clock. Paced, it also spends the same time for real, so the window shows a
// simulated run at the speed a real pod would go.
class VirtualClock : public LinkClock {
public:
    explicit VirtualClock(uint32_t startMs = 0, bool paced = false) : nowUs_(uint64_t{startMs} * 1000), paced_(paced) {}

    uint32_t NowMs() override;
    void SleepMs(uint32_t ms) override { Advance(ms); }

    void Advance(uint32_t ms) { AdvanceUs(uint64_t{ms} * 1000); }
    // Moves forward to the start of the given millisecond reading; never
    // backwards (compared unsigned, wrap-aware).
    void AdvanceTo(uint32_t ms);

    // The same clock on its microsecond line, which does not wrap.
    uint64_t NowUs() const { return nowUs_; }
    void AdvanceUs(uint64_t us);
    // Never backwards.
    void AdvanceToUs(uint64_t us);

    void SetPaced(bool paced) { paced_ = paced; }
    bool paced() const { return paced_; }

private:
    uint64_t nowUs_;
    bool paced_;
};

}  // namespace nembra
