#pragma once
#include <cstddef>
#include <cstdint>

#include "sim/SimTime.h"

namespace nembra {

// Reply bytes the simulated device hands to the host, each available from a
// given virtual time on.
class ReplyQueue {
public:
    virtual ~ReplyQueue() = default;
    virtual void Push(uint8_t byte, uint32_t availableAtMs) = 0;
    // The same on the microsecond line (sim/SimTime.h). A queue that keeps
    // only milliseconds makes the byte available in the millisecond in which
    // it is all there.
    virtual void PushAtUs(uint8_t byte, uint64_t availableAtUs) { Push(byte, MsReading(availableAtUs + 999)); }
};

// What sits at the other end of the simulated USB cable.
class SimPeer {
public:
    virtual ~SimPeer() = default;
    // Bytes the host wrote, at virtual time nowMs.
    virtual void OnHostWrite(const uint8_t* bytes, size_t count, uint32_t nowMs, ReplyQueue& replies) = 0;
    // The same at microsecond nowUs; a peer that keeps only milliseconds
    // sees the millisecond reading.
    virtual void OnHostWriteAtUs(const uint8_t* bytes, size_t count, uint64_t nowUs, ReplyQueue& replies) {
        OnHostWrite(bytes, count, MsReading(nowUs), replies);
    }
    // The host opened, reset or closed the device; a pod restarts its parser.
    virtual void OnOpen(uint32_t /*nowMs*/) {}
    virtual void OnClose() {}
    // True once the peer has been pulled out: the device then fails every
    // call on it but the close, and cannot be opened again.
    virtual bool PulledOut() const { return false; }
};

}  // namespace nembra
