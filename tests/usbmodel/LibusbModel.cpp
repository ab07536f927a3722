// The libusb-1.0 entry points libftdi1 uses, answered by the modelled bus.
// libusb is a process-wide C API, so the bus is one object for the process.
#include <libusb-1.0/libusb.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "tests/usbmodel/Ft232rChip.h"
#include "tests/usbmodel/TransferQueue.h"
#include "tests/usbmodel/UsbModelControl.h"

struct libusb_context {};
struct libusb_device {
    nembra::usbmodel::Ft232rChip* chip;
};
struct libusb_device_handle {
    libusb_device* device;
    bool claimed = false;
};

namespace nembra::usbmodel {
namespace {

constexpr uint16_t kFtdiVendor = 0x0403;
enum : uint8_t { kManufacturerString = 1, kProductString = 2, kSerialString = 3 };

class Bus : public UsbModelControl {
public:
    void Reset() override {
        transfers_.Clear();
        devices_.clear();
        chips_.clear();
        clock_ = VirtualClock();
        openHandles_ = 0;
    }
    int AddChip(uint16_t productId, const char* product, const SimPodOptions& options) override {
        const std::string serial = "KV" + std::to_string(100000 + chips_.size());
        chips_.push_back(std::make_unique<Ft232rChip>(clock_, productId, product, serial, options));
        devices_.push_back(std::make_unique<libusb_device>(libusb_device{chips_.back().get()}));
        return static_cast<int>(chips_.size()) - 1;
    }
    ChipConditions& Conditions(int chip) override { return chips_.at(static_cast<size_t>(chip))->conditions; }
    SimPod& Pod(int chip) override { return chips_.at(static_cast<size_t>(chip))->pod; }
    LinkClock& Clock() override { return clock_; }
    int OpenHandles() const override { return openHandles_; }
    uint32_t BaudRate(int chip) const override { return chips_.at(static_cast<size_t>(chip))->BaudRate(); }
    void PullOutAt(int chip, uint32_t atMs) override { chips_.at(static_cast<size_t>(chip))->PullOutAt(atMs); }
    int TransfersInFlight() const override { return transfers_.InFlight(); }
    const std::vector<std::string>& TransferMisuses() const override { return transfers_.misuses(); }
    TransferQueue& transfers() { return transfers_; }

    std::vector<libusb_device*> Present() const {
        std::vector<libusb_device*> out;
        for (const auto& d : devices_) {
            if (!d->chip->Gone()) out.push_back(d.get());
        }
        return out;
    }
    void Opened() { ++openHandles_; }
    void Closed() { --openHandles_; }

private:
    VirtualClock clock_;
    TransferQueue transfers_{clock_};
    std::vector<std::unique_ptr<Ft232rChip>> chips_;
    std::vector<std::unique_ptr<libusb_device>> devices_;
    int openHandles_ = 0;
};

Bus& TheBus() {
    static Bus bus;
    return bus;
}

// A 64-byte bulk endpoint.
libusb_endpoint_descriptor BulkEndpoint(uint8_t address) {
    libusb_endpoint_descriptor endpoint{};
    endpoint.bLength = LIBUSB_DT_ENDPOINT_SIZE;
    endpoint.bDescriptorType = LIBUSB_DT_ENDPOINT;
    endpoint.bEndpointAddress = address;
    endpoint.bmAttributes = LIBUSB_TRANSFER_TYPE_BULK;
    endpoint.wMaxPacketSize = 64;
    return endpoint;
}

libusb_config_descriptor* MakeConfig() {
    auto* endpoints = new libusb_endpoint_descriptor[2]{BulkEndpoint(0x81), BulkEndpoint(0x02)};
    auto* alt = new libusb_interface_descriptor{};
    alt->bLength = LIBUSB_DT_INTERFACE_SIZE;
    alt->bDescriptorType = LIBUSB_DT_INTERFACE;
    alt->bNumEndpoints = 2;
    alt->bInterfaceClass = 0xFF;
    alt->bInterfaceSubClass = 0xFF;
    alt->bInterfaceProtocol = 0xFF;
    alt->iInterface = kProductString;
    alt->endpoint = endpoints;
    auto* interface = new libusb_interface{alt, 1};
    auto* config = new libusb_config_descriptor{};
    *config = {LIBUSB_DT_CONFIG_SIZE, LIBUSB_DT_CONFIG, 32, 1, 1, 0, 0xA0, 45, interface, nullptr, 0};
    return config;
}

// An event wait's time-out.
unsigned Milliseconds(const timeval* tv) {
    if (tv == nullptr) return 60000;  // libusb's own wait without a time-out
    return static_cast<unsigned>(tv->tv_sec * 1000 + (tv->tv_usec + 999) / 1000);
}

}  // namespace
}  // namespace nembra::usbmodel

