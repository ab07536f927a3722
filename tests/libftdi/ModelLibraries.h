#pragma once
#include <dlfcn.h>

#include <memory>
#include <string>
#include <vector>

#include "pod/LibFtdiDriver.h"
#include "pod/LinkClock.h"
#include "tests/usbmodel/ModelDriverLoader.h"
#include "tests/usbmodel/UsbModelControl.h"

namespace nembra::testing {

// The real libftdi1.so.2 and, beneath it in place of libusb, the chip model.
// Closed when it goes, so it must outlive every driver made from it.
class ModelLibraries {
public:
    ModelLibraries() {
        ftdi_ = dlopen("libftdi1.so.2", RTLD_NOW | RTLD_LOCAL);
        if (ftdi_ == nullptr) {
            skip_ = "libftdi1.so.2 is not installed (Debian package libftdi1-2)";
            return;
        }
        usb_ = dlopen("libusb-1.0.so.0", RTLD_NOW | RTLD_NOLOAD);
        auto* find =
            usb_ == nullptr ? nullptr : reinterpret_cast<decltype(&nembra_usb_model)>(dlsym(usb_, "nembra_usb_model"));
        if (find == nullptr) {
            skip_ = "libftdi1 loaded the system's libusb, not the chip model: run through ctest";
            return;
        }
        model_ = find();
    }
    ~ModelLibraries() {
        if (usb_ != nullptr) dlclose(usb_);
        if (ftdi_ != nullptr) dlclose(ftdi_);
    }
    ModelLibraries(const ModelLibraries&) = delete;
    ModelLibraries& operator=(const ModelLibraries&) = delete;

    // Null, with skipReason() set, when the suite cannot run here.
    usbmodel::UsbModelControl* model() const { return model_; }
    const std::string& skipReason() const { return skip_; }

private:
    void* ftdi_ = nullptr;
    void* usb_ = nullptr;
    usbmodel::UsbModelControl* model_ = nullptr;
    std::string skip_;
};

using usbmodel::LoadModelLibFtdi;

}  // namespace nembra::testing
