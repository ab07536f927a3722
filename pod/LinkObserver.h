#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace nembra {

// Sees what crosses the link: one call per WriteFrame, one per ReadReply, and
// the other events (open, purge, close).
class LinkObserver {
public:
    virtual ~LinkObserver() = default;
    virtual void OnWrite(const uint8_t* bytes, size_t count) = 0;
    virtual void OnRead(const uint8_t* bytes, size_t count) = 0;
    virtual void OnEvent(const std::string& text) = 0;
};

}  // namespace nembra
