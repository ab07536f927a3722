#pragma once
#include <cstddef>
#include <cstdint>

#include "sim/SimPod.h"

namespace nembra {

// When the pod's replies reach the host: bytes cross the serial line at
// 921600 baud, ten bits each, the pod works through its commands one after
// another, and every reply pays one USB turnaround. Time is kept in
// microseconds on a line of its own so that the 32-bit millisecond clock may wrap.
class SimWire {
public:
    explicit SimWire(const SimTiming& timing) : timing_(timing) {}

    // The host writes, at its clock's nowMs.
    void HostWrite(uint32_t nowMs);
    // One written byte has reached the pod.
    void ByteIn();
    // The pod works workMs on the command just received, then sends
    // replyBytes; returns the host time at which the reply is all there.
    uint32_t Reply(uint32_t workMs, size_t replyBytes);

private:
    const SimTiming& timing_;
    bool started_ = false;
    uint32_t lastHostMs_ = 0;
    double hostUs_ = 0;   // the host's now on the line
    double podUs_ = 0;    // when the pod is done with what it has received
};

}  // namespace nembra
