#pragma once
#include <atomic>
#include <csignal>
#include <thread>

#include "pod/StopRequest.h"

namespace nembra::cli {

// While it lives, Ctrl-C (SIGINT) does not end the process: it requests
// `stop`, which the pods' links see at their next step, so that every link
// is closed and the tool can say which boards were left unfinished. SIGINT
// is blocked in the constructing thread and in the threads it starts later,
// and taken by a watching thread of its own, which sleeps until a Ctrl-C
// comes or the run ends.
class InterruptWatch {
public:
    explicit InterruptWatch(StopRequest& stop);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

private:
    void Watch();
    void WatchBySlices();

    StopRequest& stop_;
    sigset_t interrupt_{};
    sigset_t previous_{};
    int signalFd_ = -1;  // SIGINT, read as data
    int doneFd_ = -1;    // written once when the run ends
    std::atomic<bool> done_{false};
    std::thread watcher_;
};

}  // namespace nembra::cli
