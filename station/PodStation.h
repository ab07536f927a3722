#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pod/FtdiDriver.h"
#include "pod/StopRequest.h"
#include "station/PodBackend.h"

namespace nembra::station {

// One device on the station's bus, as `list` shows it.
struct PodEntry {
    int index = 0;
    std::string serial;
    std::string description;
    std::string backend;  // "libftd2xx", "libftdi1", "simulated"
    std::optional<uint32_t> location;
    OpenFailureCause access = OpenFailureCause::None;  // None: this user can open it
};

// The pods a host reaches: over USB, or the simulated pods of --sim.
class PodStation {
public:
    virtual ~PodStation() = default;
    // Every device attached; false when no driver library loads. With
    // `probe`, each is opened for a moment to tell whether this user can.
    virtual bool List(std::vector<PodEntry>& entries, bool probe) = 0;
    // The backend of one pod: the one with this serial number (empty: the
    // first pod found by its description), whose link opens that pod only
    // and stops at its next step once `stop` is requested. Null when no
    // such simulated pod exists.
    virtual std::unique_ptr<PodBackend> Backend(const std::string& serial, const StopRequest* stop) = 0;
    // The simulated pod with this serial number; null on USB or when none has it.
    virtual SimPod* SimPodOf(const std::string& serial) = 0;
    // Why the last List found no driver library, where the loader can tell.
    virtual std::string LoadFailure() const { return {}; }
};

// Adds every device the driver lists to `entries`, numbered on from them.
void AddListed(FtdiDriver& driver, bool probe, std::vector<PodEntry>& entries);

std::unique_ptr<PodStation> MakeUsbStation(DriverChoice driver = DriverChoice::Auto);
// `count` simulated pods SIM00001.. each with its store beside `statePath`;
// 0: the one simulated pod SIM00001 with its store in `statePath` itself.
// Paced, the simulated pods take their time for real; `chip` is the target
// chip behind each of them.
std::unique_ptr<PodStation> MakeSimStation(const std::string& statePath, int count, bool paced = false,
                                           SimChip chip = SimChip::Typical);

// The store of simulated pod `serial` beside the --sim state:
// "dir/sim-pod.store" gives "dir/sim-pod.SIM00002.store".
std::string SimPodStorePath(const std::string& statePath, const std::string& serial);
std::string SimPodSerial(int number);

}  // namespace nembra::station
