#pragma once
#include <cstdint>

#include "pod/LinkClock.h"
#include "pod/PodRecords.h"

namespace nembra {

// The system millisecond time (which can report an error) for the elapsed
// time of the long operations, and the local date and time for the tag.
class OpsClock {
public:
    virtual ~OpsClock() = default;
    virtual bool ReadMs(uint32_t& ms) = 0;
    virtual LocalDateTime LocalNow() = 0;
};

class SystemOpsClock : public OpsClock {
public:
    bool ReadMs(uint32_t& ms) override;
    LocalDateTime LocalNow() override;
};

// Elapsed milliseconds from a link clock (the virtual clock of a simulated
// pod), with the system's local date and time.
class LinkOpsClock : public OpsClock {
public:
    explicit LinkOpsClock(LinkClock& clock) : clock_(clock) {}
    bool ReadMs(uint32_t& ms) override {
        ms = clock_.NowMs();
        return true;
    }
    LocalDateTime LocalNow() override;

private:
    LinkClock& clock_;
};

}  // namespace nembra
