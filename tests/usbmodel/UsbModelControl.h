#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pod/LinkClock.h"
#include "sim/SimPod.h"

namespace nembra::usbmodel {

// What a test can do to the chips on the modelled USB bus.
struct ChipConditions {
    bool kernelDriverBound = false;  // ftdi_sio holds the interface until detached
    bool interfaceBusy = false;      // another program has claimed the interface
    bool openRefused = false;        // the device node is closed to this user
    bool podSilent = false;          // the chip works, the pod behind it never answers
    long unplugAfterOutBytes = -1;   // pulled out once this many bytes went out (-1: never)
};

// The modelled bus, reached by a test through dlsym("nembra_usb_model") in
// the libusb-1.0.so.0 that libftdi1 loaded. Time on the bus is virtual: it
// moves only while libftdi waits on the chip (a bulk transfer that waits for
// the latency timer, the FIFO draining at the line rate, an event wait for
// the transfers in flight) or when the link sleeps.
class UsbModelControl {
public:
    // No chips, clock at 0, nothing open.
    virtual void Reset() = 0;
    // An FT232R (vendor 0403) with this product id and product string, and a
    // pod of these options behind it; returns its index.
    virtual int AddChip(uint16_t productId, const char* product, const SimPodOptions& options = {}) = 0;
    virtual ChipConditions& Conditions(int chip) = 0;
    virtual SimPod& Pod(int chip) = 0;
    virtual LinkClock& Clock() = 0;
    // libusb handles opened and not closed, over all chips.
    virtual int OpenHandles() const = 0;
    // The rate the chip's baud divisor decodes to.
    virtual uint32_t BaudRate(int chip) const = 0;
    // The chip is pulled out when the bus's clock reaches atMs (at once when it has).
    virtual void PullOutAt(int chip, uint32_t atMs) = 0;
    // Asynchronous transfers submitted and not yet finished, over all chips.
    virtual int TransfersInFlight() const = 0;
    // What the program did with its transfers that libusb forbids (freed or
    // its device closed while in flight), in plain words.
    virtual const std::vector<std::string>& TransferMisuses() const = 0;

protected:
    ~UsbModelControl() = default;
};

}  // namespace nembra::usbmodel

extern "C" nembra::usbmodel::UsbModelControl* nembra_usb_model();
