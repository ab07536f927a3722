#pragma once
#include <libusb-1.0/libusb.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/VirtualClock.h"
#include "tests/usbmodel/Ft232rChip.h"

namespace nembra::usbmodel {

// libusb's asynchronous bulk IN transfers on the modelled bus. Submitted
// transfers wait on their chip's endpoint in submission order and finish
// only while the program handles events, as with libusb; waiting for an
// event moves the virtual clock to it. One thread at a time, as libusb's
// callbacks run on the thread that handles events.
class TransferQueue {
public:
    explicit TransferQueue(VirtualClock& clock) : clock_(clock) {}

    // A bulk IN transfer without a time-out of its own; anything else is
    // refused as not modelled.
    int Submit(libusb_transfer* transfer, Ft232rChip* chip);
    int Cancel(libusb_transfer* transfer);
    // Finishes every transfer that can finish now; when none can and
    // timeoutMs is not 0, waits up to timeoutMs for one. libusb's result.
    int HandleEvents(unsigned timeoutMs, const int* completed);

    // libusb forbids freeing a transfer or closing its device while it is in
    // flight; both are noted as misuse and the transfer is dropped.
    void Freed(const libusb_transfer* transfer);
    void Closed(const libusb_device_handle* handle);
    int InFlight() const { return static_cast<int>(pending_.size()); }
    const std::vector<std::string>& misuses() const { return misuses_; }
    void Clear();

private:
    struct Pending {
        libusb_transfer* transfer;
        Ft232rChip* chip;
        bool cancelled = false;
    };
    bool FinishOne(uint32_t& nextMs);
    bool IsHead(size_t index) const;
    void Finish(size_t index, libusb_transfer_status status);

    VirtualClock& clock_;
    std::vector<Pending> pending_;
    std::vector<std::string> misuses_;
};

}  // namespace nembra::usbmodel
