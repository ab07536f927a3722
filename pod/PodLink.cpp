#include "pod/PodLink.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "pod/PodListing.h"

namespace nembra {

namespace {

constexpr ULONG kPurgeBoth = FT_PURGE_RX | FT_PURGE_TX;
constexpr char kIdentifyFrame[] = {0x02, 'I', 0x03};

void* IndexArgument(DWORD index) {
    // D2XX takes the device index in the place of the first pointer.
    return reinterpret_cast<void*>(static_cast<uintptr_t>(index));
}

}  // namespace

PodLink::PodLink(DriverLoader& loader, LinkClock& clock) : loader_(loader), clock_(clock) {}

PodLink::~PodLink() {
    // The owner closes and unloads; this only keeps a forgotten handle from leaking.
    if (driverLibrary_ != nullptr && deviceHandle_ != nullptr) {
        driverLibrary_->FT_Close(deviceHandle_);
    }
    ReleaseClaim();
}

bool PodLink::LoadDriverLibrary() {
    if (driverLibrary_ == nullptr) {
        driverLibrary_ = loader_.Load();
        loadFailure_ = driverLibrary_ == nullptr ? loader_.LoadFailure() : std::string();
    }
    if (driverLibrary_ != nullptr) {
        backendName_ = driverLibrary_->BackendName();
        Event("driver " + backendName_);
    }
    return driverLibrary_ != nullptr;
}

void PodLink::UnloadDriverLibrary() {
    // A handle must not outlive the library that issued it; should the close
    // fail, dropping the driver releases what it still holds.
    ClosePod();
    deviceHandle_ = nullptr;
    connected_ = false;
    driverLibrary_.reset();
}

void PodLink::ClearDescription() { description_.fill('\0'); }

bool PodLink::DescriptionIsPod() const {
    const std::string_view found(description_.data(), strnlen(description_.data(), description_.size()));
    return found == kPodDescription;
}

void PodLink::SetPinnedSerial(const std::string& serial) {
    pinnedSerial_.fill('\0');
    std::memcpy(pinnedSerial_.data(), serial.data(), std::min(serial.size(), pinnedSerial_.size() - 1));
    podFound_ = false;
}

bool PodLink::FindPod() {
    if (driverLibrary_ == nullptr) {
        podFound_ = false;
        return false;
    }
    if (podFound_) {
        return true;
    }
    // A stopped link looks for no pod: the run ends as one that found none.
    podFound_ = !StopRequested() && (Pinned() ? FindPinnedPod() : FindFirstPod());
    if (!podFound_) {
        ClearDescription();
    }
    return podFound_;
}

bool PodLink::FindFirstPod() {
    ClearDescription();
    DWORD count = 0;
    if (driverLibrary_->FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK || count == 0) {
        return false;
    }
    for (DWORD i = 0; i < count; ++i) {
        const FT_STATUS status = driverLibrary_->FT_ListDevices(IndexArgument(i), description_.data(),
                                                                FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION);
        // A driver that fills all 64 bytes must not leave the string unterminated.
        description_.back() = '\0';
        if (status == FT_OK && DescriptionIsPod()) {
            return true;
        }
        ClearDescription();
    }
    return false;
}

// The pinned device must be listed and be a pod; a device still listed after
// it was pulled out is found, and its open fails as the driver sees it.
bool PodLink::FindPinnedPod() {
    ClearDescription();
    for (const AttachedDevice& device : ListAttachedDevices(*driverLibrary_)) {
        if (device.serial != pinnedSerial_.data()) continue;
        std::memcpy(description_.data(), device.description.data(),
                    std::min(device.description.size(), description_.size() - 1));
        return DescriptionIsPod();
    }
    return false;
}

OpenResult PodLink::FailOpen(OpenResult code) {
    if (deviceHandle_ != nullptr) {
        driverLibrary_->FT_Close(deviceHandle_);
        deviceHandle_ = nullptr;
    }
    ReleaseClaim();
    Event(code == OpenResult::PodSilent ? "open failed: the pod did not answer" : "open failed: port");
    return code;
}

bool PodLink::ConfigurePort() {
    if (StopRequested()) {
        return false;
    }
    FtdiDriver& d = *driverLibrary_;
    UCHAR latency = 0;
    if (d.FT_ResetDevice(deviceHandle_) != FT_OK || d.FT_GetLatencyTimer(deviceHandle_, &latency) != FT_OK) {
        return false;
    }
    if (latency != kPodLatencyMs && d.FT_SetLatencyTimer(deviceHandle_, kPodLatencyMs) != FT_OK) {
        // FTDI's D2XX guide gives 2-255 ms, and a library that keeps to it
        // refuses 1 ms; 2 ms costs a millisecond per reply, not the pod.
        if (latency != kPodLatencyFallbackMs && d.FT_SetLatencyTimer(deviceHandle_, kPodLatencyFallbackMs) != FT_OK) {
            return false;
        }
        Event("latency timer: the driver refused 1 ms; using 2 ms");
    }
    return d.FT_SetBaudRate(deviceHandle_, kPodBaudRate) == FT_OK &&
           d.FT_SetDataCharacteristics(deviceHandle_, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE) == FT_OK &&
           d.FT_SetFlowControl(deviceHandle_, FT_FLOW_NONE, 0, 0) == FT_OK &&
           d.FT_SetTimeouts(deviceHandle_, kDriverTimeoutMs, kDriverTimeoutMs) == FT_OK && PurgePod() == FT_OK;
}

LinkOutcome PodLink::IdentifyAnswered() {
    return Exchange(std::string_view(kIdentifyFrame, sizeof kIdentifyFrame), 1, kDriverTimeoutMs);
}

OpenResult PodLink::OpenPod() {
    if (connected_) {
        return OpenResult::Opened;
    }
    lastOpenFailure_ = OpenFailureCause::None;
    lastIdentify_ = LinkOutcome::Accepted();
    gateRefusal_.clear();
    if (driverLibrary_ == nullptr || !podFound_) {
        return OpenResult::PortFailed;
    }
    if (StopRequested()) {
        return FailOpen(OpenResult::PortFailed);
    }
    deviceHandle_ = nullptr;
    std::string claimed;
    if (!ClaimForOpen(claimed)) {
        lastOpenFailure_ = OpenFailureCause::HeldByAnotherProgram;
        return FailOpen(OpenResult::PortFailed);
    }
    const bool bySerial = Pinned() || !claimed.empty();
    std::array<char, 64> serialText{};
    std::memcpy(serialText.data(), claimed.data(), std::min(claimed.size(), serialText.size() - 1));
    void* const which = Pinned() ? pinnedSerial_.data() : (bySerial ? serialText.data() : description_.data());
    if (driverLibrary_->FT_OpenEx(which, bySerial ? FT_OPEN_BY_SERIAL_NUMBER : FT_OPEN_BY_DESCRIPTION,
                                  &deviceHandle_) != FT_OK) {
        lastOpenFailure_ = driverLibrary_->LastOpenFailureCause();
        deviceHandle_ = nullptr;  // a failed open hands back no handle to close
        return FailOpen(OpenResult::PortFailed);
    }
    // A driver of two backends tells only now which one opened the pod.
    if (driverLibrary_->BackendName() != backendName_) {
        backendName_ = driverLibrary_->BackendName();
        Event("driver " + backendName_);
    }
    Event(std::string("open \"") + description_.data() + "\"");
    if (!ConfigurePort()) {
        lastOpenFailure_ = OpenFailureCause::Other;
        return FailOpen(OpenResult::PortFailed);
    }
    lastIdentify_ = IdentifyAnswered();
    if (!lastIdentify_) {
        return FailOpen(OpenResult::PodSilent);
    }
    connected_ = true;
    return OpenResult::Opened;
}

bool PodLink::ClosePod() {
    if (deviceHandle_ == nullptr) {
        return true;
    }
    PurgePod();
    if (driverLibrary_->FT_Close(deviceHandle_) != FT_OK) {
        Event("close failed");
        return false;
    }
    Event("close");
    deviceHandle_ = nullptr;
    connected_ = false;
    ReleaseClaim();
    return true;
}

// Without a gate nothing is claimed and the pod is opened as found. With
// one, a pinned link claims its own pod; an unpinned one the first listed
// pod whose claim is granted, which it then opens by its serial number, so
// that the pod opened is the pod claimed. Pods whose serial number the
// driver cannot tell cannot be claimed; only when no pod has one is the
// first opened by its description as before.
bool PodLink::ClaimForOpen(std::string& serial) {
    serial.clear();
    if (gate_ == nullptr) return true;
    std::vector<std::string> candidates;
    if (Pinned()) {
        candidates.emplace_back(pinnedSerial_.data());
    } else {
        for (const AttachedDevice& device : ListAttachedDevices(*driverLibrary_)) {
            if (device.description == kPodDescription && !device.serial.empty()) candidates.push_back(device.serial);
        }
        if (candidates.empty()) return true;
    }
    for (const std::string& candidate : candidates) {
        std::string refusal;
        if (gate_->Claim(candidate, refusal)) {
            claimedSerial_ = candidate;
            serial = Pinned() ? std::string() : candidate;
            return true;
        }
        if (gateRefusal_.empty()) gateRefusal_ = refusal;
    }
    Event("open refused: " + gateRefusal_);
    return false;
}

void PodLink::ReleaseClaim() {
    if (gate_ == nullptr || claimedSerial_.empty()) return;
    gate_->Release(claimedSerial_);
    claimedSerial_.clear();
}

FT_STATUS PodLink::PurgePod() {
    if (driverLibrary_ == nullptr || deviceHandle_ == nullptr) {
        return FT_INVALID_HANDLE;
    }
    const FT_STATUS status = driverLibrary_->FT_Purge(deviceHandle_, kPurgeBoth);
    Event(status == FT_OK ? "purge" : "purge failed");
    return status;
}

void PodLink::Event(const std::string& text) {
    if (observer_ != nullptr) {
        observer_->OnEvent(text);
    }
}

}  // namespace nembra
