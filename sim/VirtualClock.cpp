#include "sim/VirtualClock.h"

#include <chrono>
#include <thread>

#include "sim/SimTime.h"

namespace nembra {

uint32_t VirtualClock::NowMs() { return MsReading(nowUs_); }

void VirtualClock::AdvanceUs(uint64_t us) {
    nowUs_ += us;
    if (paced_ && us > 0) {
        // The simulated world's own clock: when paced, the window shows a run
        // at the speed a real pod would go.
        std::this_thread::sleep_for(std::chrono::microseconds(us));
    }
}

void VirtualClock::AdvanceToUs(uint64_t us) {
    if (us > nowUs_) AdvanceUs(us - nowUs_);
}

void VirtualClock::AdvanceTo(uint32_t ms) {
    if (ms != NowMs()) AdvanceToUs(UsOfReading(ms, nowUs_));
}

}  // namespace nembra
