#include "pod/FrameBatch.h"

#include "pod/PodCommandsFrame.h"
#include "pod/PodLink.h"

namespace nembra {

LinkOutcome FrameBatch::AddDataWord(PodLink& link, uint16_t value, bool flush) {
    text_ += DataWordFrame(value);
    if (!flush && text_.size() < kBatchThreshold) return LinkOutcome::Accepted();
    return Flush(link);
}

LinkOutcome FrameBatch::Flush(PodLink& link) {
    if (text_.empty()) return LinkOutcome::Accepted();
    const LinkOutcome written = link.WriteText(text_, kBatchWriteTimeoutMs);
    text_.clear();
    if (!written) return written;
    uint32_t waiting = 0;
    if (const LinkOutcome counted = link.WaitingBytes(waiting); !counted) return counted;
    return waiting == 0 ? LinkOutcome::Accepted() : LinkOutcome::Of(Cause::ByteWaiting);
}

LinkOutcome FrameBatch::WriteWith(PodLink& link, const std::string& closingFrame) {
    text_ += closingFrame;
    const LinkOutcome written = link.WriteText(text_, kBatchWriteTimeoutMs);
    text_.clear();
    return written;
}

}  // namespace nembra
