#include "pod/PodLink.h"

#include <algorithm>
#include <cstring>

namespace nembra {

namespace {

// Silence tracking of one ReadReply call. Silence is measured from the end
// of the first empty read and tested at the end of each later one.
struct ReplyState {
    uint32_t limitMs;
    uint32_t silenceStart = 0;
    uint32_t lastSeen = 0;
    bool silent = false;
    bool lastSeenSet = false;  // a later empty read has come since the silence began
};

void NoteByte(ReplyState& s) {
    s.silent = false;
    s.lastSeenSet = false;
    s.limitMs = kInterByteTimeoutMs;
}

void NoteEmptyRead(ReplyState& s, uint32_t now) {
    if (!s.silent) {
        s.silent = true;
        s.silenceStart = now;
    } else {
        s.lastSeen = now;
        s.lastSeenSet = true;
    }
}

// Compared as a difference, so that a wrap of the 32-bit clock is harmless.
bool SilenceOver(const ReplyState& s) { return s.lastSeenSet && s.lastSeen - s.silenceStart >= s.limitMs; }

}  // namespace

LinkOutcome PodLink::DriverFailure(Cause cause, FT_STATUS status) const {
    if (StopRequested()) return LinkOutcome::Of(Cause::Stopped);
    if (driverLibrary_ != nullptr && deviceHandle_ != nullptr && driverLibrary_->DeviceGone(deviceHandle_))
        return LinkOutcome::Of(Cause::Unplugged);
    return LinkOutcome{cause, 0, status};
}

LinkOutcome PodLink::WriteFrame(const uint8_t* buffer, size_t length, uint32_t timeoutMs) {
    if (observer_ != nullptr) {
        observer_->OnWrite(buffer, length);
    }
    if (driverLibrary_ == nullptr || deviceHandle_ == nullptr || length > UINT32_MAX) {
        return LinkOutcome{Cause::WriteError, 0, FT_INVALID_HANDLE};
    }
    if (StopRequested()) {
        return LinkOutcome::Of(Cause::Stopped);
    }
    DWORD written = 0;
    if (const FT_STATUS status =
            driverLibrary_->FT_Write(deviceHandle_, const_cast<uint8_t*>(buffer), static_cast<DWORD>(length), &written);
        status != FT_OK) {
        return DriverFailure(Cause::WriteError, status);
    }
    // D2XX reports a write cut short by its time-out as success; the pod
    // would then see half a frame, so a short count is a failed write.
    if (written != length) {
        return LinkOutcome::Of(Cause::WriteTimeout);
    }
    return TransmitQueueDrained(timeoutMs);
}

// Polls without pausing: a frame is short and should be on its way at once.
// Elapsed time is taken as a difference so that a wrap of the clock is harmless.
LinkOutcome PodLink::TransmitQueueDrained(uint32_t timeoutMs) {
    DWORD rx = 0;
    DWORD tx = 0;
    DWORD events = 0;
    if (const FT_STATUS status = driverLibrary_->FT_GetStatus(deviceHandle_, &rx, &tx, &events); status != FT_OK) {
        return DriverFailure(Cause::WriteError, status);
    }
    const uint32_t start = clock_.NowMs();
    while (tx > 0 && clock_.NowMs() - start < timeoutMs) {
        if (const FT_STATUS status = driverLibrary_->FT_GetStatus(deviceHandle_, &rx, &tx, &events); status != FT_OK) {
            return DriverFailure(Cause::WriteError, status);
        }
    }
    return tx == 0 ? LinkOutcome::Accepted() : LinkOutcome::Of(Cause::WriteTimeout);
}

LinkOutcome PodLink::ReadReply(uint8_t* buffer, size_t expected, uint32_t firstByteTimeoutMs) {
    size_t received = 0;
    const LinkOutcome outcome = ReadReplyBytes(buffer, expected, received, firstByteTimeoutMs);
    if (observer_ != nullptr) {
        observer_->OnRead(buffer, received);
    }
    return outcome;
}

// One byte per driver call, so that the read stops exactly at the expected
// count and leaves anything after it queued. The caller's time-out bounds the
// wait for the first byte; once bytes flow, 100 ms of silence ends the read.
LinkOutcome PodLink::ReadReplyBytes(uint8_t* buffer, size_t expected, size_t& received, uint32_t firstByteTimeoutMs) {
    if (expected == 0) {
        return LinkOutcome::Accepted();  // nothing to wait for, and no byte to take from the queue
    }
    if (driverLibrary_ == nullptr || deviceHandle_ == nullptr) {
        return LinkOutcome{Cause::ReadError, 0, FT_INVALID_HANDLE};
    }
    ReplyState s{.limitMs = firstByteTimeoutMs};
    for (;;) {
        if (StopRequested()) {
            return LinkOutcome::Of(Cause::Stopped);
        }
        DWORD got = 0;
        if (const FT_STATUS status = driverLibrary_->FT_Read(deviceHandle_, buffer + received, 1, &got);
            status != FT_OK) {
            return DriverFailure(Cause::ReadError, status);
        }
        if (got == 1) {
            ++received;
            NoteByte(s);
        } else {
            NoteEmptyRead(s, clock_.NowMs());
            clock_.SleepMs(1);
        }
        DWORD waiting = 0;
        if (const FT_STATUS status = driverLibrary_->FT_GetQueueStatus(deviceHandle_, &waiting); status != FT_OK) {
            return DriverFailure(Cause::ReadError, status);
        }
        const bool complete = received >= expected;
        if (waiting == 0 && SilenceOver(s)) {
            if (complete) return LinkOutcome::Accepted();
            return LinkOutcome::Of(received == 0 ? Cause::NoReply : Cause::ShortReply);
        }
        if (complete) {
            return LinkOutcome::Accepted();
        }
    }
}

LinkOutcome PodLink::WaitingBytes(uint32_t& count) {
    count = 0;
    if (driverLibrary_ == nullptr || deviceHandle_ == nullptr) {
        return LinkOutcome{Cause::ReadError, 0, FT_INVALID_HANDLE};
    }
    DWORD waiting = 0;
    if (const FT_STATUS status = driverLibrary_->FT_GetQueueStatus(deviceHandle_, &waiting); status != FT_OK) {
        return DriverFailure(Cause::ReadError, status);
    }
    count = waiting;
    return LinkOutcome::Accepted();
}

// A batch never exceeds the threshold in normal use; longer text is still
// written whole, in pieces that fit txBuffer with its terminating zero.
LinkOutcome PodLink::WriteText(std::string_view bytes, uint32_t timeoutMs) {
    for (size_t offset = 0; offset < bytes.size(); offset += kBatchThreshold) {
        const size_t length = std::min(kBatchThreshold, bytes.size() - offset);
        std::memcpy(txBuffer_.data(), bytes.data() + offset, length);
        txBuffer_[length] = 0;
        if (const LinkOutcome written = WriteFrame(txBuffer_.data(), length, timeoutMs); !written) return written;
    }
    return LinkOutcome::Accepted();
}

LinkOutcome PodLink::AwaitReply(size_t replyBytes, uint32_t timeoutMs, std::span<uint8_t> data, uint32_t staleBytes) {
    if (replyBytes == 0 || replyBytes > rxBuffer_.size()) return LinkOutcome::Of(Cause::Unsendable);
    std::fill_n(rxBuffer_.begin(), replyBytes, uint8_t{0});
    const LinkOutcome read = ReadReply(rxBuffer_.data(), replyBytes, timeoutMs);
    // A pod that refuses may send its one byte only, short of the reply's length.
    const bool refused = (read.ok() || read.cause == Cause::ShortReply) && rxBuffer_[0] != '!';
    if (refused) return LinkOutcome{staleBytes > 0 ? Cause::StrayByte : Cause::Refused, rxBuffer_[0], 0};
    if (!read) return read;
    std::copy_n(rxBuffer_.begin() + 1, std::min(data.size(), replyBytes - 1), data.begin());
    return LinkOutcome::Accepted();
}

LinkOutcome PodLink::Exchange(std::string_view frame, size_t replyBytes, uint32_t timeoutMs, std::span<uint8_t> data) {
    rxBuffer_[0] = 0;
    // What waits before the frame goes out belongs to no answer of it.
    uint32_t stale = 0;
    if (replyBytes > 0) {
        if (const LinkOutcome counted = WaitingBytes(stale); !counted) return counted;
    }
    if (const LinkOutcome written = WriteText(frame, kFrameWriteTimeoutMs); !written) return written;
    if (replyBytes == 0) return LinkOutcome::Accepted();
    return AwaitReply(replyBytes, timeoutMs, data, stale);
}

}  // namespace nembra
