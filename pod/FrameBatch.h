#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "status/Outcome.h"

namespace nembra {

class PodLink;

inline constexpr size_t kBatchThreshold = 350;  // 50 seven-byte data-word frames
inline constexpr uint32_t kBatchWriteTimeoutMs = 2000;

// "S" data-word frames collected so that many reach the pod in one USB
// write: the batch goes out once it holds 350 characters, or when its
// sender says the block is complete. The pod acknowledges no data word, so
// a received byte waiting after a batch write means it refused one. Both
// the target stream and the serial-flash walk batch through this.
class FrameBatch {
public:
    void Clear() { text_.clear(); }
    bool Empty() const { return text_.empty(); }
    size_t size() const { return text_.size(); }
    const std::string& text() const { return text_; }

    // Appends the word's "S" frame (value as given); writes the batch when
    // `flush` is set or the batch is full.
    LinkOutcome AddDataWord(PodLink& link, uint16_t value, bool flush);
    // Writes (2000 ms) and empties the batch; accepted when the write
    // succeeded and no received byte is waiting (ByteWaiting otherwise). An
    // empty batch writes nothing.
    LinkOutcome Flush(PodLink& link);
    // Appends a block's closing frame and writes everything (2000 ms); the
    // batch is empty afterwards whatever the outcome. The caller reads the
    // pod's acknowledgement of the block.
    LinkOutcome WriteWith(PodLink& link, const std::string& closingFrame);

private:
    std::string text_;
};

}  // namespace nembra
