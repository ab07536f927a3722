#pragma once
#include <cstdint>

#include "pod/LinkClock.h"

namespace nembra {

// A 32-bit millisecond clock that moves only when told to: when a simulated
// read waits out its time-out, when a simulated reply arrives, or when the
// link sleeps. Paced, it also spends the same time for real, so the window
// shows a simulated run at the speed a real pod would go.
class VirtualClock : public LinkClock {
public:
    explicit VirtualClock(uint32_t startMs = 0, bool paced = false) : now_(startMs), paced_(paced) {}

    uint32_t NowMs() override { return now_; }
    void SleepMs(uint32_t ms) override { Advance(ms); }

    void Advance(uint32_t ms);
    // Moves forward to the given time; never backwards (compared unsigned, wrap-aware).
    void AdvanceTo(uint32_t ms);
    void SetPaced(bool paced) { paced_ = paced; }
    bool paced() const { return paced_; }

private:
    uint32_t now_;
    bool paced_;
};

}  // namespace nembra
