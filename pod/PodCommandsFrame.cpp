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

bool ExchangeFrame(PodLink& link, const std::string& frame, size_t replyBytes, uint32_t timeoutMs,
                   size_t clearBytes) {
    auto& rx = link.rxBuffer;
    std::fill_n(rx.begin(), std::min(std::max<size_t>(clearBytes, 1), rx.size()), uint8_t{0});
    if (frame.size() + 1 > link.txBuffer.size() || replyBytes > rx.size()) return false;
    std::memcpy(link.txBuffer.data(), frame.data(), frame.size());
    link.txBuffer[frame.size()] = 0;
    if (!link.WriteFrame(link.txBuffer.data(), frame.size(), kFrameWriteTimeoutMs)) return false;
    if (replyBytes == 0) return true;
    if (!link.ReadReply(rx.data(), replyBytes, timeoutMs)) return false;
    return rx[0] == '!';
}

bool WriteBatchText(PodLink& link, const std::string& text) {
    // A batch never exceeds the threshold in normal use; a longer one is
    // still written whole, in pieces of at most kBatchThreshold bytes.
    for (size_t offset = 0; offset < text.size(); offset += kBatchThreshold) {
        const size_t length = std::min(kBatchThreshold, text.size() - offset);
        std::memcpy(link.txBuffer.data(), text.data() + offset, length);
        link.txBuffer[length] = 0;
        if (!link.WriteFrame(link.txBuffer.data(), length, kBatchWriteTimeoutMs)) return false;
    }
    return true;
}

std::string DataWordFrame(uint16_t value) { return FrameText('S').Hex(value, 4).Finish(); }

}  // namespace nembra
