#include "station/SimStation.h"

#include "station/PinnedBackend.h"

namespace nembra::station {

SimStation::SimStation(const std::string& statePath, int count, bool paced, SimChip chip)
    : statePath_(statePath), paced_(paced), chip_(chip) {
    if (count == 0) {
        Plug(kSimPodSerial, statePath);
        highest_ = 1;
        return;
    }
    for (int n = 0; n < count; ++n) AddPod();
}

void SimStation::Plug(const std::string& serial, const std::string& storePath) {
    pods_.push_back({serial, std::shared_ptr<PodBackend>(MakeSimBackend(storePath, serial, paced_, chip_))});
}

std::string SimStation::AddPod() {
    std::lock_guard lock(mutex_);
    const std::string serial = SimPodSerial(++highest_);
    Plug(serial, SimPodStorePath(statePath_, serial));
    return serial;
}

bool SimStation::RemovePod(const std::string& serial) {
    std::lock_guard lock(mutex_);
    for (auto pod = pods_.begin(); pod != pods_.end(); ++pod) {
        if (pod->serial != serial) continue;
        pods_.erase(pod);
        return true;
    }
    return false;
}

bool SimStation::List(std::vector<PodEntry>& entries, bool probe) {
    std::lock_guard lock(mutex_);
    entries.clear();
    for (Pod& pod : pods_) {
        auto driver = pod.backend->loader().Load();
        if (driver != nullptr) AddListed(*driver, probe, entries);
        // Each simulated pod hangs on a port of its own, numbered from 1.
        if (!entries.empty()) entries.back().location = static_cast<uint32_t>(entries.size());
    }
    return true;
}

std::unique_ptr<PodBackend> SimStation::Backend(const std::string& serial, const StopRequest* stop) {
    std::shared_ptr<PodBackend> inner;
    {
        std::lock_guard lock(mutex_);
        inner = serial.empty() ? (pods_.empty() ? nullptr : pods_.front().backend) : Find(serial);
    }
    if (inner == nullptr) return nullptr;
    return std::make_unique<PinnedBackend>(std::move(inner), serial, stop);
}

SimPod* SimStation::SimPodOf(const std::string& serial) {
    std::lock_guard lock(mutex_);
    const std::shared_ptr<PodBackend> backend = Find(serial);
    return backend == nullptr ? nullptr : backend->simPod();
}

std::shared_ptr<PodBackend> SimStation::Find(const std::string& serial) {
    for (Pod& pod : pods_)
        if (pod.serial == serial) return pod.backend;
    return nullptr;
}

}  // namespace nembra::station
