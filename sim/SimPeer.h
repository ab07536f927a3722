#pragma once
#include <cstddef>
#include <cstdint>

namespace nembra {

// Reply bytes the simulated device hands to the host, each available from a
// given virtual time on.
class ReplyQueue {
public:
    virtual ~ReplyQueue() = default;
    virtual void Push(uint8_t byte, uint32_t availableAtMs) = 0;
};

// What sits at the other end of the simulated USB cable.
class SimPeer {
public:
    virtual ~SimPeer() = default;
    // Bytes the host wrote, at virtual time nowMs.
    virtual void OnHostWrite(const uint8_t* bytes, size_t count, uint32_t nowMs, ReplyQueue& replies) = 0;
    // The host opened, reset or closed the device; a pod restarts its parser.
    virtual void OnOpen(uint32_t /*nowMs*/) {}
    virtual void OnClose() {}
    // True once the peer has been pulled out: the device then fails every
    // call on it but the close, and cannot be opened again.
    virtual bool PulledOut() const { return false; }
};

}  // namespace nembra
