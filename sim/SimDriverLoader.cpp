#include "sim/SimDriverLoader.h"

namespace nembra {

namespace {

// Forwards every call, so that the link may own and drop its driver while the
// tests keep the device itself.
class ForwardingDriver : public FtdiDriver {
public:
    explicit ForwardingDriver(SimDevice& device) : d_(device) {}

    FT_STATUS FT_ListDevices(void* a1, void* a2, DWORD flags) override { return d_.FT_ListDevices(a1, a2, flags); }
    FT_STATUS FT_OpenEx(void* a1, DWORD flags, FT_HANDLE* h) override { return d_.FT_OpenEx(a1, flags, h); }
    FT_STATUS FT_ResetDevice(FT_HANDLE h) override { return d_.FT_ResetDevice(h); }
    FT_STATUS FT_GetLatencyTimer(FT_HANDLE h, UCHAR* t) override { return d_.FT_GetLatencyTimer(h, t); }
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE h, UCHAR t) override { return d_.FT_SetLatencyTimer(h, t); }
    FT_STATUS FT_SetBaudRate(FT_HANDLE h, ULONG baud) override { return d_.FT_SetBaudRate(h, baud); }
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE h, UCHAR w, UCHAR s, UCHAR p) override {
        return d_.FT_SetDataCharacteristics(h, w, s, p);
    }
    FT_STATUS FT_SetFlowControl(FT_HANDLE h, USHORT f, UCHAR on, UCHAR off) override {
        return d_.FT_SetFlowControl(h, f, on, off);
    }
    FT_STATUS FT_SetTimeouts(FT_HANDLE h, ULONG r, ULONG w) override { return d_.FT_SetTimeouts(h, r, w); }
    FT_STATUS FT_Purge(FT_HANDLE h, ULONG mask) override { return d_.FT_Purge(h, mask); }
    FT_STATUS FT_Write(FT_HANDLE h, void* b, DWORD n, DWORD* w) override { return d_.FT_Write(h, b, n, w); }
    FT_STATUS FT_GetStatus(FT_HANDLE h, DWORD* rx, DWORD* tx, DWORD* ev) override {
        return d_.FT_GetStatus(h, rx, tx, ev);
    }
    FT_STATUS FT_Read(FT_HANDLE h, void* b, DWORD n, DWORD* r) override { return d_.FT_Read(h, b, n, r); }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE h, DWORD* rx) override { return d_.FT_GetQueueStatus(h, rx); }
    FT_STATUS FT_Close(FT_HANDLE h) override { return d_.FT_Close(h); }
    OpenFailureCause LastOpenFailureCause() const override { return d_.LastOpenFailureCause(); }
    std::string BackendName() const override { return d_.BackendName(); }

private:
    SimDevice& d_;
};

}  // namespace

std::unique_ptr<FtdiDriver> SimDriverLoader::Load() {
    if (!available_) {
        return nullptr;
    }
    return std::make_unique<ForwardingDriver>(device_);
}

}  // namespace nembra
