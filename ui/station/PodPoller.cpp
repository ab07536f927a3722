#include "ui/station/PodPoller.h"

#include <chrono>

#include "pod/PodLink.h"

namespace nembra {

std::vector<std::string> PodSerials(const std::vector<station::PodEntry>& entries) {
    std::vector<std::string> serials;
    for (const station::PodEntry& entry : entries)
        if (entry.description == kPodDescription && !entry.serial.empty()) serials.push_back(entry.serial);
    return serials;
}

PodPoller::PodPoller(station::PodStation& station, int intervalMs, std::function<void(std::vector<std::string>)> listed)
    : station_(station), intervalMs_(intervalMs), listed_(std::move(listed)), thread_([this] { Loop(); }) {}

PodPoller::~PodPoller() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void PodPoller::PollNow() {
    {
        std::lock_guard lock(mutex_);
        pollNow_ = true;
    }
    wake_.notify_all();
}

void PodPoller::Loop() {
    std::unique_lock lock(mutex_);
    while (!ending_) {
        pollNow_ = false;
        lock.unlock();
        std::vector<station::PodEntry> entries;
        station_.List(entries, false);
        listed_(PodSerials(entries));
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(intervalMs_), [this] { return ending_ || pollNow_; });
    }
}

}  // namespace nembra
