#include "station/PodBackend.h"

namespace nembra::station {
namespace {

class UsbBackend : public PodBackend {
public:
    explicit UsbBackend(DriverChoice driver) : loader_(MakeSystemDriverLoader(driver)) {}
    DriverLoader& loader() override { return *loader_; }
    LinkClock& linkClock() override { return linkClock_; }
    OpsClock& opsClock() override { return opsClock_; }

private:
    std::unique_ptr<DriverLoader> loader_;
    SystemLinkClock linkClock_;
    SystemOpsClock opsClock_;
};

SimPodOptions RealisticOptions(const std::string& statePath, SimChip chip) {
    SimPodOptions options;
    options.timing = TimingOfChip(chip);
    options.storePath = statePath;
    return options;
}

class SimBackend : public PodBackend {
public:
    SimBackend(const std::string& statePath, const std::string& serial, bool paced, SimChip chip)
        : rig_(RealisticOptions(statePath, chip), paced, serial), opsClock_(rig_.clock) {}
    DriverLoader& loader() override { return rig_.loader; }
    LinkClock& linkClock() override { return rig_.clock; }
    OpsClock& opsClock() override { return opsClock_; }
    SimPod* simPod() override { return &rig_.pod; }

private:
    SimRig rig_;
    LinkOpsClock opsClock_;
};

}  // namespace

std::unique_ptr<PodBackend> MakeUsbBackend(DriverChoice driver) { return std::make_unique<UsbBackend>(driver); }

std::unique_ptr<PodBackend> MakeSimBackend(const std::string& statePath, const std::string& serial, bool paced,
                                           SimChip chip) {
    return std::make_unique<SimBackend>(statePath, serial, paced, chip);
}

}  // namespace nembra::station
