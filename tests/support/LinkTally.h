#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "pod/LinkObserver.h"

namespace nembra::testing {

// What crossed the link, counted: bytes each way and replies received.
class LinkTally : public LinkObserver {
public:
    void OnWrite(const uint8_t*, size_t count) override { written += count; }
    void OnRead(const uint8_t*, size_t count) override {
        read += count;
        replies += count > 0 ? 1 : 0;
    }
    void OnEvent(const std::string&) override {}

    size_t written = 0;
    size_t read = 0;
    size_t replies = 0;
};

}  // namespace nembra::testing
