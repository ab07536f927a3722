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
    // A byte that waits already before the write answers no word of this batch.
    uint32_t stale = 0;
    const LinkOutcome before = link.WaitingBytes(stale);
    const LinkOutcome written = before ? link.WriteText(text_, kBatchWriteTimeoutMs) : before;
    text_.clear();
    if (!written) return written;
    uint32_t waiting = 0;
    if (const LinkOutcome counted = link.WaitingBytes(waiting); !counted) return counted;
    if (waiting == 0) return LinkOutcome::Accepted();
    return LinkOutcome::Of(stale > 0 ? Cause::StrayByte : Cause::ByteWaiting);
}

LinkOutcome FrameBatch::WriteWith(PodLink& link, const std::string& closingFrame) {
    text_ += closingFrame;
    const LinkOutcome written = link.WriteText(text_, kBatchWriteTimeoutMs);
    text_.clear();
    return written;
}

}  // namespace nembra
