#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

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
inline constexpr uint32_t kDriverTimeoutMs = 200;
inline constexpr uint32_t kInterByteTimeoutMs = 100;
inline constexpr size_t kLinkBufferBytes = 400;

// The one link to the pod.
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

    void SetObserver(LinkObserver* observer) { observer_ = observer; }
    // Why the last OpenPod failed with PortFailed, where the backend can tell.
    OpenFailureCause lastOpenFailure() const { return lastOpenFailure_; }

    std::unique_ptr<FtdiDriver> driverLibrary;
    bool podFound = false;
    std::array<char, 64> description{};
    FT_HANDLE deviceHandle = nullptr;
    bool connected = false;
    std::array<uint8_t, kLinkBufferBytes> txBuffer{};
    std::array<uint8_t, kLinkBufferBytes> rxBuffer{};
    FrameBatch frameBatch;
    uint16_t firmwareVersion = 0;

private:
    OpenResult FailOpen(OpenResult code);
    bool ConfigurePort();
    bool IdentifyAnswered();
    void ClearDescription();
    bool DescriptionIsPod() const;
    bool TransmitQueueDrained(uint32_t timeoutMs);
    bool ReadReplyBytes(uint8_t* buffer, size_t expected, size_t& received, uint32_t firstByteTimeoutMs);
    void Event(const std::string& text);

    DriverLoader& loader_;
    LinkClock& clock_;
    LinkObserver* observer_ = nullptr;
    OpenFailureCause lastOpenFailure_ = OpenFailureCause::None;
};

}  // namespace nembra
