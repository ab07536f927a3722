#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pod/FtdiDriver.h"

namespace nembra {

// One FTDI device as the kernel lists it in sysfs, readable without access
// to the device itself.
struct UsbProduct {
    std::string product;
    uint16_t productId = 0;
    bool accessible = false;         // the device node can be opened for reading and writing
    bool kernelDriverBound = false;  // a kernel driver (ftdi_sio) holds its first interface
    bool claimedByProgram = false;   // a program holds that interface through usbfs
    std::string serial;
};

using ProductLister = std::function<std::vector<UsbProduct>()>;

// The FTDI devices (vendor 0403) the kernel lists under `sysfsRoot`, in name
// order, with whether their node under `devRoot` is open to this user and
// who holds their first interface.
std::vector<UsbProduct> ListFtdiUsbProducts(const std::string& sysfsRoot = "/sys/bus/usb/devices",
                                            const std::string& devRoot = "/dev/bus/usb");

// Why a device with this description (or serial number) could not be
// opened, as far as the kernel's list tells: Unplugged when it lists no such
// device, Other when it lists none at all (no sysfs) or shows nothing amiss.
OpenFailureCause CauseOfUnopened(const std::vector<UsbProduct>& products, const std::string& wanted, bool bySerial);

}  // namespace nembra
