#include <dlfcn.h>
#include <libusb-1.0/libusb.h>

#include <chrono>
#include <string>

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
    decltype(&ftdi_write_data) writeData;
    decltype(&ftdi_get_library_version) libraryVersion;
    // libftdi1 1.4 has only the older call that empties both directions
    // (deprecated in 1.5, which has the flushes).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    decltype(&ftdi_usb_purge_buffers) purgeBuffers;
#pragma GCC diagnostic pop
};

// The libusb calls that find FTDI devices of any product id.
struct UsbSymbols {
    decltype(&libusb_get_device_list) getDeviceList;
    decltype(&libusb_free_device_list) freeDeviceList;
    decltype(&libusb_get_device_descriptor) getDeviceDescriptor;
};

template <typename Fn>
bool Resolve(void* library, const char* name, Fn& out) {
    void* symbol = dlsym(library, name);
    out = reinterpret_cast<Fn>(symbol);
    return symbol != nullptr;
}

// The 1.5 flushes, else 1.4's purge of both directions for each of them.
bool ResolveFlushes(void* lib, Symbols& s) {
    if (Resolve(lib, "ftdi_tciflush", s.tciflush) && Resolve(lib, "ftdi_tcoflush", s.tcoflush) &&
        Resolve(lib, "ftdi_tcioflush", s.tcioflush)) {
        return true;
    }
    s.tciflush = s.tcoflush = s.tcioflush = nullptr;
    return Resolve(lib, "ftdi_usb_purge_buffers", s.purgeBuffers);
}

bool ResolveAll(void* lib, Symbols& s) {
    return Resolve(lib, "ftdi_new", s.newContext) && Resolve(lib, "ftdi_free", s.freeContext) &&
           Resolve(lib, "ftdi_usb_find_all", s.usbFindAll) && Resolve(lib, "ftdi_list_free", s.listFree) &&
           Resolve(lib, "ftdi_usb_get_strings2", s.usbGetStrings2) && Resolve(lib, "ftdi_usb_open_dev", s.usbOpenDev) &&
           Resolve(lib, "ftdi_usb_close", s.usbClose) && Resolve(lib, "ftdi_usb_reset", s.usbReset) &&
           ResolveFlushes(lib, s) && Resolve(lib, "ftdi_get_library_version", s.libraryVersion) &&
           Resolve(lib, "ftdi_set_baudrate", s.setBaudrate) &&
           Resolve(lib, "ftdi_set_line_property", s.setLineProperty) &&
           Resolve(lib, "ftdi_setflowctrl", s.setFlowCtrl) &&
           Resolve(lib, "ftdi_setflowctrl_xonxoff", s.setFlowCtrlXonXoff) &&
           Resolve(lib, "ftdi_set_latency_timer", s.setLatencyTimer) &&
           Resolve(lib, "ftdi_get_latency_timer", s.getLatencyTimer) && Resolve(lib, "ftdi_write_data", s.writeData);
}

constexpr uint16_t kFtdiVendor = 0x0403;

uint64_t SteadyMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

// Asks the libusb that libftdi itself loaded, through the context's libusb context.
std::function<std::vector<uint16_t>(ftdi_context*)> FtdiProductIds(std::shared_ptr<void> usb) {
    UsbSymbols u{};
    if (usb == nullptr || !Resolve(usb.get(), "libusb_get_device_list", u.getDeviceList) ||
        !Resolve(usb.get(), "libusb_free_device_list", u.freeDeviceList) ||
        !Resolve(usb.get(), "libusb_get_device_descriptor", u.getDeviceDescriptor)) {
        return {};
    }
    return [u, usb](ftdi_context* c) {
        std::vector<uint16_t> ids;
        libusb_device** list = nullptr;
        const ssize_t count = u.getDeviceList(c->usb_ctx, &list);
        for (ssize_t i = 0; i < count; ++i) {
            libusb_device_descriptor desc{};
            if (u.getDeviceDescriptor(list[i], &desc) == 0 && desc.idVendor == kFtdiVendor) {
                ids.push_back(desc.idProduct);
            }
        }
        if (count >= 0) {
            u.freeDeviceList(list, 1);
        }
        return ids;
    };
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
    if (s.tciflush != nullptr) {
        api.tciflush = s.tciflush;
        api.tcoflush = s.tcoflush;
        api.tcioflush = s.tcioflush;
    } else {
        api.tciflush = api.tcoflush = api.tcioflush = s.purgeBuffers;
    }
    api.setBaudrate = s.setBaudrate;
    api.setLineProperty = s.setLineProperty;
    api.setFlowCtrl = s.setFlowCtrl;
    api.setFlowCtrlXonXoff = s.setFlowCtrlXonXoff;
    api.setLatencyTimer = s.setLatencyTimer;
    api.getLatencyTimer = s.getLatencyTimer;
    api.writeData = s.writeData;
    // libftdi keeps these in its context and offers no call for them.
    api.setUsbTimeouts = [](ftdi_context* c, int readMs, int writeMs) {
        c->usb_read_timeout = readMs;
        c->usb_write_timeout = writeMs;
    };
    api.nowMs = SteadyMs;
    api.library = std::move(library);
    return api;
}

}  // namespace

std::string LibFtdiVersionRefusal(int major, int minor) {
    if (major == 1 && minor >= 4) {
        return {};
    }
    return "libftdi1 " + std::to_string(major) + "." + std::to_string(minor) +
           " is not supported: this program needs libftdi1 1.4 or a later 1.x";
}

std::optional<LibFtdiApi> LoadLibFtdiApi(std::string* refusal) {
    const auto refuse = [refusal](std::string why) {
        if (refusal != nullptr) *refusal = std::move(why);
        return std::nullopt;
    };
    void* lib = dlopen("libftdi1.so.2", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) {
        return refuse("libftdi1.so.2 is not installed");
    }
    std::shared_ptr<void> holder(lib, [](void* h) { dlclose(h); });
    Symbols symbols{};
    if (!ResolveAll(lib, symbols)) {
        return refuse("libftdi1.so.2 lacks a function this program uses");
    }
    const ftdi_version_info version = symbols.libraryVersion();
    std::string why = LibFtdiVersionRefusal(version.major, version.minor);
    if (!why.empty()) {
        return refuse(std::move(why));
    }
    // Already loaded as libftdi's own dependency; this only takes a reference.
    void* usb = dlopen("libusb-1.0.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    std::shared_ptr<void> usbHolder(usb, [](void* h) {
        if (h != nullptr) dlclose(h);
    });
    LibFtdiApi api = MakeTable(symbols, std::move(holder));
    api.startReceiver = LibusbReceivers(usbHolder);
    if (!api.startReceiver) {
        return refuse("the libusb-1.0 that libftdi1 loaded lacks a function this program uses");
    }
    api.ftdiProductIds = FtdiProductIds(std::move(usbHolder));
    return api;
}

}  // namespace nembra
