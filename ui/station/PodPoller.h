#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "station/PodStation.h"

namespace nembra {

// Lists the station's pods again and again on a thread of its own, so that
// a driver that is slow to list never stalls the window, and hands each
// listing (the serial numbers of the pods, in the driver's order) to
// `listed`, which must carry it to the window's thread. Ends with the object.
class PodPoller {
public:
    PodPoller(station::PodStation& station, int intervalMs, std::function<void(std::vector<std::string>)> listed);
    ~PodPoller();
    PodPoller(const PodPoller&) = delete;
    PodPoller& operator=(const PodPoller&) = delete;

    // Lists once more at once, without waiting for the interval.
    void PollNow();

private:
    void Loop();

    station::PodStation& station_;
    int intervalMs_;
    std::function<void(std::vector<std::string>)> listed_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool ending_ = false;
    bool pollNow_ = false;
    std::thread thread_;
};

// The serial numbers of the listed devices that are pods.
std::vector<std::string> PodSerials(const std::vector<station::PodEntry>& entries);

}  // namespace nembra
