#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "pod/DriverLoader.h"
#include "pod/FrameBatch.h"
#include "pod/FtdiDriver.h"
#include "pod/LinkClock.h"
#include "pod/LinkObserver.h"
#include "pod/PodGate.h"
#include "pod/StopRequest.h"
#include "status/Outcome.h"

namespace nembra {

enum class OpenResult : uint16_t { Opened = 0, PortFailed = 1, PodSilent = 2 };

inline constexpr const char* kPodDescription = "KVL47Q POD";
inline constexpr uint32_t kPodBaudRate = 921600;
inline constexpr uint8_t kPodLatencyMs = 1;
// What the link settles for when the driver will not take 1 ms.
inline constexpr uint8_t kPodLatencyFallbackMs = 2;
inline constexpr uint32_t kDriverTimeoutMs = 200;
inline constexpr uint32_t kInterByteTimeoutMs = 100;
inline constexpr size_t kLinkBufferBytes = 400;
inline constexpr uint32_t kFrameWriteTimeoutMs = 200;

// The one link to the pod: the driver, the open device, its transmit and
// receive buffers and the batch of pending data frames are its own; the
// pod's answers go back to whoever asked.
class PodLink {
public:
    PodLink(DriverLoader& loader, LinkClock& clock);
    ~PodLink();
    PodLink(const PodLink&) = delete;
    PodLink& operator=(const PodLink&) = delete;

    bool LoadDriverLibrary();
    void UnloadDriverLibrary();
    bool FindPod();
    OpenResult OpenPod();
    bool ClosePod();
    FT_STATUS PurgePod();
    // Each says what happened: accepted, or why not (a write or read error
    // with the driver's status, a time-out, the pod unplugged, a stop).
    LinkOutcome WriteFrame(const uint8_t* buffer, size_t length, uint32_t timeoutMs);
    LinkOutcome ReadReply(uint8_t* buffer, size_t expected, uint32_t firstByteTimeoutMs);
    // Received bytes waiting in the driver; a read error when the driver call fails.
    LinkOutcome WaitingBytes(uint32_t& count);

    // Writes bytes through txBuffer in pieces of at most 350 bytes (a frame,
    // a batch), each with the given time-out.
    LinkOutcome WriteText(std::string_view bytes, uint32_t timeoutMs);
    // Reads a reply of replyBytes into rxBuffer, cleared first; accepted only
    // on a first byte of '!', refused with the byte received otherwise. The
    // bytes after the '!' go to `data`, as many as it holds. `staleBytes`:
    // how many were waiting before the frame went out; a reply that starts
    // with one of them is a stray byte, not the pod's refusal.
    LinkOutcome AwaitReply(size_t replyBytes, uint32_t timeoutMs, std::span<uint8_t> data = {},
                           uint32_t staleBytes = 0);
    // The generic single command: writes the frame (200 ms) and, when it has
    // a reply (replyBytes > 0), awaits it.
    LinkOutcome Exchange(std::string_view frame, size_t replyBytes, uint32_t timeoutMs, std::span<uint8_t> data = {});

    // Once `stop` is requested the link sends nothing more, ends a wait at
    // its next pause and says Stopped. Null: never stopped.
    void SetStopRequest(const StopRequest* stop) { stop_ = stop; }
    bool StopRequested() const { return stop_ != nullptr && stop_->requested(); }
    // The link finds and opens only the pod with this serial number, so that
    // each of several pods on one bus has a link of its own. Empty: the first
    // pod found by its description.
    void SetPinnedSerial(const std::string& serial);
    // With a gate, the link opens only a pod whose claim the gate grants and
    // holds the claim until the pod is closed: a pinned link its own pod, an
    // unpinned one the first pod that is free. Null: no claims are asked for.
    void SetGate(PodGate* gate) { gate_ = gate; }
    // Why the last OpenPod found no pod it may open, or empty.
    const std::string& gateRefusal() const { return gateRefusal_; }

    FtdiDriver* driverLibrary() const { return driverLibrary_.get(); }
    bool podFound() const { return podFound_; }
    const std::array<char, 64>& description() const { return description_; }
    FT_HANDLE deviceHandle() const { return deviceHandle_; }
    bool connected() const { return connected_; }
    FrameBatch& frameBatch() { return frameBatch_; }

    void SetObserver(LinkObserver* observer) { observer_ = observer; }
    // Why the last OpenPod failed with PortFailed, where the backend can tell.
    OpenFailureCause lastOpenFailure() const { return lastOpenFailure_; }
    // What the identify frame came to when the last OpenPod gave PodSilent.
    const LinkOutcome& lastIdentify() const { return lastIdentify_; }
    // Why LoadDriverLibrary found no usable driver, where the loader can tell.
    const std::string& loadFailure() const { return loadFailure_; }

private:
    OpenResult FailOpen(OpenResult code);
    bool ConfigurePort();
    LinkOutcome IdentifyAnswered();
    void ClearDescription();
    bool DescriptionIsPod() const;
    bool FindFirstPod();
    bool FindPinnedPod();
    bool Pinned() const { return pinnedSerial_[0] != '\0'; }
    bool ClaimForOpen(std::string& serial);
    void ReleaseClaim();
    LinkOutcome TransmitQueueDrained(uint32_t timeoutMs);
    LinkOutcome ReadReplyBytes(uint8_t* buffer, size_t expected, size_t& received, uint32_t firstByteTimeoutMs);
    // A failed driver call, told apart from a stop and from a pod pulled out.
    LinkOutcome DriverFailure(Cause cause, FT_STATUS status) const;
    void Event(const std::string& text);

    std::unique_ptr<FtdiDriver> driverLibrary_;
    bool podFound_ = false;
    std::array<char, 64> description_{};
    std::array<char, 64> pinnedSerial_{};
    FT_HANDLE deviceHandle_ = nullptr;
    bool connected_ = false;
    std::array<uint8_t, kLinkBufferBytes> txBuffer_{};
    std::array<uint8_t, kLinkBufferBytes> rxBuffer_{};
    FrameBatch frameBatch_;
    DriverLoader& loader_;
    LinkClock& clock_;
    LinkObserver* observer_ = nullptr;
    const StopRequest* stop_ = nullptr;
    OpenFailureCause lastOpenFailure_ = OpenFailureCause::None;
    LinkOutcome lastIdentify_;
    std::string loadFailure_;
    std::string backendName_;  // as last written to the observer
    PodGate* gate_ = nullptr;
    std::string claimedSerial_;  // the pod whose claim the link holds
    std::string gateRefusal_;
};

}  // namespace nembra