using nembra::usbmodel::Milliseconds;
using nembra::usbmodel::TheBus;

extern "C" {

nembra::usbmodel::UsbModelControl* nembra_usb_model() { return &TheBus(); }

int libusb_init(libusb_context** ctx) {
    if (ctx != nullptr) *ctx = new libusb_context;
    return LIBUSB_SUCCESS;
}

void libusb_exit(libusb_context* ctx) { delete ctx; }

ssize_t libusb_get_device_list(libusb_context*, libusb_device*** list) {
    const auto present = TheBus().Present();
    auto** out = new libusb_device*[present.size() + 1];
    for (size_t i = 0; i < present.size(); ++i) out[i] = present[i];
    out[present.size()] = nullptr;
    *list = out;
    return static_cast<ssize_t>(present.size());
}

void libusb_free_device_list(libusb_device** list, int) { delete[] list; }

// The bus owns its devices for the whole run, so references need no count.
libusb_device* libusb_ref_device(libusb_device* dev) { return dev; }
void libusb_unref_device(libusb_device*) {}

uint8_t libusb_get_bus_number(libusb_device*) { return 1; }

uint8_t libusb_get_device_address(libusb_device* dev) {
    const auto present = TheBus().Present();
    for (size_t i = 0; i < present.size(); ++i) {
        if (present[i] == dev) return static_cast<uint8_t>(2 + i);
    }
    return 0;
}

int libusb_get_device_descriptor(libusb_device* dev, libusb_device_descriptor* desc) {
    // clang-format off
    *desc = {LIBUSB_DT_DEVICE_SIZE, LIBUSB_DT_DEVICE, 0x0200, 0, 0, 0, 8,
             nembra::usbmodel::kFtdiVendor, dev->chip->productId, 0x0600,
             nembra::usbmodel::kManufacturerString, nembra::usbmodel::kProductString,
             nembra::usbmodel::kSerialString, 1};
    // clang-format on
    return LIBUSB_SUCCESS;
}

int libusb_get_config_descriptor(libusb_device*, uint8_t index, libusb_config_descriptor** config) {
    if (index != 0) return LIBUSB_ERROR_NOT_FOUND;
    *config = nembra::usbmodel::MakeConfig();
    return LIBUSB_SUCCESS;
}

void libusb_free_config_descriptor(libusb_config_descriptor* config) {
    if (config == nullptr) return;
    delete[] config->interface->altsetting->endpoint;
    delete config->interface->altsetting;
    delete config->interface;
    delete config;
}

int libusb_open(libusb_device* dev, libusb_device_handle** handle) {
    if (dev->chip->Gone()) return LIBUSB_ERROR_NO_DEVICE;
    if (dev->chip->conditions.openRefused) return LIBUSB_ERROR_ACCESS;
    *handle = new libusb_device_handle{dev};
    TheBus().Opened();
    return LIBUSB_SUCCESS;
}

void libusb_close(libusb_device_handle* handle) {
    if (handle == nullptr) return;
    TheBus().transfers().Closed(handle);
    if (handle->claimed) handle->device->chip->Released();
    delete handle;
    TheBus().Closed();
}

int libusb_get_string_descriptor_ascii(libusb_device_handle* handle, uint8_t index, unsigned char* data, int length) {
    auto* chip = handle->device->chip;
    if (chip->Gone()) return LIBUSB_ERROR_NO_DEVICE;
    std::string text;
    if (index == nembra::usbmodel::kManufacturerString)
        text = "FTDI";
    else if (index == nembra::usbmodel::kProductString)
        text = chip->product;
    else if (index == nembra::usbmodel::kSerialString)
        text = chip->serial;
    else
        return LIBUSB_ERROR_INVALID_PARAM;
    if (length <= 0) return LIBUSB_ERROR_INVALID_PARAM;
    const int n = std::min(static_cast<int>(text.size()), length - 1);
    std::copy(text.begin(), text.begin() + n, data);
    data[n] = '\0';
    return n;
}

int libusb_get_configuration(libusb_device_handle*, int* config) {
    *config = 1;
    return LIBUSB_SUCCESS;
}

int libusb_set_configuration(libusb_device_handle*, int config) {
    return config == 1 ? LIBUSB_SUCCESS : LIBUSB_ERROR_NOT_FOUND;
}

int libusb_detach_kernel_driver(libusb_device_handle* handle, int interface) {
    auto& c = handle->device->chip->conditions;
    if (interface != 0) return LIBUSB_ERROR_NOT_FOUND;
    if (!c.kernelDriverBound) return LIBUSB_ERROR_NOT_FOUND;
    c.kernelDriverBound = false;  // and it stays unbound until the pod is replugged
    return LIBUSB_SUCCESS;
}

int libusb_set_auto_detach_kernel_driver(libusb_device_handle*, int) { return LIBUSB_ERROR_NOT_SUPPORTED; }

int libusb_claim_interface(libusb_device_handle* handle, int interface) {
    auto* chip = handle->device->chip;
    if (chip->Gone()) return LIBUSB_ERROR_NO_DEVICE;
    if (interface != 0) return LIBUSB_ERROR_NOT_FOUND;
    if (chip->conditions.kernelDriverBound || chip->conditions.interfaceBusy) return LIBUSB_ERROR_BUSY;
    if (!handle->claimed) chip->Claimed();
    handle->claimed = true;
    return LIBUSB_SUCCESS;
}

int libusb_release_interface(libusb_device_handle* handle, int) {
    if (!handle->claimed) return LIBUSB_ERROR_NOT_FOUND;
    handle->claimed = false;
    handle->device->chip->Released();
    return handle->device->chip->Gone() ? LIBUSB_ERROR_NO_DEVICE : LIBUSB_SUCCESS;
}

// libusb's synchronous calls handle the context's events while they wait,
// so transfers in flight finish (and their callbacks run) during them.
int libusb_control_transfer(libusb_device_handle* handle, uint8_t requestType, uint8_t request, uint16_t value,
                            uint16_t index, unsigned char* data, uint16_t length, unsigned int) {
    const int rc = handle->device->chip->Control(requestType, request, value, index, data, length);
    TheBus().transfers().HandleEvents(0, nullptr);
    return rc;
}

int libusb_bulk_transfer(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data, int length,
                         int* transferred, unsigned int timeout) {
    int moved = 0;
    if (!handle->claimed) return LIBUSB_ERROR_IO;
    auto* chip = handle->device->chip;
    const int rc = (endpoint & LIBUSB_ENDPOINT_IN) != 0 ? chip->BulkIn(data, length, &moved, timeout)
                                                        : chip->BulkOut(data, length, &moved);
    if (transferred != nullptr) *transferred = moved;
    TheBus().transfers().HandleEvents(0, nullptr);
    return rc;
}

// Asynchronous bulk IN transfers; libftdi's streaming calls, which want
// more, are refused by the queue.
libusb_transfer* libusb_alloc_transfer(int isoPackets) {
    if (isoPackets != 0) return nullptr;
    return static_cast<libusb_transfer*>(std::calloc(1, sizeof(libusb_transfer)));
}

void libusb_free_transfer(libusb_transfer* transfer) {
    if (transfer == nullptr) return;
    TheBus().transfers().Freed(transfer);
    if ((transfer->flags & LIBUSB_TRANSFER_FREE_BUFFER) != 0) std::free(transfer->buffer);
    std::free(transfer);
}

int libusb_submit_transfer(libusb_transfer* transfer) {
    if (transfer == nullptr || transfer->dev_handle == nullptr) return LIBUSB_ERROR_INVALID_PARAM;
    if (!transfer->dev_handle->claimed) return LIBUSB_ERROR_IO;
    return TheBus().transfers().Submit(transfer, transfer->dev_handle->device->chip);
}

int libusb_cancel_transfer(libusb_transfer* transfer) { return TheBus().transfers().Cancel(transfer); }

int libusb_handle_events_timeout(libusb_context*, timeval* tv) {
    return TheBus().transfers().HandleEvents(Milliseconds(tv), nullptr);
}

int libusb_handle_events_timeout_completed(libusb_context*, timeval* tv, int* completed) {
    return TheBus().transfers().HandleEvents(Milliseconds(tv), completed);
}

}  // extern "C"
