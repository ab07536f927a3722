#include "pod/PinnedPodLoader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "pod/DriverDecorator.h"
#include "pod/PodListing.h"

namespace nembra {

namespace {

constexpr size_t kTextBytes = 64;

class PinnedPodDriver : public DriverDecorator {
public:
    PinnedPodDriver(std::unique_ptr<FtdiDriver> inner, const std::string& serial, const StopRequest* stop)
        : DriverDecorator(std::move(inner)), stop_(stop) {
        std::memcpy(serial_.data(), serial.data(), std::min(serial.size(), kTextBytes - 1));
    }

    FT_STATUS FT_ListDevices(void* a1, void* a2, DWORD flags) override;
    FT_STATUS FT_OpenEx(void* a1, DWORD flags, FT_HANDLE* h) override;
    FT_STATUS FT_ResetDevice(FT_HANDLE h) override { return Stopped() ? FT_IO_ERROR : inner().FT_ResetDevice(h); }
    FT_STATUS FT_GetLatencyTimer(FT_HANDLE h, UCHAR* t) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_GetLatencyTimer(h, t);
    }
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE h, UCHAR t) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_SetLatencyTimer(h, t);
    }
    FT_STATUS FT_SetBaudRate(FT_HANDLE h, ULONG b) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_SetBaudRate(h, b);
    }
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE h, UCHAR w, UCHAR s, UCHAR p) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_SetDataCharacteristics(h, w, s, p);
    }
    FT_STATUS FT_SetFlowControl(FT_HANDLE h, USHORT f, UCHAR on, UCHAR off) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_SetFlowControl(h, f, on, off);
    }
    FT_STATUS FT_SetTimeouts(FT_HANDLE h, ULONG r, ULONG w) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_SetTimeouts(h, r, w);
    }
    FT_STATUS FT_Purge(FT_HANDLE h, ULONG mask) override { return Stopped() ? FT_IO_ERROR : inner().FT_Purge(h, mask); }
    FT_STATUS FT_Write(FT_HANDLE h, void* b, DWORD n, DWORD* w) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_Write(h, b, n, w);
    }
    FT_STATUS FT_GetStatus(FT_HANDLE h, DWORD* rx, DWORD* tx, DWORD* ev) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_GetStatus(h, rx, tx, ev);
    }
    FT_STATUS FT_Read(FT_HANDLE h, void* b, DWORD n, DWORD* r) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_Read(h, b, n, r);
    }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE h, DWORD* rx) override {
        return Stopped() ? FT_IO_ERROR : inner().FT_GetQueueStatus(h, rx);
    }

private:
    bool Stopped() const { return stop_ != nullptr && stop_->requested(); }
    bool Pinned() const { return serial_[0] != '\0'; }
    bool Attached(std::string& description);

    std::array<char, kTextBytes> serial_{};
    const StopRequest* stop_;
};

bool PinnedPodDriver::Attached(std::string& description) {
    for (const AttachedDevice& device : ListAttachedDevices(inner())) {
        if (device.serial == serial_.data()) {
            description = device.description;
            return true;
        }
    }
    return false;
}

// The pinned device is the only one: index 0 when it is attached.
FT_STATUS PinnedPodDriver::FT_ListDevices(void* a1, void* a2, DWORD flags) {
    if (Stopped()) return FT_IO_ERROR;
    if (!Pinned()) return inner().FT_ListDevices(a1, a2, flags);
    std::string description;
    const bool attached = Attached(description);
    if (flags == FT_LIST_NUMBER_ONLY) {
        if (a1 == nullptr) return FT_INVALID_PARAMETER;
        *static_cast<DWORD*>(a1) = attached ? 1 : 0;
        return FT_OK;
    }
    if (flags != (FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION) || a2 == nullptr) return FT_INVALID_PARAMETER;
    if (!attached || reinterpret_cast<uintptr_t>(a1) != 0) return FT_DEVICE_NOT_FOUND;
    char* out = static_cast<char*>(a2);
    std::memset(out, 0, kTextBytes);
    std::memcpy(out, description.data(), std::min(description.size(), kTextBytes - 1));
    return FT_OK;
}

FT_STATUS PinnedPodDriver::FT_OpenEx(void* a1, DWORD flags, FT_HANDLE* h) {
    if (Stopped()) return FT_DEVICE_NOT_OPENED;
    if (!Pinned()) return inner().FT_OpenEx(a1, flags, h);
    return inner().FT_OpenEx(serial_.data(), FT_OPEN_BY_SERIAL_NUMBER, h);
}

}  // namespace

std::unique_ptr<FtdiDriver> PinnedPodLoader::Load() {
    std::unique_ptr<FtdiDriver> driver = inner_.Load();
    if (driver == nullptr) return nullptr;
    return std::make_unique<PinnedPodDriver>(std::move(driver), serial_, stop_);
}

}  // namespace nembra
