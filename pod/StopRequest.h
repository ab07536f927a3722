#pragma once
#include <atomic>

namespace nembra {

// A request to stop, made from one thread (the one that saw Ctrl-C) and seen
// by the links running on others.
class StopRequest {
public:
    void Request() { requested_.store(true, std::memory_order_relaxed); }
    bool requested() const { return requested_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> requested_{false};
};

}  // namespace nembra
