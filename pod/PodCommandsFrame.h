#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "pod/PodLink.h"

namespace nembra {

// Appends value as upper-case hex, zero-padded to width (0: as many digits
// as it needs); false, appending nothing, when it does not fit.
bool AppendHex(std::string& text, uint32_t value, int width);

// Builds one frame: STX, the letter, upper-case hex fields, ETX. A value too
// wide for its field marks the frame bad instead of being cut, so a caller
// never sends a different number than it was given.
class FrameText {
public:
    explicit FrameText(char letter);
    // width 0: as many digits as the value needs ("%X").
    FrameText& Hex(uint32_t value, int width);
    FrameText& Text(std::string_view text);
    bool ok() const { return ok_; }
    std::string Finish() const;

private:
    std::string body_;
    bool ok_ = true;
};

// The "S" frame of one data word, value as given.
std::string DataWordFrame(uint16_t value);

}  // namespace nembra
