#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "station/PodStation.h"

namespace nembra::station {

// Simulated pods, each with its own rig and clock, so that they run side by
// side on their own threads as pods on their own USB cables do. Pods can be
// plugged in and pulled out while others run: the operator's window sees
// them come and go as it would on a real hub.
class SimStation : public PodStation {
public:
    // `count` pods SIM00001.. each with its store beside `statePath`; 0: the
    // one pod SIM00001 with its store in `statePath` itself.
    SimStation(const std::string& statePath, int count, bool paced, SimChip chip);

    bool List(std::vector<PodEntry>& entries, bool probe) override;
    std::unique_ptr<PodBackend> Backend(const std::string& serial, const StopRequest* stop) override;
    SimPod* SimPodOf(const std::string& serial) override;

    // Plugs in the next pod (SIM0000N after the highest so far) and gives its serial number.
    std::string AddPod();
    // Pulls the pod out of the listing. A run already on it ends on the rig it
    // started with, which lives until then. False when no pod has the number.
    bool RemovePod(const std::string& serial);

private:
    struct Pod {
        std::string serial;
        std::shared_ptr<PodBackend> backend;
    };
    std::shared_ptr<PodBackend> Find(const std::string& serial);
    void Plug(const std::string& serial, const std::string& storePath);

    std::mutex mutex_;
    std::vector<Pod> pods_;
    std::string statePath_;
    bool paced_;
    SimChip chip_;
    int highest_ = 0;
};

}  // namespace nembra::station
