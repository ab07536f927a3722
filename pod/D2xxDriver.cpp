#include "pod/D2xxDriver.h"

#include <dlfcn.h>

namespace nembra {

namespace {

// The published D2XX entry points. On Linux the library's DWORD and ULONG are
// 32 bits wide, as they are here, and its calls use the C convention.
extern "C" {
using ListDevicesFn = FT_STATUS (*)(void*, void*, DWORD);
using OpenExFn = FT_STATUS (*)(void*, DWORD, FT_HANDLE*);
using HandleFn = FT_STATUS (*)(FT_HANDLE);
using GetLatencyFn = FT_STATUS (*)(FT_HANDLE, UCHAR*);
using SetLatencyFn = FT_STATUS (*)(FT_HANDLE, UCHAR);
using SetBaudFn = FT_STATUS (*)(FT_HANDLE, ULONG);
using SetDataFn = FT_STATUS (*)(FT_HANDLE, UCHAR, UCHAR, UCHAR);
using SetFlowFn = FT_STATUS (*)(FT_HANDLE, USHORT, UCHAR, UCHAR);
using SetTimeoutsFn = FT_STATUS (*)(FT_HANDLE, ULONG, ULONG);
using PurgeFn = FT_STATUS (*)(FT_HANDLE, ULONG);
using TransferFn = FT_STATUS (*)(FT_HANDLE, void*, DWORD, DWORD*);
using GetStatusFn = FT_STATUS (*)(FT_HANDLE, DWORD*, DWORD*, DWORD*);
using QueueStatusFn = FT_STATUS (*)(FT_HANDLE, DWORD*);
}

struct D2xxCalls {
    ListDevicesFn listDevices;
    OpenExFn openEx;
    HandleFn resetDevice;
    GetLatencyFn getLatencyTimer;
    SetLatencyFn setLatencyTimer;
    SetBaudFn setBaudRate;
    SetDataFn setDataCharacteristics;
    SetFlowFn setFlowControl;
    SetTimeoutsFn setTimeouts;
    PurgeFn purge;
    TransferFn write;
    GetStatusFn getStatus;
    TransferFn read;
    QueueStatusFn getQueueStatus;
    HandleFn close;
};

template <typename Fn>
bool Resolve(void* library, const char* name, Fn& out) {
    void* symbol = dlsym(library, name);
    out = reinterpret_cast<Fn>(symbol);
    return symbol != nullptr;
}

bool ResolveAll(void* lib, D2xxCalls& c) {
    return Resolve(lib, "FT_ListDevices", c.listDevices) && Resolve(lib, "FT_OpenEx", c.openEx) &&
           Resolve(lib, "FT_ResetDevice", c.resetDevice) && Resolve(lib, "FT_GetLatencyTimer", c.getLatencyTimer) &&
           Resolve(lib, "FT_SetLatencyTimer", c.setLatencyTimer) && Resolve(lib, "FT_SetBaudRate", c.setBaudRate) &&
           Resolve(lib, "FT_SetDataCharacteristics", c.setDataCharacteristics) &&
           Resolve(lib, "FT_SetFlowControl", c.setFlowControl) && Resolve(lib, "FT_SetTimeouts", c.setTimeouts) &&
           Resolve(lib, "FT_Purge", c.purge) && Resolve(lib, "FT_Write", c.write) &&
           Resolve(lib, "FT_GetStatus", c.getStatus) && Resolve(lib, "FT_Read", c.read) &&
           Resolve(lib, "FT_GetQueueStatus", c.getQueueStatus) && Resolve(lib, "FT_Close", c.close);
}

class D2xxDriver : public FtdiDriver {
public:
    D2xxDriver(void* library, const D2xxCalls& calls) : library_(library), c_(calls) {}
    ~D2xxDriver() override { dlclose(library_); }
    D2xxDriver(const D2xxDriver&) = delete;
    D2xxDriver& operator=(const D2xxDriver&) = delete;

    FT_STATUS FT_ListDevices(void* a1, void* a2, DWORD flags) override { return c_.listDevices(a1, a2, flags); }
    FT_STATUS FT_OpenEx(void* a1, DWORD flags, FT_HANDLE* h) override { return c_.openEx(a1, flags, h); }
    FT_STATUS FT_ResetDevice(FT_HANDLE h) override { return c_.resetDevice(h); }
    FT_STATUS FT_GetLatencyTimer(FT_HANDLE h, UCHAR* t) override { return c_.getLatencyTimer(h, t); }
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE h, UCHAR t) override { return c_.setLatencyTimer(h, t); }
    FT_STATUS FT_SetBaudRate(FT_HANDLE h, ULONG baud) override { return c_.setBaudRate(h, baud); }
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE h, UCHAR w, UCHAR s, UCHAR p) override {
        return c_.setDataCharacteristics(h, w, s, p);
    }
    FT_STATUS FT_SetFlowControl(FT_HANDLE h, USHORT f, UCHAR on, UCHAR off) override {
        return c_.setFlowControl(h, f, on, off);
    }
    FT_STATUS FT_SetTimeouts(FT_HANDLE h, ULONG r, ULONG w) override { return c_.setTimeouts(h, r, w); }
    FT_STATUS FT_Purge(FT_HANDLE h, ULONG mask) override { return c_.purge(h, mask); }
    FT_STATUS FT_Write(FT_HANDLE h, void* b, DWORD n, DWORD* w) override { return c_.write(h, b, n, w); }
    FT_STATUS FT_GetStatus(FT_HANDLE h, DWORD* rx, DWORD* tx, DWORD* ev) override {
        return c_.getStatus(h, rx, tx, ev);
    }
    FT_STATUS FT_Read(FT_HANDLE h, void* b, DWORD n, DWORD* r) override { return c_.read(h, b, n, r); }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE h, DWORD* rx) override { return c_.getQueueStatus(h, rx); }
    FT_STATUS FT_Close(FT_HANDLE h) override { return c_.close(h); }
    std::string BackendName() const override { return "libftd2xx"; }

private:
    void* library_;
    D2xxCalls c_;
};

}  // namespace

std::unique_ptr<FtdiDriver> LoadD2xxDriver(const char* file, std::string* whyNot) {
    const auto refuse = [&](const char* why) {
        if (whyNot != nullptr) *whyNot = std::string(file) + why;
        return nullptr;
    };
    void* lib = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) {
        return refuse(" is not installed");
    }
    D2xxCalls calls{};
    if (!ResolveAll(lib, calls)) {
        dlclose(lib);
        return refuse(" lacks a D2XX call this program uses");
    }
    return std::make_unique<D2xxDriver>(lib, calls);
}

}  // namespace nembra
