#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "pod/UsbProducts.h"

namespace nembra {

namespace {

namespace fs = std::filesystem;

std::string ReadLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    // Only the line end goes: "KVL47Q POD " with its blank is another device.
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

std::string DeviceNode(const std::string& devRoot, const fs::path& device) {
    const std::string bus = ReadLine(device / "busnum");
    const std::string dev = ReadLine(device / "devnum");
    if (bus.empty() || dev.empty()) {
        return {};
    }
    char name[32];
    std::snprintf(name, sizeof name, "/%03d/%03d", std::atoi(bus.c_str()), std::atoi(dev.c_str()));
    return devRoot + name;
}

// The driver bound to the device's first interface ("ftdi_sio", "usbfs"
// for a program's claim), or empty when none is.
std::string InterfaceDriver(const fs::path& device) {
    std::error_code ec;
    const fs::path link = fs::read_symlink(device.parent_path() / (device.filename().string() + ":1.0") / "driver", ec);
    return ec ? std::string() : link.filename().string();
}

}  // namespace

// Product strings under sysfs are world-readable, so a pod can be told apart
// from no pod even when its device node is closed to this user.
std::vector<UsbProduct> ListFtdiUsbProducts(const std::string& sysfsRoot, const std::string& devRoot) {
    std::error_code ec;
    std::vector<fs::path> devices;
    // The error_code overloads throughout: a device unplugged while we walk
    // ends the walk instead of throwing out of the driver.
    for (fs::directory_iterator it(sysfsRoot, ec), end; !ec && it != end; it.increment(ec)) {
        if (ReadLine(it->path() / "idVendor") == "0403") {
            devices.push_back(it->path());
        }
    }
    std::sort(devices.begin(), devices.end());
    std::vector<UsbProduct> out;
    for (const fs::path& device : devices) {
        UsbProduct p;
        p.product = ReadLine(device / "product");
        p.serial = ReadLine(device / "serial");
        p.productId = static_cast<uint16_t>(std::strtoul(ReadLine(device / "idProduct").c_str(), nullptr, 16));
        const std::string node = DeviceNode(devRoot, device);
        p.accessible = !node.empty() && access(node.c_str(), R_OK | W_OK) == 0;
        const std::string driver = InterfaceDriver(device);
        p.claimedByProgram = driver == "usbfs";
        p.kernelDriverBound = !driver.empty() && !p.claimedByProgram;
        out.push_back(p);
    }
    return out;
}

OpenFailureCause CauseOfUnopened(const std::vector<UsbProduct>& products, const std::string& wanted, bool bySerial) {
    if (products.empty()) {
        return OpenFailureCause::Other;
    }
    for (const UsbProduct& p : products) {
        if ((bySerial ? p.serial : p.product) != wanted) {
            continue;
        }
        // The node first: a libusb open fails on it before any driver matters.
        if (!p.accessible) return OpenFailureCause::PermissionDenied;
        if (p.claimedByProgram) return OpenFailureCause::HeldByAnotherProgram;
        if (p.kernelDriverBound) return OpenFailureCause::HeldByKernelDriver;
        return OpenFailureCause::Other;
    }
    return OpenFailureCause::Unplugged;
}

}  // namespace nembra
