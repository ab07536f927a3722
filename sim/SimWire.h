#pragma once
#include <cstddef>
#include <cstdint>

#include "sim/SimPod.h"

namespace nembra {

// When the pod's replies reach the host: bytes cross the serial line at
// 921600 baud, ten bits each, the pod works through its commands one after
// another, and every reply pays one USB turnaround. Time is kept in
// microseconds on the simulated world's line (sim/SimTime.h), so a reply is
// due when it is all there, not at the next whole millisecond.
class SimWire {
public:
    explicit SimWire(const SimTiming& timing) : timing_(timing) {}

    // The host writes, at microsecond nowUs.
    void HostWrite(uint64_t nowUs);
    // One written byte has reached the pod.
    void ByteIn();
    // The pod works workUs on the command just received, then sends
    // replyBytes; returns the microsecond at which the reply is all there.
    uint64_t Reply(uint64_t workUs, size_t replyBytes);
    // When the host last wrote.
    uint64_t lastHostUs() const { return hostUs_; }

private:
    const SimTiming& timing_;
    uint64_t hostUs_ = 0;
    double podUs_ = 0;  // when the pod is done with what it has received
};

}  // namespace nembra
