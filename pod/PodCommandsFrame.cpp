#include "pod/PodCommandsFrame.h"

#include <algorithm>
#include <cstring>

#include "pod/PodCommands.h"

namespace nembra {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int DigitsNeeded(uint32_t value) {
    int digits = 1;
    while (value >>= 4) ++digits;
    return digits;
}

}  // namespace

bool AppendHex(std::string& text, uint32_t value, int width) {
    const int needed = DigitsNeeded(value);
    if (width == 0) width = needed;
    if (needed > width) return false;
    for (int shift = 4 * (width - 1); shift >= 0; shift -= 4) text.push_back(kHexDigits[(value >> shift) & 0xF]);
    return true;
}

FrameText::FrameText(char letter) { body_.push_back(letter); }

FrameText& FrameText::Hex(uint32_t value, int width) {
    if (!AppendHex(body_, value, width)) ok_ = false;
    return *this;
}

FrameText& FrameText::Text(std::string_view text) {
    body_.append(text);
    return *this;
}

std::string FrameText::Finish() const {
    std::string frame;
    frame.reserve(body_.size() + 2);
    frame.push_back(static_cast<char>(STX));
    frame.append(body_);
    frame.push_back(static_cast<char>(ETX));
    return frame;
}

std::string DataWordFrame(uint16_t value) { return FrameText('S').Hex(value, 4).Finish(); }

}  // namespace nembra
