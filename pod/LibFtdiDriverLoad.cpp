#include <dlfcn.h>

#include <chrono>

#include "pod/LibFtdiDriver.h"

namespace nembra {

namespace {

// Every libftdi1 entry point the adapter uses, resolved by name, so that the
// program runs on a machine without libftdi1.
struct Symbols {
    decltype(&ftdi_new) newContext;
    decltype(&ftdi_free) freeContext;
    decltype(&ftdi_usb_find_all) usbFindAll;
    decltype(&ftdi_list_free) listFree;
    decltype(&ftdi_usb_get_strings2) usbGetStrings2;
    decltype(&ftdi_usb_open_dev) usbOpenDev;
    decltype(&ftdi_usb_close) usbClose;
    decltype(&ftdi_usb_reset) usbReset;
    decltype(&ftdi_tciflush) tciflush;
    decltype(&ftdi_tcoflush) tcoflush;
    decltype(&ftdi_tcioflush) tcioflush;
    decltype(&ftdi_set_baudrate) setBaudrate;
    decltype(&ftdi_set_line_property) setLineProperty;
    decltype(&ftdi_setflowctrl) setFlowCtrl;
    decltype(&ftdi_setflowctrl_xonxoff) setFlowCtrlXonXoff;
    decltype(&ftdi_set_latency_timer) setLatencyTimer;
    decltype(&ftdi_get_latency_timer) getLatencyTimer;
    decltype(&ftdi_read_data) readData;
    decltype(&ftdi_write_data) writeData;
};

template <typename Fn>
bool Resolve(void* library, const char* name, Fn& out) {
    void* symbol = dlsym(library, name);
    out = reinterpret_cast<Fn>(symbol);
    return symbol != nullptr;
}

bool ResolveAll(void* lib, Symbols& s) {
    return Resolve(lib, "ftdi_new", s.newContext) && Resolve(lib, "ftdi_free", s.freeContext) &&
           Resolve(lib, "ftdi_usb_find_all", s.usbFindAll) && Resolve(lib, "ftdi_list_free", s.listFree) &&
           Resolve(lib, "ftdi_usb_get_strings2", s.usbGetStrings2) &&
           Resolve(lib, "ftdi_usb_open_dev", s.usbOpenDev) && Resolve(lib, "ftdi_usb_close", s.usbClose) &&
           Resolve(lib, "ftdi_usb_reset", s.usbReset) && Resolve(lib, "ftdi_tciflush", s.tciflush) &&
           Resolve(lib, "ftdi_tcoflush", s.tcoflush) && Resolve(lib, "ftdi_tcioflush", s.tcioflush) &&
           Resolve(lib, "ftdi_set_baudrate", s.setBaudrate) &&
           Resolve(lib, "ftdi_set_line_property", s.setLineProperty) &&
           Resolve(lib, "ftdi_setflowctrl", s.setFlowCtrl) &&
           Resolve(lib, "ftdi_setflowctrl_xonxoff", s.setFlowCtrlXonXoff) &&
           Resolve(lib, "ftdi_set_latency_timer", s.setLatencyTimer) &&
           Resolve(lib, "ftdi_get_latency_timer", s.getLatencyTimer) &&
           Resolve(lib, "ftdi_read_data", s.readData) && Resolve(lib, "ftdi_write_data", s.writeData);
}

uint64_t SteadyMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

LibFtdiApi MakeTable(const Symbols& s, std::shared_ptr<void> library) {
    LibFtdiApi api;
    api.newContext = s.newContext;
    api.freeContext = s.freeContext;
    api.usbFindAll = s.usbFindAll;
    api.listFree = s.listFree;
    api.usbGetDescription = [get = s.usbGetStrings2](ftdi_context* c, libusb_device* d, char* text, int size) {
        return get(c, d, nullptr, 0, text, size, nullptr, 0);
    };
    api.usbGetSerial = [get = s.usbGetStrings2](ftdi_context* c, libusb_device* d, char* text, int size) {
        return get(c, d, nullptr, 0, nullptr, 0, text, size);
    };
    api.usbOpenDev = s.usbOpenDev;
    api.usbClose = s.usbClose;
    api.usbReset = s.usbReset;
    api.tciflush = s.tciflush;
    api.tcoflush = s.tcoflush;
    api.tcioflush = s.tcioflush;
    api.setBaudrate = s.setBaudrate;
    api.setLineProperty = s.setLineProperty;
    api.setFlowCtrl = s.setFlowCtrl;
    api.setFlowCtrlXonXoff = s.setFlowCtrlXonXoff;
    api.setLatencyTimer = s.setLatencyTimer;
    api.getLatencyTimer = s.getLatencyTimer;
    api.readData = s.readData;
    api.writeData = s.writeData;
    // libftdi keeps these in its context and offers no call for them.
    api.bufferedBytes = [](ftdi_context* c) { return c->readbuffer_remaining; };
    api.setUsbTimeouts = [](ftdi_context* c, int readMs, int writeMs) {
        c->usb_read_timeout = readMs;
        c->usb_write_timeout = writeMs;
    };
    api.nowMs = SteadyMs;
    api.library = std::move(library);
    return api;
}

}  // namespace

std::optional<LibFtdiApi> LoadLibFtdiApi() {
    void* lib = dlopen("libftdi1.so.2", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) {
        return std::nullopt;
    }
    std::shared_ptr<void> holder(lib, [](void* h) { dlclose(h); });
    Symbols symbols{};
    if (!ResolveAll(lib, symbols)) {
        return std::nullopt;
    }
    return MakeTable(symbols, std::move(holder));
}

}  // namespace nembra
