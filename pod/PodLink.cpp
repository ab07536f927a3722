#include "pod/PodLink.h"

#include <cstring>
#include <string_view>

namespace nembra {

namespace {

constexpr ULONG kPurgeBoth = FT_PURGE_RX | FT_PURGE_TX;
constexpr uint8_t kIdentifyFrame[] = {0x02, 'I', 0x03};

void* IndexArgument(DWORD index) {
    // D2XX takes the device index in the place of the first pointer.
    return reinterpret_cast<void*>(static_cast<uintptr_t>(index));
}

}  // namespace

PodLink::PodLink(DriverLoader& loader, LinkClock& clock) : loader_(loader), clock_(clock) {}

PodLink::~PodLink() {
    // The owner closes and unloads; this only keeps a forgotten handle from leaking.
    if (driverLibrary != nullptr && deviceHandle != nullptr) {
        driverLibrary->FT_Close(deviceHandle);
    }
}

bool PodLink::LoadDriverLibrary() {
    if (driverLibrary == nullptr) {
        driverLibrary = loader_.Load();
    }
    if (driverLibrary != nullptr) {
        Event("driver " + driverLibrary->BackendName());
    }
    return driverLibrary != nullptr;
}

void PodLink::UnloadDriverLibrary() {
    // A handle must not outlive the library that issued it; should the close
    // fail, dropping the driver releases what it still holds.
    ClosePod();
    deviceHandle = nullptr;
    connected = false;
    driverLibrary.reset();
}

void PodLink::ClearDescription() { description.fill('\0'); }

bool PodLink::DescriptionIsPod() const {
    const std::string_view found(description.data(), strnlen(description.data(), description.size()));
    return found == kPodDescription;
}

bool PodLink::FindPod() {
    if (driverLibrary == nullptr) {
        podFound = false;
        return false;
    }
    if (podFound) {
        return true;
    }
    ClearDescription();
    DWORD count = 0;
    if (driverLibrary->FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK || count == 0) {
        ClearDescription();
        podFound = false;
        return false;
    }
    for (DWORD i = 0; i < count; ++i) {
        const FT_STATUS status =
            driverLibrary->FT_ListDevices(IndexArgument(i), description.data(), FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION);
        // A driver that fills all 64 bytes must not leave the string unterminated.
        description.back() = '\0';
        if (status == FT_OK && DescriptionIsPod()) {
            podFound = true;
            return true;
        }
        ClearDescription();
    }
    podFound = false;
    return false;
}

OpenResult PodLink::FailOpen(OpenResult code) {
    if (deviceHandle != nullptr) {
        driverLibrary->FT_Close(deviceHandle);
        deviceHandle = nullptr;
    }
    Event(code == OpenResult::PodSilent ? "open failed: the pod did not answer" : "open failed: port");
    return code;
}

bool PodLink::ConfigurePort() {
    FtdiDriver& d = *driverLibrary;
    UCHAR latency = 0;
    if (d.FT_ResetDevice(deviceHandle) != FT_OK || d.FT_GetLatencyTimer(deviceHandle, &latency) != FT_OK) {
        return false;
    }
    if (latency != kPodLatencyMs && d.FT_SetLatencyTimer(deviceHandle, kPodLatencyMs) != FT_OK) {
        return false;
    }
    return d.FT_SetBaudRate(deviceHandle, kPodBaudRate) == FT_OK &&
           d.FT_SetDataCharacteristics(deviceHandle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE) == FT_OK &&
           d.FT_SetFlowControl(deviceHandle, FT_FLOW_NONE, 0, 0) == FT_OK &&
           d.FT_SetTimeouts(deviceHandle, kDriverTimeoutMs, kDriverTimeoutMs) == FT_OK && PurgePod() == FT_OK;
}

bool PodLink::IdentifyAnswered() {
    std::memcpy(txBuffer.data(), kIdentifyFrame, sizeof kIdentifyFrame);
    rxBuffer[0] = 0;
    return WriteFrame(txBuffer.data(), sizeof kIdentifyFrame, kDriverTimeoutMs) &&
           ReadReply(rxBuffer.data(), 1, kDriverTimeoutMs) && rxBuffer[0] == '!';
}

OpenResult PodLink::OpenPod() {
    if (connected) {
        return OpenResult::Opened;
    }
    lastOpenFailure_ = OpenFailureCause::None;
    if (driverLibrary == nullptr || !podFound) {
        return OpenResult::PortFailed;
    }
    deviceHandle = nullptr;
    if (driverLibrary->FT_OpenEx(description.data(), FT_OPEN_BY_DESCRIPTION, &deviceHandle) != FT_OK) {
        lastOpenFailure_ = driverLibrary->LastOpenFailureCause();
        deviceHandle = nullptr;  // a failed open hands back no handle to close
        return FailOpen(OpenResult::PortFailed);
    }
    Event(std::string("open \"") + description.data() + "\"");
    if (!ConfigurePort()) {
        lastOpenFailure_ = OpenFailureCause::Other;
        return FailOpen(OpenResult::PortFailed);
    }
    if (!IdentifyAnswered()) {
        return FailOpen(OpenResult::PodSilent);
    }
    connected = true;
    return OpenResult::Opened;
}

bool PodLink::ClosePod() {
    if (deviceHandle == nullptr) {
        return true;
    }
    PurgePod();
    if (driverLibrary->FT_Close(deviceHandle) != FT_OK) {
        Event("close failed");
        return false;
    }
    Event("close");
    deviceHandle = nullptr;
    connected = false;
    return true;
}

FT_STATUS PodLink::PurgePod() {
    if (driverLibrary == nullptr || deviceHandle == nullptr) {
        return FT_INVALID_HANDLE;
    }
    const FT_STATUS status = driverLibrary->FT_Purge(deviceHandle, kPurgeBoth);
    Event(status == FT_OK ? "purge" : "purge failed");
    return status;
}

void PodLink::Event(const std::string& text) {
    if (observer_ != nullptr) {
        observer_->OnEvent(text);
    }
}

}  // namespace nembra
