#include "pod/FrameBatch.h"

#include "pod/PodCommandsFrame.h"
#include "pod/PodLink.h"

namespace nembra {

bool FrameBatch::AddDataWord(PodLink& link, uint16_t value, bool flush) {
    text_ += DataWordFrame(value);
    if (!flush && text_.size() < kBatchThreshold) return true;
    return Flush(link);
}

bool FrameBatch::Flush(PodLink& link) {
    if (text_.empty()) return true;
    const bool written = link.WriteText(text_, kBatchWriteTimeoutMs);
    text_.clear();
    if (!written) return false;
    uint32_t waiting = 0;
    return link.WaitingBytes(waiting) && waiting == 0;
}

bool FrameBatch::WriteWith(PodLink& link, const std::string& closingFrame) {
    text_ += closingFrame;
    const bool written = link.WriteText(text_, kBatchWriteTimeoutMs);
    text_.clear();
    return written;
}

}  // namespace nembra
