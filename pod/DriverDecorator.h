#pragma once
#include <memory>
#include <utility>

#include "pod/FtdiDriver.h"

namespace nembra {

// Forwards every call to the driver it wraps; a decorator overrides the calls
// it changes. It owns the driver it is given, or borrows one that must
// outlive it.
class DriverDecorator : public FtdiDriver {
public:
    explicit DriverDecorator(std::unique_ptr<FtdiDriver> inner) : owned_(std::move(inner)), inner_(owned_.get()) {}
    explicit DriverDecorator(FtdiDriver& borrowed) : inner_(&borrowed) {}

    FT_STATUS FT_ListDevices(void* a1, void* a2, DWORD flags) override { return inner_->FT_ListDevices(a1, a2, flags); }
    FT_STATUS FT_OpenEx(void* a1, DWORD flags, FT_HANDLE* h) override { return inner_->FT_OpenEx(a1, flags, h); }
    FT_STATUS FT_ResetDevice(FT_HANDLE h) override { return inner_->FT_ResetDevice(h); }
    FT_STATUS FT_GetLatencyTimer(FT_HANDLE h, UCHAR* t) override { return inner_->FT_GetLatencyTimer(h, t); }
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE h, UCHAR t) override { return inner_->FT_SetLatencyTimer(h, t); }
    FT_STATUS FT_SetBaudRate(FT_HANDLE h, ULONG baud) override { return inner_->FT_SetBaudRate(h, baud); }
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE h, UCHAR w, UCHAR s, UCHAR p) override {
        return inner_->FT_SetDataCharacteristics(h, w, s, p);
    }
    FT_STATUS FT_SetFlowControl(FT_HANDLE h, USHORT f, UCHAR on, UCHAR off) override {
        return inner_->FT_SetFlowControl(h, f, on, off);
    }
    FT_STATUS FT_SetTimeouts(FT_HANDLE h, ULONG r, ULONG w) override { return inner_->FT_SetTimeouts(h, r, w); }
    FT_STATUS FT_Purge(FT_HANDLE h, ULONG mask) override { return inner_->FT_Purge(h, mask); }
    FT_STATUS FT_Write(FT_HANDLE h, void* b, DWORD n, DWORD* w) override { return inner_->FT_Write(h, b, n, w); }
    FT_STATUS FT_GetStatus(FT_HANDLE h, DWORD* rx, DWORD* tx, DWORD* ev) override {
        return inner_->FT_GetStatus(h, rx, tx, ev);
    }
    FT_STATUS FT_Read(FT_HANDLE h, void* b, DWORD n, DWORD* r) override { return inner_->FT_Read(h, b, n, r); }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE h, DWORD* rx) override { return inner_->FT_GetQueueStatus(h, rx); }
    FT_STATUS FT_Close(FT_HANDLE h) override { return inner_->FT_Close(h); }
    OpenFailureCause LastOpenFailureCause() const override { return inner_->LastOpenFailureCause(); }
    bool DeviceGone(FT_HANDLE h) override { return inner_->DeviceGone(h); }
    std::string BackendName() const override { return inner_->BackendName(); }

protected:
    FtdiDriver& inner() { return *inner_; }

private:
    std::unique_ptr<FtdiDriver> owned_;
    FtdiDriver* inner_;
};

}  // namespace nembra
