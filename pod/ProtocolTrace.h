#pragma once
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "pod/LinkObserver.h"

namespace nembra {

// Writes what crosses the link, one line per event, so that a session with a
// real pod can be read back: "> " and the bytes of one WriteFrame, "< " and
// the bytes one ReadReply received, "#" lines for everything else.
class ProtocolTrace : public LinkObserver {
public:
    explicit ProtocolTrace(std::ostream& out) : out_(out) {}

    void OnWrite(const uint8_t* bytes, size_t count) override;
    void OnRead(const uint8_t* bytes, size_t count) override;
    void OnEvent(const std::string& text) override;

    // <STX>, <ETX>, printable bytes other than '<' and '\' as themselves,
    // everything else as \xHH.
    static std::string EncodeBytes(const uint8_t* bytes, size_t count);

private:
    std::ostream& out_;
};

}  // namespace nembra
