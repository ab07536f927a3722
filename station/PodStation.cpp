#include "station/PodStation.h"

#include <cstdio>

#include "pod/PodListing.h"
#include "station/PinnedBackend.h"
#include "station/PodFilePath.h"
#include "station/SimStation.h"

namespace nembra::station {

void AddListed(FtdiDriver& driver, bool probe, std::vector<PodEntry>& entries) {
    for (const AttachedDevice& device : ListAttachedDevices(driver)) {
        PodEntry entry;
        entry.index = static_cast<int>(entries.size());
        entry.serial = device.serial;
        entry.description = device.description;
        entry.location = device.location;
        if (probe) entry.access = ProbeOpen(driver, device.serial);
        // After the probe: a driver of two backends names the one that opened it.
        entry.backend = driver.BackendName();
        entries.push_back(entry);
    }
}

namespace {

class UsbStation : public PodStation {
public:
    explicit UsbStation(DriverChoice driver) : driver_(driver) {}
    bool List(std::vector<PodEntry>& entries, bool probe) override {
        entries.clear();
        auto backend = MakeUsbBackend(driver_);
        auto driver = backend->loader().Load();
        loadFailure_ = backend->loader().LoadFailure();
        if (driver == nullptr) return false;
        AddListed(*driver, probe, entries);
        return true;
    }
    std::unique_ptr<PodBackend> Backend(const std::string& serial, const StopRequest* stop) override {
        return std::make_unique<PinnedBackend>(MakeUsbBackend(driver_), serial, stop);
    }
    SimPod* SimPodOf(const std::string&) override { return nullptr; }
    std::string LoadFailure() const override { return loadFailure_; }

private:
    DriverChoice driver_;
    std::string loadFailure_;
};

}  // namespace

std::unique_ptr<PodStation> MakeUsbStation(DriverChoice driver) { return std::make_unique<UsbStation>(driver); }

std::unique_ptr<PodStation> MakeSimStation(const std::string& statePath, int count, bool paced, SimChip chip) {
    return std::make_unique<SimStation>(statePath, count, paced, chip);
}

std::string SimPodStorePath(const std::string& statePath, const std::string& serial) {
    return PodFilePath(statePath, serial);
}

std::string SimPodSerial(int number) {
    char serial[16];
    std::snprintf(serial, sizeof serial, "SIM%05d", number);
    return serial;
}

}  // namespace nembra::station
