#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

struct ftdi_context;

namespace nembra {

// The chip's bulk IN endpoint kept busy by USB transfers in flight, as
// FTDI's own driver keeps it: what the chip sends is fetched while the
// program writes, waits or counts, so counting never waits on the bus.
// The transfers finish on the thread that calls Collect (or that is inside
// one of libftdi's own calls on the same device); nothing runs behind the
// program's back. Destroying a receiver cancels its transfers, waits for
// them and drops what they held.
class UsbReceiver {
public:
    virtual ~UsbReceiver() = default;
    // Appends what has arrived, the chip's status bytes removed. When
    // nothing has, waits up to waitMs for a transfer to end (0: no wait).
    // Returns 0, or libusb's error (< 0) once the chip is gone or a transfer
    // failed; it stays so, and then nothing is waited for.
    virtual int Collect(uint32_t waitMs, std::deque<uint8_t>& into) = 0;
};

// Starts a receiver on an open libftdi context.
using UsbReceiverFactory = std::function<std::unique_ptr<UsbReceiver>(ftdi_context*)>;

// Receivers made of libusb's asynchronous calls, from the libusb that
// libftdi loaded; empty when that library lacks one of them.
UsbReceiverFactory LibusbReceivers(std::shared_ptr<void> usbLibrary);

}  // namespace nembra
