#include "cli/PodStation.h"

#include <cstdio>

#include "cli/OutputPaths.h"
#include "pod/PodListing.h"

namespace nembra::cli {
namespace {

// A backend whose link opens one pod only and can be stopped.
class PinnedBackend : public PodBackend {
public:
    PinnedBackend(PodBackend& inner, std::unique_ptr<PodBackend> owned, const std::string& serial,
                  const StopRequest* stop)
        : inner_(inner), owned_(std::move(owned)), serial_(serial), stop_(stop) {}
    DriverLoader& loader() override { return inner_.loader(); }
    LinkClock& linkClock() override { return inner_.linkClock(); }
    OpsClock& opsClock() override { return inner_.opsClock(); }
    SimPod* simPod() override { return inner_.simPod(); }
    const StopRequest* stopRequest() const override { return stop_; }
    std::string podSerial() const override { return serial_; }

private:
    PodBackend& inner_;
    std::unique_ptr<PodBackend> owned_;
    std::string serial_;
    const StopRequest* stop_;
};

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
        auto usb = MakeUsbBackend(driver_);
        PodBackend& inner = *usb;
        return std::make_unique<PinnedBackend>(inner, std::move(usb), serial, stop);
    }
    SimPod* SimPodOf(const std::string&) override { return nullptr; }
    std::string LoadFailure() const override { return loadFailure_; }

private:
    DriverChoice driver_;
    std::string loadFailure_;
};

// Each simulated pod has its own rig and clock, so that pods run side by
// side on their own threads as pods on their own USB cables do.
class SimStation : public PodStation {
public:
    SimStation(const std::string& statePath, int count, bool paced, SimChip chip) {
        if (count == 0) {
            pods_.push_back({kSimPodSerial, MakeSimBackend(statePath, kSimPodSerial, paced, chip)});
            return;
        }
        for (int n = 1; n <= count; ++n) {
            const std::string serial = SimPodSerial(n);
            pods_.push_back({serial, MakeSimBackend(SimPodStorePath(statePath, serial), serial, paced, chip)});
        }
    }
    bool List(std::vector<PodEntry>& entries, bool probe) override {
        entries.clear();
        for (auto& pod : pods_) {
            auto driver = pod.backend->loader().Load();
            if (driver != nullptr) AddListed(*driver, probe, entries);
            // Each simulated pod hangs on a port of its own, numbered from 1.
            if (!entries.empty()) entries.back().location = static_cast<uint32_t>(entries.size());
        }
        return true;
    }
    std::unique_ptr<PodBackend> Backend(const std::string& serial, const StopRequest* stop) override {
        PodBackend* inner = serial.empty() ? pods_.front().backend.get() : Find(serial);
        if (inner == nullptr) return nullptr;
        return std::make_unique<PinnedBackend>(*inner, nullptr, serial, stop);
    }
    SimPod* SimPodOf(const std::string& serial) override {
        PodBackend* backend = Find(serial);
        return backend == nullptr ? nullptr : backend->simPod();
    }

private:
    struct Pod {
        std::string serial;
        std::unique_ptr<PodBackend> backend;
    };
    PodBackend* Find(const std::string& serial) {
        for (auto& pod : pods_)
            if (pod.serial == serial) return pod.backend.get();
        return nullptr;
    }
    std::vector<Pod> pods_;
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

}  // namespace nembra::cli
