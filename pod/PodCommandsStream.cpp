#include "pod/PodCommands.h"
#include "pod/PodCommandsFrame.h"

namespace nembra {

namespace {

// "U" and "X" travel alone and leave any pending data frames where they are.
bool SendAlone(PodLink& link, char letter, uint16_t value, uint32_t timeoutMs) {
    return ExchangeFrame(link, FrameText(letter).Hex(value, 4).Finish(), 1, timeoutMs);
}

// "Y" and "Z" close a block: the pending data frames go out with them and
// the pod acknowledges the whole block once.
bool SendBlockEnd(PodLink& link, char letter, uint16_t value, uint32_t timeoutMs) {
    link.frameBatch += FrameText(letter).Hex(value, 4).Finish();
    link.rxBuffer[0] = 0;
    const bool written = WriteBatchText(link, link.frameBatch);
    link.frameBatch.clear();
    if (!written) return false;
    if (!link.ReadReply(link.rxBuffer.data(), 1, timeoutMs)) return false;
    return link.rxBuffer[0] == '!';
}

bool AppendDataFrame(PodLink& link, uint16_t value, bool flush) {
    link.frameBatch += DataWordFrame(value);
    if (!flush && link.frameBatch.size() < kBatchThreshold) return true;
    return FlushBatch(link, link.frameBatch);
}

uint16_t SwapBytes(uint16_t word) { return static_cast<uint16_t>((word << 8) | (word >> 8)); }

}  // namespace

bool SendStreamWord(PodLink& link, char letter, uint16_t value, uint32_t timeoutMs) {
    switch (letter) {
        case 'U':
        case 'X':
            return SendAlone(link, letter, value, timeoutMs);
        case 'S':
            return AppendDataFrame(link, value, false);
        case 'Y':
        case 'Z':
            return SendBlockEnd(link, letter, value, timeoutMs);
        default:
            return false;
    }
}

bool SendStreamLong(PodLink& link, uint32_t value, uint32_t timeoutMs) {
    if (!SendStreamWord(link, 'U', static_cast<uint16_t>(value >> 16), timeoutMs)) return false;
    return SendStreamWord(link, 'U', static_cast<uint16_t>(value & 0xFFFF), timeoutMs);
}

bool SendFlashWord(PodLink& link, uint16_t word, bool flush) {
    // The pod's flash algorithm takes each word low byte first.
    return AppendDataFrame(link, SwapBytes(word), flush);
}

void FrameBatch::AppendDataWord(uint16_t value) { text_ += DataWordFrame(value); }

bool FrameBatch::Flush(PodLink& link) { return FlushBatch(link, text_); }

}  // namespace nembra
