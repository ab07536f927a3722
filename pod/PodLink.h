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
    bool WriteFrame(const uint8_t* buffer, size_t length, uint32_t timeoutMs);
    bool ReadReply(uint8_t* buffer, size_t expected, uint32_t firstByteTimeoutMs);
    // Received bytes waiting in the driver; false when the driver call fails.
    bool WaitingBytes(uint32_t& count);

    // Writes bytes through txBuffer in pieces of at most 350 bytes (a frame,
    // a batch), each with the given time-out.
    bool WriteText(std::string_view bytes, uint32_t timeoutMs);
    // Reads a reply of replyBytes into rxBuffer, cleared first; true only on
    // a first byte of '!'. The bytes after the '!' go to `data`, as many as it holds.
    bool AwaitReply(size_t replyBytes, uint32_t timeoutMs, std::span<uint8_t> data = {});
    // The generic single command: writes the frame (200 ms) and, when it has
    // a reply (replyBytes > 0), awaits it.
    bool Exchange(std::string_view frame, size_t replyBytes, uint32_t timeoutMs, std::span<uint8_t> data = {});

    FtdiDriver* driverLibrary() const { return driverLibrary_.get(); }
    bool podFound() const { return podFound_; }
    const std::array<char, 64>& description() const { return description_; }
    FT_HANDLE deviceHandle() const { return deviceHandle_; }
    bool connected() const { return connected_; }
    FrameBatch& frameBatch() { return frameBatch_; }

    void SetObserver(LinkObserver* observer) { observer_ = observer; }
    // Why the last OpenPod failed with PortFailed, where the backend can tell.
    OpenFailureCause lastOpenFailure() const { return lastOpenFailure_; }
    // Why LoadDriverLibrary found no usable driver, where the loader can tell.
    const std::string& loadFailure() const { return loadFailure_; }

private:
    OpenResult FailOpen(OpenResult code);
    bool ConfigurePort();
    bool IdentifyAnswered();
    void ClearDescription();
    bool DescriptionIsPod() const;
    bool TransmitQueueDrained(uint32_t timeoutMs);
    bool ReadReplyBytes(uint8_t* buffer, size_t expected, size_t& received, uint32_t firstByteTimeoutMs);
    void Event(const std::string& text);

    std::unique_ptr<FtdiDriver> driverLibrary_;
    bool podFound_ = false;
    std::array<char, 64> description_{};
    FT_HANDLE deviceHandle_ = nullptr;
    bool connected_ = false;
    std::array<uint8_t, kLinkBufferBytes> txBuffer_{};
    std::array<uint8_t, kLinkBufferBytes> rxBuffer_{};
    FrameBatch frameBatch_;
    DriverLoader& loader_;
    LinkClock& clock_;
    LinkObserver* observer_ = nullptr;
    OpenFailureCause lastOpenFailure_ = OpenFailureCause::None;
    std::string loadFailure_;
    std::string backendName_;  // as last written to the observer
};

}  // namespace nembra
