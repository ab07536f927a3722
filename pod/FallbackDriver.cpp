#include "pod/FallbackDriver.h"

#include <algorithm>

#include "pod/PodListing.h"

namespace nembra {

namespace {

// libftdi1 cannot help where the device node is closed to this user or
// another program has claimed the interface: it would fail the same way.
bool FallbackMayCure(OpenFailureCause cause) {
    return cause != OpenFailureCause::PermissionDenied && cause != OpenFailureCause::HeldByAnotherProgram;
}

// The fallback's cause, unless it knows less than the primary's.
OpenFailureCause MoreTelling(OpenFailureCause fallback, OpenFailureCause primary) {
    const bool vague = fallback == OpenFailureCause::Other || fallback == OpenFailureCause::None;
    return vague && primary != OpenFailureCause::None ? primary : fallback;
}

// The same device seen through both backends; a backend that cannot read
// the serial number leaves it empty.
bool SameDevice(const AttachedDevice& a, const AttachedDevice& b) {
    return a.description == b.description && (a.serial == b.serial || a.serial.empty() || b.serial.empty());
}

void* IndexArgument(DWORD index) { return reinterpret_cast<void*>(static_cast<uintptr_t>(index)); }

}  // namespace

FallbackDriver::FallbackDriver(std::unique_ptr<FtdiDriver> primary, std::unique_ptr<FtdiDriver> fallback)
    : primary_(std::move(primary)), fallback_(std::move(fallback)) {}

std::string FallbackDriver::BackendName() const {
    if (lastOpener_ != nullptr) return lastOpener_->BackendName();
    return primary_->BackendName() + "+" + fallback_->BackendName();
}

FallbackDriver::Opened* FallbackDriver::Find(FT_HANDLE handle) const {
    for (const auto& opened : opened_) {
        if (opened.get() == handle) return opened.get();
    }
    return nullptr;
}

template <typename Call>
FT_STATUS FallbackDriver::Route(FT_HANDLE handle, Call call) const {
    const Opened* opened = Find(handle);
    return opened == nullptr ? FT_INVALID_HANDLE : call(*opened->backend, opened->handle);
}

// The primary's devices in its order, then those only the fallback lists.
FT_STATUS FallbackDriver::Enumerate() {
    listing_.clear();
    const std::vector<AttachedDevice> first = ListAttachedDevices(*primary_);
    for (DWORD i = 0; i < first.size(); ++i) listing_.push_back({primary_.get(), i});
    std::vector<bool> matched(first.size(), false);
    const std::vector<AttachedDevice> second = ListAttachedDevices(*fallback_);
    for (DWORD j = 0; j < second.size(); ++j) {
        bool seen = false;
        for (size_t i = 0; i < first.size() && !seen; ++i) {
            seen = !matched[i] && SameDevice(first[i], second[j]);
            if (seen) matched[i] = true;
        }
        if (!seen) listing_.push_back({fallback_.get(), j});
    }
    return FT_OK;
}

FT_STATUS FallbackDriver::FT_ListDevices(void* pArg1, void* pArg2, DWORD Flags) {
    if (Flags == FT_LIST_NUMBER_ONLY) {
        if (pArg1 == nullptr) return FT_INVALID_PARAMETER;
        const FT_STATUS status = Enumerate();
        *static_cast<DWORD*>(pArg1) = static_cast<DWORD>(listing_.size());
        return status;
    }
    if ((Flags & FT_LIST_BY_INDEX) == 0) return primary_->FT_ListDevices(pArg1, pArg2, Flags);
    if (listing_.empty()) Enumerate();
    const auto index = reinterpret_cast<uintptr_t>(pArg1);
    if (index >= listing_.size()) return FT_DEVICE_NOT_FOUND;
    const Listed& at = listing_[index];
    return at.backend->FT_ListDevices(IndexArgument(at.index), pArg2, Flags);
}

FT_STATUS FallbackDriver::FT_OpenEx(void* pArg1, DWORD Flags, FT_HANDLE* pHandle) {
    if (pHandle == nullptr) return FT_INVALID_PARAMETER;
    FtdiDriver* opener = primary_.get();
    FT_HANDLE handle = nullptr;
    FT_STATUS status = primary_->FT_OpenEx(pArg1, Flags, &handle);
    OpenFailureCause cause = status == FT_OK ? OpenFailureCause::None : primary_->LastOpenFailureCause();
    if (status != FT_OK && FallbackMayCure(cause)) {
        opener = fallback_.get();
        handle = nullptr;
        status = fallback_->FT_OpenEx(pArg1, Flags, &handle);
        cause = status == FT_OK ? OpenFailureCause::None : MoreTelling(fallback_->LastOpenFailureCause(), cause);
    }
    lastOpenFailure_ = cause;
    if (status != FT_OK) {
        lastOpener_ = nullptr;
        return status;
    }
    opened_.push_back(std::make_unique<Opened>(Opened{opener, handle}));
    lastOpener_ = opener;
    *pHandle = opened_.back().get();
    return FT_OK;
}

FT_STATUS FallbackDriver::FT_ResetDevice(FT_HANDLE ftHandle) {
    return Route(ftHandle, [](FtdiDriver& d, FT_HANDLE h) { return d.FT_ResetDevice(h); });
}

FT_STATUS FallbackDriver::FT_GetLatencyTimer(FT_HANDLE ftHandle, UCHAR* pucTimer) {
    return Route(ftHandle, [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_GetLatencyTimer(h, pucTimer); });
}

FT_STATUS FallbackDriver::FT_SetLatencyTimer(FT_HANDLE ftHandle, UCHAR ucTimer) {
    return Route(ftHandle, [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_SetLatencyTimer(h, ucTimer); });
}

FT_STATUS FallbackDriver::FT_SetBaudRate(FT_HANDLE ftHandle, ULONG BaudRate) {
    return Route(ftHandle, [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_SetBaudRate(h, BaudRate); });
}

FT_STATUS FallbackDriver::FT_SetDataCharacteristics(FT_HANDLE ftHandle, UCHAR WordLength, UCHAR StopBits,
                                                    UCHAR Parity) {
    return Route(ftHandle, [&](FtdiDriver& d, FT_HANDLE h) {
        return d.FT_SetDataCharacteristics(h, WordLength, StopBits, Parity);
    });
}

FT_STATUS FallbackDriver::FT_SetFlowControl(FT_HANDLE ftHandle, USHORT FlowControl, UCHAR XonChar, UCHAR XoffChar) {
    return Route(ftHandle,
                 [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_SetFlowControl(h, FlowControl, XonChar, XoffChar); });
}

FT_STATUS FallbackDriver::FT_SetTimeouts(FT_HANDLE ftHandle, ULONG ReadTimeout, ULONG WriteTimeout) {
    return Route(ftHandle, [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_SetTimeouts(h, ReadTimeout, WriteTimeout); });
}

FT_STATUS FallbackDriver::FT_Purge(FT_HANDLE ftHandle, ULONG Mask) {
    return Route(ftHandle, [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_Purge(h, Mask); });
}

FT_STATUS FallbackDriver::FT_Write(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToWrite, DWORD* lpdwBytesWritten) {
    return Route(ftHandle,
                 [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_Write(h, lpBuffer, dwBytesToWrite, lpdwBytesWritten); });
}

FT_STATUS FallbackDriver::FT_GetStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes, DWORD* dwTxBytes, DWORD* dwEventDWord) {
    return Route(ftHandle,
                 [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_GetStatus(h, dwRxBytes, dwTxBytes, dwEventDWord); });
}

FT_STATUS FallbackDriver::FT_Read(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToRead, DWORD* lpdwBytesReturned) {
    return Route(ftHandle,
                 [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_Read(h, lpBuffer, dwBytesToRead, lpdwBytesReturned); });
}

FT_STATUS FallbackDriver::FT_GetQueueStatus(FT_HANDLE ftHandle, DWORD* dwRxBytes) {
    return Route(ftHandle, [&](FtdiDriver& d, FT_HANDLE h) { return d.FT_GetQueueStatus(h, dwRxBytes); });
}

// A close the backend refuses keeps the handle, as D2XX's does.
bool FallbackDriver::DeviceGone(FT_HANDLE ftHandle) {
    const Opened* opened = Find(ftHandle);
    return opened != nullptr && opened->backend->DeviceGone(opened->handle);
}

FT_STATUS FallbackDriver::FT_Close(FT_HANDLE ftHandle) {
    const FT_STATUS status = Route(ftHandle, [](FtdiDriver& d, FT_HANDLE h) { return d.FT_Close(h); });
    if (status == FT_OK) {
        opened_.erase(std::find_if(opened_.begin(), opened_.end(), [&](const auto& o) { return o.get() == ftHandle; }));
    }
    return status;
}

}  // namespace nembra
