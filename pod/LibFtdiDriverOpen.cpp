#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "pod/LibFtdiDriver.h"
#include "pod/PodLink.h"

namespace nembra {

namespace {

constexpr int kFtdiVendor = 0x0403;
constexpr size_t kDescriptionBytes = 64;

// The (vendor, product) pairs to ask libftdi for: every FTDI product id the
// kernel lists, so that a pod with its own product id is found too; without
// sysfs, libftdi's defaults (vendor and product 0).
std::vector<std::pair<int, int>> SearchIds(const std::vector<UsbProduct>& products,
                                           const std::vector<uint16_t>& seenByLibusb) {
    std::set<uint16_t> ids(seenByLibusb.begin(), seenByLibusb.end());
    for (const UsbProduct& p : products) {
        ids.insert(p.productId);
    }
    std::vector<std::pair<int, int>> out;
    for (uint16_t id : ids) {
        out.emplace_back(kFtdiVendor, id);
    }
    if (out.empty()) {
        out.emplace_back(0, 0);
    }
    return out;
}

}  // namespace

// ftdi_usb_open_dev's codes in libftdi1 1.5.
OpenFailureCause CauseOfOpenError(int code) {
    switch (code) {
        case -4:  // libusb_open refused: the device node is not ours
        case -8:  // detaching ftdi_sio was not permitted
            return OpenFailureCause::PermissionDenied;
        case -3:  // the configuration could not be set while ftdi_sio holds the device
            return OpenFailureCause::HeldByKernelDriver;
        case -5:  // the claim failed as busy after ftdi_sio was detached: another program has it
            return OpenFailureCause::HeldByAnotherProgram;
        default:
            // -6, -7: the reset or first baud request failed; -9, -10, -12: a
            // descriptor or the configuration could not be read; -666: no device.
            return OpenFailureCause::Other;
    }
}

constexpr int kOpenRefused = -4;  // ftdi_usb_get_strings2: libusb_open failed

void LibFtdiDriver::NoteUnreadable(int rc) {
    if (rc == kOpenRefused) {
        ++unnamedRefused_;
    }
}

// Calls `visit` with every FTDI device whose description libftdi can read,
// in enumeration order, until it returns true.
void LibFtdiDriver::VisitDevices(ftdi_context* ctx, const std::vector<UsbProduct>& products,
                                 const DeviceVisitor& visit) {
    unnamedRefused_ = 0;
    const auto seen = api_.ftdiProductIds ? api_.ftdiProductIds(ctx) : std::vector<uint16_t>{};
    for (const auto& [vendor, product] : SearchIds(products, seen)) {
        ftdi_device_list* list = nullptr;
        if (api_.usbFindAll(ctx, &list, vendor, product) < 0) {
            continue;
        }
        bool done = false;
        for (ftdi_device_list* node = list; node != nullptr && !done; node = node->next) {
            char text[kDescriptionBytes] = {};
            const int rc = api_.usbGetDescription(ctx, node->dev, text, static_cast<int>(sizeof text));
            if (rc < 0) {
                NoteUnreadable(rc);
                continue;
            }
            text[kDescriptionBytes - 1] = '\0';
            done = visit(ctx, node->dev, text);
        }
        api_.listFree(&list);
        if (done) {
            return;
        }
    }
}

// What libftdi can read, then what only sysfs shows: a pod that is plugged
// in but not accessible is still listed, so that opening it can say why.
void LibFtdiDriver::Enumerate() {
    listing_.clear();
    const std::vector<UsbProduct> products = listProducts_ ? listProducts_() : std::vector<UsbProduct>{};
    ftdi_context* ctx = api_.newContext();
    if (ctx == nullptr) {
        return;
    }
    std::multiset<std::string> readable;
    VisitDevices(ctx, products, [&](ftdi_context* c, libusb_device* dev, const std::string& description) {
        readable.insert(description);
        listing_.push_back(Listed{description, SerialOf(c, dev), true, OpenFailureCause::None});
        return false;
    });
    api_.freeContext(ctx);
    // Without sysfs a device closed to this user has no name to show; the
    // pod is the FTDI device this program is for, and "may not open" helps
    // the user where "no pod" would not.
    if (products.empty() && unnamedRefused_ > 0 && readable.count(kPodDescription) == 0) {
        listing_.push_back(Listed{kPodDescription, "", false, OpenFailureCause::PermissionDenied});
    }
    for (const UsbProduct& p : products) {
        const auto seen = readable.find(p.product);
        if (seen != readable.end()) {
            readable.erase(seen);
        } else if (!p.product.empty()) {
            const auto cause = p.accessible ? OpenFailureCause::Other : OpenFailureCause::PermissionDenied;
            listing_.push_back(Listed{p.product, "", false, cause});
        }
    }
}

FT_STATUS LibFtdiDriver::FT_ListDevices(void* pArg1, void* pArg2, DWORD Flags) {
    if (Flags == FT_LIST_NUMBER_ONLY) {
        if (pArg1 == nullptr) {
            return FT_INVALID_PARAMETER;
        }
        Enumerate();
        *static_cast<DWORD*>(pArg1) = static_cast<DWORD>(listing_.size());
        return FT_OK;
    }
    const bool serial = Flags == (FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER);
    if ((Flags != (FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION) && !serial) || pArg2 == nullptr) {
        return FT_INVALID_PARAMETER;
    }
    if (listing_.empty()) {
        Enumerate();
    }
    const auto index = reinterpret_cast<uintptr_t>(pArg1);
    if (index >= listing_.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    char* out = static_cast<char*>(pArg2);
    std::memset(out, 0, kDescriptionBytes);
    const std::string& d = serial ? listing_[index].serial : listing_[index].description;
    std::memcpy(out, d.data(), std::min(d.size(), kDescriptionBytes - 1));
    return FT_OK;
}

OpenFailureCause LibFtdiDriver::CauseOfUnreachable(const std::string& description,
                                                   const std::vector<UsbProduct>& products) const {
    for (const UsbProduct& p : products) {
        if (p.product == description) {
            return p.accessible ? OpenFailureCause::Other : OpenFailureCause::PermissionDenied;
        }
    }
    return OpenFailureCause::Unplugged;
}

std::string LibFtdiDriver::SerialOf(ftdi_context* ctx, libusb_device* dev) {
    char text[kDescriptionBytes] = {};
    if (!api_.usbGetSerial || api_.usbGetSerial(ctx, dev, text, static_cast<int>(sizeof text)) < 0) {
        return {};
    }
    text[kDescriptionBytes - 1] = '\0';
    return text;
}

// ftdi_usb_open_desc is not used: it matches no device with vendor id 0 and
// gives up at the first device it cannot open, even another one. Walking the
// list ourselves opens the first device with this exact description (or
// serial number).
FT_STATUS LibFtdiDriver::OpenMatching(const std::string& wanted, bool bySerial, FT_HANDLE* pHandle) {
    const std::vector<UsbProduct> products = listProducts_ ? listProducts_() : std::vector<UsbProduct>{};
    ftdi_context* ctx = api_.newContext();
    if (ctx == nullptr) {
        lastOpenFailure_ = OpenFailureCause::Other;
        return FT_OTHER_ERROR;
    }
    bool matched = false;
    int rc = 0;
    VisitDevices(ctx, products, [&](ftdi_context* c, libusb_device* dev, const std::string& found) {
        if ((bySerial ? SerialOf(c, dev) : found) != wanted || wanted.empty()) {
            return false;
        }
        matched = true;
        rc = api_.usbOpenDev(c, dev);  // detaches the kernel's serial driver
        return true;
    });
    if (!matched || rc < 0) {
        api_.freeContext(ctx);
        if (matched) {
            lastOpenFailure_ = CauseOfOpenError(rc);
        } else if (bySerial) {
            lastOpenFailure_ = OpenFailureCause::Unplugged;
        } else if (products.empty() && unnamedRefused_ > 0) {
            // Without sysfs a device whose name could not be read for want of
            // permission may well be the pod.
            lastOpenFailure_ = OpenFailureCause::PermissionDenied;
        } else {
            lastOpenFailure_ = CauseOfUnreachable(wanted, products);
        }
        return matched ? FT_DEVICE_NOT_OPENED : FT_DEVICE_NOT_FOUND;
    }
    auto port = std::make_unique<Port>();
    port->ctx = ctx;
    *pHandle = port.get();
    ports_.push_back(std::move(port));
    lastOpenFailure_ = OpenFailureCause::None;
    return FT_OK;
}

FT_STATUS LibFtdiDriver::FT_OpenEx(void* pArg1, DWORD Flags, FT_HANDLE* pHandle) {
    lastOpenFailure_ = OpenFailureCause::Other;
    if (pArg1 == nullptr || pHandle == nullptr ||
        (Flags != FT_OPEN_BY_DESCRIPTION && Flags != FT_OPEN_BY_SERIAL_NUMBER)) {
        return FT_INVALID_PARAMETER;
    }
    const char* text = static_cast<const char*>(pArg1);
    return OpenMatching(std::string(text, strnlen(text, kDescriptionBytes)), Flags == FT_OPEN_BY_SERIAL_NUMBER,
                        pHandle);
}

}  // namespace nembra
