#include "pod/PodCommands.h"
#include "pod/PodCommandsFrame.h"
#include "pod/WordBytes.h"

namespace nembra {

namespace {

// "U" and "X" travel alone and leave any pending data frames where they are.
LinkOutcome SendAlone(PodLink& link, char letter, uint16_t value, uint32_t timeoutMs) {
    return link.Exchange(FrameText(letter).Hex(value, 4).Finish(), 1, timeoutMs);
}

// "Y" and "Z" close a block: the pending data frames go out with them and
// the pod acknowledges the whole block once.
LinkOutcome SendBlockEnd(PodLink& link, char letter, uint16_t value, uint32_t timeoutMs) {
    uint32_t stale = 0;
    if (const LinkOutcome counted = link.WaitingBytes(stale); !counted) return counted;
    const LinkOutcome written = link.frameBatch().WriteWith(link, FrameText(letter).Hex(value, 4).Finish());
    if (!written) return written;
    return link.AwaitReply(1, timeoutMs, {}, stale);
}

}  // namespace

LinkOutcome SendStreamWord(PodLink& link, char letter, uint16_t value, uint32_t timeoutMs) {
    switch (letter) {
        case 'U':
        case 'X': return SendAlone(link, letter, value, timeoutMs);
        case 'S': return link.frameBatch().AddDataWord(link, value, false);
        case 'Y':
        case 'Z': return SendBlockEnd(link, letter, value, timeoutMs);
        default: return LinkOutcome::Of(Cause::Unsendable);
    }
}

LinkOutcome SendStreamLong(PodLink& link, uint32_t value, uint32_t timeoutMs) {
    const LinkOutcome high = SendStreamWord(link, 'U', static_cast<uint16_t>(value >> 16), timeoutMs);
    if (!high) return high;
    return SendStreamWord(link, 'U', static_cast<uint16_t>(value & 0xFFFF), timeoutMs);
}

LinkOutcome SendFlashWord(PodLink& link, uint16_t word, bool flush) {
    // The pod's flash algorithm takes each word low byte first.
    return link.frameBatch().AddDataWord(link, SwapWordBytes(word), flush);
}

}  // namespace nembra
